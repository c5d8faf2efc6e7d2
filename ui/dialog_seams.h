#pragma once

// The standard dialogs the program shows: the open-file dialog, the folder picker and
// message boxes. Every one goes through here so that a test can answer in place of a
// person ("next answer"), and can read back what the person would have been shown.
// User-interface thread only.

#include <deque>
#include <functional>
#include <vector>

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

namespace dialogs {

// The caption of every message box of the program.
QString messageCaption();

// "Select Files" style open-file dialog for several existing files. Full paths, or
// nothing when cancelled.
QStringList getOpenFileNames(QWidget* owner, const QString& title, const QString& filter);
// Folder picker starting at `start`; the chosen folder, or empty when cancelled.
QString getExistingDirectory(QWidget* owner, const QString& title, const QString& start);
// A message box with the program's caption, no icon and the given buttons; the
// button pressed (NoButton when the box was closed otherwise).
QMessageBox::StandardButton message(QWidget* owner, const QString& text, QMessageBox::StandardButtons buttons);

// --- seams for the tests ---

// What a dialog would have shown.
struct Request {
    enum Kind { OpenFiles, Folder, Message } kind = Message;
    QString title;
    QString text;    // message text
    QString filter;  // open-file filter
    QString folder;  // folder picker's starting folder
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* owner = nullptr;  // may be gone by the time a test reads it
    QString ownerClass;        // the owner's class, read while it was there
};

// While scripted, no dialog is shown: each request is recorded and answered by the
// answerer, if one is set, else by the next prepared answer of its kind, else as a
// person closing the dialog would (cancel, or NoButton for a message).
void setScripted(bool scripted);
bool isScripted();
void setNextOpenFileNames(const QStringList& paths);
void setNextFolder(const QString& folder);
void pushMessageAnswer(QMessageBox::StandardButton answer);
// Answers message boxes by calling `answerer` (runs on the user-interface thread,
// may run the event loop); an empty function removes it.
void setMessageAnswerer(std::function<QMessageBox::StandardButton(const Request&)> answerer);
const std::vector<Request>& requests();
// Forgets requests and prepared answers.
void resetScript();

}  // namespace dialogs
