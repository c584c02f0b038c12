#include "gis/map/document.h"

#include <algorithm>

#include "platform/automation_error.h"

namespace chronova::gis {

Document::Document()
    : page_layout_(std::make_shared<gis::PageLayout>()), command_bars_(std::make_shared<gis::CommandBars>()) {
    maps_.push_back(std::make_shared<Map>("Layers"));
    focus_map_ = maps_.front();
}

// Held by value, so the map outlives the events below whatever the caller's pointer does.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void Document::AddMap(std::shared_ptr<Map> map) {
    if (!map) {
        platform::RaiseError(platform::error::kObjectNotSet, "No map was given to the document.");
    }
    if (std::find(maps_.begin(), maps_.end(), map) != maps_.end()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The map '" + map->Name() + "' is already in the document.");
    }
    maps_.push_back(map);
    const std::weak_ptr<int> alive = life_;
    if (!focus_map_) {
        ChangeFocusMap(map);
        if (alive.expired()) {
            return;
        }
    }
    events_.MapsChanged.Fire();
}

void Document::DeleteMap(const std::shared_ptr<Map>& map) {
    const auto found = std::find(maps_.begin(), maps_.end(), map);
    if (!map || found == maps_.end()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "The map is not in the document.");
    }
    // The caller's pointer may be the element erased below; hold the map here.
    const std::shared_ptr<Map> deleted = map; // NOLINT(performance-unnecessary-copy-initialization)
    maps_.erase(found);
    const std::weak_ptr<int> alive = life_;
    if (deleted == focus_map_) {
        ChangeFocusMap(maps_.empty() ? nullptr : maps_.front());
        if (alive.expired()) {
            return;
        }
    }
    events_.MapsChanged.Fire();
}

void Document::FocusMap(const std::shared_ptr<Map>& map) {
    if (!map) {
        platform::RaiseError(platform::error::kObjectNotSet, "No map was given as the focus map.");
    }
    if (std::find(maps_.begin(), maps_.end(), map) == maps_.end()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The map '" + map->Name() + "' is not in the document.");
    }
    if (map != focus_map_) {
        ChangeFocusMap(map);
    }
}

void Document::ChangeFocusMap(std::shared_ptr<Map> map) {
    focus_map_ = std::move(map);
    // Handlers may replace the document's views; hold both for the duration of the notification.
    const std::shared_ptr<gis::PageLayout> layout = page_layout_;
    const std::shared_ptr<Map> focus = focus_map_;
    const bool data_view = !layout_active_;
    const std::weak_ptr<int> alive = life_;
    layout->FireFocusMapChanged();
    // A handler may have moved the focus on again; the map then hears of it from that change.
    if (!alive.expired() && data_view && focus && focus == focus_map_) {
        focus->FireFocusMapChanged();
    }
}

std::shared_ptr<IActiveView> Document::ActiveView() const {
    if (layout_active_ || !focus_map_) {
        return page_layout_;
    }
    return focus_map_;
}

void Document::ActivateLayoutView(bool layout) {
    layout_active_ = layout;
}

void Document::UpdateContents() {
    ++contents_updates_;
    if (const std::shared_ptr<Map> focus = focus_map_) {
        focus->FireContentsChanged();
    }
}

void Document::ReplaceContents(std::vector<std::shared_ptr<Map>> maps, std::string file_path) {
    maps_.clear();
    for (auto& map : maps) {
        if (map && std::find(maps_.begin(), maps_.end(), map) == maps_.end()) {
            maps_.push_back(std::move(map));
        }
    }
    file_path_ = std::move(file_path);
    layout_active_ = false;
    const std::weak_ptr<int> alive = life_;
    ChangeFocusMap(maps_.empty() ? nullptr : maps_.front());
    if (!alive.expired()) {
        events_.MapsChanged.Fire();
    }
}

void Document::Clear() {
    maps_.clear();
    focus_map_.reset();
    file_path_.clear();
    layout_active_ = false;
}

} // namespace chronova::gis
