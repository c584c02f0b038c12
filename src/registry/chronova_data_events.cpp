// How the registry follows the host document: closing it empties the registry and the slider, a new focus
// map or page layout starts afresh, and deleting registered layers removes their records while the slider
// keeps its time range, start, finish, interval and current time.

#include <memory>

#include "gis/layers/layer.h"
#include "gis/map/active_view.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/map.h"
#include "gis/map/page_layout.h"
#include "host/error_handling.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "slider/frm_slider.h"

namespace chronova {

namespace {

constexpr std::string_view kModule = "ChronovaData";
using ErrorHandling::Trap;
using ErrorHandling::TrapKind;

} // namespace

std::shared_ptr<gis::Map> ChronovaData::FocusMap() {
    return g_pApp ? g_pApp->Document()->FocusMap() : nullptr;
}

void ChronovaData::SubscribeDocument() {
    gis::DocumentEvents& events = g_pApp->Document()->Events();
    doc_close_ = events.CloseDocument.Connect([this] { OnCloseDocument(); });
    doc_maps_changed_ = events.MapsChanged.Connect([this] { OnMapsChanged(); });
    doc_open_ = events.OpenDocument.Connect([this] { OnOpenDocument(); });
}

void ChronovaData::SubscribeMap(const std::shared_ptr<gis::Map>& map) {
    map_item_deleted_.Disconnect();
    pMapEvent = map;
    if (map) {
        map_item_deleted_ = map->Events().ItemDeleted.Connect(
            [this](const std::shared_ptr<gis::ILayer>& item) { OnItemDeleted(item); });
    }
}

void ChronovaData::SubscribeLayout(const std::shared_ptr<gis::PageLayout>& layout) {
    layout_focus_map_changed_.Disconnect();
    pLayoutEvent = layout;
    if (layout) {
        layout_focus_map_changed_ = layout->Events().FocusMapChanged.Connect([this] { OnFocusMapChanged(); });
    }
}

void ChronovaData::OnCloseDocument() {
    Trap("m_pDocEvents_CloseDocument", kModule, TrapKind::TopLevel, [&] {
        DocumentClosing = true;
        StateSaved = true;
        const bool was_locked = m_frmSlider && m_frmSlider->Locked();
        if (m_frmSlider && !was_locked) {
            m_frmSlider->Locked(true);
        }
        // Put the flags back even when the clear fails, so that a failed close cannot leave the slider locked
        // or the registry ignoring every later change.
        struct Restore {
            ChronovaData& self;
            bool locked;
            ~Restore() {
                self.StateSaved = false;
                if (self.m_frmSlider) {
                    self.m_frmSlider->Locked(locked);
                }
                self.DocumentClosing = false;
            }
        } restore{*this, was_locked};
        Clear();
    });
}

void ChronovaData::OnMapsChanged() {
    Trap("m_pDocEvents_MapsChanged", kModule, TrapKind::TopLevel, [&] {
        if (!g_pApp) {
            return;
        }
        const auto focus_map = FocusMap();
        if (focus_map != pMapEvent.lock()) {
            Clear();
            SubscribeMap(focus_map);
        }
        DocumentClosing = false;
    });
}

void ChronovaData::OnOpenDocument() {
    Trap("m_pDocEvents_OpenDocument", kModule, TrapKind::TopLevel, [&] {
        if (!g_pApp) {
            return;
        }
        const auto focus_map = FocusMap();
        if (focus_map != pMapEvent.lock()) {
            SubscribeMap(focus_map);
        }
        DocumentClosing = false;
    });
}

void ChronovaData::OnFocusMapChanged() {
    Trap("m_pLayoutEvents_FocusMapChanged", kModule, TrapKind::TopLevel, [&] {
        if (!g_pApp) {
            return;
        }
        const auto& layout = g_pApp->Document()->PageLayout();
        const auto focus_map = FocusMap();
        if (layout != pLayoutEvent.lock()) {
            Clear();
            SubscribeLayout(layout);
        }
        // The page layout stays the same while the user switches maps, so the focus map is compared too: the
        // records belong to the map that was in focus, and the slider must not go on driving its layers.
        if (focus_map != pMapEvent.lock()) {
            Clear();
            SubscribeMap(focus_map);
        }
        DocumentClosing = false;
    });
}

void ChronovaData::OnItemDeleted(const std::shared_ptr<gis::ILayer>& Item) {
    if (DocumentClosing) {
        return;
    }
    Trap("m_pMapEvents_ItemDeleted", kModule, TrapKind::TopLevel, [&] { HandleItemDeleted(Item); });
    try {
        RestoreSliderAfterDelete();
    } catch (...) {
        // A failure while writing the state back must not leave the slider locked; nothing else is undone.
        if (m_frmSlider && m_frmSlider->Locked()) {
            m_frmSlider->Locked(false);
        }
    }
}

void ChronovaData::HandleItemDeleted(const std::shared_ptr<gis::ILayer>& Item) {
    if (!Item || !g_Layers) {
        return;
    }
    const bool registered = FindLayer(Item);
    if (!registered) {
        if (auto group = std::dynamic_pointer_cast<gis::ICompositeLayer>(Item)) {
            ++DeleteDepth;
            for (int32_t i = 0; i < group->Count(); ++i) {
                OnItemDeleted(group->Layer(i));
            }
            --DeleteDepth;
            LayersRemoved = true;
        }
        return;
    }
    if (!StateSaved) {
        StateSaved = true;
        SavedCurrentTime = CurrentTime();
        SavedStartTime = StartTime();
        SavedFinishTime = FinishTime();
        SavedInterval = Interval();
        SavedTimeRange = TimeRange();
    }
    if (SavedTimeRange == Item) {
        SavedTimeRange.reset();
    }
    RemoveLayer(Item);
    LayersRemoved = true;
}

void ChronovaData::RestoreSliderAfterDelete() {
    if (!LayersRemoved || DeleteDepth != 0) {
        return;
    }
    LayersRemoved = false;
    if (StateSaved) {
        StateSaved = false;
        m_frmSlider->Locked(true);
        TimeRange(SavedTimeRange);
        SavedTimeRange.reset();
        StartTime(SavedStartTime);
        FinishTime(SavedFinishTime);
        Interval(SavedInterval);
        CurrentTime(SavedCurrentTime);
        m_frmSlider->Locked(false);
    }
    Update();
}

} // namespace chronova
