#pragma once

#include <filesystem>
#include <string>

#include "platform/atomic_file.h"
#include "project/project_file.h"

namespace chronova::project {

/// The project as the JSON text LoadProject reads back into the same Project. Paths are written relative to the
/// folder of project.File (as they are when File is empty or a path has no relative form), times as
/// "YYYY-MM-DD HH:MM". Each layer entry gets only the keys its kind takes, and leaves out settings that are at
/// their defaults; the map, display and export sections are written whole, so a user sees what can be set.
/// Raises 5 for a time outside the years 100 to 9999, which no date text can hold.
std::string WriteProject(const Project& project);

/// Writes the project to file in one step (readers see the old file or the whole new one), with paths relative
/// to the file's folder; project.File only says where relative paths in the project start. Raises 58 when the
/// file exists and existing is Keep, 75 naming the file and the reason when it cannot be written, and like
/// WriteProject.
void SaveProject(const Project& project, const std::filesystem::path& file,
                 platform::ExistingFile existing = platform::ExistingFile::Replace);

} // namespace chronova::project
