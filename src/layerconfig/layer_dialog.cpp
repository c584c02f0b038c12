#include "layerconfig/layer_dialog.h"

#include "layerconfig/frm_timed_layers.h"
#include "slider/layer_dialog_service.h"

namespace chronova::layerconfig {

void InstallLayerDialog() {
    SetLayerDialogOpener([] {
        // Every opening starts from the registry again, so a fresh form serves each one.
        frmTimedLayers dialog;
        dialog.Show(platform::ui::FormShow::Modal);
        if (dialog.Loaded()) {
            dialog.Unload();
        }
    });
}

} // namespace chronova::layerconfig
