#pragma once

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>

namespace chronova::bench {

/// Fonts and text need an application object on the offscreen platform; every drawing benchmark shares one.
inline void EnsureGuiApplication() {
    static int argc = 1;
    static char name[] = "chronova_bench";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static QGuiApplication application(argc, argv);
    }
}

} // namespace chronova::bench
