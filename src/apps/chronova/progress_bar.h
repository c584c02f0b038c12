#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace chronova::cli {

/// A one-line progress bar for long work, redrawn in place with a carriage return. It draws only when told
/// its stream is a terminal and quiet is off, so redirected output and scripts stay clean.
class ProgressBar {
public:
    ProgressBar(std::ostream& out, bool enabled, std::string label, int64_t total);
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;
    /// Ends the line when the bar was drawn.
    ~ProgressBar();

    /// Sets the number of items done and redraws, at most every 50 ms and always at the end.
    void Update(int64_t done);
    /// The line as it is drawn for a count, without the carriage return; for tests.
    std::string Line(int64_t done) const;

private:
    std::ostream& out_;
    bool enabled_;
    std::string label_;
    int64_t total_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point last_draw_;
};

} // namespace chronova::cli
