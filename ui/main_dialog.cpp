#include "main_dialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>

#include "app_state.h"
#include "control_ids.h"
#include "convert_command.h"
#include "convert_core.h"
#include "dialog_units.h"
#include "output_folder.h"
#include "source_list.h"
#include "tool_button.h"

namespace {

enum class ControlKind { OwnerDrawn, ListBox, Static, ComboBox, Edit, PushButton };

// One control of a dialog template; rectangles in dialog units.
struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height;
};

constexpr int mainWidth = 372;
constexpr int mainHeight = 219;
constexpr int mainHeightNoPreset = 194;

// Template IDD_MAIN, in template order, which is also the tab order.
constexpr ControlTemplate mainTemplate[] = {
    {IDC_ADD, ControlKind::OwnerDrawn, "Add", 0, 0, 36, 25},
    {IDC_REMOVE, ControlKind::OwnerDrawn, "Remove", 36, 0, 36, 25},
    {IDC_CLEAR, ControlKind::OwnerDrawn, "Clear", 72, 0, 36, 25},
    {IDC_CONVERT, ControlKind::OwnerDrawn, "Convert", 108, 0, 36, 25},
    {IDC_SOURCE_LIST, ControlKind::ListBox, "", 2, 29, 366, 125},
    {IDC_PRESET_LABEL, ControlKind::Static, "Preset:", 7, 159, 24, 8},
    // The template's height of 30 is the chooser with its list dropped down; closed,
    // it is as tall as the field below.
    {IDC_PRESET, ControlKind::ComboBox, "", 7, 170, 358, 14},
    {IDC_FOLDER_LABEL, ControlKind::Static, "Output Folder:", 7, 185, 48, 8},
    {IDC_OUTPUT_FOLDER, ControlKind::Edit, "", 7, 198, 295, 14},
    {IDC_BROWSE, ControlKind::PushButton, "...", 305, 198, 20, 14},
    {IDC_OPEN_FOLDER, ControlKind::PushButton, "Open", 325, 198, 40, 14},
    {IDC_DROP_AREA, ControlKind::OwnerDrawn, "Drag and Drop Here", 78, 84, 216, 25},
};

// IDD_MAIN_NO_PRESET has the controls of IDD_MAIN without the chooser and its label,
// with the folder row moved up.
ControlTemplate withoutPreset(ControlTemplate control)
{
    if (control.id == IDC_FOLDER_LABEL)
        control.y = 160;
    if (control.id == IDC_OUTPUT_FOLDER || control.id == IDC_BROWSE || control.id == IDC_OPEN_FOLDER)
        control.y = 173;
    return control;
}

QWidget* createControl(const ControlTemplate& control, QWidget* parent)
{
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
    case ControlKind::OwnerDrawn:
        return new ToolButton(control.id, text, parent);
    case ControlKind::ListBox: {
        auto* list = new QListWidget(parent);
        list->setSortingEnabled(true);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        // A long path shows its file name: the middle of it is what gets shortened.
        list->setTextElideMode(Qt::ElideMiddle);
        // The list keeps its white face while it is disabled, so the drop area's
        // picture sits on the same colour as the list around it.
        QPalette palette = list->palette();
        palette.setBrush(QPalette::Disabled, QPalette::Base, palette.brush(QPalette::Active, QPalette::Base));
        list->setPalette(palette);
        return list;
    }
    case ControlKind::Static:
        return new QLabel(text, parent);
    case ControlKind::ComboBox: {
        auto* chooser = new QComboBox(parent);
        chooser->setEditable(false);
        return chooser;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(parent);
        // Files dropped on the field go to the window's list, not into the text.
        edit->setAcceptDrops(false);
        return edit;
    }
    case ControlKind::PushButton: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        return button;
    }
    }
    return nullptr;
}

}  // namespace

MainDialog::MainDialog(int templateId, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      templateId_(templateId == IDD_MAIN_NO_PRESET ? IDD_MAIN_NO_PRESET : IDD_MAIN)
{
    setFont(dialogTemplateFont());
    buildControls();
    if (!initDialog()) {
        // Without a usable engine the window closes at once, through the close sequence.
        QMetaObject::invokeMethod(this, &MainDialog::reject, Qt::QueuedConnection);
    }
}

MainDialog::~MainDialog()
{
    // A dialog destroyed without having been closed still must not leave the engine
    // behind or destroy it under a running worker.
    if (mainDialog == this && coreEngine != nullptr && !closed_) {
        waitForWorkerKeepingPainted();
        coreEngine->clearJobs();
        delete coreEngine;
        coreEngine = nullptr;
    }
    if (mainDialog == this)
        mainDialog = nullptr;
}

void MainDialog::buildControls()
{
    const DialogUnits units(font());
    const bool hasPreset = templateId_ == IDD_MAIN;
    setFixedSize(units.toPixelsX(mainWidth), units.toPixelsY(hasPreset ? mainHeight : mainHeightNoPreset));
    QWidget* dropArea = nullptr;
    for (ControlTemplate control : mainTemplate) {
        if (!hasPreset) {
            if (control.id == IDC_PRESET || control.id == IDC_PRESET_LABEL)
                continue;
            control = withoutPreset(control);
        }
        QWidget* widget = createControl(control, this);
        setControlId(widget, control.id);
        QRect place = units.toPixels(control.x, control.y, control.width, control.height);
        // A label may need a few pixels more than its template box in another font; it
        // is left-aligned with nothing to its right, so it gets the room to show its text.
        if (control.kind == ControlKind::Static)
            place.setWidth(std::max(place.width(), widget->sizeHint().width()));
        widget->setGeometry(place);
        if (control.id == IDC_DROP_AREA) {
            // Disabled: it takes no clicks and no focus, and lets drops through to the window.
            widget->setEnabled(false);
            widget->setFocusPolicy(Qt::NoFocus);
            dropArea = widget;
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            connect(button, &QAbstractButton::clicked, this, [this, id = control.id] { onCommand(id); });
        }
    }
    // The drop area lies over the middle of the list.
    if (dropArea != nullptr)
        dropArea->raise();
}

bool MainDialog::initDialog()
{
    mainDialog = this;
    if (appIcon.isNull()) {
        for (const int size : {16, 32, 48, 64, 128, 256})
            appIcon.addFile(appInstance + QStringLiteral("icons/%1.png").arg(size), QSize(size, size));
    }
    setAcceptDrops(true);
    setWindowTitle(QStringLiteral("Orvane Free MP4 to AVI Converter") + QStringLiteral(" ") + QStringLiteral("1.0"));
    setWindowIcon(appIcon);
    // Tooltips show also while another window is active.
    setAttribute(Qt::WA_AlwaysShowToolTips);

    coreEngine = new ConvertCore();
    const bool ready = coreEngine->isReady();
    if (ready)
        fillPresetCombo();
    if (auto* field = findControlAs<QLineEdit>(this, IDC_OUTPUT_FOLDER))
        field->setText(loadOutputFolder());
    createToolTips();
    refreshListState();
    return ready;
}

bool MainDialog::onCommand(int id)
{
    switch (id) {
    case IDCANCEL:
        closeSequence();
        return true;
    case IDC_CONVERT:
        if (convertRunning_)
            return true;
        convertRunning_ = true;
        convertCommand();
        convertRunning_ = false;
        if (closePending_) {
            closePending_ = false;
            closeSequence();
        }
        return true;
    case IDC_BROWSE:
        onBrowseFolder();
        return true;
    case IDC_ADD:
        onAddFiles();
        return true;
    case IDC_REMOVE:
        onRemoveFiles();
        return true;
    case IDC_CLEAR:
        onClearFiles();
        return true;
    case IDC_OPEN_FOLDER:
        onOpenFolder();
        return true;
    default:
        return false;
    }
}

void MainDialog::reject()
{
    onCommand(IDCANCEL);
}

void MainDialog::closeEvent(QCloseEvent* event)
{
    if (!closed_)
        onCommand(IDCANCEL);
    if (closed_)
        event->accept();
    else
        event->ignore();
}

void MainDialog::closeSequence()
{
    if (closed_)
        return;
    if (convertRunning_) {
        closePending_ = true;
        return;
    }
    saveOutputFolder(getOutputFolderText());
    if (coreEngine != nullptr) {
        // Never under a running worker: a stopped batch may still be finishing its file.
        waitForWorkerKeepingPainted();
        coreEngine->clearJobs();
        delete coreEngine;
        coreEngine = nullptr;
    }
    closed_ = true;
    done(IDCANCEL);
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainDialog::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainDialog::dropEvent(QDropEvent* event)
{
    if (!event->mimeData()->hasUrls())
        return;
    onDropFiles(event->mimeData()->urls());
    event->acceptProposedAction();
}
