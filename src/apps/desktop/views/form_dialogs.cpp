#include "apps/desktop/views/form_dialogs.h"

#include "apps/desktop/views/date_time_picker_dialog.h"
#include "apps/desktop/views/display_options_dialog.h"
#include "apps/desktop/views/timed_layers_dialog.h"
#include "datetime/calendar_form.h"
#include "layerconfig/frm_timed_layers.h"
#include "qtui/modal_dialogs.h"
#include "slider/frm_display_options.h"

#include <QDialog>

namespace chronova::desktop {

namespace {

// A factory that builds its dialog for forms of one class and declines every other form.
template <typename FormType, typename Maker>
qtui::QtModalDialogService::Factory FactoryFor(Maker make) {
    return [make](platform::ui::Form& form, QWidget* owner) -> std::unique_ptr<QDialog> {
        auto* typed = dynamic_cast<FormType*>(&form);
        return typed != nullptr ? make(*typed, owner) : nullptr;
    };
}

} // namespace

void AddFormDialogs(qtui::QtModalDialogService& service) {
    service.Add(FactoryFor<frmTimedLayers>(MakeTimedLayersDialog));
    service.Add(FactoryFor<frmDisplayOptions>(MakeDisplayOptionsDialog));
    service.Add(FactoryFor<Calendarform>(MakeDateTimePickerDialog));
}

} // namespace chronova::desktop
