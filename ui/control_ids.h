#pragma once

// Ids of the dialogs, their controls and the pictures. Every control carries its id
// (see findControl in app_state.h), so handlers and tests look controls up by id.

// Dialog templates.
constexpr int IDD_MAIN = 129;             // main dialog with the preset chooser
constexpr int IDD_PROGRESS = 130;         // progress dialog
constexpr int IDD_MAIN_NO_PRESET = 131;   // main dialog without the preset chooser

// Main dialog.
constexpr int IDC_CONVERT = 1001;         // owner-drawn "Convert"
constexpr int IDC_BROWSE = 1004;          // "..." picks the output folder
constexpr int IDC_OUTPUT_FOLDER = 1006;   // output-folder field
constexpr int IDC_PRESET = 1009;          // preset chooser (IDD_MAIN only)
constexpr int IDC_ADD = 1010;             // owner-drawn "Add"
constexpr int IDC_REMOVE = 1011;          // owner-drawn "Remove"
constexpr int IDC_CLEAR = 1012;           // owner-drawn "Clear"
constexpr int IDC_SOURCE_LIST = 1013;     // the source file list
constexpr int IDC_OPEN_FOLDER = 1014;     // "Open" shows the output folder
constexpr int IDC_DROP_AREA = 1015;       // owner-drawn, disabled "Drag and Drop Here"
constexpr int IDC_PRESET_LABEL = 1022;    // "Preset:" (IDD_MAIN only)
constexpr int IDC_FOLDER_LABEL = 1023;    // "Output Folder:"

// Progress dialog.
constexpr int IDC_FILE_LINE = 1016;       // source of the job in hand; "Complete" at the end
constexpr int IDC_PROGRESS_BAR = 1017;    // overall progress
constexpr int IDC_TOTAL_LINE = 1018;      // "i / n (p%)"
constexpr int IDC_STOP = 1020;
constexpr int IDC_CLOSE = 1021;

// The close command of a dialog (Escape, the title-bar close, Alt+F4).
constexpr int IDCANCEL = 2;

// Pictures, named in the resource file by these numbers.
constexpr int IDB_CONVERT = 144;
constexpr int IDB_REMOVE = 145;
constexpr int IDB_ADD = 146;
constexpr int IDB_CLEAR = 147;
constexpr int IDB_DROP_HERE = 150;
constexpr int IDI_APP = 137;
