#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/variant.h"

namespace chronova::gis {

/// A unique identifier object: a class, interface, toolbar or category identifier. Its value is always a
/// braced upper-case GUID text; a ProgID given as the value is resolved to the class identifier it names.
class UID : public virtual platform::IUnknown {
public:
    UID() = default;
    /// Sets the value as Value(text) does.
    explicit UID(std::string_view text);

    /// The braced GUID text, "" while no value was set.
    const std::string& Value() const noexcept { return value_; }
    /// Accepts a braced GUID text in any letter case, or a registered ProgID (text without braces).
    /// Raises 5 for a malformed GUID text, an unregistered ProgID or an empty text; the value is then unchanged.
    void Value(std::string_view text);
    bool IsEmpty() const noexcept { return value_.empty(); }

    friend bool operator==(const UID& a, const UID& b) { return a.value_ == b.value_; }

private:
    std::string value_;
};

/// The canonical form of a braced GUID text ("{8-4-4-4-12}" hex digits, upper case), or nothing when the text
/// does not have that shape.
std::optional<std::string> NormalizeGuid(std::string_view text);

/// Makes a ProgID resolvable by UID::Value, as installing a component does; a later registration of the same
/// ProgID (letter case ignored) replaces the earlier one. Raises 5 for an empty ProgID or a malformed GUID.
void RegisterProgId(std::string_view prog_id, std::string_view guid);

/// Forgets a ProgID again (an uninstalled component); unknown ProgIDs are ignored.
void UnregisterProgId(std::string_view prog_id);

/// The class identifier registered for a ProgID (letter case ignored), or nothing.
std::optional<std::string> ClsidFromProgId(std::string_view prog_id);

} // namespace chronova::gis
