#pragma once

// One row of a constant preset table. All three texts are UTF-8 with static
// lifetime; a row whose label is null ends the table.
struct PresetEntry {
    const char* label;
    const char* arguments;
    const char* extension;  // null in every row of the AVI table; nobody reads it
};

// The four AVI presets, in the order the chooser lists them. Every row selects the
// wmv2 video and wmav2 audio codecs, whatever its label says.
extern const PresetEntry aviPresets[];
