#include "platform/settings_file.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include <nlohmann/json.hpp>

namespace chronova::platform {
namespace {

using Json = nlohmann::json;

constexpr uint64_t kMaxDword = 0xFFFFFFFFu;

char FoldChar(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Folded(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), FoldChar);
    return out;
}

int HexDigit(char c) noexcept {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::string> DecodeHex(std::string_view hex) {
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out.push_back(static_cast<char>(high * 16 + low));
    }
    return out;
}

std::string EncodeHex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out.push_back(kDigits[byte >> 4]);
        out.push_back(kDigits[byte & 0x0F]);
    }
    return out;
}

// A field's value as read: text, a whole number, or something else (which no field accepts).
struct FieldValue {
    enum class Kind { Text, Unsigned, Other } kind = Kind::Other;
    std::string text;
    uint64_t number = 0;
};

// Collects the fields of one flat JSON object. Anything nested, repeated or not an object stops the parse, so a
// hostile line cannot build deep structures and a repeated field cannot silently override another.
class RecordReader final : public nlohmann::json_sax<Json> {
public:
    std::map<std::string, FieldValue> fields;
    std::string error;

    bool null() override { return Add({}); }
    bool boolean(bool) override { return Add({}); }
    bool number_integer(number_integer_t value) override {
        return value >= 0 ? number_unsigned(static_cast<number_unsigned_t>(value)) : Add({});
    }
    bool number_unsigned(number_unsigned_t value) override {
        return Add({FieldValue::Kind::Unsigned, {}, static_cast<uint64_t>(value)});
    }
    bool number_float(number_float_t, const string_t&) override { return Add({}); }
    bool string(string_t& value) override { return Add({FieldValue::Kind::Text, std::move(value), 0}); }
    bool binary(binary_t&) override { return Fail("binary data"); }
    bool start_object(std::size_t) override {
        if (depth_ > 0) {
            return Fail("the field \"" + key_ + "\" holds an object");
        }
        ++depth_;
        return true;
    }
    bool key(string_t& value) override {
        if (fields.count(value) != 0) {
            return Fail("the field \"" + value + "\" appears twice");
        }
        key_ = std::move(value);
        return true;
    }
    bool end_object() override {
        --depth_;
        return true;
    }
    bool start_array(std::size_t) override {
        return Fail(depth_ > 0 ? "the field \"" + key_ + "\" holds an array" : "not a JSON object");
    }
    bool end_array() override { return false; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& ex) override {
        std::string message = ex.what();
        // "[json.exception.parse_error.101] parse error at line 1, column 3: ..." -> "parse error at ..."
        if (const auto end = message.find("] "); end != std::string::npos) {
            message.erase(0, end + 2);
        }
        return Fail("not valid JSON: " + message);
    }

private:
    bool Fail(std::string message) {
        if (error.empty()) {
            error = std::move(message);
        }
        return false;
    }
    bool Add(FieldValue value) {
        if (depth_ == 0) {
            return Fail("not a JSON object");
        }
        fields.emplace(key_, std::move(value));
        return true;
    }

    int depth_ = 0;
    std::string key_;
};

// Takes a text field that may come as "<name>" (UTF-8) or "<name>_hex" (any bytes).
std::optional<std::string> TakeText(std::map<std::string, FieldValue>& fields, const std::string& name,
                                    std::string& error) {
    const auto plain = fields.find(name);
    const auto hex = fields.find(name + "_hex");
    if (plain != fields.end() && hex != fields.end()) {
        error = "both \"" + name + "\" and \"" + name + "_hex\" are given";
        return std::nullopt;
    }
    if (plain == fields.end() && hex == fields.end()) {
        return std::nullopt;
    }
    const bool is_hex = plain == fields.end();
    FieldValue field = std::move(is_hex ? hex->second : plain->second);
    fields.erase(is_hex ? hex : plain);
    const std::string shown = is_hex ? name + "_hex" : name;
    if (field.kind != FieldValue::Kind::Text) {
        error = "\"" + shown + "\" must be text";
        return std::nullopt;
    }
    if (!is_hex) {
        return std::move(field.text);
    }
    auto bytes = DecodeHex(field.text);
    if (!bytes) {
        error = "\"" + shown + "\" is not an even number of hexadecimal digits";
    }
    return bytes;
}

// Turns one line into a record, or says why it cannot be used.
std::optional<SettingsEntry> ReadRecord(std::string_view line, std::string& error) {
    RecordReader reader;
    bool parsed = false;
    try {
        parsed = Json::sax_parse(line, &reader);
    } catch (const std::exception& ex) {
        // The parser reports through the reader; this only guards against anything it throws regardless.
        error = std::string("not valid JSON: ") + ex.what();
        return std::nullopt;
    }
    if (!parsed) {
        error = reader.error.empty() ? "not a JSON object" : reader.error;
        return std::nullopt;
    }
    auto& fields = reader.fields;

    SettingsEntry entry;
    auto key = TakeText(fields, "key", error);
    if (!key) {
        if (error.empty()) {
            error = "the field \"key\" is missing";
        }
        return std::nullopt;
    }
    if (!IsValidKeyPath(*key)) {
        error = "the key path is not usable (empty part, or a NUL character)";
        return std::nullopt;
    }
    entry.key = std::move(*key);

    auto name = TakeText(fields, "name", error);
    if (!error.empty()) {
        return std::nullopt;
    }
    const auto type_field = fields.find("type");
    if (!name && type_field == fields.end() && fields.count("data") == 0 && fields.count("data_hex") == 0) {
        if (!fields.empty()) {
            error = "unknown field \"" + fields.begin()->first + "\"";
            return std::nullopt;
        }
        return entry; // a key record
    }
    if (!name) {
        error = "the field \"name\" is missing";
        return std::nullopt;
    }
    if (name->find('\0') != std::string::npos) {
        error = "the value name holds a NUL character";
        return std::nullopt;
    }
    entry.name = std::move(*name);
    if (type_field == fields.end()) {
        error = "the field \"type\" is missing";
        return std::nullopt;
    }
    if (type_field->second.kind != FieldValue::Kind::Text) {
        error = "\"type\" must be text";
        return std::nullopt;
    }
    const std::string type_name = type_field->second.text;
    fields.erase(type_field);

    if (type_name == ValueTypeName(ValueType::RegSz)) {
        auto data = TakeText(fields, "data", error);
        if (!error.empty()) {
            return std::nullopt;
        }
        if (!data) {
            error = "the field \"data\" is missing";
            return std::nullopt;
        }
        entry.value = SettingsValue::String(*data);
    } else if (type_name == ValueTypeName(ValueType::RegDword)) {
        const auto data = fields.find("data");
        if (data == fields.end() || data->second.kind != FieldValue::Kind::Unsigned ||
            data->second.number > kMaxDword) {
            error = "the data of a REG_DWORD value must be a whole number from 0 to 4294967295";
            return std::nullopt;
        }
        entry.value = SettingsValue::DWord(static_cast<uint32_t>(data->second.number));
        fields.erase(data);
    } else {
        error = "unsupported value type \"" + type_name + "\"";
        return std::nullopt;
    }
    if (!fields.empty()) {
        error = "unknown field \"" + fields.begin()->first + "\"";
        return std::nullopt;
    }
    return entry;
}

// Appends ,"field":"text" or, for bytes that are not UTF-8, ,"field_hex":"...".
void AppendTextField(std::string& out, std::string_view field, const std::string& bytes, bool first = false) {
    if (!first) {
        out += ',';
    }
    std::string dumped;
    try {
        dumped = Json(bytes).dump(-1, ' ', false, Json::error_handler_t::strict);
    } catch (const Json::type_error&) {
        out += '"';
        out += field;
        out += "_hex\":\"";
        out += EncodeHex(bytes);
        out += '"';
        return;
    }
    out += '"';
    out += field;
    out += "\":";
    out += dumped;
}

// Removes repeated values (the later line wins, at the earlier line's place) and key records that other records
// already imply, so that every record read is one that a rewrite keeps.
void RemoveRepeats(std::vector<SettingsEntry>& entries, std::vector<size_t>& lines,
                   std::vector<SettingsProblem>& problems) {
    std::unordered_map<std::string, size_t> value_index; // folded key NUL folded name -> entry index
    std::vector<bool> keep(entries.size(), true);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].value) {
            continue;
        }
        auto id = Folded(entries[i].key) + '\0' + Folded(entries[i].name);
        const auto [it, inserted] = value_index.emplace(std::move(id), i);
        if (!inserted) {
            auto& first = entries[it->second];
            problems.push_back({lines[it->second], "the value \"" + first.name + "\" of key \"" + first.key +
                                                       "\" is set again on line " + std::to_string(lines[i]) +
                                                       ", which is used"});
            first.value = std::move(entries[i].value);
            lines[it->second] = lines[i];
            keep[i] = false;
        }
    }

    // Keys that exist without their own record: every key holding a value, and every key above any record.
    std::unordered_set<std::string> implied{""}; // the hive itself always exists
    for (const auto& entry : entries) {
        const std::string folded = Folded(entry.key);
        if (entry.value) {
            implied.insert(folded);
        }
        for (size_t pos = folded.find('\\'); pos != std::string::npos; pos = folded.find('\\', pos + 1)) {
            implied.insert(folded.substr(0, pos));
        }
    }
    std::unordered_set<std::string> recorded;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].value) {
            const std::string folded = Folded(entries[i].key);
            if (implied.count(folded) != 0 || !recorded.insert(folded).second) {
                keep[i] = false;
            }
        }
    }

    size_t out = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (keep[i]) {
            if (out != i) {
                entries[out] = std::move(entries[i]);
                lines[out] = lines[i];
            }
            ++out;
        }
    }
    entries.resize(out);
    lines.resize(out);
}

} // namespace

std::string_view ValueTypeName(ValueType type) noexcept {
    switch (type) {
    case ValueType::RegSz:
        return "REG_SZ";
    case ValueType::RegDword:
        return "REG_DWORD";
    }
    return "REG_NONE";
}

bool SettingsNamesEqual(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldChar(x) == FoldChar(y); });
}

bool KeyIsWithin(std::string_view key, std::string_view ancestor) noexcept {
    if (ancestor.empty()) {
        return true;
    }
    if (key.size() < ancestor.size() || !SettingsNamesEqual(key.substr(0, ancestor.size()), ancestor)) {
        return false;
    }
    return key.size() == ancestor.size() || key[ancestor.size()] == '\\';
}

bool IsValidKeyPath(std::string_view key) noexcept {
    if (key.empty()) {
        return true;
    }
    if (key.find('\0') != std::string_view::npos || key.front() == '\\' || key.back() == '\\') {
        return false;
    }
    return key.find("\\\\") == std::string_view::npos;
}

ParsedSettings ParseSettingsText(std::string_view text) {
    ParsedSettings result;
    std::vector<size_t> lines;
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    size_t line_number = 0;
    while (!text.empty()) {
        ++line_number;
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.find_first_not_of(" \t") == std::string_view::npos) {
            continue;
        }
        std::string error;
        if (auto entry = ReadRecord(line, error)) {
            result.entries.push_back(std::move(*entry));
            lines.push_back(line_number);
        } else {
            result.problems.push_back({line_number, std::move(error)});
        }
    }
    RemoveRepeats(result.entries, lines, result.problems);
    std::stable_sort(result.problems.begin(), result.problems.end(),
                     [](const SettingsProblem& a, const SettingsProblem& b) { return a.line < b.line; });
    return result;
}

std::string SerializeSettings(const std::vector<SettingsEntry>& entries) {
    std::string out;
    for (const auto& entry : entries) {
        out += '{';
        AppendTextField(out, "key", entry.key, true);
        if (entry.value) {
            AppendTextField(out, "name", entry.name);
            out += ",\"type\":\"";
            out += ValueTypeName(entry.value->type);
            out += '"';
            if (entry.value->type == ValueType::RegDword) {
                out += ",\"data\":";
                out += std::to_string(entry.value->number);
            } else {
                AppendTextField(out, "data", entry.value->text);
            }
        }
        out += "}\n";
    }
    return out;
}

} // namespace chronova::platform
