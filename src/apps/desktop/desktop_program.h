#pragma once

#include <filesystem>
#include <optional>

class QString;

namespace chronova::desktop {

/// Exit statuses of chronova-desktop.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

/// The desktop program: `chronova-desktop [PROJECT]` opens the window (with the project); `chronova-desktop
/// --screenshot FILE.png [PROJECT]` lays the window out at 1280 x 800 with the slider window shown, writes a
/// picture of it and exits, which also works on the offscreen platform. Makes the QApplication itself.
int RunDesktop(int argc, char** argv);

/// The screenshot run inside an existing QApplication: messages go to stderr, a project that cannot be opened or
/// a picture that cannot be written gives kExitFailure.
int TakeScreenshot(const QString& png, const std::optional<std::filesystem::path>& project);

} // namespace chronova::desktop
