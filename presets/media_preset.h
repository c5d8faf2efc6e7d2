#pragma once

#include <string>

#include "preset_entry.h"

// A preset catalogue over a constant table. Immutable after construction; the
// user-interface thread and the command-line front end read it, the engine's worker
// never does (it works on copies of the arguments and the extension).
class MediaPreset {
public:
    explicit MediaPreset(const PresetEntry* table) : table(table) {}
    virtual ~MediaPreset() = default;

    // Extension of the files preset `index` produces, without a dot; static lifetime.
    virtual const char* outputExtension(int index) const = 0;

    // Rows before the terminating row; 0 for a null table.
    int presetCount() const;
    // Copies of a row's texts; empty for an index out of range.
    std::string presetLabel(int index) const;
    std::string presetArguments(int index) const;

protected:
    const PresetEntry* table;  // may be null: no presets
};

class VideoAvi : public MediaPreset {
public:
    using MediaPreset::MediaPreset;
};

// The catalogue of this program: the AVI table, extension "avi" for every index.
class Mp4Avi : public VideoAvi {
public:
    Mp4Avi() : VideoAvi(aviPresets) {}
    const char* outputExtension(int index) const override;
};
