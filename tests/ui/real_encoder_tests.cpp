// The window with the real ffmpeg as core/quentrel: a small clip made with ffmpeg's
// own test sources, converted through the window, and the AVI checked with ffprobe.
// Under Xvfb (platform xcb) the same suite photographs the progress dialog during a
// real conversion and the window afterwards, for the README.

#include <cstdlib>
#include <filesystem>
#include <optional>

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QProgressBar>

#include "app_state.h"
#include "control_ids.h"
#include "convert_command.h"
#include "convert_core.h"
#include "dialog_seams.h"
#include "platform/platform.h"
#include "source_list.h"
#include "ui_test_support.h"

namespace {

// Runs a program to its end; its standard output, or nothing when it failed.
std::optional<QString> runTool(const QString& program, const QStringList& arguments, int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << s(program) << " " << s(arguments.join(' ')) << " failed:\n"
                      << process.readAllStandardError().toStdString();
        return std::nullopt;
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A clip of `seconds` with a moving test picture and a tone, as an MP4.
bool makeClip(const QString& path, int seconds, const QString& size)
{
    const QString length = QString::number(seconds);
    return runTool(FFMPEG_PATH, {"-v", "error", "-y", "-f", "lavfi", "-i",
                                 "testsrc=duration=" + length + ":size=" + size + ":rate=25", "-f", "lavfi", "-i",
                                 "sine=frequency=440:duration=" + length, "-c:v", "mpeg4", "-q:v", "5", "-c:a",
                                 "aac", "-shortest", path})
        .has_value();
}

class RealEncoder : public WindowTest {
protected:
    void SetUp() override
    {
        if (!platform::fileExists(s(QString(FFMPEG_PATH))) || !platform::fileExists(s(QString(FFPROBE_PATH))))
            GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
        WindowTest::SetUp();
        ASSERT_TRUE(platform::fileExists(s(encoderToolPath())));
    }
};

}  // namespace

TEST_F(RealEncoder, ClipConvertedThroughTheWindowIsAValidAvi)
{
    const QString clip = QString::fromStdString(temp->path() + "/sources/test clip.mp4");
    ASSERT_TRUE(makeClip(clip, 2, "160x120"));
    addSourceFile(clip);
    folderField()->setText(outFolder());

    pressConvert();

    EXPECT_EQ(s(seen.total), "1 / 1 (100%)");
    EXPECT_EQ(s(seen.file), "Complete");
    EXPECT_EQ(selectedEntries(), QStringList({clip}));
    const std::string avi = output("test clip.avi");
    ASSERT_TRUE(platform::fileExists(avi));
    const std::optional<QString> probed =
        runTool(FFPROBE_PATH, {"-v", "error", "-show_entries", "format=format_name,duration:stream=codec_name",
                               "-of", "default=noprint_wrappers=1", QString::fromStdString(avi)});
    ASSERT_TRUE(probed.has_value());
    EXPECT_TRUE(probed->contains("format_name=avi")) << s(*probed);
    EXPECT_TRUE(probed->contains("codec_name=wmv2")) << s(*probed);
    EXPECT_TRUE(probed->contains("codec_name=wmav2")) << s(*probed);
    const qsizetype at = probed->indexOf("duration=");
    ASSERT_GE(at, 0);
    EXPECT_NEAR(probed->mid(at + 9).section('\n', 0, 0).toDouble(), 2.0, 0.3) << s(*probed);
}

namespace {

// Photographs `widget`'s place on the X display with ImageMagick's import, once it
// has been painted (the picture then has many colours).
bool photograph(QWidget* widget, const QString& path)
{
    const QRect frame = widget->frameGeometry();
    const QString crop = QString("%1x%2+%3+%4").arg(frame.width()).arg(frame.height()).arg(frame.x()).arg(frame.y());
    for (int attempt = 0; attempt < 50; ++attempt) {
        widget->repaint();
        QApplication::processEvents();
        const std::optional<QString> shot = runTool("import", {"-window", "root", "-crop", crop, "+repage", path});
        if (!shot)
            return false;
        const std::optional<QString> colours = runTool("identify", {"-format", "%k", path});
        if (colours && colours->toInt() > 64)
            return true;
    }
    return false;
}

}  // namespace

// Runs only on an X display: the ui_screenshots_xvfb test runs it under Xvfb.
using RealEncoderOnDisplay = RealEncoder;

TEST_F(RealEncoderOnDisplay, PhotographsTheProgressDialogDuringARealConversion)
{
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs an X display (run by the ui_screenshots_xvfb test)";
    const char* folder = std::getenv("MCONV_SCREENSHOT_DIR");
    ASSERT_NE(folder, nullptr);
    std::filesystem::create_directories(folder);
    const QString shots = QString::fromUtf8(folder);

    // A long clip, so that the dialog can be photographed while it converts; a short
    // one; and one that ffmpeg cannot read, which stays unselected.
    const QString longClip = QString::fromStdString(temp->path() + "/sources/Holiday 2024.mp4");
    const QString shortClip = QString::fromStdString(temp->path() + "/sources/Birthday.mp4");
    ASSERT_TRUE(makeClip(longClip, 120, "640x360"));
    ASSERT_TRUE(makeClip(shortClip, 2, "320x240"));
    const QString broken = source("Damaged download.mp4", "not a video");
    for (const QString& path : {longClip, shortClip, broken})
        addSourceFile(path);
    folderField()->setText(outFolder());
    window->move(40, 40);

    bool photographed = false;
    pressConvert([&](ProgressDialog* dialog) {
        ConvertJob job;
        if (!photographed && coreEngine->currentJob(job) && job.source == s(longClip) && job.percent >= 15 &&
            job.percent <= 85) {
            photographed = true;
            EXPECT_TRUE(photograph(dialog, shots + "/progress-dialog.png"));
            // The dialog over the window it belongs to.
            EXPECT_TRUE(photograph(window.get(), shots + "/converting.png"));
        }
        closeWhenComplete(dialog);
    });
    EXPECT_TRUE(photographed);
    EXPECT_EQ(s(seen.total), "2 / 3 (67%)");
    EXPECT_EQ(selectedEntries(), QStringList({shortClip, longClip}));
    EXPECT_TRUE(photograph(window.get(), shots + "/main-window-after-batch.png"));
}
