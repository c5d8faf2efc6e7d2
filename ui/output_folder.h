#pragma once

// The output folder: field 1006 of the main dialog, the "..." folder picker (1004),
// "Open" (1014), and the one setting the program keeps between runs, `out_dir`.
// While the dialog is open the field is the live state; the setting is read when the
// dialog opens and written when it closes. User-interface thread only. Nothing here
// shows a message: what cannot be read loads as empty, what cannot be written is lost
// silently.

#include <QString>

class QWidget;

// "Orvane Media Converter/avi": the organisation, then the output extension of the
// catalogue's first preset. The settings live in QSettings' native store under these
// names (on Linux "$XDG_CONFIG_HOME/Orvane Media Converter/avi.conf").
QString settingsKeyPath();
// The stored folder, or an empty text when there is none or it is unusable: not a
// plain text, or longer than a path can be.
QString loadOutputFolder();
// Stores `text` as it stands, also when empty. True when the store could be written.
bool saveOutputFolder(const QString& text);
// The text of field 1006; empty when the field is missing or empty.
QString getOutputFolderText();
// The folder picker "Select a folder", starting at `start`; the chosen folder, or an
// empty text when the user cancels.
QString browseForFolder(const QString& start, QWidget* owner);
// "...": the chosen folder replaces the field's text; cancel leaves it.
void onBrowseFolder();
// "Open": shows the folder in the file manager; nothing for an empty field.
void onOpenFolder();
