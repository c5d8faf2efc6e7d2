#pragma once

// The main window: a dialog built from template IDD_MAIN (with the preset chooser) or
// IDD_MAIN_NO_PRESET (without it), in the template's arrangement and proportions. It
// creates the engine when it opens and destroys it when it closes, routes every
// command and dropped file to the handlers of the source list, the output folder and
// the Convert command, and closes through one sequence whichever way it is closed
// (title-bar close, Alt+F4, Escape). User-interface thread only.

#include <QDialog>
#include <QList>
#include <QUrl>

class MainDialog : public QDialog {
    Q_OBJECT
public:
    // Builds the controls of `templateId` and initialises the dialog: sets mainDialog,
    // creates coreEngine, fills the preset chooser, loads the output folder, creates
    // the tooltips and the list's state.
    explicit MainDialog(int templateId, QWidget* parent = nullptr);
    ~MainDialog() override;

    int templateId() const { return templateId_; }

    // Runs the command of control `id` (2 is the close command). False for an id
    // that has no command, which changes nothing.
    bool onCommand(int id);

    // Escape comes here: the close sequence.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    bool initDialog();
    // Saves the output folder, empties and destroys the engine (after its worker has
    // ended) and ends the dialog with result 2. Runs once.
    void closeSequence();

    int templateId_;
    bool closed_ = false;
    // The close sequence waits while Convert runs: after a stop the window is usable
    // again while Convert still waits for the worker, and closing then would destroy
    // the engine under that wait.
    bool convertRunning_ = false;
    bool closePending_ = false;
};
