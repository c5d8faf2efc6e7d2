// Convert when the encoder tool is not there. This suite runs from a folder whose
// core/quentrel is a link to nothing, as after the system's ffmpeg was removed.

#include "app_state.h"
#include "control_ids.h"
#include "convert_command.h"
#include "convert_core.h"
#include "dialog_seams.h"
#include "platform/platform.h"
#include "source_list.h"
#include "ui_test_support.h"

using MissingCore = WindowTest;

TEST_F(MissingCore, ConvertSaysThereIsNoCoreFileAndStartsNothing)
{
    const std::string tool = s(encoderToolPath());
    ASSERT_TRUE(tool.ends_with("/core/quentrel")) << tool;
    ASSERT_FALSE(platform::fileExists(tool));

    addSourceFile(source("clip.mp4"));
    folderField()->setText(outFolder());
    coreEngine->encoderPath = "/previous/encoder";
    coreEngine->presetArgs = "-previous";
    coreEngine->addJob("/previous/clip.mp4");

    pressConvert();

    ASSERT_EQ(dialogs::requests().size(), 1u);
    const dialogs::Request& told = dialogs::requests()[0];
    EXPECT_EQ(s(told.text), "There isn't a core file.");
    EXPECT_EQ(s(told.title), "Orvane Free MP4 to AVI Converter");
    EXPECT_EQ(told.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(told.icon, QMessageBox::NoIcon);
    EXPECT_EQ(told.owner, window.get());
    EXPECT_FALSE(seen.opened);
    EXPECT_EQ(coreEngine->state.load(), Idle);
    EXPECT_EQ(coreEngine->encoderPath, "/previous/encoder");
    EXPECT_EQ(coreEngine->presetArgs, "-previous");
    EXPECT_EQ(coreEngine->jobCount(), 1);
    EXPECT_TRUE(listFolder(s(outFolder())).empty());
}

TEST_F(MissingCore, EarlierChecksStillComeFirst)
{
    addSourceFile(source("clip.mp4"));
    pressConvert();
    ASSERT_EQ(dialogs::requests().size(), 1u);
    EXPECT_EQ(s(dialogs::requests()[0].text), "Please select output folder.");
}
