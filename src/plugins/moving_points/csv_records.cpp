#include "plugins/moving_points/csv_records.h"

#include "platform/automation_error.h"

namespace chronova::plugins {

namespace {

[[noreturn]] void Fail(std::string_view source, int line, const std::string& what) {
    platform::RaiseError(platform::error::kInvalidProcedureCall,
                         std::string(source) + ", line " + std::to_string(line) + ": " + what);
}

bool IsBlank(const CsvRecord& record) {
    return record.Fields.size() == 1 && record.Fields.front().empty();
}

} // namespace

std::vector<CsvRecord> ParseCsv(std::string_view text, std::string_view source) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    std::vector<CsvRecord> records;
    CsvRecord record{1, {std::string()}};
    int line = 1;
    size_t i = 0;
    auto end_record = [&] {
        if (!IsBlank(record)) {
            records.push_back(std::move(record));
        }
        record = CsvRecord{line, {std::string()}};
    };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"' && record.Fields.back().empty()) {
            // A quoted field runs to the next lone quote.
            const int opened_on = line;
            ++i;
            for (;;) {
                if (i >= text.size()) {
                    Fail(source, opened_on, "a quoted field is not closed");
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        record.Fields.back() += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (text[i] == '\n') {
                    ++line;
                }
                record.Fields.back() += text[i++];
            }
            if (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
                Fail(source, line, "a closing quote must be followed by a comma or the end of the line");
            }
            continue;
        }
        if (c == ',') {
            record.Fields.emplace_back();
        } else if (c == '\n') {
            ++line;
            end_record();
        } else if (c == '\r') {
            if (i + 1 >= text.size() || text[i + 1] != '\n') {
                ++line;
                end_record();
            }
        } else {
            record.Fields.back() += c;
        }
        ++i;
    }
    end_record();
    return records;
}

} // namespace chronova::plugins
