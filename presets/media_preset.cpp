#include "media_preset.h"

namespace {

// Walks the table from row 0; null when the table ends before `index`.
const PresetEntry* rowAt(const PresetEntry* table, int index)
{
    if (table == nullptr || index < 0)
        return nullptr;
    for (int row = 0; table[row].label != nullptr; ++row) {
        if (row == index)
            return &table[row];
    }
    return nullptr;
}

}  // namespace

int MediaPreset::presetCount() const
{
    int count = 0;
    if (table != nullptr) {
        while (table[count].label != nullptr)
            ++count;
    }
    return count;
}

std::string MediaPreset::presetLabel(int index) const
{
    const PresetEntry* row = rowAt(table, index);
    return row != nullptr ? std::string(row->label) : std::string();
}

std::string MediaPreset::presetArguments(int index) const
{
    const PresetEntry* row = rowAt(table, index);
    return row != nullptr && row->arguments != nullptr ? std::string(row->arguments) : std::string();
}
