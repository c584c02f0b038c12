#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gis/map/command_bars.h"
#include "gis/map/map.h"
#include "gis/map/page_layout.h"
#include "platform/event.h"
#include "platform/variant.h"

namespace chronova::gis {

/// The notifications of a document. The application fires the first three when it replaces the document's
/// contents; MapsChanged follows every change of the list of maps.
struct DocumentEvents {
    platform::Event<> NewDocument;
    platform::Event<> OpenDocument;
    /// Fired while the closing document still has its maps.
    platform::Event<> CloseDocument;
    platform::Event<> MapsChanged;
};

/// The open map document: its maps with the focus map, the page layout, which view is active, the table of
/// contents and the toolbars.
class Document : public virtual platform::IUnknown {
public:
    /// A document with one empty map named "Layers" as its focus map.
    Document();

    const std::vector<std::shared_ptr<Map>>& Maps() const noexcept { return maps_; }
    /// Appends a map and fires MapsChanged; the first map of a document becomes its focus map. Raises 91 for
    /// no map and 5 for a map already in the document.
    void AddMap(std::shared_ptr<Map> map);
    /// Removes a map and fires MapsChanged; when it was the focus map, the first remaining map (or none)
    /// becomes the focus map first. Raises 5 for a map that is not in the document.
    void DeleteMap(const std::shared_ptr<Map>& map);

    /// The map the data view shows and the system works on; null only in a document without maps.
    const std::shared_ptr<Map>& FocusMap() const noexcept { return focus_map_; }
    /// Makes a map of the document the focus map and fires FocusMapChanged on the page layout (and on the new
    /// focus map when the data view is active). Raises 91 for no map and 5 for a map of another document.
    void FocusMap(const std::shared_ptr<Map>& map);

    const std::shared_ptr<gis::PageLayout>& PageLayout() const noexcept { return page_layout_; }
    /// The focus map while the data view is active, else (also in a document without maps) the page layout.
    std::shared_ptr<IActiveView> ActiveView() const;
    /// Switches between the layout view (true) and the data view (false).
    void ActivateLayoutView(bool layout);
    bool LayoutViewActive() const noexcept { return layout_active_; }

    /// Refreshes the table of contents: counted, and ContentsChanged fires on the focus map.
    void UpdateContents();
    int32_t ContentsUpdateCount() const noexcept { return contents_updates_; }

    gis::CommandBars& CommandBars() noexcept { return *command_bars_; }
    DocumentEvents& Events() noexcept { return events_; }

    /// The file the document was opened from; "" for a new document.
    const std::string& FilePath() const noexcept { return file_path_; }

    /// Gives the document new contents, as creating or opening a document does: the first map becomes the
    /// focus map (FocusMapChanged fires) and MapsChanged fires. The application fires the document events
    /// around it. Null and repeated maps are skipped.
    void ReplaceContents(std::vector<std::shared_ptr<Map>> maps, std::string file_path);
    /// Forgets the maps and the file without any event, once the application has announced the closing.
    void Clear();

private:
    void ChangeFocusMap(std::shared_ptr<Map> map);

    std::vector<std::shared_ptr<Map>> maps_;
    std::shared_ptr<Map> focus_map_;
    std::shared_ptr<gis::PageLayout> page_layout_;
    bool layout_active_ = false;
    int32_t contents_updates_ = 0;
    std::shared_ptr<gis::CommandBars> command_bars_;
    DocumentEvents events_;
    std::string file_path_;
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
};

} // namespace chronova::gis
