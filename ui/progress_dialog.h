#pragma once

// The progress dialog (template IDD_PROGRESS): the modal window a batch runs under.
// It registers itself as the engine's overwrite question, starts the worker, and
// every 100 ms shows the file in hand, its number and the batch's percentage, as text
// and as a bar. Stop (after a question) asks the engine to stop, and the dialog then
// closes itself; at the end it shows "Complete" and waits for Close. Escape and the
// window system's close request do nothing. User-interface thread, except
// confirmOverwrite, which the worker calls.

#include <cstdint>

#include <QDialog>
#include <QLabel>
#include <QTimer>

class ProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget* owner);
    ~ProgressDialog() override;

    // Registers confirmOverwrite with coreEngine, starts the worker, shows Stop, starts
    // the timer and shows the first update. False when the worker could not start.
    bool initDialog();
    // initDialog, then the dialog until it ends: 1 when closed through Close, 2 when the
    // worker could not be started.
    int run();

    // Stop (1020) and Close (1021); false for any other id.
    bool onCommand(int id);
    // Escape does nothing: the dialog ends only through Close.
    void reject() override {}

    void stopProgressTimer();
    bool progressTimerActive() const { return timer_.isActive(); }

    // The overwrite question, on the user-interface thread: 1 for Yes. No question is
    // shown (0) once the engine has left Running.
    int32_t askOverwrite(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QTimer timer_;
    bool registered_ = false;
};

// One refresh of `dialog` from coreEngine's state (see the dialog's description).
void updateProgress(ProgressDialog* dialog);

// The engine's OverwriteCallback: `user` is the progress dialog. Runs on the worker:
// hands the question for the job in hand to the user-interface thread and waits for
// the answer. 1 means replace. Answers 0 at once for another `kind` and when the
// engine is no longer Running, so a stop never waits on a question.
int32_t confirmOverwrite(int32_t kind, void* user);

// A centred one-line text that shows a too-long path shortened in the middle; text()
// stays the whole path.
class PathLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};
