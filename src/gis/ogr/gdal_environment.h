#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace chronova::gis {

/// Registers GDAL's drivers the first time any part of the map host needs them; later calls return at once.
void RegisterGdalDrivers();

/// While it lives, keeps GDAL's messages on the calling thread off stderr and remembers the last error GDAL
/// reported, so that a failure can be raised in GDAL's own words.
class GdalErrorTrap {
public:
    GdalErrorTrap();
    ~GdalErrorTrap();
    GdalErrorTrap(const GdalErrorTrap&) = delete;
    GdalErrorTrap& operator=(const GdalErrorTrap&) = delete;

    /// The last error message (warnings are dropped) since the trap was set; "" when there was none.
    const std::string& LastMessage() const noexcept { return message_; }
    /// Raises an AutomationError with the number and the context, followed by GDAL's message when there is one.
    [[noreturn]] void Raise(int32_t number, std::string_view context) const;

private:
    friend struct GdalErrorTrapAccess;
    std::string message_;
};

} // namespace chronova::gis
