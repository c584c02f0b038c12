#pragma once

#include <filesystem>

#include "platform/interruption.h"

namespace chronova::sample_data {

/// A file or folder written under a temporary name beside its target ("storms.partial-<pid>-<n>.gpkg"), so that
/// the target appears only once it is complete: a run that dies half-way leaves a partial output that later runs
/// neither take for data nor keep. The partial output is removed when the object goes without being published.
class PartialOutput {
public:
    explicit PartialOutput(std::filesystem::path target);
    ~PartialOutput();
    PartialOutput(const PartialOutput&) = delete;
    PartialOutput& operator=(const PartialOutput&) = delete;

    /// Where to write; the name keeps the target's extension, which some writers go by.
    const std::filesystem::path& Path() const noexcept { return path_; }
    /// Flushes what was written to disk and renames it to the target. A file replaces the target; a folder
    /// whose target appeared meanwhile (another run was quicker) gives way to it. Raises an AutomationError (75)
    /// naming the target when the rename fails.
    void Publish();

private:
    platform::UnfinishedFile unfinished_; // first in, last out: outlives the partial output
    std::filesystem::path target_;
    std::filesystem::path path_;
    bool published_ = false;
};

/// Removes the partial outputs in a folder whose writing process has ended (see platform::WriterHasEnded).
void RemoveAbandonedPartials(const std::filesystem::path& folder);

} // namespace chronova::sample_data
