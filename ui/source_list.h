#pragma once

// The source file list (control 1013 of the main dialog) and the drop area over it.
// The list is the only store of the chosen sources: entries are full paths exactly as
// offered, in sorted order, without duplicates, and only with an accepted extension.
// Refused paths are dropped silently. Every operation that adds or removes entries
// ends with refreshListState. User-interface thread only; each does nothing when the
// main dialog or its list does not exist.

#include <QList>
#include <QString>
#include <QUrl>

// Inserts `path` in its sorted place; its index, or -1 when it was refused (already
// listed, no accepted extension) or there is no list.
int addSourceFile(const QString& path);
// True when an entry equals `path` exactly (letter case matters).
bool isSourceListed(const QString& path);
// True when the text from the path's last "." on, with ASCII letters lowered,
// contains an accepted extension ("mp4"): clip.MP4, clip.mp4v and clip.xmp4 pass, and
// the last dot may lie in a folder name (/a.mp4/clip passes, /rel.1/clip does not).
bool hasAcceptedExtension(const QString& path);
// Enables the list exactly while it has entries and shows the drop area exactly while
// it has none.
void refreshListState();

// Add (1010): the open-file dialog "Select Files" for several .mp4 files.
void onAddFiles();
// Remove (1011): every selected entry.
void onRemoveFiles();
// Clear (1012): every entry.
void onClearFiles();
// Files dropped onto the window; refused as a whole while the engine is Running or
// its worker still exists.
// Only local files count; a dropped folder is tested as a path like any other.
void onDropFiles(const QList<QUrl>& urls);
