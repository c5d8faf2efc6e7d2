#include <gtest/gtest.h>

#include "media_preset.h"

namespace {

struct PresetRow {
    int index;
    const char* label;
    const char* arguments;
};

const PresetRow kExpectedRows[] = {
    {0, "XviD FullScreen", "-vcodec wmv2 -acodec wmav2 -b:v 1000k -b:a 160k -r 25"},
    {1, "XviD Widescreen", "-vcodec wmv2 -acodec wmav2 -b:v 640k -b:a 128k -r 29.97 -vf scale=320:240"},
    {2, "XviD Widescreen Anamorphic", "-vcodec wmv2 -acodec wmav2 -b:v 1200k -b:a 160k -r 25 -vf scale=720:480"},
    {3, "MS Compatible AVI", "-vcodec wmv2 -acodec wmav2 -b:v 640k -b:a 128k -r 23.97 -vf scale=320:240"},
};

class TableCatalogue : public VideoAvi {
public:
    explicit TableCatalogue(const PresetEntry* table) : VideoAvi(table) {}
    const char* outputExtension(int) const override { return "avi"; }
};

}  // namespace

TEST(Mp4AviCatalogue, ListsTheFourAviPresetsByteForByte)
{
    const Mp4Avi catalogue;
    ASSERT_EQ(catalogue.presetCount(), 4);
    for (const PresetRow& row : kExpectedRows) {
        EXPECT_EQ(catalogue.presetLabel(row.index), row.label) << row.index;
        EXPECT_EQ(catalogue.presetArguments(row.index), row.arguments) << row.index;
        EXPECT_EQ(aviPresets[row.index].extension, nullptr);
    }
}

TEST(Mp4AviCatalogue, OutOfRangeIndexesGiveEmptyTextsAndTheExtensionIsAlwaysAvi)
{
    const Mp4Avi catalogue;
    for (int index : {-1, 4, 99}) {
        EXPECT_EQ(catalogue.presetLabel(index), "") << index;
        EXPECT_EQ(catalogue.presetArguments(index), "") << index;
    }
    for (int index : {-1, 0, 3, 99})
        EXPECT_STREQ(catalogue.outputExtension(index), "avi") << index;
}

TEST(MediaPreset, OneRowAndNullTables)
{
    const PresetEntry oneRow[] = {{"Only", "-c copy", nullptr}, {nullptr, nullptr, nullptr}};
    const TableCatalogue single(oneRow);
    EXPECT_EQ(single.presetCount(), 1);
    EXPECT_EQ(single.presetLabel(0), "Only");
    EXPECT_EQ(single.presetLabel(1), "");

    const TableCatalogue none(nullptr);
    EXPECT_EQ(none.presetCount(), 0);
    EXPECT_EQ(none.presetLabel(0), "");
    EXPECT_EQ(none.presetArguments(0), "");
}
