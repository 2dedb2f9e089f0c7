#include "support/ui/ScriptedDialogs.h"

#include "shell/FileFilter.h"

#include <QDialog>

namespace corvane::test {

using corvane::ui::FileDialogRequest;
using corvane::ui::FileDialogResult;

void ScriptedDialogs::QueueFile(const QString& name, int filterIndex) {
    files_.push_back(FileDialogResult{name, filterIndex});
}

void ScriptedDialogs::QueueFileCancel() {
    files_.push_back(std::nullopt);
}

void ScriptedDialogs::QueueYesNo(bool yes) {
    answers_.push_back(yes);
}

void ScriptedDialogs::QueueModal(std::function<int(QDialog&)> fill) {
    modals_.push_back(std::move(fill));
}

QStringList ScriptedDialogs::Texts(Kind kind) const {
    QStringList texts;
    for (const Entry& e : Log)
        if (e.What == kind) texts.append(e.Text);
    return texts;
}

std::vector<FileDialogRequest> ScriptedDialogs::FileRequests() const {
    std::vector<FileDialogRequest> requests;
    for (const Entry& e : Log)
        if (e.What == Kind::OpenFile || e.What == Kind::SaveFile) requests.push_back(e.Request);
    return requests;
}

int ScriptedDialogs::Count(Kind kind) const {
    return static_cast<int>(Texts(kind).size());
}

namespace {

/// Takes the next scripted answer, or counts an unscripted request and gives the fallback.
template <typename T> T Next(std::deque<T>& queue, int& unscripted, T fallback) {
    if (queue.empty()) {
        ++unscripted;
        return fallback;
    }
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

} // namespace

std::optional<FileDialogResult> ScriptedDialogs::NextFile(Kind kind, const FileDialogRequest& request) {
    Log.push_back({kind, request.Title, request});
    auto answer = Next<std::optional<FileDialogResult>>(files_, Unscripted, std::nullopt);
    if (answer)
        answer->FileName =
            corvane::ui::ApplyDefaultSuffix(answer->FileName, request.Filter, answer->FilterIndex);
    return answer;
}

std::optional<FileDialogResult> ScriptedDialogs::OpenFile(const FileDialogRequest& r) {
    return NextFile(Kind::OpenFile, r);
}

std::optional<FileDialogResult> ScriptedDialogs::SaveFile(const FileDialogRequest& r) {
    return NextFile(Kind::SaveFile, r);
}

void ScriptedDialogs::Information(const QString& text) {
    Log.push_back({Kind::Information, text, {}});
}

bool ScriptedDialogs::WarningYesNo(const QString& text) {
    Log.push_back({Kind::WarningYesNo, text, {}});
    return Next(answers_, Unscripted, false);
}

void ScriptedDialogs::Error(const QString& text) {
    Log.push_back({Kind::Error, text, {}});
}

void ScriptedDialogs::Beep() {
    Log.push_back({Kind::Beep, {}, {}});
}

int ScriptedDialogs::ExecModal(QDialog& dialog) {
    Log.push_back({Kind::Modal, dialog.objectName(), {}});
    auto fill = Next<std::function<int(QDialog&)>>(modals_, Unscripted, nullptr);
    return fill ? fill(dialog) : int(QDialog::Rejected);
}

} // namespace corvane::test
