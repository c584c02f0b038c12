#include "apps/desktop/views/timed_layers_dialog.h"

#include "apps/desktop/views/form_geometry.h"
#include "layerconfig/frm_timed_layers.h"
#include "qtui/bindings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace chronova::desktop {

namespace {

constexpr QSize kPreferredSize{760, 520};
constexpr int kTreeWidth = 180;
// The note under the tree reads better a little wider than the tree's narrowest.
constexpr int kNoteAllowance = 30;
constexpr int kIndent = 14;
// Field names of most data sources fit in this many characters; longer ones show in full in the open list.
constexpr int kFieldNameCharacters = 8;

// One row of a field grid: the caption in the first column, the control beside it.
void AddFieldRow(QGridLayout& grid, int row, int column, QLabel* caption, QWidget* field) {
    grid.addWidget(caption, row, column);
    grid.addWidget(field, row, column + 1);
}

class TimedLayersLayout {
public:
    TimedLayersLayout(frmTimedLayers& form, QDialog& dialog) : form_(form), dialog_(dialog) {}

    void Build() {
        // A splitter keeps the tree's width when the panel beside it changes, and lets the user widen either.
        auto* columns = new QSplitter(Qt::Horizontal, &dialog_);
        columns->setChildrenCollapsible(false);
        columns->addWidget(Column(LayerColumn()));
        columns->addWidget(Column(SettingsColumn()));
        columns->setStretchFactor(0, 0);
        columns->setStretchFactor(1, 1);
        columns->setSizes({kTreeWidth + kNoteAllowance, kPreferredSize.width()});

        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        QPushButton* done = qtui::BindCommandButton(form_.cmdButton[0], &dialog_);
        QPushButton* cancel = qtui::BindCommandButton(form_.cmdButton[1], &dialog_);
        done->setDefault(true);
        cancel->setAutoDefault(false);
        buttons->addWidget(done);
        buttons->addWidget(cancel);

        auto* page = new QVBoxLayout(&dialog_);
        page->addWidget(columns, 1);
        page->addLayout(buttons);
    }

private:
    QWidget* Column(QLayout* layout) {
        auto* column = new QWidget(&dialog_);
        layout->setContentsMargins(0, 0, 0, 0);
        column->setLayout(layout);
        return column;
    }

    QLabel* Caption(size_t index) {
        QLabel* caption = qtui::BindLabel(form_.lblLabel[index], &dialog_);
        caption->setObjectName(QStringLiteral("lblLabel%1").arg(index));
        return caption;
    }
    QComboBox* Field(size_t index) {
        QComboBox* field = qtui::BindComboBox(form_.cboField[index], &dialog_);
        field->setObjectName(QStringLiteral("cboField%1").arg(index));
        return FieldWidth(field);
    }
    static QComboBox* FieldWidth(QComboBox* list) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(kFieldNameCharacters);
        return list;
    }
    QRadioButton* JoinOption(size_t index) {
        // The form clears both options when no layer is selected, which Qt's exclusivity would refuse.
        QRadioButton* option = qtui::BindOptionButton(form_.optGDBJoined[index], &dialog_);
        option->setAutoExclusive(false);
        return option;
    }

    // The tree, with the settings that concern every layer under it.
    QVBoxLayout* LayerColumn() {
        auto* column = new QVBoxLayout;
        QTreeWidget* tree = qtui::BindTreeView(form_.tv1, &dialog_);
        tree->setHeaderHidden(true);
        tree->setMinimumWidth(kTreeWidth);
        column->addWidget(tree, 1);
        column->addWidget(qtui::BindCheckBox(form_.chkRefresh, &dialog_));
        QLabel* note = qtui::BindLabel(form_.lblCache, &dialog_);
        note->setWordWrap(true);
        column->addWidget(note);
        return column;
    }

    // The status line, the field panel or the raster panel (the form shows one), and the layer's cache flag.
    QVBoxLayout* SettingsColumn() {
        auto* column = new QVBoxLayout;
        QLabel* status = Caption(0);
        QFont bold = status->font();
        bold.setBold(true);
        status->setFont(bold);
        column->addWidget(status);
        column->addWidget(FieldPanel());
        column->addWidget(RasterPanel());
        column->addWidget(qtui::BindCheckBox(form_.chkCache, &dialog_));
        column->addStretch(1);
        return column;
    }

    // Left half: the layer's own time field and its vectors; right half: the table joined to the layer.
    QGroupBox* FieldPanel() {
        QGroupBox* panel = qtui::BindFrame(form_.Frame1, &dialog_);
        auto* grid = new QGridLayout(panel);
        grid->setColumnMinimumWidth(0, kIndent);
        grid->setColumnStretch(2, 1);
        grid->setColumnMinimumWidth(3, kIndent);
        grid->setColumnStretch(5, 1);

        grid->addWidget(JoinOption(0), 0, 0, 1, 3);
        AddFieldRow(*grid, 1, 1, Caption(1), Field(0));
        grid->addWidget(qtui::BindCheckBox(form_.chkInclude[0], &dialog_), 2, 1, 1, 2);
        grid->addWidget(qtui::BindCheckBox(form_.chkVector, &dialog_), 4, 0, 1, 3);
        AddFieldRow(*grid, 5, 1, Caption(2), Field(1));
        AddFieldRow(*grid, 6, 1, Caption(3), Field(2));

        grid->addWidget(JoinOption(1), 0, 3, 1, 3);
        QComboBox* tables = FieldWidth(qtui::BindComboBox(form_.cboTable, &dialog_));
        tables->setObjectName("cboTable");
        AddFieldRow(*grid, 1, 4, Caption(5), tables);
        AddFieldRow(*grid, 2, 4, Caption(4), Field(3));
        AddFieldRow(*grid, 3, 4, Caption(6), Field(4));
        AddFieldRow(*grid, 4, 4, Caption(7), Field(5));
        AddFieldRow(*grid, 5, 4, Caption(9), Field(6));
        AddFieldRow(*grid, 6, 4, Caption(8), qtui::BindTextBox(form_.txtJoinName, &dialog_));
        QLabel* extra = Caption(10);
        extra->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QListWidget* fields = qtui::BindListBox(form_.lstFields, &dialog_);
        fields->setSelectionMode(QAbstractItemView::MultiSelection);
        AddFieldRow(*grid, 7, 4, extra, fields);
        grid->addWidget(qtui::BindCheckBox(form_.chkInclude[1], &dialog_), 8, 4, 1, 2);
        grid->setRowStretch(7, 1);
        return panel;
    }

    QGroupBox* RasterPanel() {
        QGroupBox* panel = qtui::BindFrame(form_.fraRaster, &dialog_);
        auto* grid = new QGridLayout(panel);
        grid->setColumnStretch(3, 1);
        QLabel* start = qtui::BindLabel(form_.lblTime, &dialog_);
        start->setObjectName("lblTime");
        // The start time is picked, not typed: it reads as a field and opens the picker when clicked.
        start->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        start->setCursor(Qt::PointingHandCursor);
        start->setMinimumWidth(start->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000 00:00:00 AM")) + 8);
        AddFieldRow(*grid, 0, 0, qtui::BindLabel(form_.lblStartTimeCap, &dialog_), start);
        AddFieldRow(*grid, 1, 0, qtui::BindLabel(form_.lblInterval, &dialog_),
                    qtui::BindNumberBox(form_.fldInterval, &dialog_));
        grid->addWidget(qtui::BindComboBox(form_.cmbInterval, &dialog_), 1, 2);
        return panel;
    }

    frmTimedLayers& form_;
    QDialog& dialog_;
};

} // namespace

std::unique_ptr<QDialog> MakeTimedLayersDialog(frmTimedLayers& form, QWidget* owner) {
    auto dialog = std::make_unique<QDialog>(owner);
    dialog->setObjectName("TimedLayersDialog");
    dialog->setWindowTitle(QString::fromStdString(form.Caption()));
    TimedLayersLayout(form, *dialog).Build();
    PlaceLaidOutDialog(*dialog, form.Window, kPreferredSize);
    return dialog;
}

} // namespace chronova::desktop
