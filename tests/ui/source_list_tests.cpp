// The source list: what is accepted, the sorted order, duplicates, the drop area,
// Add through the open-file dialog, drops, Remove and Clear.

#include <filesystem>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "app_state.h"
#include "control_ids.h"
#include "convert_core.h"
#include "dialog_seams.h"
#include "source_list.h"
#include "ui_test_support.h"

namespace {

struct ExtensionCase {
    const char* path;
    bool accepted;
};

const ExtensionCase extensionCases[] = {
    {"/v/clip.mp4", true},
    {"/v/CLIP.MP4", true},
    {"/v/clip.Mp4", true},
    {"/v/clip.mp4v", true},   // the extension only has to contain "mp4"
    {"/v/clip.xmp4", true},
    {"/v/clip.avi", false},
    {"/v/clip", false},
    {"clip.mp4", true},
    {"/v/a.mp4/clip", true},  // the last dot may lie in a folder name
    {"/v/rel.1/clip.mp4x", true},
    {"/v/rel.1/clip", false},
    {"/v/clip.mp4.avi", false},
    {"/v/clip.m p4", false},
    {"/v/clip.", false},
    {"/v/Видео.MP4", true},
    // Only ASCII letters are lowered: full-width letters are other characters.
    {"/v/clip.\uFF2D\uFF30\uFF14", false},
    {"", false},
};

void PrintTo(const ExtensionCase& c, std::ostream* os)
{
    *os << '"' << c.path << '"';
}

}  // namespace

class AcceptedExtension : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(AcceptedExtension, FollowsTheLastDot)
{
    EXPECT_EQ(hasAcceptedExtension(QString::fromUtf8(GetParam().path)), GetParam().accepted) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Cases, AcceptedExtension, ::testing::ValuesIn(extensionCases));

using SourceList = WindowTest;

TEST_F(SourceList, EntriesAreSortedAndEachPathIsListedOnce)
{
    const QStringList offered = {"/v/b.mp4", "/v/C.mp4", "/v/A.mp4", "/v/a.mp4", "/v/b.mp4", "/w/0.mp4", "/v/A.mp4"};
    QList<int> results;
    for (const QString& path : offered)
        results << addSourceFile(path);
    // Alphabetical without regard to case; names that differ only in case are two entries.
    EXPECT_EQ(entries(), QStringList({"/v/A.mp4", "/v/a.mp4", "/v/b.mp4", "/v/C.mp4", "/w/0.mp4"}));
    EXPECT_EQ(results[4], -1);
    EXPECT_EQ(results[6], -1);
    // Each accepted path reports the row it went to at the time it was added.
    EXPECT_EQ(results[0], 0);  // b into an empty list
    EXPECT_EQ(results[1], 1);  // C after b
    EXPECT_EQ(results[2], 0);  // A before both
    EXPECT_EQ(results[3], 1);  // a right after A
    EXPECT_EQ(results[5], 4);  // /w after every /v
    EXPECT_TRUE(isSourceListed("/v/a.mp4"));
    EXPECT_FALSE(isSourceListed("/v/B.mp4"));
    EXPECT_FALSE(isSourceListed("/v/a.mp4 "));
}

TEST_F(SourceList, RefusedPathsLeaveTheListAloneWithoutAWord)
{
    addSourceFile("/v/keep.mp4");
    for (const char* path : {"/v/clip.avi", "/v/clip", "/v/keep.mp4", ""})
        EXPECT_EQ(addSourceFile(QString::fromUtf8(path)), -1) << path;
    EXPECT_EQ(entries(), QStringList({"/v/keep.mp4"}));
    EXPECT_TRUE(dialogs::requests().empty());
}

TEST_F(SourceList, LongPathsAreKeptWhole)
{
    const QString path = "/v/" + QString(600, QChar('x')) + "/" + QString(250, QChar('y')) + ".mp4";
    ASSERT_EQ(addSourceFile(path), 0);
    EXPECT_EQ(entries(), QStringList({path}));
    EXPECT_EQ(addSourceFile(path), -1);
}

TEST_F(SourceList, DropAreaShowsExactlyWhileTheListIsEmpty)
{
    addSourceFile("/v/one.mp4");
    EXPECT_TRUE(list()->isEnabled());
    EXPECT_FALSE(dropArea()->isVisible());
    addSourceFile("/v/two.mp4");
    selectRows({0});
    window->onCommand(IDC_REMOVE);
    EXPECT_TRUE(list()->isEnabled());
    EXPECT_FALSE(dropArea()->isVisible());
    selectRows({0});
    window->onCommand(IDC_REMOVE);
    EXPECT_FALSE(list()->isEnabled());
    EXPECT_TRUE(dropArea()->isVisible());
}

TEST_F(SourceList, AddAsksForMediaFilesAndAddsWhatWasChosen)
{
    const QString one = makeFile("one.mp4");
    const QString two = makeFile("Two.MP4");
    const QString other = makeFile("notes.txt");
    addSourceFile(one);
    dialogs::setNextOpenFileNames({two, other, one, makeFile("three.mp4")});
    window->onCommand(IDC_ADD);

    ASSERT_EQ(dialogs::requests().size(), 1u);
    const dialogs::Request& asked = dialogs::requests().front();
    EXPECT_EQ(asked.kind, dialogs::Request::OpenFiles);
    EXPECT_EQ(s(asked.title), "Select Files");
    EXPECT_EQ(s(asked.filter), "Media Files (*.mp4)");
    EXPECT_EQ(asked.owner, window.get());
    EXPECT_EQ(entries(), QStringList({one, temp->file("three.mp4").c_str(), two}));
    EXPECT_FALSE(dropArea()->isVisible());
}

TEST_F(SourceList, CancelledAddChangesNothing)
{
    window->onCommand(IDC_ADD);  // no prepared answer: the person cancels
    EXPECT_EQ(dialogs::requests().size(), 1u);
    EXPECT_EQ(list()->count(), 0);
    EXPECT_TRUE(dropArea()->isVisible());
}

namespace {

// Drags `urls` onto the window at `where` and drops them, as the window system does;
// whether the window took the drag in.
bool dropOnto(QWidget* window, const QList<QUrl>& urls, QPoint where)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(where), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    return drop.isAccepted();
}

}  // namespace

TEST_F(SourceList, DroppedFilesAreOfferedLikeAddedOnes)
{
    const QString first = makeFile("b.mp4");
    const QString second = makeFile("A.Mp4");
    const QString refused = makeFile("c.mkv");
    const QString folder = QString::fromStdString(temp->path());
    addSourceFile(first);
    const QList<QUrl> urls = {QUrl::fromLocalFile(second), QUrl::fromLocalFile(refused), QUrl::fromLocalFile(first),
                              QUrl::fromLocalFile(folder), QUrl("https://example.org/web.mp4")};
    EXPECT_TRUE(dropOnto(window.get(), urls, dropArea()->geometry().center()));
    EXPECT_EQ(entries(), QStringList({second, first}));
    EXPECT_FALSE(dropArea()->isVisible());
    EXPECT_TRUE(dialogs::requests().empty());
}

TEST_F(SourceList, DroppedFolderIsTestedAsAPath)
{
    // A folder is not opened: its own name decides, and "clips.mp4" is accepted.
    const std::string folder = temp->file("clips.mp4");
    std::filesystem::create_directories(folder);
    writeFile(folder + "/inside.mp4", "");
    dropOnto(window.get(), {QUrl::fromLocalFile(QString::fromStdString(folder))}, QPoint(10, 60));
    EXPECT_EQ(entries(), QStringList({QString::fromStdString(folder)}));
}

TEST_F(SourceList, NothingIsDroppedWhileTheEngineRuns)
{
    coreEngine->state = Running;
    dropOnto(window.get(), {QUrl::fromLocalFile(makeFile("a.mp4"))}, dropArea()->geometry().center());
    EXPECT_EQ(list()->count(), 0);
    EXPECT_TRUE(dropArea()->isVisible());
    coreEngine->state = Finished;
    dropOnto(window.get(), {QUrl::fromLocalFile(makeFile("a.mp4"))}, dropArea()->geometry().center());
    EXPECT_EQ(list()->count(), 1);
}

TEST_F(SourceList, RemoveTakesOutEverySelectedEntry)
{
    for (const char* path : {"/v/1.mp4", "/v/2.mp4", "/v/3.mp4", "/v/4.mp4", "/v/5.mp4"})
        addSourceFile(path);
    selectRows({0, 2, 4});
    window->onCommand(IDC_REMOVE);
    EXPECT_EQ(entries(), QStringList({"/v/2.mp4", "/v/4.mp4"}));

    list()->clearSelection();
    window->onCommand(IDC_REMOVE);
    EXPECT_EQ(entries(), QStringList({"/v/2.mp4", "/v/4.mp4"}));
    EXPECT_TRUE(list()->isEnabled());
}

TEST_F(SourceList, ClearEmptiesTheListAndShowsTheDropArea)
{
    for (const char* path : {"/v/1.mp4", "/v/2.mp4", "/v/3.mp4"})
        addSourceFile(path);
    selectRows({1});
    window->onCommand(IDC_CLEAR);
    EXPECT_EQ(list()->count(), 0);
    EXPECT_FALSE(list()->isEnabled());
    EXPECT_TRUE(dropArea()->isVisible());
    // The cleared paths can be added again.
    EXPECT_EQ(addSourceFile("/v/2.mp4"), 0);
}
