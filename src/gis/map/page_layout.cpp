#include "gis/map/page_layout.h"

#include "platform/automation_error.h"

namespace chronova::gis {

void PageLayout::Page(const Envelope& page) {
    if (page.IsEmpty() || page.XMax <= page.XMin || page.YMax <= page.YMin) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "A page needs a width and a height.");
    }
    page_ = page;
    Refresh();
}

} // namespace chronova::gis
