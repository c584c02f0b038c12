#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "gis/data/geometry_column.h"
#include "gis/layers/layer.h"
#include "gis/map/screen_display.h"
#include "platform/event.h"
#include "platform/variant.h"

namespace chronova::gis {

class IActiveView;

/// Drawing phases of a view, as bits; a refresh names the phases it invalidates.
namespace view_phase {
inline constexpr int32_t kBackground = 1;
inline constexpr int32_t kGeography = 2;
inline constexpr int32_t kGeoSelection = 4;
inline constexpr int32_t kGraphics = 8;
inline constexpr int32_t kGraphicSelection = 16;
inline constexpr int32_t kForeground = 32;
inline constexpr int32_t kAll = 63;
} // namespace view_phase

/// The notifications of a view that the system follows: changes of its layers, refresh requests and the
/// document's change of focus map.
struct ActiveViewEvents {
    platform::Event<const std::shared_ptr<ILayer>&> ItemAdded;
    platform::Event<const std::shared_ptr<ILayer>&> ItemDeleted;
    /// The layer and its new 0-based position.
    platform::Event<const std::shared_ptr<ILayer>&, int32_t> ItemReordered;
    /// The view, the phases, the layer asked for (or none) and the area (none for the whole view).
    platform::Event<IActiveView&, int32_t, const std::shared_ptr<ILayer>&, const std::optional<Envelope>&>
        ViewRefreshed;
    platform::Event<> ContentsChanged;
    platform::Event<> FocusMapChanged;
};

/// What a view must redraw, collected from refresh requests until the drawing code takes it.
struct RedrawRequest {
    /// Everything: a full refresh.
    bool Full = false;
    /// The phases asked for (view_phase bits).
    int32_t Phases = 0;
    /// The geography of every layer (a plain partial refresh, or a cache-aware one without a layer).
    bool AllLayers = false;
    /// Layers whose own cached image must be redrawn (cache-aware refreshes); others keep their images.
    std::vector<std::shared_ptr<ILayer>> Layers;
    /// The area to redraw; none for the whole view.
    std::optional<Envelope> Area;

    bool Empty() const noexcept { return !Full && Phases == 0; }
};

/// A view that draws and can be asked to redraw: a map (the data view) or the page layout.
class IActiveView : public virtual platform::IUnknown {
public:
    virtual ActiveViewEvents& Events() = 0;
    virtual const std::shared_ptr<gis::ScreenDisplay>& ScreenDisplay() const = 0;

    /// The area shown.
    virtual Envelope Extent() const = 0;
    virtual void Extent(const Envelope& extent) = 0;
    /// The area of everything the view holds.
    virtual Envelope FullExtent() const = 0;

    /// Redraws everything.
    virtual void Refresh() = 0;
    /// Redraws phases for the whole view or an area; data names the layer that changed, if any. Every layer
    /// of the phase is drawn again.
    virtual void PartialRefresh(int32_t phase, const std::shared_ptr<ILayer>& data,
                                const std::optional<Envelope>& area) = 0;
    /// As PartialRefresh, but only the named layer's cached image is drawn again; other layers that draw
    /// into display caches keep their images.
    virtual void PartialRefreshCached(int32_t phase, const std::shared_ptr<ILayer>& data,
                                      const std::optional<Envelope>& area) = 0;
};

/// The refresh bookkeeping and events every view shares. Requests collect in a RedrawRequest that the
/// drawing code takes; each fires ViewRefreshed. Two batch switches: while drawing is delayed, requests only
/// collect and switching it off fires one ViewRefreshed for all of them; while events are delayed, the view's
/// events are held back and fired in order when the switch goes off.
class ActiveViewBase : public virtual IActiveView {
public:
    ActiveViewBase();
    ActiveViewBase(const ActiveViewBase&) = delete;
    ActiveViewBase& operator=(const ActiveViewBase&) = delete;

    ActiveViewEvents& Events() override { return events_; }
    const std::shared_ptr<gis::ScreenDisplay>& ScreenDisplay() const override { return screen_display_; }

    Envelope Extent() const override;
    /// An empty envelope goes back to the full extent. Redraws everything.
    void Extent(const Envelope& extent) override;

    void Refresh() override;
    void PartialRefresh(int32_t phase, const std::shared_ptr<ILayer>& data,
                        const std::optional<Envelope>& area) override;
    void PartialRefreshCached(int32_t phase, const std::shared_ptr<ILayer>& data,
                              const std::optional<Envelope>& area) override;

    bool DelayDrawing() const noexcept { return delay_drawing_; }
    /// The batch switch around many layer changes.
    void DelayDrawing(bool delay);
    bool DelayEvents() const noexcept { return delay_events_; }
    void DelayEvents(bool delay);

    /// What must be redrawn since the last call; the view starts collecting anew.
    RedrawRequest TakeRedrawRequest();
    const RedrawRequest& PendingRedraw() const noexcept { return pending_; }

    /// Fires FocusMapChanged (the document calls it when its focus map changes).
    void FireFocusMapChanged();
    /// Fires ContentsChanged (the document calls it when it refreshes its table of contents).
    void FireContentsChanged();

protected:
    /// Fires an event now, or queues it while events are delayed.
    void Emit(std::function<void()> fire);
    /// Becomes expired when the view is destroyed, so code that fired an event can tell whether a handler
    /// destroyed the view.
    std::weak_ptr<void> LifeToken() const { return life_; }

private:
    void Request(bool full, int32_t phase, bool all_layers, const std::shared_ptr<ILayer>& layer,
                 const std::optional<Envelope>& area);

    ActiveViewEvents events_;
    std::shared_ptr<gis::ScreenDisplay> screen_display_;
    std::optional<Envelope> extent_;
    RedrawRequest pending_;
    bool delay_drawing_ = false;
    // Requests collected while drawing is delayed, announced by one ViewRefreshed when it stops.
    RedrawRequest delayed_;
    bool delay_events_ = false;
    std::vector<std::function<void()>> queued_events_;
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
};

} // namespace chronova::gis
