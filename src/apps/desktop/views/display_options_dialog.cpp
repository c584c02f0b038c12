#include "apps/desktop/views/display_options_dialog.h"

#include "apps/desktop/views/form_geometry.h"
#include "qtui/bindings.h"
#include "slider/frm_display_options.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace chronova::desktop {

using qtui::Placement;

std::unique_ptr<QDialog> MakeDisplayOptionsDialog(frmDisplayOptions& form, QWidget* owner) {
    auto dialog = std::make_unique<QDialog>(owner);
    QDialog* const parent = dialog.get();
    dialog->setObjectName("DisplayOptionsDialog");
    dialog->setWindowTitle(QString::fromStdString(form.Caption()));
    dialog->setFont(FormDesignFont(dialog->font()));

    // The frame comes first so that the check box placed over it is drawn above it.
    ClassicFrameLook(*qtui::BindFrame(form.fraPlayback, parent, Placement::Twips));
    for (auto& option : form.optDisplayType) {
        // The form clears the other option itself; Qt's own exclusivity would refuse that.
        qtui::BindOptionButton(option, parent, Placement::Twips)->setAutoExclusive(false);
    }
    for (size_t k = 0; k < form.txtInterval.size(); ++k) {
        qtui::BindTextBox(form.txtInterval[k], parent, Placement::Twips)->setAlignment(Qt::AlignRight);
        qtui::BindLabel(form.lblInterval[k], parent, Placement::Twips);
    }
    qtui::BindCommandButton(form.cmdCalc, parent, Placement::Twips);
    qtui::BindCheckBox(form.chkFillGaps, parent, Placement::Twips);
    QLabel* explanation = qtui::BindLabel(form.lblFillGaps, parent, Placement::Twips);
    explanation->setWordWrap(true);
    explanation->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    qtui::BindCheckBox(form.chkUpdateTOC, parent, Placement::Twips);
    qtui::BindCheckBox(form.chkLoop, parent, Placement::Twips);
    QPushButton* done = qtui::BindCommandButton(form.cmdButton[0], parent, Placement::Twips);
    QPushButton* cancel = qtui::BindCommandButton(form.cmdButton[1], parent, Placement::Twips);
    done->setDefault(true);
    cancel->setAutoDefault(false);

    PlaceFixedDialog(*dialog, form.Window);
    return dialog;
}

} // namespace chronova::desktop
