#pragma once

// The window program's process-wide state and its start-up and shutdown: the preset
// catalogue, the decoded button pictures, the table of owner-drawn buttons, and the
// entry point's steps around the main dialog. Everything here belongs to the
// user-interface thread; the engine's worker never touches it.

#include <cstdint>
#include <map>
#include <memory>

#include <QIcon>
#include <QImage>
#include <QString>

class ConvertCore;
class MainDialog;
class MediaPreset;
class QWidget;

// One owner-drawn button: its control id, its picture and its tooltip (null: none).
// A row with control id 0 ends the table.
struct ToolButtonEntry {
    int32_t controlId;
    int32_t imageId;
    const char* tooltip;
};

// Add, Remove, Clear, Convert and the drop area, in this order.
extern const ToolButtonEntry toolButtons[];

// Root of the program's resources: ":/" (the compiled-in resource file). The pictures
// are read from "<root>png/<image id>.png". A test may point it at a folder.
extern QString appInstance;
// The main dialog while it exists; the owner of message boxes and of the progress dialog.
extern MainDialog* mainDialog;
// The window icon, every size of it.
extern QIcon appIcon;
// The engine, from the main dialog's initialisation to its close.
extern ConvertCore* coreEngine;
// The one catalogue (an Mp4Avi), set by initApplication and never deleted.
extern MediaPreset* presetCatalogue;
// The decoded picture of each owner-drawn button, keyed by control id. Painting only
// looks entries up, it never adds one.
extern std::map<int32_t, std::unique_ptr<QImage>> buttonImages;

// Zeroes the process-wide state and creates the catalogue. Always true.
bool initApplication();
// Decodes each button's picture once, from `root` (see appInstance). A picture that is
// missing or cannot be decoded leaves its button without an entry. Always true.
bool loadButtonImages(const QString& root = QStringLiteral(":/"));
// The picture at `path` decoded, or null when there is none or it cannot be decoded.
std::unique_ptr<QImage> loadPngResource(const QString& path);
// Disposes of the pictures (buttonImages is empty afterwards) and the icon.
void exitApplication();
// Lists the catalogue's presets in the main dialog's chooser (1009) and selects the
// first; does nothing when the dialog has no chooser.
void fillPresetCombo();

// The main dialog template for the catalogue: IDD_MAIN with the preset chooser when
// there is more than one preset, IDD_MAIN_NO_PRESET otherwise.
int chooseMainTemplate();

// The whole program: start-up, the main dialog until it closes, shutdown. Returns 0.
// The command line is not read. Needs a QApplication.
int runApplication();

// Controls carry their dialog control id; these find a control of a dialog by it.
void setControlId(QWidget* control, int id);
int controlId(const QWidget* control);
// The control with this id among the dialog's own controls, or null.
QWidget* findControl(const QWidget* dialog, int id);
template <typename T>
T* findControlAs(const QWidget* dialog, int id)
{
    return qobject_cast<T*>(findControl(dialog, id));
}
