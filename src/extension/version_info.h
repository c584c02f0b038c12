#pragma once

#include <cstdint>
#include <string>

namespace chronova {

/// The version information the component carries, field by field.
struct VersionInfo {
    std::string ProductName;
    int32_t Major = 0;
    int32_t Minor = 0;
    int32_t Revision = 0;
    std::string LegalCopyright;
    std::string CompanyName;
    std::string LegalTrademarks;
    std::string Comments;
};

/// This build's version information; the numbers are the project's version (its patch number is the revision).
const VersionInfo& ComponentVersion();

/// The text the extensions dialog shows about the component: product and version, copyright and company,
/// trademarks, a blank line, then the comments, lines ending in CR LF.
std::string DescriptionText(const VersionInfo& version);

} // namespace chronova
