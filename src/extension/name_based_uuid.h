#pragma once

#include <string>
#include <string_view>

namespace chronova {

/// The name-based identifier of RFC 4122, version 5: the SHA-1 of the namespace's 16 bytes followed by the name,
/// cut to a UUID. The same namespace and name always give the same identifier, on every machine. Both the
/// namespace and the result are braced GUID texts (the result upper case). Raises 5 for a namespace that is not
/// a GUID text.
std::string NameBasedUuid(std::string_view namespace_guid, std::string_view name);

/// The RFC's namespace for names that are URLs (and other URIs).
inline constexpr std::string_view kUrlNamespace = "{6BA7B811-9DAD-11D1-80B4-00C04FD430C8}";

} // namespace chronova
