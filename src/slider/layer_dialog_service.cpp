#include "slider/layer_dialog_service.h"

#include "platform/automation_error.h"

#include <utility>

namespace chronova {
namespace {

LayerDialogOpener& Installed() {
    static LayerDialogOpener opener;
    return opener;
}

} // namespace

LayerDialogOpener SetLayerDialogOpener(LayerDialogOpener opener) {
    return std::exchange(Installed(), std::move(opener));
}

void OpenLayerDialog() {
    // A copy: the dialog may install another opener while it is open.
    const LayerDialogOpener opener = Installed();
    if (!opener) {
        platform::RaiseError(platform::error::kObjectNotSet, "No layer configuration dialog is installed.");
    }
    opener();
}

} // namespace chronova
