#include "progress_dialog.h"

#include <QCloseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

#include "app_state.h"
#include "control_ids.h"
#include "convert_core.h"
#include "dialog_seams.h"
#include "dialog_units.h"

namespace {

constexpr int progressWidth = 251;
constexpr int progressHeight = 72;
constexpr int timerPeriodMs = 100;

// The total line, "%ld / %ld (%ld%%)".
QString totalLine(long number, long count, long percent)
{
    return QString::asprintf("%ld / %ld (%ld%%)", number, count, percent);
}

}  // namespace

ProgressDialog::ProgressDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setFont(dialogTemplateFont());
    setWindowTitle(QStringLiteral("Progress"));
    const DialogUnits units(font());
    setFixedSize(units.toPixelsX(progressWidth), units.toPixelsY(progressHeight));

    // Template order, which is also the tab order.
    auto* fileLine = new PathLabel(QStringLiteral("File Name"), this);
    fileLine->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setControlId(fileLine, IDC_FILE_LINE);
    fileLine->setGeometry(units.toPixels(7, 22, 237, 8));

    auto* bar = new QProgressBar(this);
    bar->setTextVisible(false);
    setControlId(bar, IDC_PROGRESS_BAR);
    bar->setGeometry(units.toPixels(7, 34, 237, 10));

    auto* totalLineLabel = new QLabel(QStringLiteral("Total 1/10"), this);
    totalLineLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setControlId(totalLineLabel, IDC_TOTAL_LINE);
    totalLineLabel->setGeometry(units.toPixels(7, 7, 237, 8));

    for (const auto& [id, text] : {std::pair{IDC_STOP, "Stop"}, std::pair{IDC_CLOSE, "Close"}}) {
        auto* button = new QPushButton(QString::fromUtf8(text), this);
        button->setAutoDefault(false);
        setControlId(button, id);
        button->setGeometry(units.toPixels(101, 50, 50, 14));
        connect(button, &QPushButton::clicked, this, [this, id = id] { onCommand(id); });
    }

    timer_.setInterval(timerPeriodMs);
    connect(&timer_, &QTimer::timeout, this, [this] { updateProgress(this); });
}

ProgressDialog::~ProgressDialog()
{
    // The question must not reach a dialog that is gone. The owner destroys the dialog
    // only after the worker has ended, so this is the normal end, not a race.
    if (registered_ && coreEngine != nullptr && coreEngine->overwrite.userValue == this && !coreEngine->workerActive())
        coreEngine->overwrite = OverwriteCallback{};
}

bool ProgressDialog::initDialog()
{
    if (coreEngine == nullptr)
        return false;
    coreEngine->overwrite.ask = confirmOverwrite;
    coreEngine->overwrite.userValue = this;
    registered_ = true;
    if (!coreEngine->start())
        return false;
    if (QWidget* stop = findControl(this, IDC_STOP))
        stop->show();
    if (QWidget* close = findControl(this, IDC_CLOSE))
        close->hide();
    timer_.start();
    updateProgress(this);
    return true;
}

int ProgressDialog::run()
{
    if (!initDialog())
        return 2;
    return exec();
}

bool ProgressDialog::onCommand(int id)
{
    if (id == IDC_STOP) {
        const QMessageBox::StandardButton answer =
            dialogs::message(this, QStringLiteral("Are you sure you want to stop the conversion?"),
                             QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::Yes && coreEngine != nullptr)
            coreEngine->stop();
        return true;
    }
    if (id == IDC_CLOSE) {
        done(1);
        return true;
    }
    return false;
}

void ProgressDialog::closeEvent(QCloseEvent* event)
{
    // Alt+F4 and the like: consumed without effect.
    event->ignore();
}

void ProgressDialog::stopProgressTimer()
{
    timer_.stop();
}

int32_t ProgressDialog::askOverwrite(const QString& text)
{
    if (coreEngine == nullptr || coreEngine->state.load() != Running)
        return 0;
    return dialogs::message(this, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes ? 1 : 0;
}

void updateProgress(ProgressDialog* dialog)
{
    ConvertCore* engine = coreEngine;
    if (dialog == nullptr || engine == nullptr)
        return;
    QString total;
    QString label;
    long position = 0;
    long range = 0;
    // The dialog opens only with jobs; the guard keeps a division by zero out anyway.
    const long count = std::max<long>(engine->jobCount(), 1);
    const int32_t state = engine->state.load();

    if (state == Running) {
        ConvertJob job;
        if (engine->currentJob(job)) {
            position = static_cast<long>(job.index) * 100 + job.percent;
            range = count * 100;
            label = QString::fromStdString(job.source);
            total = totalLine(job.index + 1L, count, position / count);
        }
    }
    auto* bar = findControlAs<QProgressBar>(dialog, IDC_PROGRESS_BAR);
    if (state == Finished) {
        label = QStringLiteral("Complete");
        const long done = engine->finishedCount();
        // Rounded: a half percent or more goes up.
        const long finalPercent = static_cast<long>(done * 100.0 / count + 0.5);
        total = totalLine(done, count, finalPercent);
        if (bar != nullptr)
            bar->hide();
        dialog->stopProgressTimer();
    }

    if (!total.isEmpty()) {
        if (auto* line = findControlAs<QLabel>(dialog, IDC_TOTAL_LINE))
            line->setText(total);
    }
    if (!label.isEmpty()) {
        if (auto* line = findControlAs<QLabel>(dialog, IDC_FILE_LINE))
            line->setText(label);
    }
    if (bar != nullptr) {
        // An empty range would make the bar a busy indicator; with nothing to show yet
        // it is an empty bar.
        bar->setRange(0, range > 0 ? static_cast<int>(range) : 1);
        bar->setValue(static_cast<int>(position));
    }

    if (state != Running) {
        if (QWidget* stop = findControl(dialog, IDC_STOP))
            stop->hide();
        if (QWidget* close = findControl(dialog, IDC_CLOSE))
            close->show();
        if (state != Finished) {
            // After a stop the dialog closes itself, once, as if Close had been pressed.
            dialog->stopProgressTimer();
            QMetaObject::invokeMethod(dialog, [dialog] { dialog->onCommand(IDC_CLOSE); }, Qt::QueuedConnection);
        }
    }
}

int32_t confirmOverwrite(int32_t kind, void* user)
{
    if (kind != 1 || user == nullptr)
        return 0;
    ConvertCore* engine = coreEngine;
    if (engine == nullptr || engine->state.load() != Running)
        return 0;
    ConvertJob job;
    engine->currentJob(job);
    const QString text = QStringLiteral("'") + QString::fromStdString(job.destination) +
                         QStringLiteral("' already exists.\nDo you want to replace it?");
    // The box belongs to the user-interface thread: the question is handed over there
    // and this thread waits for the answer. If the dialog went away before it could
    // ask, the call is dropped and the answer stays no.
    auto* dialog = static_cast<ProgressDialog*>(user);
    int32_t answer = 0;
    QMetaObject::invokeMethod(
        dialog, [dialog, &answer, &text] { answer = dialog->askOverwrite(text); }, Qt::BlockingQueuedConnection);
    return answer;
}

void PathLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, static_cast<int>(alignment()), shown);
}
