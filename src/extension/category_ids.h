#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "gis/uid.h"

namespace chronova {

/// The host's component categories by name, and checks of identifiers against the classes hive of the settings
/// store. Each category gives a new UID of its identifier.
///
/// Six categories carry the identifiers the host publishes (the ones below with accessors of their own). The
/// published values of the others are not known here, so each of them takes a stable identifier derived from
/// its name: the name-based UUID (RFC 4122 version 5, URL namespace) of "urn:chronova:component-category:"
/// followed by the name. The same name gives the same identifier on every machine and in every release.
class CategoryIDs {
public:
    /// Every category name, in the order the table declares them.
    static std::span<const std::string_view> Names();

    /// The category of this name (letter case as in Names()). Raises 438 for a name that is no category.
    gis::UID Category(std::string_view name) const;

    gis::UID MxCommands() const;
    gis::UID MxDockableWindows() const;
    gis::UID MxExtension() const;
    gis::UID MxCommandBars() const;
    gis::UID GxCommands() const;
    gis::UID ThreeDExtensions() const;

    /// Whether the classes hive holds the category. A braced text is looked up as it is; any other text is
    /// taken as a ProgID and resolved first (false when it is not registered).
    bool VerifyCategoryID(std::string_view ProgID_or_IID) const;
    /// Whether the classes hive holds the class, the text read as VerifyCategoryID reads it.
    bool VerifyCLSID(std::string_view ProgID_or_IID) const;
    /// A UID of a braced GUID text or a registered ProgID; nothing when the UID does not accept the text.
    std::optional<gis::UID> MakeUID(std::string_view ProgID_or_IID) const;

private:
    bool KeyExistsFor(std::string_view parent_key, std::string_view ProgID_or_IID) const;
};

} // namespace chronova
