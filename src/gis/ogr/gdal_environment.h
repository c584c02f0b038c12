#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace chronova::gis {

/// Registers GDAL's drivers the first time any part of the map host needs them; later calls return at once. GDAL's
/// messages outside a GdalErrorTrap go to the debug output rather than stderr.
void RegisterGdalDrivers();

/// While it lives, keeps GDAL's messages on the calling thread off stderr and counts the errors GDAL reports, so that
/// a read can tell whether anything failed while it ran (GDAL often goes on after a failed read, with fewer rows or
/// empty shapes) and say why in GDAL's own words. Warnings, which lose no data, go to the debug output.
class GdalErrorTrap {
public:
    GdalErrorTrap();
    ~GdalErrorTrap();
    GdalErrorTrap(const GdalErrorTrap&) = delete;
    GdalErrorTrap& operator=(const GdalErrorTrap&) = delete;

    /// Whether GDAL reported an error since the trap was set (or since Forget).
    bool Failed() const noexcept { return failures_ > 0; }
    /// How many errors GDAL reported since the trap was set (or since Forget).
    size_t Failures() const noexcept { return failures_; }
    /// The first of those errors' messages, the cause of any that follow; "" when there was none.
    const std::string& Message() const noexcept { return message_; }
    /// Forgets the errors so far, after a failure the caller recovered from in another way.
    void Forget() noexcept;
    /// Raises an AutomationError with the number and the context, followed by GDAL's message when there is one.
    [[noreturn]] void Raise(int32_t number, std::string_view context) const;

private:
    friend struct GdalErrorTrapAccess;
    size_t failures_ = 0;
    std::string message_;
};

} // namespace chronova::gis
