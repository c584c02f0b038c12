#pragma once

#include "gis/map/active_view.h"

namespace chronova::gis {

/// The printed page that shows the document's maps in frames: a view of its own, whose events tell that the
/// document's focus map changed.
class PageLayout : public ActiveViewBase {
public:
    /// A letter page, in inches.
    PageLayout() = default;

    /// The page itself.
    Envelope FullExtent() const override { return page_; }
    const Envelope& Page() const noexcept { return page_; }
    /// Raises 5 for an empty page.
    void Page(const Envelope& page);

private:
    Envelope page_{0.0, 0.0, 8.5, 11.0};
};

} // namespace chronova::gis
