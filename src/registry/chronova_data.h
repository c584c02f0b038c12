#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/event.h"
#include "platform/ole_date.h"
#include "platform/variant.h"
#include "slider/axis_state.h"
#include "slider/display_options.h"

namespace chronova {

namespace gis {
class ILayer;
class Map;
class PageLayout;
} // namespace gis

namespace platform::ui {
class EventLoop;
} // namespace platform::ui

class LayerData;
class frmSlider;

/// Class id of ChronovaData.
inline constexpr std::string_view kCLSID_ChronovaData = "{028AA930-3BF5-4AF8-BBDC-9841B535D08C}";
/// Interface id of ChronovaData's automation interface.
inline constexpr std::string_view kIID_ChronovaData = "{FE223ECD-CF61-41C0-A750-E7D5292C674F}";

/// The registry of the focus map's time layers and the system's automation object. It turns map layers into
/// time layer records, owns the slider form and forwards its time model, applies the current time to every
/// registered layer, and follows the host document so that closing it, changing the focus map or deleting
/// layers leaves the registry and the slider consistent. One instance serves the process (g_pChronovaData).
/// Public members pass their errors to the caller; event handlers show theirs.
class ChronovaData : public platform::IUnknown {
public:
    /// Starts an empty registry (a new g_Layers) with its slider form, whose timers run on the loop, and
    /// follows the host's document when g_pApp is set. The loop must outlive the object.
    explicit ChronovaData(platform::ui::EventLoop& loop);
    ChronovaData(const ChronovaData&) = delete;
    ChronovaData& operator=(const ChronovaData&) = delete;
    /// Stops following the document, empties and releases g_Layers and unloads the form.
    ~ChronovaData() override;

    /// Removes every registered layer and rebuilds (or, while the document closes, empties) the slider.
    void Clear();
    /// Lifts the time filter from one record of the layer and removes the record.
    void RemoveLayer(const std::shared_ptr<gis::ILayer>& pLayer);

    // Registration: each returns false when its checks or the time step discovery fail. None checks whether
    // the layer is registered already.
    bool AddCustomTimeLayer(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sTimeField);
    /// Always true: a WMS layer whose steps cannot be found is simply not registered.
    platform::Variant AddWMSLayer(const std::shared_ptr<gis::ILayer>& pLayer);
    bool AddShapefileLayer(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sTimeField);
    /// RStartTime is a minute count, RInterval seconds, RIntervalUnits "d", "h" or "n" (anything else is
    /// "n"). Also writes the raster's settings side file.
    bool AddRasterLayer(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sTimeField, int32_t RStartTime,
                        int32_t RInterval, const std::string& RIntervalUnits);
    /// A raster whose bands step by the calendar: band k is RStartTime + k × RCount months (RUnits "m") or years
    /// ("yyyy"), counted from the start and held on the last day of a shorter month. The settings side file stores
    /// the count and the code. Raises 5 for another unit or a count below 1.
    bool AddCalendarRasterLayer(const std::shared_ptr<gis::ILayer>& pLayer, int32_t RStartTime, int32_t RCount,
                                const std::string& RUnits);
    bool AddGeoDatabaseLayer(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sTimeField);
    /// A geodatabase layer whose time field sits in the table sTable, joined on sKeyField (layer) =
    /// sKeyField2 (table).
    bool AddGeoDatabaseJoinedLayer(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sKeyField,
                                   const std::string& sJoinName, const std::string& sTable,
                                   const std::string& sPrimaryKey, const std::string& sKeyField2,
                                   const std::string& sTimeField, const std::string& sOtherFields = "");

    // Vectors: speed and direction drawn as character markers, applied at the layer's next update.
    bool MakeVectorsWithChar(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sSpeedField,
                             const std::string& sDirectionField, const std::string& sFont, int16_t iChar,
                             double fMinSymSize, double fMaxSymSize, double MinRange = 0, double MaxRange = 0);
    /// Zero MinRange and MaxRange take the speed range from the data.
    bool MakeVectors(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sSpeedField,
                     const std::string& sDirectionField, double MinRange = 0, double MaxRange = 0);
    /// Makes a registered feature layer show every step up to the current one.
    platform::Variant ShowPreviousTimeSteps(const std::shared_ptr<gis::ILayer>& pLayer);
    /// The layer's own display-cache flag, copied into its record.
    bool IsCached(const std::shared_ptr<gis::ILayer>& pLayer);
    /// Sets the record's flag only; the layer is not changed.
    void IsCached(const std::shared_ptr<gis::ILayer>& pLayer, bool value);

    // The slider's time model. Writes are ignored while the document closes.
    platform::Date StartTime();
    void StartTime(platform::Date value);
    platform::Date FinishTime();
    void FinishTime(platform::Date value);
    /// Minutes per step, or with a calendar IntervalUnit months or years per step.
    int32_t Interval();
    void Interval(int32_t value);
    /// The unit of Interval as a date-add code: "n" minutes (the default), "m" months or "yyyy" years. Positions of
    /// a calendar unit are start + k intervals, clamped to the end of shorter months. Raises 5 for another code.
    std::string IntervalUnit();
    void IntervalUnit(const std::string& code);
    /// The time one slider interval after a minute count, calendar aware.
    int32_t TimeAfterInterval(int32_t minutes);
    /// The strftime-like format of the time labels (slider, frames, layer names); empty keeps the classic labels,
    /// or with a calendar unit labels that follow the step. Raises 5 for a "%" it does not know.
    std::string LabelFormat();
    void LabelFormat(const std::string& format);
    /// Whether a registered layer's integer time field holds years (2005 read as 1 January 2005). Setting it reads
    /// the layer's steps again; call Update afterwards. False when the layer is not registered or its time field is
    /// not an integer field.
    bool TimeInYears(const std::shared_ptr<gis::ILayer>& pLayer);
    bool TimeInYears(const std::shared_ptr<gis::ILayer>& pLayer, bool value);

    // How analysts' data carries time, beyond the classic interface. Setting a zone reads every layer's steps
    // again; call Update afterwards. Each raises 5 with a message for a text it cannot read.
    /// A feature layer's time window: "" for none (the single step), "interval" for the slider's interval, or a
    /// duration ("15min", "2h", "1mon"). The layer shows the features whose time lies in [t, t + window).
    std::string TimeWindow(const std::shared_ptr<gis::ILayer>& pLayer);
    void TimeWindow(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& window);
    /// Makes a feature layer show each entity (features with one value of sIdField; "" for no tracks) at its
    /// latest feature at or before the current time, no older than sMaxAge ("" any age), with a trail through
    /// its fixes of the last sTrail ("" none, "all" since its first fix), fading with age.
    void Track(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sIdField, const std::string& sMaxAge,
               const std::string& sTrail);
    /// The zone of a layer's times that carry no offset: an IANA name ("Europe/Berlin") or an offset ("+02:00").
    std::string LayerTimeZone(const std::shared_ptr<gis::ILayer>& pLayer);
    void LayerTimeZone(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& zone);
    /// The zone times are shown in; "" shows values as stored unless a layer names a zone (then UTC).
    std::string DisplayTimeZone();
    void DisplayTimeZone(const std::string& zone);

    platform::Date CurrentTime();
    void CurrentTime(platform::Date value);
    std::shared_ptr<gis::ILayer> TimeRange();
    void TimeRange(std::shared_ptr<gis::ILayer>& value);
    int16_t TimeRangeCount();
    /// The slider has a valid axis, at least one layer is registered and the document is not closing.
    bool Valid();

    // Queries and commands for programs, which need not reach into the slider's controls.
    /// The slider's axis in one snapshot; its valid flag is Valid().
    AxisState Axis();
    /// Moves the slider to a position and applies its time, also when the slider stands there already.
    void GoToPosition(int32_t position);
    /// One position forward (direction > 0) or back (< 0), wrapping at the ends as the step tools do.
    void Step(int32_t direction);
    /// The process-wide display settings in force.
    DisplayOptions Display();
    /// Puts display settings in force; they take effect at the next Update.
    void Display(const DisplayOptions& options);

    // Lookups over the registered records, first match wins. The optional out argument receives the record.
    bool FindByPath(const std::string& sPath, std::shared_ptr<LayerData>* pLayerData = nullptr);
    bool FindLayerByPath(const std::string& sPath);
    bool FindByLayer(const std::shared_ptr<gis::ILayer>& pLayer, std::shared_ptr<LayerData>* pLayerData = nullptr);
    bool FindLayer(const std::shared_ptr<gis::ILayer>& pLayer);
    /// The step the record of sPath shows at dteCurrentTime, as a date.
    bool GetCurrentTimeByPath(const std::string& sPath, platform::Date dteCurrentTime, platform::Date& dteTime);
    /// With fill-gaps off the time itself, with fill-gaps on the layer's step at or before it.
    bool GetCurrentTimeByLayer(LayerData* pLayerData, platform::Date dteCurrentTime, platform::Variant& dteTime);

    /// The slider window's caption; "" without a form.
    std::string Caption();
    /// The window handle of the slider's content; 0 without a form.
    int32_t hWnd();
    /// Rebuilds the slider from the registered layers (empties it while the document closes).
    void Update();
    /// Applies the current time to every registered layer, or lifts every time filter when bShow is false.
    void ApplyFilters(bool bShow = true);

    bool UseDateTime();
    void UseDateTime(bool value);
    bool TimeSpanActive();
    void TimeSpanActive(bool value);
    void SetTimeSpan(platform::Date dteStart, platform::Date dteFinish);
    void GetTimeSpan(platform::Date& dteStart, platform::Date& dteFinish);
    bool TimeSpanLabelEnabled();
    void TimeSpanLabelEnabled(bool value);
    int32_t TimeSpanColor();
    void TimeSpanColor(int32_t value);
    int32_t TimeSpanLabelColor();
    void TimeSpanLabelColor(int32_t value);

    /// The slider form, for the dockable window and for tests.
    frmSlider* Slider() const noexcept { return m_frmSlider.get(); }

private:
    /// AddRasterLayer's work; calendar_units lets "m" and "yyyy" through as counts of months and years.
    bool AddRasterLayerWithUnits(const std::shared_ptr<gis::ILayer>& pLayer, int32_t RStartTime, int32_t RInterval,
                                 const std::string& RIntervalUnits, bool calendar_units);
    // Host events.
    void OnCloseDocument();
    void OnMapsChanged();
    void OnOpenDocument();
    void OnFocusMapChanged();
    void OnItemDeleted(const std::shared_ptr<gis::ILayer>& Item);
    /// Removes the records of a deleted layer (recursing into groups); false when nothing was removed.
    void HandleItemDeleted(const std::shared_ptr<gis::ILayer>& Item);
    void RestoreSliderAfterDelete();

    void SubscribeDocument();
    void SubscribeMap(const std::shared_ptr<gis::Map>& map);
    void SubscribeLayout(const std::shared_ptr<gis::PageLayout>& layout);
    /// The focus map of the host's document, or null.
    static std::shared_ptr<gis::Map> FocusMap();
    /// Appends the record to g_Layers under its identity key.
    static void Register(const std::shared_ptr<LayerData>& record);
    /// Finds the record's time steps and registers it when there are any; false when there are none.
    static bool RegisterWithSteps(const std::shared_ptr<LayerData>& record);
    bool ExtensionEnabled() const;
    void RefreshGeography();
    std::shared_ptr<LayerData> OwnFeatureRecord(const std::shared_ptr<gis::ILayer>& pLayer, std::string_view what);
    void ReadTimesAgain();

    std::unique_ptr<frmSlider> m_frmSlider;

    platform::ScopedConnection doc_close_;
    platform::ScopedConnection doc_maps_changed_;
    platform::ScopedConnection doc_open_;
    platform::ScopedConnection map_item_deleted_;
    platform::ScopedConnection layout_focus_map_changed_;
    std::weak_ptr<gis::Map> pMapEvent;
    std::weak_ptr<gis::PageLayout> pLayoutEvent;

    std::shared_ptr<gis::ILayer> SavedTimeRange;
    platform::Date SavedCurrentTime;
    platform::Date SavedStartTime;
    platform::Date SavedFinishTime;
    int32_t SavedInterval = 0;
    int16_t DeleteDepth = 0;
    bool LayersRemoved = false;
    bool StateSaved = false;
    bool DocumentClosing = false;
};

} // namespace chronova
