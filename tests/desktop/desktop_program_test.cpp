// The chronova-desktop program run as a user runs it: the screenshot of the whole window, and its errors.

#include <QImage>
#include <QProcess>

#include "apps/desktop/recent_files.h"
#include "desktop/desktop_fixture.h"

namespace chronova::desktop {
namespace {

namespace fs = std::filesystem;
using testing::DesktopTest;

class DesktopProgramTest : public DesktopTest {
protected:
    struct Run {
        int status = -1;
        std::string err;
    };

    // Runs the program on the offscreen platform with the test's settings files.
    static Run RunProgram(const QStringList& arguments) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(environment);
        program.start(QString::fromStdString(Tool("chronova-desktop").string()), arguments);
        EXPECT_TRUE(program.waitForFinished(120000));
        return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
                program.readAllStandardError().toStdString()};
    }
};

TEST_F(DesktopProgramTest, TheScreenshotIsTheWholeWindowWithTheMapAndTheSlider) {
    const fs::path png = folder_ / "window.png";
    const Run run = RunProgram({QStringLiteral("--screenshot"), QString::fromStdString(png.string()),
                                QString::fromStdString(WriteDotsProject().string())});
    ASSERT_EQ(run.status, 0) << run.err;
    const QImage image(QString::fromStdString(png.string()));
    ASSERT_EQ(image.size(), QSize(1280, 800));
    // One red square of the dots, the current step, is on the map.
    EXPECT_GT(RedPixels(image), 50);
    // A one-off run leaves the user's recent files alone.
    EXPECT_TRUE(RecentFiles::Load().empty());
}

TEST_F(DesktopProgramTest, ProjectsThatCannotBeOpenedAndWrongArgumentsFail) {
    const fs::path png = folder_ / "window.png";
    const Run missing = RunProgram({QStringLiteral("--screenshot"), QString::fromStdString(png.string()),
                                    QString::fromStdString((folder_ / "absent.json").string())});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot be opened"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(png));

    EXPECT_EQ(RunProgram({QStringLiteral("one.json"), QStringLiteral("two.json")}).status, 2);
    EXPECT_EQ(RunProgram({QStringLiteral("--frobnicate")}).status, 2);
}

} // namespace
} // namespace chronova::desktop
