// The output folder: the stored setting and what loads as empty, the folder picker
// and Open.

#include <filesystem>

#include <QDesktopServices>
#include <QSettings>
#include <QUrl>

#include "app_state.h"
#include "control_ids.h"
#include "dialog_seams.h"
#include "output_folder.h"
#include "ui_test_support.h"

using OutputFolder = WindowTest;

TEST_F(OutputFolder, SettingLivesInTheProgramsOwnSettingsFile)
{
    EXPECT_EQ(s(settingsKeyPath()), "Orvane Media Converter/avi");
    EXPECT_TRUE(saveOutputFolder("/srv/out"));
    ASSERT_TRUE(std::filesystem::exists(s(settingsFile())));
    EXPECT_EQ(s(storedFolder().toString()), "/srv/out");
    // Nothing reaches the real configuration folder: the test's XDG_CONFIG_HOME is used.
    EXPECT_EQ(readFile(s(settingsFile())).find("out_dir=/srv/out") != std::string::npos, true);
}

struct FolderText {
    const char* name;
    QString text;
};

void PrintTo(const FolderText& c, std::ostream* os)
{
    *os << c.name;
}

class FolderRoundTrip : public WindowTest, public ::testing::WithParamInterface<FolderText> {};

TEST_P(FolderRoundTrip, LoadsBackExactlyAsSaved)
{
    const QString text = GetParam().text;
    ASSERT_TRUE(saveOutputFolder(text));
    EXPECT_EQ(s(loadOutputFolder()), s(text));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FolderRoundTrip,
    ::testing::Values(FolderText{"Plain", "/home/user/Videos"}, FolderText{"Empty", ""},
                      FolderText{"Comma", "/a, b"}, FolderText{"Quotes", "/x\"y\"/"},
                      FolderText{"Backslashes", "C:\\out\\"}, FolderText{"OuterSpaces", "  lead and trail  "},
                      FolderText{"LooksLikeAVariant", "@Variant(int)"},
                      FolderText{"IniSyntax", "/semi;colon=equals#hash[x]"},
                      FolderText{"NonAscii", QString::fromUtf8("/ü/视频/клип")}, FolderText{"Relative", "relative/out"},
                      FolderText{"Windows260", QString("/") + QString(259, QChar('d'))},
                      FolderText{"LongestPath", QString("/") + QString(4094, QChar('d'))}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutputFolder, UnusableStoredValuesLoadAsEmpty)
{
    struct Stored {
        const char* what;
        QVariant value;
    };
    const Stored unusable[] = {
        {"a list", QStringList({"/a", "/b"})},
        {"a number", QVariant(42)},
        {"binary data", QByteArray("/bin\xff", 5)},
        {"longer than any path", QString("/") + QString(4095, QChar('d'))},
    };
    for (const Stored& stored : unusable) {
        {
            QSettings settings(settingsFile(), QSettings::IniFormat);
            settings.setValue("out_dir", stored.value);
        }
        EXPECT_EQ(s(loadOutputFolder()), "") << stored.what;
    }
    std::filesystem::remove(s(settingsFile()));
    EXPECT_EQ(s(loadOutputFolder()), "") << "no settings at all";
    writeFile(s(settingsFile()), "[General]\nout_dir");
    EXPECT_EQ(s(loadOutputFolder()), "") << "a key without a value";
}

TEST_F(OutputFolder, TextStoredWithItsTerminatorLoadsWithoutIt)
{
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.setValue("out_dir", QString("/srv/media") + QChar(u'\0') + QString("junk"));
    }
    EXPECT_EQ(s(loadOutputFolder()), "/srv/media");
}

TEST_F(OutputFolder, FolderIsLoadedIntoTheFieldAtStart)
{
    closeWindow();
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.setValue("out_dir", "/data/converted");
    }
    openWindow();
    EXPECT_EQ(s(folderField()->text()), "/data/converted");
    EXPECT_EQ(s(getOutputFolderText()), "/data/converted");
}

TEST_F(OutputFolder, BrowseStartsAtTheFieldAndReplacesItsTextOnly)
{
    folderField()->setText("/start/here");
    closeWindow();
    openWindow();
    const std::string stored = readFile(s(settingsFile()));

    dialogs::setNextFolder("/picked/folder");
    window->onCommand(IDC_BROWSE);
    ASSERT_EQ(dialogs::requests().size(), 1u);
    const dialogs::Request& asked = dialogs::requests().back();
    EXPECT_EQ(asked.kind, dialogs::Request::Folder);
    EXPECT_EQ(s(asked.title), "Select a folder");
    EXPECT_EQ(s(asked.folder), "/start/here");
    EXPECT_EQ(asked.owner, window.get());
    EXPECT_EQ(s(folderField()->text()), "/picked/folder");
    // The setting changes only when the window closes.
    EXPECT_EQ(readFile(s(settingsFile())), stored);

    window->onCommand(IDC_BROWSE);  // cancelled
    EXPECT_EQ(s(dialogs::requests().back().folder), "/picked/folder");
    EXPECT_EQ(s(folderField()->text()), "/picked/folder");
}

// Receives what Open hands to the desktop in place of the file manager.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

TEST_F(OutputFolder, OpenShowsTheFolderOfTheField)
{
    OpenedUrls opened;
    QDesktopServices::setUrlHandler("file", &opened, "open");
    window->onCommand(IDC_OPEN_FOLDER);
    EXPECT_TRUE(opened.urls.isEmpty()) << "an empty field opens nothing";

    const QString folder = QString::fromStdString(temp->path()) + "/with space #1";
    std::filesystem::create_directories(s(folder));
    folderField()->setText(folder);
    window->onCommand(IDC_OPEN_FOLDER);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_TRUE(opened.urls[0].isLocalFile());
    EXPECT_EQ(s(opened.urls[0].toLocalFile()), s(folder));
    EXPECT_TRUE(dialogs::requests().empty());
}

#include "output_folder_tests.moc"
