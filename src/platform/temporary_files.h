#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <sys/types.h>

namespace chronova::platform {

/// A name for a file written beside target before it is renamed over it: "<file name>.tmp-<process id>-<count>".
/// The process id keeps processes apart and the count the files of one process; callers create the file with
/// O_EXCL and ask again when the name is taken. Only this program makes names of this form, so a later run can
/// tell from the name alone which process left a file behind.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& target);

/// The process that made a temporary file, read from its name; nothing when the name is not one TemporaryPathFor
/// makes (or one earlier versions made, with a third number).
std::optional<pid_t> WriterOfTemporaryFile(std::string_view file_name);

/// Whether the process that made a file under this id has ended: no process has the id any more, or the one that
/// has it started after the file last changed, so it took the id over from a writer that is gone. A process of
/// another user counts as running, and so does one when the file cannot be looked at.
bool WriterHasEnded(pid_t writer, const std::filesystem::path& file);

/// Removes the temporary files in a folder whose writer has ended, and returns how many went. The files of running
/// writers and all other files stay.
int RemoveAbandonedTemporaryFiles(const std::filesystem::path& folder);

/// RemoveAbandonedTemporaryFiles once per folder and process: writers call it before they make a temporary file,
/// so each run tidies the folders it writes in without listing a folder again for every file it writes there.
void TidyFolderOnce(const std::filesystem::path& folder);

} // namespace chronova::platform
