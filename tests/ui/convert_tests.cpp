// The Convert command and the progress dialog from the window, with the test encoder
// as core/quentrel beside the suite: the checks, whole batches, failures, the
// overwrite question and Stop.

#include <thread>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include "app_state.h"
#include "control_ids.h"
#include "convert_command.h"
#include "convert_core.h"
#include "dialog_seams.h"
#include "media_preset.h"
#include "platform/platform.h"
#include "source_list.h"
#include "ui_test_support.h"

namespace {

// The engine as a previous batch left it, to see that a refused Convert keeps it.
void leavePreviousBatch(ConvertCore* engine)
{
    engine->encoderPath = "/previous/encoder";
    engine->outputFolder = "/previous/out";
    engine->outputExt = "old";
    engine->presetArgs = "-previous";
    engine->addJob("/previous/clip.mp4");
}

void expectPreviousBatch(ConvertCore* engine)
{
    EXPECT_EQ(engine->encoderPath, "/previous/encoder");
    EXPECT_EQ(engine->outputFolder, "/previous/out");
    EXPECT_EQ(engine->outputExt, "old");
    EXPECT_EQ(engine->presetArgs, "-previous");
    ASSERT_EQ(engine->jobCount(), 1);
    ConvertJob job;
    engine->jobAt(0, job);
    EXPECT_EQ(job.source, "/previous/clip.mp4");
    EXPECT_EQ(engine->state.load(), Idle);
}

void expectNotice(const dialogs::Request& request, const char* text, QWidget* owner)
{
    EXPECT_EQ(request.kind, dialogs::Request::Message);
    EXPECT_EQ(s(request.title), "Orvane Free MP4 to AVI Converter");
    EXPECT_EQ(s(request.text), text);
    EXPECT_EQ(request.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(request.icon, QMessageBox::NoIcon);
    EXPECT_EQ(request.owner, owner);
}

std::string converted(const std::string& source)
{
    return "converted from " + source + "\n";
}

}  // namespace

// --- the checks ---

struct CheckCase {
    const char* name;
    int files;           // sources in the list
    const char* folder;  // "" empty, "out" the test's folder, "missing", "file"
    const char* message;
};

void PrintTo(const CheckCase& c, std::ostream* os)
{
    *os << c.name;
}

class ConvertChecks : public WindowTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(ConvertChecks, FirstFailingCheckIsTheOnlyMessage)
{
    const CheckCase& c = GetParam();
    for (int i = 0; i < c.files; ++i)
        addSourceFile(source("clip" + std::to_string(i) + ".mp4"));
    const std::string folder = c.folder;
    if (folder == "out")
        folderField()->setText(outFolder());
    else if (folder == "missing")
        folderField()->setText(outFolder() + "/missing");
    else if (folder == "file")
        folderField()->setText(makeFile("a-file"));
    leavePreviousBatch(coreEngine);

    pressConvert();

    ASSERT_EQ(dialogs::requests().size(), 1u);
    expectNotice(dialogs::requests()[0], c.message, window.get());
    EXPECT_FALSE(seen.opened) << "no progress dialog";
    EXPECT_TRUE(encoderRuns().empty());
    expectPreviousBatch(coreEngine);
}

INSTANTIATE_TEST_SUITE_P(
    InOrder, ConvertChecks,
    ::testing::Values(CheckCase{"EmptyListAndEmptyFolder", 0, "", "Please add source files."},
                      CheckCase{"EmptyList", 0, "out", "Please add source files."},
                      CheckCase{"EmptyFolderText", 2, "", "Please select output folder."},
                      CheckCase{"MissingFolder", 1, "missing", "The output folder doesn't exist."},
                      CheckCase{"FolderIsAFile", 1, "file", "The output folder doesn't exist."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EncoderToolPath, IsCoreQuentrelBesideTheProgram)
{
    const std::string program = platform::executablePath();
    const std::string expected = program.substr(0, program.rfind('/')) + "/core/quentrel";
    EXPECT_EQ(s(encoderToolPath()), expected);
    EXPECT_TRUE(platform::fileExists(expected)) << "the suite's folder holds the test encoder as core/quentrel";
}

// --- whole batches ---

using Converting = WindowTest;

TEST_F(Converting, ThreeFilesEndInCompleteWithEveryEntrySelected)
{
    const QString b = source("b.mp4");
    const QString a = source("A.mp4", "duration=3");
    const QString c = source("c.mp4", "speed=40");
    for (const QString& path : {b, a, c})
        addSourceFile(path);
    folderField()->setText(outFolder() + "/");  // handed over exactly as typed
    presetChooser()->setCurrentIndex(2);
    selectRows({});

    pressConvert();

    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(s(seen.title), "Progress");
    EXPECT_EQ(s(seen.total), "3 / 3 (100%)");
    EXPECT_EQ(s(seen.file), "Complete");
    EXPECT_FALSE(seen.barVisible);
    EXPECT_FALSE(seen.stopVisible);
    EXPECT_TRUE(seen.closeVisible);
    EXPECT_EQ(selectedEntries(), entries());
    EXPECT_TRUE(dialogs::requests().empty());

    // The engine got the window's settings and the jobs in display order.
    EXPECT_EQ(coreEngine->encoderPath, s(encoderToolPath()));
    EXPECT_EQ(coreEngine->outputFolder, s(outFolder()) + "/");
    EXPECT_EQ(coreEngine->outputExt, "avi");
    EXPECT_EQ(coreEngine->presetArgs, presetCatalogue->presetArguments(2));
    ASSERT_EQ(coreEngine->jobCount(), 3);
    for (int i = 0; i < 3; ++i) {
        ConvertJob job;
        coreEngine->jobAt(i, job);
        EXPECT_EQ(job.source, s(entries()[i]));
    }
    EXPECT_EQ(readFile(output("A.avi")), converted(s(a)));
    EXPECT_EQ(readFile(output("b.avi")), converted(s(b)));
    EXPECT_EQ(readFile(output("c.avi")), converted(s(c)));
    const std::vector<std::string> runs = encoderRuns();
    ASSERT_EQ(runs.size(), 6u);
    EXPECT_EQ(runs[1].rfind("convert " + s(a), 0), 0u);
    EXPECT_EQ(runs[3].rfind("convert " + s(b), 0), 0u);
    EXPECT_EQ(runs[5].rfind("convert " + s(c), 0), 0u);
}

TEST_F(Converting, FailingFileIsNotSelected)
{
    const QString one = source("one.mp4");
    const QString two = source("two.mp4", "exit=1\npartial=1");
    const QString three = source("three.mp4");
    for (const QString& path : {one, two, three})
        addSourceFile(path);
    folderField()->setText(outFolder());
    selectRows({0, 1, 2});  // the failed entry loses its selection

    pressConvert();

    EXPECT_EQ(s(seen.total), "2 / 3 (67%)");
    EXPECT_EQ(s(seen.file), "Complete");
    EXPECT_EQ(selectedEntries(), QStringList({one, three}));
    EXPECT_FALSE(platform::fileExists(output("two.avi"))) << "a failed run leaves no partial file";
    // A following Remove takes out exactly the converted files.
    window->onCommand(IDC_REMOVE);
    EXPECT_EQ(entries(), QStringList({two}));
}

TEST_F(Converting, ConvertingAgainAsksBeforeReplacingEachFile)
{
    const QString one = source("one.mp4");
    const QString two = source("two.mp4");
    addSourceFile(one);
    addSourceFile(two);
    folderField()->setText(outFolder());
    pressConvert();
    ASSERT_EQ(s(seen.total), "2 / 2 (100%)");

    // Second batch: both destinations exist; keep the first, replace the second.
    writeFile(output("one.avi"), "mine");
    writeFile(output("two.avi"), "mine too");
    dialogs::pushMessageAnswer(QMessageBox::No);
    dialogs::pushMessageAnswer(QMessageBox::Yes);
    seen = {};
    pressConvert();

    ASSERT_EQ(dialogs::requests().size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const dialogs::Request& asked = dialogs::requests()[static_cast<size_t>(i)];
        const std::string destination = output(i == 0 ? "one.avi" : "two.avi");
        EXPECT_EQ(s(asked.text), "'" + destination + "' already exists.\nDo you want to replace it?");
        EXPECT_EQ(s(asked.title), "Orvane Free MP4 to AVI Converter");
        EXPECT_EQ(asked.buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(asked.icon, QMessageBox::NoIcon);
        EXPECT_EQ(s(asked.ownerClass), "ProgressDialog");
    }
    EXPECT_EQ(readFile(output("one.avi")), "mine");
    EXPECT_EQ(readFile(output("two.avi")), converted(s(two)));
    // A kept file counts as done.
    EXPECT_EQ(s(seen.total), "2 / 2 (100%)");
    EXPECT_EQ(selectedEntries(), entries());
}

TEST_F(Converting, OverwriteQuestionIsAskedOnTheWindowThread)
{
    const QString one = source("one.mp4");
    addSourceFile(one);
    folderField()->setText(outFolder());
    writeFile(output("one.avi"), "mine");
    bool onWindowThread = false;
    bool dialogStillUpdating = false;
    dialogs::setMessageAnswerer([&](const dialogs::Request&) {
        onWindowThread = QThread::currentThread() == QApplication::instance()->thread();
        // While the worker waits for the answer the progress dialog keeps its timer.
        auto* dialog = window->findChild<ProgressDialog*>();
        dialogStillUpdating = dialog != nullptr && dialog->progressTimerActive();
        return QMessageBox::Yes;
    });
    pressConvert();
    EXPECT_TRUE(onWindowThread);
    EXPECT_TRUE(dialogStillUpdating);
    EXPECT_EQ(readFile(output("one.avi")), converted(s(one)));
}

TEST_F(Converting, OverwriteQuestionIsNotAskedOnceTheEngineStopped)
{
    ProgressDialog dialog(window.get());
    int32_t answers[3] = {-1, -1, -1};
    coreEngine->state = StopRequested;
    std::thread([&] { answers[0] = confirmOverwrite(1, &dialog); }).join();
    coreEngine->state = Stopped;
    std::thread([&] { answers[1] = confirmOverwrite(1, &dialog); }).join();
    coreEngine->state = Running;
    std::thread([&] { answers[2] = confirmOverwrite(2, &dialog); }).join();
    coreEngine->state = Idle;
    EXPECT_EQ(answers[0], 0);
    EXPECT_EQ(answers[1], 0);
    EXPECT_EQ(answers[2], 0);
    EXPECT_TRUE(dialogs::requests().empty());
}

TEST_F(Converting, StopAnsweredNoChangesNothingAndYesEndsTheBatch)
{
    const QString first = source("1-slow.mp4", "duration=600\nspeed=10");
    const QString second = source("2-next.mp4");
    const QString third = source("3-last.mp4");
    for (const QString& path : {first, second, third})
        addSourceFile(path);
    folderField()->setText(outFolder());
    enum { Waiting, AskedNo, AskedYes } step = Waiting;
    ProgressSeen afterNo;
    pressConvert([&](ProgressDialog* dialog) {
        auto* stop = findControlAs<QAbstractButton>(dialog, IDC_STOP);
        if (step == Waiting && s(seen.file) == s(first) && seen.barValue > 0) {
            dialogs::pushMessageAnswer(QMessageBox::No);
            stop->click();
            step = AskedNo;
            QApplication::processEvents();
            afterNo = look(dialog);
            EXPECT_EQ(coreEngine->state.load(), Running);
            EXPECT_TRUE(dialog->isVisible());
            dialogs::pushMessageAnswer(QMessageBox::Yes);
            stop->click();
            step = AskedYes;
        }
    });

    ASSERT_EQ(step, AskedYes);
    EXPECT_TRUE(afterNo.stopVisible);
    EXPECT_FALSE(afterNo.closeVisible);
    EXPECT_EQ(s(afterNo.total).rfind("1 / 3 (", 0), 0u) << s(afterNo.total);
    ASSERT_EQ(dialogs::requests().size(), 2u);
    for (const dialogs::Request& asked : dialogs::requests()) {
        EXPECT_EQ(s(asked.text), "Are you sure you want to stop the conversion?");
        EXPECT_EQ(s(asked.title), "Orvane Free MP4 to AVI Converter");
        EXPECT_EQ(asked.buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(asked.icon, QMessageBox::NoIcon);
    }
    // The dialog closed itself; the command waited for the worker before marking.
    EXPECT_FALSE(coreEngine->workerActive());
    EXPECT_EQ(coreEngine->state.load(), Stopped);
    EXPECT_TRUE(selectedEntries().isEmpty());
    // The stopped file is kept (the encoder finished it early) but does not count; the
    // next files were never started.
    EXPECT_NE(readFile(output("1-slow.avi")).find("stopped"), std::string::npos);
    EXPECT_FALSE(platform::fileExists(output("2-next.avi")));
    EXPECT_FALSE(platform::fileExists(output("3-last.avi")));
    for (const std::string& run : encoderRuns())
        EXPECT_EQ(run.find("2-next"), std::string::npos) << run;
}

TEST_F(Converting, EscapeAndWindowCloseDoNothingWhileRunningOrAfterTheEnd)
{
    auto tryToClose = [](ProgressDialog* dialog) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog, &escape);
        dialog->windowHandle()->close();
        dialog->close();
        QApplication::processEvents();
    };
    addSourceFile(source("slow.mp4", "duration=600\nspeed=10"));
    folderField()->setText(outFolder());
    bool triedWhileRunning = false;
    pressConvert([&](ProgressDialog* dialog) {
        if (triedWhileRunning || coreEngine->state.load() != Running)
            return;
        triedWhileRunning = true;
        tryToClose(dialog);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(coreEngine->state.load(), Running);
        dialogs::pushMessageAnswer(QMessageBox::Yes);
        findControlAs<QAbstractButton>(dialog, IDC_STOP)->click();
    });
    EXPECT_TRUE(triedWhileRunning);

    onClearFiles();
    addSourceFile(source("quick.mp4"));
    bool triedAfterEnd = false;
    pressConvert([&](ProgressDialog* dialog) {
        if (coreEngine->state.load() != Finished || !findControl(dialog, IDC_CLOSE)->isVisible())
            return;
        if (!triedAfterEnd) {
            triedAfterEnd = true;
            tryToClose(dialog);
            EXPECT_TRUE(dialog->isVisible());
        }
        closeWhenComplete(dialog);
    });
    EXPECT_TRUE(triedAfterEnd);
    EXPECT_EQ(s(seen.total), "1 / 1 (100%)");
}

TEST_F(Converting, ClosingWhileAStoppedBatchFinishesClosesAfterIt)
{
    // The encoder ignores "q", so after Stop the worker needs the terminate step and
    // outlives the progress dialog by seconds; the window is usable again meanwhile.
    const QString slow = source("slow.mp4", "duration=600\nspeed=10\nignore_q=1");
    addSourceFile(slow);
    folderField()->setText(outFolder());
    bool closeAsked = false;
    bool droppedDuringWait = false;
    QTimer whileWaiting;
    whileWaiting.setInterval(10);
    QObject::connect(&whileWaiting, &QTimer::timeout, [&] {
        if (closeAsked || window->findChild<ProgressDialog*>() == nullptr)
            return;
        if (window->findChild<ProgressDialog*>()->isVisible() || !coreEngine->workerActive())
            return;
        closeAsked = true;
        // A drop now would change the places Convert marks by.
        onDropFiles({QUrl::fromLocalFile(source("late.mp4"))});
        droppedDuringWait = list()->count() != 1;
        window->windowHandle()->close();
        EXPECT_TRUE(window->isVisible()) << "the window waits for Convert";
        EXPECT_NE(coreEngine, nullptr);
    });
    whileWaiting.start();
    pressConvert([&](ProgressDialog* dialog) {
        if (coreEngine->state.load() == Running && seen.barValue > 0 &&
            findControl(dialog, IDC_STOP)->isVisible()) {
            dialogs::pushMessageAnswer(QMessageBox::Yes);
            findControlAs<QAbstractButton>(dialog, IDC_STOP)->click();
        }
    });
    whileWaiting.stop();
    ASSERT_TRUE(closeAsked) << "the worker ended with the dialog";
    EXPECT_FALSE(droppedDuringWait);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(coreEngine, nullptr);
    EXPECT_EQ(s(storedFolder().toString()), s(outFolder()));
}
