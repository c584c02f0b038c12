#include "apps/chronova/progress_bar.h"

#include <algorithm>
#include <ostream>

namespace chronova::cli {

namespace {
constexpr int kBarWidth = 30;
constexpr auto kRedrawEvery = std::chrono::milliseconds(50);
} // namespace

ProgressBar::ProgressBar(std::ostream& out, bool enabled, std::string label, int64_t total)
    : out_(out), enabled_(enabled), label_(std::move(label)), total_(std::max<int64_t>(total, 0)) {}

ProgressBar::~ProgressBar() {
    if (drawn_) {
        out_ << '\n' << std::flush;
    }
}

std::string ProgressBar::Line(int64_t done) const {
    done = std::clamp<int64_t>(done, 0, total_);
    const int filled = total_ == 0 ? kBarWidth : static_cast<int>(done * kBarWidth / total_);
    const int percent = total_ == 0 ? 100 : static_cast<int>(done * 100 / total_);
    std::string line = label_ + " [";
    line.append(static_cast<size_t>(filled), '#');
    line.append(static_cast<size_t>(kBarWidth - filled), '.');
    line += "] " + std::to_string(done) + "/" + std::to_string(total_) + " (" + std::to_string(percent) + "%)";
    return line;
}

void ProgressBar::Update(int64_t done) {
    if (!enabled_) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && done < total_ && now - last_draw_ < kRedrawEvery) {
        return;
    }
    last_draw_ = now;
    drawn_ = true;
    out_ << '\r' << Line(done) << std::flush;
}

} // namespace chronova::cli
