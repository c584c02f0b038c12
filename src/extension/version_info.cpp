#include "extension/version_info.h"

namespace chronova {

const VersionInfo& ComponentVersion() {
    static const VersionInfo version{
        "Chronova",
        CHRONOVA_VERSION_MAJOR,
        CHRONOVA_VERSION_MINOR,
        CHRONOVA_VERSION_PATCH,
        "Copyright (C)",
        "the Chronova developers",
        "Chronova and its clock-and-slider mark are names of the Chronova project.",
        "Steps and animates a map through time: time layers, a time slider and playback.",
    };
    return version;
}

std::string DescriptionText(const VersionInfo& version) {
    return version.ProductName + " " + std::to_string(version.Major) + "." + std::to_string(version.Minor) + ".0." +
           std::to_string(version.Revision) + "\r\n" + version.LegalCopyright + " " + version.CompanyName + "\r\n" +
           version.LegalTrademarks + "\r\n\r\n" + version.Comments;
}

} // namespace chronova
