#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace chronova::project {

// Strict reading of JSON documents whose every problem is reported as a ProjectError at its place. Used by the
// project file reader only; the JSON library stays out of the public headers.

using Json = nlohmann::json;
using Keys = std::initializer_list<std::string_view>;

/// Parses JSON text: a syntax error is reported at "line L, column C", a key repeated in one object (which the
/// library would silently resolve to the last value) at its JSON pointer. Comments are not JSON and are errors.
Json ParseJson(std::string_view text, const std::string& file);

/// The JSON pointer of a member or an element of the value at place.
std::string Child(const std::string& place, std::string_view key);
std::string Child(const std::string& place, size_t index);
/// A value of the file quoted in a message, shortened so that a huge value does not flood it.
std::string Quote(std::string_view text);
/// How a message names a value that was not what was expected: "an array", "the text 'x'", "5", ...
std::string Found(const Json& value);

/// Checked access to the values of a parsed document; each check throws a ProjectError naming the file, the
/// place and what is wrong.
class JsonReader {
public:
    explicit JsonReader(std::string file) : file_(std::move(file)) {}

    [[noreturn]] void Fail(const std::string& place, const std::string& message) const;

    static const Json* Optional(const Json& object, std::string_view key);
    const Json& Required(const Json& object, const std::string& place, std::string_view key) const;
    const Json& Object(const Json& value, const std::string& place) const;
    const Json& Array(const Json& value, const std::string& place) const;
    /// Reports the first key that is not allowed: one that other kinds of entry take "does not apply to KIND
    /// layers", any other is unknown (most often misspelt) and the message lists the allowed keys.
    void CheckKeys(const Json& object, const std::string& place, Keys allowed, Keys of_other_kinds = {},
                   std::string_view kind = {}) const;

    std::string Text(const Json& value, const std::string& place, bool allow_empty = false) const;
    bool Bool(const Json& value, const std::string& place) const;
    /// A whole number in lowest..highest; a number with a fraction is an error.
    int64_t Whole(const Json& value, const std::string& place, int64_t lowest, int64_t highest) const;
    /// A finite number.
    double Number(const Json& value, const std::string& place) const;

private:
    std::string file_;
};

} // namespace chronova::project
