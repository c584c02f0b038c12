#pragma once

#include <filesystem>
#include <string_view>

#include "platform/interruption.h"

namespace chronova::cli::exporting {

/// A file under construction: written under a temporary name beside its target and renamed over the target only
/// when complete, so that a reader (or a crash, or an error half-way) never leaves a partial output file behind.
/// The temporary file is removed unless Commit succeeds. Temporary files that killed runs left in the folder are
/// removed first.
class TemporaryOutput {
public:
    /// Creates the temporary file beside target; raises 75 naming the target when it cannot be created.
    explicit TemporaryOutput(std::filesystem::path target);
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    const std::filesystem::path& Target() const noexcept { return target_; }
    const std::filesystem::path& TemporaryPath() const noexcept { return temporary_; }

    /// Appends to the temporary file; raises 75 naming the target on a write error.
    void Write(std::string_view data);
    /// Closes the temporary file and renames it over the target. With durable set the data is flushed to disk
    /// first, for a single result worth the wait; a frame of a sequence can be made again and skips it.
    void Commit(bool durable);
    /// Closes and removes the temporary file; what it held is lost. Done by the destructor unless committed.
    void Discard() noexcept;

private:
    [[noreturn]] void Fail(std::string_view what, int error_number);

    // First in, last out: it covers the file from before its creation until after its rename or removal.
    platform::UnfinishedFile unfinished_;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int fd_ = -1;
    bool open_ = false;
};

} // namespace chronova::cli::exporting
