#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace chronova::plugins {

/// One record of a comma-separated text, with the line it starts on (from 1) for error messages.
struct CsvRecord {
    int Line = 0;
    std::vector<std::string> Fields;
};

/// Splits comma-separated text into records: fields may be double-quoted (a doubled quote inside stands for
/// one quote, and a quoted field may span lines); lines end in LF or CR LF; blank lines are skipped; a
/// leading UTF-8 byte order mark is ignored. Raises an AutomationError naming `source` and the line when a
/// quoted field is not closed or a quote is followed by anything but a comma or the line end.
std::vector<CsvRecord> ParseCsv(std::string_view text, std::string_view source);

} // namespace chronova::plugins
