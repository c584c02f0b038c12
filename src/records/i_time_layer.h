#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/variant.h"

namespace chronova {

/// Interface id of ITimeLayer, by which a map layer of another component says it takes part in time
/// animation on its own terms.
inline constexpr std::string_view kIID_ITimeLayer = "{FFE3C5DB-9C21-4573-83F0-47E7398A2B10}";
/// Class id of TimeLayer, the published class whose members do nothing.
inline constexpr std::string_view kCLSID_TimeLayer = "{834B1CED-5D2E-4A08-A7EB-085110EB155D}";

/// A custom time layer: a layer object that has no time field the system could read itself. The system
/// reads its steps and fields through this interface and tells it which step to show; the layer keeps its
/// own current step and redraws itself. Positions (TimeStep, Fields) count from 1.
class ITimeLayer : public virtual platform::IUnknown {
public:
    /// The layer's data source path; it identifies the layer to automation clients.
    virtual std::string Path() = 0;
    virtual int32_t TimeStepCount() = 0;
    /// Step lIndex (1..TimeStepCount()): a date, a Long minute count, a Double date serial or a date text.
    virtual platform::Variant TimeStep(int32_t lIndex) = 0;
    virtual platform::Variant CurrentTimeStep() = 0;
    /// Tells the layer which step to show next time it draws.
    virtual void CurrentTimeStep(const platform::Variant& value) = 0;
    virtual int32_t FieldsCount() = 0;
    /// Name and type code (2 integer, 3 long, 4 single, 5 double, 7 date, 8 string) of field lIndex.
    virtual void Fields(int32_t lIndex, std::string& sName, int16_t& iType) = 0;
    /// Whether the layer shows every step up to the current one.
    virtual bool ShowPrevious() = 0;
    virtual void ShowPrevious(bool value) = 0;
    /// Whether the layer's speed and direction fields must be taken from VectorFields.
    virtual bool ForceVectors() = 0;
    virtual void VectorFields(std::string& sSpeed, std::string& sDirection) = 0;
};

/// The published class of the interface: every member does nothing, so a component can derive from it and
/// override only what it needs.
class TimeLayer : public ITimeLayer {
public:
    std::string Path() override { return {}; }
    int32_t TimeStepCount() override { return 0; }
    platform::Variant TimeStep(int32_t) override { return {}; }
    platform::Variant CurrentTimeStep() override { return {}; }
    void CurrentTimeStep(const platform::Variant&) override {}
    int32_t FieldsCount() override { return 0; }
    void Fields(int32_t, std::string&, int16_t&) override {}
    bool ShowPrevious() override { return false; }
    void ShowPrevious(bool) override {}
    bool ForceVectors() override { return false; }
    void VectorFields(std::string&, std::string&) override {}
};

/// Makes kIID_ITimeLayer known to the host's interface lookup, so that layers can be classified by it;
/// repeated calls do nothing more.
void RegisterTimeLayerInterface();

} // namespace chronova
