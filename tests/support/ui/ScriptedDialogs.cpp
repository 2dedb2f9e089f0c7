#include "support/ui/ScriptedDialogs.h"

#include "shell/FileFilter.h"

#include <QDialog>

#include <gtest/gtest.h>

namespace corvane::test {

using corvane::ui::FileDialogRequest;
using corvane::ui::FileDialogResult;

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

std::optional<FileDialogResult> ScriptedDialogs::NextFile(Kind kind, const FileDialogRequest& request) {
    Log.push_back({kind, request.Title, request});
    // The answer is built in place from the queued one: the real dialog applies the default
    // extension of the chosen filter.
    std::optional<FileDialogResult> answer;
    if (files_.empty()) {
        ADD_FAILURE() << "unexpected " << (kind == Kind::OpenFile ? "open" : "save")
                      << " file dialog: " << request.Title.toStdString() << " ["
                      << request.Filter.toStdString() << "]";
        return answer;
    }
    if (const auto& queued = files_.front())
        answer.emplace(FileDialogResult{
            corvane::ui::ApplyDefaultSuffix(queued->FileName, request.Filter, queued->FilterIndex),
            queued->FilterIndex});
    files_.pop_front();
    return answer;
}

bool ScriptedDialogs::WarningYesNo(const QString& text) {
    Log.push_back({Kind::WarningYesNo, text, {}});
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool yes = answers_.front();
    answers_.pop_front();
    return yes;
}

corvane::ui::TAnswer ScriptedDialogs::QuestionYesNoCancel(const QString& text) {
    Log.push_back({Kind::Question, text, {}});
    if (questionAnswers_.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return corvane::ui::TAnswer::Cancel;
    }
    const corvane::ui::TAnswer answer = questionAnswers_.front();
    questionAnswers_.pop_front();
    return answer;
}

int ScriptedDialogs::ExecModal(QDialog& dialog) {
    Log.push_back({Kind::Modal, dialog.objectName(), {}});
    if (modals_.empty()) {
        ADD_FAILURE() << "unexpected modal dialog: " << dialog.objectName().toStdString();
        return QDialog::Rejected;
    }
    const std::function<int(QDialog&)> fill = std::move(modals_.front());
    modals_.pop_front();
    return fill(dialog);
}

} // namespace corvane::test
