// The progress dialog on its own: its template and what one update shows for a given
// engine state. The engine is set up by hand here; no worker runs.

#include <mutex>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app_state.h"
#include "control_ids.h"
#include "convert_core.h"
#include "dialog_seams.h"
#include "dialog_units.h"
#include "progress_dialog.h"
#include "ui_test_support.h"

namespace {

// Fills coreEngine with `count` jobs and puts job `current` (or none for -1) in hand
// at `percent`; `done` jobs before it (or from the first, when finished) are at 100.
void engineAt(int count, int current, int percent, int32_t state, int done = 0)
{
    ConvertCore* engine = coreEngine;
    engine->clearJobs();
    for (int i = 0; i < count; ++i)
        engine->addJob("/v/clip" + std::to_string(i) + ".mp4");
    for (int i = 0; i < done; ++i)
        engine->setPercent(i, 100);
    if (current >= 0)
        engine->setPercent(current, percent);
    {
        std::lock_guard<std::mutex> guard(engine->lock);
        engine->currentIndex = current;
    }
    engine->state = state;
}

}  // namespace

using ProgressWindow = WindowTest;

TEST_F(ProgressWindow, TemplateHasItsFiveControlsAndNoCloseBox)
{
    ProgressDialog dialog(window.get());
    EXPECT_EQ(s(dialog.windowTitle()), "Progress");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(s(findControlAs<QLabel>(&dialog, IDC_TOTAL_LINE)->text()), "Total 1/10");
    EXPECT_EQ(s(findControlAs<QLabel>(&dialog, IDC_FILE_LINE)->text()), "File Name");
    ASSERT_NE(findControlAs<QProgressBar>(&dialog, IDC_PROGRESS_BAR), nullptr);
    auto* stop = findControlAs<QPushButton>(&dialog, IDC_STOP);
    auto* close = findControlAs<QPushButton>(&dialog, IDC_CLOSE);
    ASSERT_NE(stop, nullptr);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(s(stop->text()), "Stop");
    EXPECT_EQ(s(close->text()), "Close");
    EXPECT_EQ(stop->geometry(), close->geometry()) << "Stop and Close share one place";
    // 251 x 72 dialog units; the lines and the bar span the same columns, the buttons
    // are centred under them.
    const DialogUnits units(dialog.font());
    EXPECT_EQ(dialog.size(), QSize(units.toPixelsX(251), units.toPixelsY(72)));
    const QRect bar = findControl(&dialog, IDC_PROGRESS_BAR)->geometry();
    EXPECT_EQ(findControl(&dialog, IDC_TOTAL_LINE)->geometry().left(), bar.left());
    EXPECT_EQ(findControl(&dialog, IDC_FILE_LINE)->geometry().right(), bar.right());
    EXPECT_NEAR(stop->geometry().center().x(), bar.center().x(), 2);
    EXPECT_LT(findControl(&dialog, IDC_TOTAL_LINE)->geometry().bottom(), findControl(&dialog, IDC_FILE_LINE)->y());
    EXPECT_LT(findControl(&dialog, IDC_FILE_LINE)->geometry().bottom(), bar.top());
    EXPECT_LT(bar.bottom(), stop->y());
}

struct UpdateCase {
    const char* name;
    int count, current, percent;
    int32_t state;
    int done;
    const char* total;  // null: the template's text stays
    int fileOfJob;      // -1: the file line reads "Complete"; -2: the template's text stays
    int barMaximum, barValue;
    bool barVisible;
};

void PrintTo(const UpdateCase& c, std::ostream* os)
{
    *os << c.name;
}

class ProgressUpdate : public WindowTest, public ::testing::WithParamInterface<UpdateCase> {};

TEST_P(ProgressUpdate, ShowsTheFiguresOfTheEngine)
{
    const UpdateCase& c = GetParam();
    engineAt(c.count, c.current, c.percent, c.state, c.done);
    ProgressDialog dialog(window.get());
    dialog.show();
    updateProgress(&dialog);
    const ProgressSeen shown = look(&dialog);
    EXPECT_EQ(s(shown.total), c.total != nullptr ? c.total : "Total 1/10");
    if (c.fileOfJob >= 0)
        EXPECT_EQ(s(shown.file), "/v/clip" + std::to_string(c.fileOfJob) + ".mp4");
    else
        EXPECT_EQ(s(shown.file), c.fileOfJob == -1 ? "Complete" : "File Name");
    EXPECT_EQ(shown.barVisible, c.barVisible);
    EXPECT_EQ(shown.barMaximum, c.barMaximum);
    EXPECT_EQ(shown.barValue, c.barValue);
    // While the batch runs the buttons stay as the dialog's start set them.
    if (c.state != Running) {
        EXPECT_FALSE(shown.stopVisible);
        EXPECT_TRUE(shown.closeVisible);
    }
    coreEngine->state = Idle;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressUpdate,
    ::testing::Values(
        UpdateCase{"FourthOfTenAtHalf", 10, 3, 50, Running, 3, "4 / 10 (35%)", 3, 1000, 350, true},
        UpdateCase{"OneJobAt99", 1, 0, 99, Running, 0, "1 / 1 (99%)", 0, 100, 99, true},
        UpdateCase{"FourthOf700AtHalf", 700, 3, 50, Running, 3, "4 / 700 (0%)", 3, 70000, 350, true},
        UpdateCase{"LastOf700AtHalf", 700, 699, 50, Running, 699, "700 / 700 (99%)", 699, 70000, 69950, true},
        // Before the worker has taken its first job nothing is written and the bar is empty.
        UpdateCase{"NoJobInHandYet", 10, -1, 0, Running, 0, nullptr, -2, 1, 0, true},
        UpdateCase{"FinishedTwoOfThree", 3, -1, 0, Finished, 2, "2 / 3 (67%)", -1, 1, 0, false},
        UpdateCase{"FinishedOneOfThree", 3, -1, 0, Finished, 1, "1 / 3 (33%)", -1, 1, 0, false},
        UpdateCase{"FinishedEightOfTen", 10, -1, 0, Finished, 8, "8 / 10 (80%)", -1, 1, 0, false},
        UpdateCase{"FinishedAllOfThree", 3, -1, 0, Finished, 3, "3 / 3 (100%)", -1, 1, 0, false},
        UpdateCase{"FinishedNoneOfTwo", 2, -1, 0, Finished, 0, "0 / 2 (0%)", -1, 1, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgressWindow, FinishedBatchWaitsForCloseWithTheTimerStopped)
{
    engineAt(3, -1, 0, Finished, 3);
    ProgressDialog dialog(window.get());
    dialog.show();
    updateProgress(&dialog);
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.progressTimerActive());
    findControlAs<QPushButton>(&dialog, IDC_CLOSE)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 1);
    coreEngine->state = Idle;
}

TEST_F(ProgressWindow, AfterAStopTheDialogClosesItselfKeepingItsLastTexts)
{
    for (const int32_t state : {StopRequested, Stopped}) {
        engineAt(5, 1, 40, Running, 1);
        ProgressDialog dialog(window.get());
        dialog.show();
        updateProgress(&dialog);
        ASSERT_EQ(s(look(&dialog).total), "2 / 5 (28%)");
        coreEngine->state = state;
        updateProgress(&dialog);
        const ProgressSeen shown = look(&dialog);
        EXPECT_EQ(s(shown.total), "2 / 5 (28%)");
        EXPECT_EQ(s(shown.file), "/v/clip1.mp4");
        EXPECT_TRUE(shown.closeVisible);
        EXPECT_FALSE(shown.stopVisible);
        QApplication::processEvents();
        EXPECT_FALSE(dialog.isVisible()) << state;
        EXPECT_EQ(dialog.result(), 1);
    }
    coreEngine->state = Idle;
}

TEST_F(ProgressWindow, OtherCommandsAreNotHandled)
{
    ProgressDialog dialog(window.get());
    dialog.show();
    for (const int id : {IDC_FILE_LINE, IDC_PROGRESS_BAR, IDC_TOTAL_LINE, IDCANCEL, 1})
        EXPECT_FALSE(dialog.onCommand(id)) << id;
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialogs::requests().empty());
}

TEST_F(ProgressWindow, LongPathIsShownShortenedButKeptWhole)
{
    const std::string path = "/v/" + std::string(400, 'x') + "/final-name.mp4";
    coreEngine->clearJobs();
    coreEngine->addJob(path);
    {
        std::lock_guard<std::mutex> guard(coreEngine->lock);
        coreEngine->currentIndex = 0;
    }
    coreEngine->state = Running;
    ProgressDialog dialog(window.get());
    dialog.show();
    updateProgress(&dialog);
    auto* line = findControlAs<QLabel>(&dialog, IDC_FILE_LINE);
    EXPECT_EQ(s(line->text()), path);
    // What is painted fits the line and still ends with the file's name.
    const QString shown = line->fontMetrics().elidedText(line->text(), Qt::ElideMiddle, line->contentsRect().width());
    EXPECT_TRUE(shown.endsWith("final-name.mp4"));
    EXPECT_LE(line->fontMetrics().horizontalAdvance(shown), line->contentsRect().width());
    coreEngine->state = Idle;
}
