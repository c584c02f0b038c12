#include "timeapply/host_view.h"

#include "gis/map/application.h"
#include "gis/map/document.h"
#include "records/process_state.h"

namespace chronova {

void RefreshActiveView() {
    if (!g_pApp) {
        return;
    }
    if (auto document = g_pApp->Document()) {
        if (auto view = document->ActiveView()) {
            view->Refresh();
        }
    }
}

} // namespace chronova
