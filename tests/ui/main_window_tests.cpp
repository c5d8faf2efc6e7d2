// The main window as a whole: what a first start shows, the two templates, the preset
// chooser, the command routing and every way of closing.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include <QApplication>
#include <QTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QWindow>

#include "app_state.h"
#include "control_ids.h"
#include "convert_core.h"
#include "dialog_seams.h"
#include "media_preset.h"
#include "source_list.h"
#include "tool_button.h"
#include "ui_test_support.h"

namespace {

const char* const caption = "Orvane Free MP4 to AVI Converter 1.0";

// The controls of the main template as the template gives them, in dialog units.
struct TemplateControl {
    int id;
    const char* kind;  // Qt class that stands for the template's control class
    const char* text;
    int x, y, width, height;
};

const TemplateControl withChooser[] = {
    {IDC_ADD, "ToolButton", "Add", 0, 0, 36, 25},
    {IDC_REMOVE, "ToolButton", "Remove", 36, 0, 36, 25},
    {IDC_CLEAR, "ToolButton", "Clear", 72, 0, 36, 25},
    {IDC_CONVERT, "ToolButton", "Convert", 108, 0, 36, 25},
    {IDC_SOURCE_LIST, "QListWidget", "", 2, 29, 366, 125},
    {IDC_PRESET_LABEL, "QLabel", "Preset:", 7, 159, 24, 8},
    {IDC_PRESET, "QComboBox", "", 7, 170, 358, 14},
    {IDC_FOLDER_LABEL, "QLabel", "Output Folder:", 7, 185, 48, 8},
    {IDC_OUTPUT_FOLDER, "QLineEdit", "", 7, 198, 295, 14},
    {IDC_BROWSE, "QPushButton", "...", 305, 198, 20, 14},
    {IDC_OPEN_FOLDER, "QPushButton", "Open", 325, 198, 40, 14},
    {IDC_DROP_AREA, "ToolButton", "Drag and Drop Here", 78, 84, 216, 25},
};

const TemplateControl withoutChooser[] = {
    {IDC_ADD, "ToolButton", "Add", 0, 0, 36, 25},
    {IDC_REMOVE, "ToolButton", "Remove", 36, 0, 36, 25},
    {IDC_CLEAR, "ToolButton", "Clear", 72, 0, 36, 25},
    {IDC_CONVERT, "ToolButton", "Convert", 108, 0, 36, 25},
    {IDC_SOURCE_LIST, "QListWidget", "", 2, 29, 366, 125},
    {IDC_FOLDER_LABEL, "QLabel", "Output Folder:", 7, 160, 48, 8},
    {IDC_OUTPUT_FOLDER, "QLineEdit", "", 7, 173, 295, 14},
    {IDC_BROWSE, "QPushButton", "...", 305, 173, 20, 14},
    {IDC_OPEN_FOLDER, "QPushButton", "Open", 325, 173, 40, 14},
    {IDC_DROP_AREA, "ToolButton", "Drag and Drop Here", 78, 84, 216, 25},
};

QString controlText(QWidget* control)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    return {};
}

// Every control has its kind and text, and sits where the template puts it relative
// to the window's size (within two pixels), so the window keeps the template's picture.
template <size_t N>
void expectTemplate(QWidget* window, const TemplateControl (&controls)[N], int templateWidth, int templateHeight)
{
    const double sx = window->width() / double(templateWidth);
    const double sy = window->height() / double(templateHeight);
    int controlCount = 0;
    for (QWidget* child : window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (controlId(child) != 0)
            ++controlCount;
    }
    EXPECT_EQ(controlCount, int(N));
    for (const TemplateControl& c : controls) {
        SCOPED_TRACE(c.id);
        QWidget* control = findControl(window, c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->inherits(c.kind)) << control->metaObject()->className();
        EXPECT_EQ(s(controlText(control)), c.text);
        const QRect place = control->geometry();
        EXPECT_NEAR(place.x(), c.x * sx, 2.0);
        EXPECT_NEAR(place.y(), c.y * sy, 2.0);
        EXPECT_NEAR(place.height(), c.height * sy, 2.0);
        // A label may be wider than its box when the font needs the room.
        if (qobject_cast<QLabel*>(control) != nullptr)
            EXPECT_GE(place.width(), c.width * sx - 2.0);
        else
            EXPECT_NEAR(place.width(), c.width * sx, 2.0);
        EXPECT_TRUE(window->rect().contains(place)) << "outside the window";
    }
}

class OnePreset : public MediaPreset {
public:
    OnePreset() : MediaPreset(table) {}
    const char* outputExtension(int) const override { return "avi"; }
    static constexpr PresetEntry table[] = {{"Only", "-vcodec wmv2", nullptr}, {nullptr, nullptr, nullptr}};
};

class NoPreset : public MediaPreset {
public:
    NoPreset() : MediaPreset(nullptr) {}
    const char* outputExtension(int) const override { return "avi"; }
};

}  // namespace

using MainWindow = WindowTest;

TEST_F(MainWindow, FirstStartShowsEmptyFieldDisabledListAndTheDropArea)
{
    EXPECT_EQ(s(window->windowTitle()), caption);
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_EQ(window->templateId(), IDD_MAIN);
    EXPECT_EQ(mainDialog, window.get());
    ASSERT_NE(coreEngine, nullptr);
    EXPECT_EQ(coreEngine->state.load(), Idle);
    EXPECT_EQ(s(folderField()->text()), "");
    EXPECT_EQ(list()->count(), 0);
    EXPECT_FALSE(list()->isEnabled());
    EXPECT_TRUE(dropArea()->isVisible());
    EXPECT_FALSE(dropArea()->isEnabled());
    // The drop area lies over the list, not under it.
    EXPECT_TRUE(list()->geometry().contains(dropArea()->geometry()));
    EXPECT_EQ(window->childAt(dropArea()->geometry().center()), dropArea());
    // Nothing was asked of the user on the way.
    EXPECT_TRUE(dialogs::requests().empty());
}

TEST_F(MainWindow, ControlsKeepTheTemplateArrangementWithChooser)
{
    expectTemplate(window.get(), withChooser, 372, 219);
    // Tab order is template order; the disabled drop area takes no focus.
    EXPECT_EQ(dropArea()->focusPolicy(), Qt::NoFocus);
    QWidget* focus = findControl(window.get(), IDC_ADD);
    const int order[] = {IDC_REMOVE, IDC_CLEAR, IDC_CONVERT, IDC_SOURCE_LIST, IDC_PRESET, IDC_OUTPUT_FOLDER,
                         IDC_BROWSE, IDC_OPEN_FOLDER};
    for (const int id : order) {
        do {
            focus = focus->nextInFocusChain();
        } while (focus->focusPolicy() == Qt::NoFocus || controlId(focus) == 0);
        EXPECT_EQ(controlId(focus), id);
    }
}

TEST_F(MainWindow, PresetChooserListsTheFourPresetsWithTheFirstSelected)
{
    ASSERT_NE(presetChooser(), nullptr);
    QStringList labels;
    for (int i = 0; i < presetChooser()->count(); ++i)
        labels << presetChooser()->itemText(i);
    EXPECT_EQ(labels, QStringList({"XviD FullScreen", "XviD Widescreen", "XviD Widescreen Anamorphic",
                                   "MS Compatible AVI"}));
    EXPECT_EQ(presetChooser()->currentIndex(), 0);
    EXPECT_EQ(s(presetChooser()->currentText()), "XviD FullScreen");
    EXPECT_FALSE(presetChooser()->isEditable());
}

TEST_F(MainWindow, CatalogueOfOneOrNoPresetGivesTheWindowWithoutChooser)
{
    closeWindow();
    OnePreset one;
    NoPreset none;
    for (MediaPreset* catalogue : {static_cast<MediaPreset*>(&one), static_cast<MediaPreset*>(&none)}) {
        presetCatalogue = catalogue;
        ASSERT_EQ(chooseMainTemplate(), IDD_MAIN_NO_PRESET);
        openWindow();
        EXPECT_EQ(window->templateId(), IDD_MAIN_NO_PRESET);
        EXPECT_EQ(findControl(window.get(), IDC_PRESET), nullptr);
        EXPECT_EQ(findControl(window.get(), IDC_PRESET_LABEL), nullptr);
        expectTemplate(window.get(), withoutChooser, 372, 194);
        // Everything else works: the list and the folder.
        EXPECT_GE(addSourceFile(makeFile("a.mp4")), 0);
        closeWindow();
    }
    initApplication();
    EXPECT_EQ(chooseMainTemplate(), IDD_MAIN);
}

TEST_F(MainWindow, CommandsOfOtherControlsAreNotRouted)
{
    folderField()->setText("/out");
    addSourceFile(makeFile("a.mp4"));
    for (const int id : {IDC_SOURCE_LIST, IDC_PRESET, IDC_OUTPUT_FOLDER, IDC_DROP_AREA, 0, 1}) {
        EXPECT_FALSE(window->onCommand(id)) << id;
    }
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(list()->count(), 1);
    EXPECT_EQ(s(folderField()->text()), "/out");
    EXPECT_TRUE(dialogs::requests().empty());
}

// Every way of closing runs the one close sequence: the folder text is saved (also
// when empty), the engine is emptied and destroyed, and the dialog ends with 2.
struct CloseWay {
    const char* name;
    void (*close)(MainDialog*);
};

void PrintTo(const CloseWay& way, std::ostream* os)
{
    *os << way.name;
}

class Closing : public WindowTest, public ::testing::WithParamInterface<std::tuple<CloseWay, const char*>> {};

TEST_P(Closing, SavesTheFolderTextAndDestroysTheEngine)
{
    const CloseWay way = std::get<0>(GetParam());
    const QString text = QString::fromUtf8(std::get<1>(GetParam()));
    // Something was stored before, so an empty text must replace it.
    folderField()->setText("/previous");
    closeWindow();
    ASSERT_EQ(s(storedFolder().toString()), "/previous");
    openWindow();
    ASSERT_EQ(s(folderField()->text()), "/previous");

    folderField()->setText(text);
    addSourceFile(makeFile("a.mp4"));
    way.close(window.get());
    QApplication::processEvents();

    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), IDCANCEL);
    EXPECT_EQ(coreEngine, nullptr);
    ASSERT_TRUE(storedFolder().isValid());
    EXPECT_EQ(s(storedFolder().toString()), s(text));

    // The next start finds the folder again.
    openWindow();
    EXPECT_EQ(s(folderField()->text()), s(text));
}

const CloseWay closeWays[] = {
    {"Escape",
     [](MainDialog* w) {
         QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
         QApplication::sendEvent(w, &press);
     }},
    // The title-bar close button and Alt+F4 both reach the program as the window
    // system's close request.
    {"WindowSystemClose", [](MainDialog* w) { ASSERT_TRUE(w->windowHandle()->close()); }},
    {"CloseCall", [](MainDialog* w) { w->close(); }},
    {"CloseCommand", [](MainDialog* w) { w->onCommand(IDCANCEL); }},
};

INSTANTIATE_TEST_SUITE_P(EveryWay, Closing,
                         ::testing::Combine(::testing::ValuesIn(closeWays),
                                            ::testing::Values("/home/user/Videos/out", "")),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param)[0] == '\0' ? "Empty" : "Folder");
                         });

TEST_F(MainWindow, CloseWaitsForAWorkerThatIsStillFinishing)
{
    // A stopped batch may leave the worker finishing its file after the progress
    // dialog has gone; closing must not destroy the engine under it.
    ConvertCore* engine = coreEngine;
    engine->outputFolder = temp->path();
    engine->outputExt = "avi";
    engine->addJob(s(makeFile("a.mp4")));
    std::atomic<bool> release{false};
    engine->overwrite.ask = [](int32_t, void* flag) -> int32_t {
        while (!static_cast<std::atomic<bool>*>(flag)->load())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return 0;
    };
    engine->overwrite.userValue = &release;
    makeFile("a.avi");  // the destination exists, so the worker asks and waits
    // Whatever fails below, the worker gets its answer before the window goes.
    const std::unique_ptr<void, std::function<void(void*)>> answer(&release, [&](void*) { release = true; });
    ASSERT_TRUE(engine->start());
    ASSERT_TRUE(waitFor([&] {
        ConvertJob job;
        return engine->currentJob(job);
    }));
    // Runs inside the close sequence's wait, while the worker still asks.
    QTimer::singleShot(0, [&] {
        // The window is still open while the worker runs.
        EXPECT_NE(coreEngine, nullptr);
        release = true;
    });
    window->reject();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(coreEngine, nullptr);
    EXPECT_TRUE(release.load());
}
