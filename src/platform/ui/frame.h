#pragma once

#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// A headless frame: a captioned group box; forms hide or disable it to hide or disable its group at once.
class Frame {
public:
    const std::string& Caption() const noexcept { return caption_; }
    void Caption(std::string_view value) { caption_ = value; }
    bool Enabled() const noexcept { return enabled_; }
    void Enabled(bool value) noexcept { enabled_ = value; }
    bool Visible() const noexcept { return visible_; }
    void Visible(bool value) noexcept { visible_ = value; }

private:
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
};

} // namespace chronova::platform::ui
