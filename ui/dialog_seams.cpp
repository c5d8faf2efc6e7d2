#include "dialog_seams.h"


#include <QFileDialog>
#include <QWidget>

namespace dialogs {

namespace {

struct Script {
    bool scripted = false;
    std::deque<QStringList> openFileNames;
    std::deque<QString> folders;
    std::deque<QMessageBox::StandardButton> messageAnswers;
    std::function<QMessageBox::StandardButton(const Request&)> answerer;
    std::vector<Request> requests;
};

Script& script()
{
    static Script instance;
    return instance;
}

}  // namespace

QString messageCaption()
{
    return QStringLiteral("Orvane Free MP4 to AVI Converter");
}

QStringList getOpenFileNames(QWidget* owner, const QString& title, const QString& filter)
{
    if (!script().scripted)
        return QFileDialog::getOpenFileNames(owner, title, QString(), filter);
    Request request;
    request.kind = Request::OpenFiles;
    request.title = title;
    request.filter = filter;
    request.owner = owner;
    script().requests.push_back(request);
    if (script().openFileNames.empty())
        return {};
    QStringList answer = script().openFileNames.front();
    script().openFileNames.pop_front();
    return answer;
}

QString getExistingDirectory(QWidget* owner, const QString& title, const QString& start)
{
    if (!script().scripted)
        return QFileDialog::getExistingDirectory(owner, title, start);
    Request request;
    request.kind = Request::Folder;
    request.title = title;
    request.folder = start;
    request.owner = owner;
    script().requests.push_back(request);
    if (script().folders.empty())
        return {};
    QString answer = script().folders.front();
    script().folders.pop_front();
    return answer;
}

QMessageBox::StandardButton message(QWidget* owner, const QString& text, QMessageBox::StandardButtons buttons)
{
    // The box is built the same way in both modes, so that what a test reads back is
    // what a person would see.
    QMessageBox box(QMessageBox::NoIcon, messageCaption(), text, buttons, owner);
    if (!script().scripted)
        return static_cast<QMessageBox::StandardButton>(box.exec());
    Request request;
    request.kind = Request::Message;
    request.title = box.windowTitle();
    request.text = box.text();
    request.buttons = box.standardButtons();
    request.icon = box.icon();
    request.owner = box.parentWidget();
    if (owner != nullptr)
        request.ownerClass = QString::fromUtf8(owner->metaObject()->className());
    script().requests.push_back(request);
    if (script().answerer)
        return script().answerer(request);
    if (script().messageAnswers.empty())
        return QMessageBox::NoButton;
    const QMessageBox::StandardButton answer = script().messageAnswers.front();
    script().messageAnswers.pop_front();
    return answer;
}

void setScripted(bool scripted)
{
    script().scripted = scripted;
}

bool isScripted()
{
    return script().scripted;
}

void setNextOpenFileNames(const QStringList& paths)
{
    script().openFileNames.push_back(paths);
}

void setNextFolder(const QString& folder)
{
    script().folders.push_back(folder);
}

void pushMessageAnswer(QMessageBox::StandardButton answer)
{
    script().messageAnswers.push_back(answer);
}

void setMessageAnswerer(std::function<QMessageBox::StandardButton(const Request&)> answerer)
{
    script().answerer = std::move(answerer);
}

const std::vector<Request>& requests()
{
    return script().requests;
}

void resetScript()
{
    Script& s = script();
    s.openFileNames.clear();
    s.folders.clear();
    s.messageAnswers.clear();
    s.answerer = nullptr;
    s.requests.clear();
}

}  // namespace dialogs
