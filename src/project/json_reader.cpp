#include "project/json_reader.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <vector>

#include "project/project_file.h"

namespace chronova::project {

namespace {

std::string EscapeToken(std::string_view key) {
    std::string token;
    for (const char c : key) {
        if (c == '~') {
            token += "~0";
        } else if (c == '/') {
            token += "~1";
        } else {
            token += c;
        }
    }
    return token;
}

std::string Alternatives(Keys words) {
    std::string text;
    size_t index = 0;
    for (const std::string_view word : words) {
        if (index > 0) {
            text += index + 1 == words.size() ? " or " : ", ";
        }
        text += word;
        ++index;
    }
    return text;
}

bool Contains(Keys keys, std::string_view key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

// "line L, column C" of a byte position of the text, both counted from 1.
std::string LineAndColumn(std::string_view text, size_t byte) {
    const size_t offset = std::min(byte > 0 ? byte - 1 : 0, text.size());
    const std::string_view before = text.substr(0, offset);
    const auto line = 1 + std::count(before.begin(), before.end(), '\n');
    const size_t newline = before.rfind('\n');
    const size_t line_start = newline == std::string_view::npos ? 0 : newline + 1;
    return "line " + std::to_string(line) + ", column " + std::to_string(offset - line_start + 1);
}

// The part of a JSON library message that says what is wrong, without its own numbering and position.
std::string SyntaxMessage(const std::string& what) {
    const size_t error = what.find("parse error");
    const size_t colon = error == std::string::npos ? std::string::npos : what.find(": ", error);
    return colon == std::string::npos ? what : what.substr(colon + 2);
}

// Follows the parser through the document, so that a key repeated in one object is reported at its place.
class DuplicateKeyCheck {
public:
    explicit DuplicateKeyCheck(const std::string& file) : file_(file) {}

    bool operator()(int /*depth*/, Json::parse_event_t event, Json& parsed) {
        switch (event) {
        case Json::parse_event_t::object_start:
        case Json::parse_event_t::array_start:
            frames_.push_back({event == Json::parse_event_t::object_start, NextSelector(), {}, {}, 0});
            break;
        case Json::parse_event_t::object_end:
        case Json::parse_event_t::array_end:
            if (!frames_.empty()) {
                frames_.pop_back();
            }
            break;
        case Json::parse_event_t::key:
            if (!frames_.empty() && parsed.is_string()) {
                Frame& frame = frames_.back();
                frame.key = parsed.get<std::string>();
                if (!frame.keys.insert(frame.key).second) {
                    throw ProjectError(file_, Child(Pointer(), frame.key), "duplicate key");
                }
            }
            break;
        case Json::parse_event_t::value:
            NextSelector();
            break;
        }
        return true;
    }

private:
    struct Frame {
        bool object = false;
        // How the parent reaches this object or array: "/key" or "/index".
        std::string selector;
        std::set<std::string> keys;
        std::string key;
        size_t next_index = 0;
    };

    // The selector of the value that starts now, counting it when it is an array element.
    std::string NextSelector() {
        if (frames_.empty()) {
            return {};
        }
        Frame& parent = frames_.back();
        if (parent.object) {
            return "/" + EscapeToken(parent.key);
        }
        return "/" + std::to_string(parent.next_index++);
    }

    std::string Pointer() const {
        std::string pointer;
        for (const Frame& frame : frames_) {
            pointer += frame.selector;
        }
        return pointer;
    }

    const std::string& file_;
    std::vector<Frame> frames_;
};

} // namespace

Json ParseJson(std::string_view text, const std::string& file) {
    try {
        DuplicateKeyCheck check(file);
        return Json::parse(text.begin(), text.end(), std::ref(check), true, false);
    } catch (const Json::parse_error& e) {
        throw ProjectError(file, LineAndColumn(text, e.byte), SyntaxMessage(e.what()));
    } catch (const Json::exception& e) {
        // A number too large for a double: the library names the number but not where it is.
        const std::string what = e.what();
        const size_t prefix_end = what.find("] ");
        const std::string message = prefix_end == std::string::npos ? what : what.substr(prefix_end + 2);
        const size_t open = message.find('\'');
        const size_t close = message.rfind('\'');
        const size_t at = open < close ? text.find(message.substr(open + 1, close - open - 1)) : std::string::npos;
        throw ProjectError(file, at == std::string_view::npos ? "" : LineAndColumn(text, at + 1), message);
    }
}

std::string Child(const std::string& place, std::string_view key) {
    return place + "/" + EscapeToken(key);
}

std::string Child(const std::string& place, size_t index) {
    return place + "/" + std::to_string(index);
}

std::string Quote(std::string_view text) {
    constexpr size_t kLongest = 60;
    if (text.size() > kLongest) {
        return "'" + std::string(text.substr(0, kLongest)) + "...'";
    }
    return "'" + std::string(text) + "'";
}

std::string Found(const Json& value) {
    switch (value.type()) {
    case Json::value_t::object:
        return "an object";
    case Json::value_t::array:
        return "an array";
    case Json::value_t::string:
        return "the text " + Quote(value.get_ref<const std::string&>());
    case Json::value_t::boolean:
        return value.get<bool>() ? "true" : "false";
    case Json::value_t::null:
        return "null";
    default:
        return value.dump();
    }
}

void JsonReader::Fail(const std::string& place, const std::string& message) const {
    throw ProjectError(file_, place, message);
}

const Json* JsonReader::Optional(const Json& object, std::string_view key) {
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

const Json& JsonReader::Required(const Json& object, const std::string& place, std::string_view key) const {
    const Json* value = Optional(object, key);
    if (value == nullptr) {
        Fail(Child(place, key), "required key is missing");
    }
    return *value;
}

const Json& JsonReader::Object(const Json& value, const std::string& place) const {
    if (!value.is_object()) {
        Fail(place, "expected an object, found " + Found(value));
    }
    return value;
}

const Json& JsonReader::Array(const Json& value, const std::string& place) const {
    if (!value.is_array()) {
        Fail(place, "expected an array, found " + Found(value));
    }
    return value;
}

void JsonReader::CheckKeys(const Json& object, const std::string& place, Keys allowed, Keys of_other_kinds,
                           std::string_view kind) const {
    for (const auto& [key, value] : object.items()) {
        if (Contains(allowed, key)) {
            continue;
        }
        if (Contains(of_other_kinds, key)) {
            Fail(Child(place, key), "'" + key + "' does not apply to " + std::string(kind) + " layers");
        }
        Fail(Child(place, key), "unknown key (expected " + Alternatives(allowed) + ")");
    }
}

std::string JsonReader::Text(const Json& value, const std::string& place, bool allow_empty) const {
    if (!value.is_string()) {
        Fail(place, "expected a text, found " + Found(value));
    }
    const auto& text = value.get_ref<const std::string&>();
    if (text.empty() && !allow_empty) {
        Fail(place, "must not be empty");
    }
    return text;
}

bool JsonReader::Bool(const Json& value, const std::string& place) const {
    if (!value.is_boolean()) {
        Fail(place, "expected true or false, found " + Found(value));
    }
    return value.get<bool>();
}

int64_t JsonReader::Whole(const Json& value, const std::string& place, int64_t lowest, int64_t highest) const {
    const std::string range = "a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest);
    if (!value.is_number_integer()) {
        Fail(place, "expected " + range + ", found " + Found(value));
    }
    const bool too_big = value.is_number_unsigned() &&
                         value.get<uint64_t>() > static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    if (too_big || value.get<int64_t>() < lowest || value.get<int64_t>() > highest) {
        Fail(place, "expected " + range + ", found " + Found(value));
    }
    return value.get<int64_t>();
}

double JsonReader::Number(const Json& value, const std::string& place) const {
    if (!value.is_number() || !std::isfinite(value.get<double>())) {
        Fail(place, "expected a number, found " + Found(value));
    }
    return value.get<double>();
}

} // namespace chronova::project
