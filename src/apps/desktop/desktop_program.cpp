#include "apps/desktop/desktop_program.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <cstdio>
#include <exception>

#include "apps/desktop/main_window.h"
#include "apps/desktop/window_layout.h"
#include "gis/map/dockable_window.h"

#ifndef CHRONOVA_VERSION
#define CHRONOVA_VERSION "0"
#endif

namespace chronova::desktop {

namespace {

constexpr int kScreenshotWidth = 1280;
constexpr int kScreenshotHeight = 800;
// Layout settles within a few rounds of events; the map draws as soon as the canvas has its size.
constexpr int kSettleRounds = 20;
constexpr int kRoundMilliseconds = 10;

void PrintError(const QString& text) {
    std::fprintf(stderr, "chronova-desktop: %s\n", qPrintable(text));
}

void SettleEvents() {
    for (int round = 0; round < kSettleRounds; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kRoundMilliseconds);
    }
}

} // namespace

int TakeScreenshot(const QString& png, const std::optional<std::filesystem::path>& project) {
    MainWindow window(DialogServices::Installed);
    window.RememberRecentFiles(false);
    // A picture of the slider needs the extension on, whatever the user chose for the window.
    window.Host().EnableChronovaForSession();
    if (project && !window.OpenProject(*project)) {
        return kExitFailure;
    }
    for (const auto& host_window : window.Host().DockableWindows()) {
        if (!host_window->IsVisible()) {
            host_window->Show(true);
        }
    }
    window.resize(kScreenshotWidth, kScreenshotHeight);
    window.show();
    SettleEvents();
    // The time command applies the time when it notices the window shown.
    window.RequestRefresh();
    SettleEvents();
    const QImage image = window.grab().toImage();
    if (image.isNull() || !image.save(png, "PNG")) {
        PrintError(QStringLiteral("cannot write the screenshot %1").arg(png));
        return kExitFailure;
    }
    return kExitSuccess;
}

int RunDesktop(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Chronova Desktop"));
    QApplication::setApplicationVersion(QStringLiteral(CHRONOVA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Steps and animates a map through time."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Write a picture of the window to FILE.png and exit."),
                                        QStringLiteral("FILE.png"));
    parser.addOption(screenshot);
    parser.addPositionalArgument(QStringLiteral("PROJECT"), QStringLiteral("The project file to open."),
                                 QStringLiteral("[PROJECT]"));
    if (!parser.parse(QCoreApplication::arguments())) {
        PrintError(parser.errorText());
        return kExitUsage;
    }
    if (parser.isSet(help)) {
        std::fprintf(stdout, "%s", qPrintable(parser.helpText()));
        return kExitSuccess;
    }
    if (parser.isSet(version)) {
        std::fprintf(stdout, "chronova-desktop %s\n", CHRONOVA_VERSION);
        return kExitSuccess;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        PrintError(QStringLiteral("give one project at most"));
        return kExitUsage;
    }
    std::optional<std::filesystem::path> project;
    if (!positional.isEmpty()) {
        project = std::filesystem::path(positional.front().toStdString());
    }

    try {
        if (parser.isSet(screenshot)) {
            return TakeScreenshot(parser.value(screenshot), project);
        }
        MainWindow window;
        WindowLayout::Restore(window);
        window.show();
        if (project) {
            window.OpenProject(*project);
        }
        const int status = QApplication::exec();
        WindowLayout::Save(window);
        return status;
    } catch (const std::exception& e) {
        PrintError(QString::fromStdString(e.what()));
        return kExitFailure;
    }
}

} // namespace chronova::desktop
