#include "gis/map/active_view.h"

#include <algorithm>
#include <utility>

#include "platform/automation_error.h"

namespace chronova::gis {
namespace {

// Adds one request to a collection of requests.
void Merge(RedrawRequest& into, bool full, int32_t phase, bool all_layers, const std::shared_ptr<ILayer>& layer,
           const std::optional<Envelope>& area) {
    const bool first = into.Empty();
    into.Full = into.Full || full;
    into.Phases |= phase;
    into.AllLayers = into.AllLayers || all_layers;
    if (layer && !all_layers && (phase & view_phase::kGeography) != 0 &&
        std::find(into.Layers.begin(), into.Layers.end(), layer) == into.Layers.end()) {
        into.Layers.push_back(layer);
    }
    if (first) {
        into.Area = area;
    } else if (into.Area && area) {
        into.Area->Union(*area);
    } else {
        into.Area.reset();
    }
}

void CheckPhase(int32_t phase) {
    if (phase <= 0 || (phase & ~view_phase::kAll) != 0) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             std::to_string(phase) + " is not a drawing phase of a view.");
    }
}

} // namespace

ActiveViewBase::ActiveViewBase() : screen_display_(std::make_shared<gis::ScreenDisplay>()) {}

Envelope ActiveViewBase::Extent() const {
    return extent_ ? *extent_ : FullExtent();
}

void ActiveViewBase::Extent(const Envelope& extent) {
    if (extent.IsEmpty()) {
        extent_.reset();
    } else {
        extent_ = extent;
    }
    Refresh();
}

void ActiveViewBase::Refresh() {
    Request(true, view_phase::kAll, true, nullptr, std::nullopt);
}

void ActiveViewBase::PartialRefresh(int32_t phase, const std::shared_ptr<ILayer>& data,
                                    const std::optional<Envelope>& area) {
    CheckPhase(phase);
    Request(false, phase, (phase & view_phase::kGeography) != 0, data, area);
}

void ActiveViewBase::PartialRefreshCached(int32_t phase, const std::shared_ptr<ILayer>& data,
                                          const std::optional<Envelope>& area) {
    CheckPhase(phase);
    Request(false, phase, data == nullptr && (phase & view_phase::kGeography) != 0, data, area);
}

void ActiveViewBase::Request(bool full, int32_t phase, bool all_layers, const std::shared_ptr<ILayer>& layer,
                             const std::optional<Envelope>& area) {
    Merge(pending_, full, phase, all_layers, layer, area);
    if (delay_drawing_) {
        Merge(delayed_, full, phase, all_layers, layer, area);
        return;
    }
    Emit([this, phase, layer, area] { events_.ViewRefreshed.Fire(*this, phase, layer, area); });
}

void ActiveViewBase::DelayDrawing(bool delay) {
    if (delay || !delay_drawing_) {
        delay_drawing_ = delay;
        return;
    }
    delay_drawing_ = false;
    const RedrawRequest collected = std::exchange(delayed_, RedrawRequest{});
    if (collected.Empty()) {
        return;
    }
    const int32_t phases = collected.Full ? view_phase::kAll : collected.Phases;
    Emit([this, phases, area = collected.Area] { events_.ViewRefreshed.Fire(*this, phases, nullptr, area); });
}

void ActiveViewBase::DelayEvents(bool delay) {
    if (delay || !delay_events_) {
        delay_events_ = delay;
        return;
    }
    delay_events_ = false;
    std::vector<std::function<void()>> queued = std::exchange(queued_events_, {});
    const std::weak_ptr<void> alive = LifeToken();
    for (size_t i = 0; i < queued.size(); ++i) {
        if (alive.expired()) {
            return;
        }
        if (delay_events_) {
            // A handler switched the delay on again: the rest waits, ahead of anything queued since.
            queued_events_.insert(queued_events_.begin(),
                                  std::make_move_iterator(queued.begin() + static_cast<std::ptrdiff_t>(i)),
                                  std::make_move_iterator(queued.end()));
            return;
        }
        queued[i]();
    }
}

RedrawRequest ActiveViewBase::TakeRedrawRequest() {
    return std::exchange(pending_, RedrawRequest{});
}

void ActiveViewBase::FireFocusMapChanged() {
    Emit([this] { events_.FocusMapChanged.Fire(); });
}

void ActiveViewBase::FireContentsChanged() {
    Emit([this] { events_.ContentsChanged.Fire(); });
}

void ActiveViewBase::Emit(std::function<void()> fire) {
    if (delay_events_) {
        queued_events_.push_back(std::move(fire));
        return;
    }
    fire();
}

} // namespace chronova::gis
