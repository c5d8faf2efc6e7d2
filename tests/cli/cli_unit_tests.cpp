// Pieces of the command-line tool on their own: the window's extension test, the
// choice of the next file for an idle engine, and the progress texts.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "batch_runner.h"
#include "progress_display.h"
#include "source_list.h"
#include "test_support.h"

namespace {

TEST(SourceList, AcceptsTheWindowsExtensions)
{
    struct Case {
        const char* path;
        bool accepted;
    };
    const Case cases[] = {
        {"clip.mp4", true},           {"CLIP.MP4", true},       {"clip.Mp4", true}, {"clip.mp4v", true},
        {"clip.xmp4", true},          {"clip.avi", false},      {"clip", false},    {"/v/a.mp4/clip", true},
        {"/v/rel.1/clip.mp4x", true}, {"/v/rel.1/clip", false}, {"", false},        {"clip.mp4.txt", false},
        {"café.MP4", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hasAcceptedExtension(c.path), c.accepted) << c.path;
}

TEST(SourceList, KeepsOrderTakesEachPathOnceAndSaysWhyItRefuses)
{
    TempFolder temp;
    writeFile(temp.file("b.mp4"), "");
    writeFile(temp.file("a.mp4"), "");
    writeFile(temp.file("A.mp4"), "");
    writeFile(temp.file("notes.txt"), "");
    std::filesystem::create_directories(temp.file("folder.mp4"));
    const CheckedSources checked =
        checkSources({temp.file("b.mp4"), temp.file("a.mp4"), temp.file("b.mp4"), temp.file("A.mp4"),
                      temp.file("notes.txt"), temp.file("gone.mp4"), temp.file("folder.mp4")});
    // The byte-wise comparison keeps a.mp4 and A.mp4 apart, as the window's list does.
    EXPECT_EQ(checked.accepted, (std::vector<std::string>{temp.file("b.mp4"), temp.file("a.mp4"), temp.file("A.mp4")}));
    EXPECT_EQ(checked.repeated, std::vector<std::string>{temp.file("b.mp4")});
    ASSERT_EQ(checked.refused.size(), 3u);
    EXPECT_EQ(checked.refused[0].reason, SourceRefusal::Extension);
    EXPECT_EQ(checked.refused[1].reason, SourceRefusal::Missing);
    EXPECT_EQ(checked.refused[2].reason, SourceRefusal::Folder);
}

TEST(Scheduler, NextFileSkipsDestinationsInUseButKeepsTheirOrder)
{
    using S = FileStage;
    struct Case {
        const char* name;
        std::vector<BatchFile> files;
        int expected;
    };
    const Case cases[] = {
        {"first waiting", {{"a", "x", S::Done}, {"b", "y", S::Waiting}, {"c", "z", S::Waiting}}, 1},
        {"collision waits, a later file goes",
         {{"a/c", "c", S::Running}, {"b/c", "c", S::Waiting}, {"d", "d", S::Waiting}},
         2},
        {"nothing free", {{"a/c", "c", S::Running}, {"b/c", "c", S::Waiting}}, -1},
        {"finished twin does not block", {{"a/c", "c", S::Done}, {"b/c", "c", S::Waiting}}, 1},
        {"earlier twin goes before a later one",
         {{"x", "x", S::Running}, {"a/c", "c", S::Waiting}, {"b/c", "c", S::Waiting}},
         1},
        {"all done", {{"a", "a", S::Done}}, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nextFileToStart(c.files), c.expected) << c.name;
}

TEST(ProgressTexts, ClockAndEstimate)
{
    EXPECT_EQ(formatClock(5), "0:05");
    EXPECT_EQ(formatClock(754), "12:34");
    EXPECT_EQ(formatClock(3723), "1:02:03");
    EXPECT_FALSE(estimateSecondsLeft(0.5, 500).has_value());  // too early to say
    EXPECT_FALSE(estimateSecondsLeft(30.0, 5).has_value());   // too little done
    EXPECT_EQ(estimateSecondsLeft(10.0, 250), 30);
    EXPECT_EQ(estimateSecondsLeft(10.0, 1000), 0);
}

TEST(ProgressTexts, RowsFitTheWidthWithoutCuttingACharacter)
{
    const ProgressRow row{3, "/videos/été à la mer.mp4", 45};
    const std::string full = progressRowText(row, 8, 200);
    EXPECT_EQ(full, "  3 / 8   45% [#########-----------] /videos/été à la mer.mp4");
    for (int width = 30; width < 70; ++width) {
        const std::string cut = progressRowText(row, 8, width);
        ASSERT_EQ(full.rfind(cut, 0), 0u) << width;
        // The cut falls between characters: what follows it does not continue one.
        if (cut.size() < full.size()) {
            EXPECT_NE(static_cast<unsigned char>(full[cut.size()]) & 0xC0, 0x80) << width;
        }
        EXPECT_LE(cut.size(), static_cast<size_t>(width) * 2);
    }
    EXPECT_EQ(batchLineText(305, 80, 200), "Batch 30%, about 1:20 left");
    EXPECT_EQ(batchLineText(305, std::nullopt, 200), "Batch 30%");
}

TEST(ProgressDisplayTest, LinesWrittenDuringAQuestionWaitForItsEnd)
{
    TempFolder temp;
    std::FILE* out = std::fopen(temp.file("out").c_str(), "w+");
    std::FILE* err = std::fopen(temp.file("err").c_str(), "w+");
    ASSERT_TRUE(out && err);
    ProgressDisplay display(2, true, false, out, err);
    display.show({{1, "a.mp4", 10}}, 50, std::nullopt);
    display.beginQuestion();
    display.fileLine("Converted: b.mp4 -> ./b.avi");
    display.errorLine("Failed: c.mp4");
    std::fflush(out);
    const std::string duringQuestion = readFile(temp.file("out"));
    EXPECT_EQ(duringQuestion.find("Converted"), std::string::npos);
    display.endQuestion();
    display.finish();
    std::fclose(out);
    std::fclose(err);
    EXPECT_NE(readFile(temp.file("out")).find("Converted: b.mp4 -> ./b.avi\n"), std::string::npos);
    EXPECT_EQ(readFile(temp.file("err")), "Failed: c.mp4\n");
}

}  // namespace
