#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace chronova::platform {

/// Opens a link or file with the desktop's default action for it (a web address in the browser), as a click on a
/// logo asks. The desktop's own opener serves by default; tests install a recording one.
class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    /// Hands the target to the desktop; false when that could not be started. Never throws.
    virtual bool Open(std::string_view target) = 0;
};

/// The freedesktop opener: runs `xdg-open TARGET` as a program of its own, without a shell, so no character of
/// the target is ever interpreted; does not wait for it.
class XdgDesktopOpener final : public DesktopOpener {
public:
    bool Open(std::string_view target) override;
};

/// Keeps every target instead of opening it, for tests.
class RecordingDesktopOpener final : public DesktopOpener {
public:
    bool Open(std::string_view target) override {
        opened_.emplace_back(target);
        return true;
    }
    const std::vector<std::string>& Opened() const noexcept { return opened_; }

private:
    std::vector<std::string> opened_;
};

/// The opener in use: the one last installed, or a process-wide XdgDesktopOpener.
DesktopOpener& CurrentDesktopOpener();
/// Installs an opener that the caller keeps alive while installed; nullptr goes back to the desktop's own. Returns
/// the opener installed before (nullptr for the default one).
DesktopOpener* SetDesktopOpener(DesktopOpener* opener);

/// Installs an opener for the life of a scope and puts the previous one back afterwards.
class ScopedDesktopOpener {
public:
    explicit ScopedDesktopOpener(DesktopOpener& opener) : previous_(SetDesktopOpener(&opener)) {}
    ~ScopedDesktopOpener() { SetDesktopOpener(previous_); }
    ScopedDesktopOpener(const ScopedDesktopOpener&) = delete;
    ScopedDesktopOpener& operator=(const ScopedDesktopOpener&) = delete;

private:
    DesktopOpener* previous_;
};

} // namespace chronova::platform
