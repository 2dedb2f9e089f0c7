#include "support/ui/ScriptedDialogs.h"

#include "shell/FileFilter.h"

#include <QDialog>

namespace corvane::test {

using corvane::ui::FileDialogRequest;
using corvane::ui::FileDialogResult;

void ScriptedDialogs::QueueFile(const QString& name, int filterIndex) {
    files_.push_back(FileDialogResult{name, filterIndex});
}

void ScriptedDialogs::QueueFileCancel() { files_.push_back(std::nullopt); }

void ScriptedDialogs::QueueYesNo(bool yes) { answers_.push_back(yes); }

void ScriptedDialogs::QueueModal(std::function<int(QDialog&)> fill) { modals_.push_back(std::move(fill)); }

QStringList ScriptedDialogs::Texts(Kind kind) const {
    QStringList texts;
    for (const Entry& e : Log)
        if (e.What == kind)
            texts.append(e.Text);
    return texts;
}

std::vector<FileDialogRequest> ScriptedDialogs::FileRequests() const {
    std::vector<FileDialogRequest> requests;
    for (const Entry& e : Log)
        if (e.What == Kind::OpenFile || e.What == Kind::SaveFile)
            requests.push_back(e.Request);
    return requests;
}

int ScriptedDialogs::Count(Kind kind) const {
    int n = 0;
    for (const Entry& e : Log)
        n += e.What == kind ? 1 : 0;
    return n;
}

std::optional<FileDialogResult> ScriptedDialogs::NextFile(Kind kind, const FileDialogRequest& request) {
    Log.push_back({kind, request.Title, request});
    if (files_.empty()) {
        ++Unscripted;
        return std::nullopt;
    }
    std::optional<FileDialogResult> answer = files_.front();
    files_.pop_front();
    if (answer)
        answer->FileName = corvane::ui::ApplyDefaultSuffix(answer->FileName, request.Filter, answer->FilterIndex);
    return answer;
}

std::optional<FileDialogResult> ScriptedDialogs::OpenFile(const FileDialogRequest& request) {
    return NextFile(Kind::OpenFile, request);
}

std::optional<FileDialogResult> ScriptedDialogs::SaveFile(const FileDialogRequest& request) {
    return NextFile(Kind::SaveFile, request);
}

void ScriptedDialogs::Information(const QString& text) { Log.push_back({Kind::Information, text, {}}); }

bool ScriptedDialogs::WarningYesNo(const QString& text) {
    Log.push_back({Kind::WarningYesNo, text, {}});
    if (answers_.empty()) {
        ++Unscripted;
        return false;
    }
    const bool yes = answers_.front();
    answers_.pop_front();
    return yes;
}

void ScriptedDialogs::Error(const QString& text) { Log.push_back({Kind::Error, text, {}}); }

void ScriptedDialogs::Beep() { Log.push_back({Kind::Beep, {}, {}}); }

int ScriptedDialogs::ExecModal(QDialog& dialog) {
    Log.push_back({Kind::Modal, dialog.objectName(), {}});
    if (modals_.empty()) {
        ++Unscripted;
        return QDialog::Rejected;
    }
    auto fill = std::move(modals_.front());
    modals_.pop_front();
    return fill(dialog);
}

} // namespace corvane::test
