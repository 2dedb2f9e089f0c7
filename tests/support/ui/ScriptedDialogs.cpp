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

namespace {

/// The next queued answer; with none queued the question was not scripted: the test fails and gets
/// fallback.
template <class T> T Next(std::deque<T>& queue, const char* what, const QString& text, T fallback) {
    if (queue.empty()) {
        ADD_FAILURE() << "unexpected " << what << ": " << text.toStdString();
        return fallback;
    }
    T next = std::move(queue.front());
    queue.pop_front();
    return next;
}

} // namespace

std::optional<FileDialogResult> ScriptedDialogs::NextFile(Kind kind, const FileDialogRequest& request) {
    Log.push_back({kind, request.Title, request});
    if (files_.empty()) {
        ADD_FAILURE() << "unexpected " << (kind == Kind::OpenFile ? "open" : "save")
                      << " file dialog: " << request.Title.toStdString() << " ["
                      << request.Filter.toStdString() << "]";
        return std::nullopt;
    }
    const std::optional<FileDialogResult> queued = files_.front();
    files_.pop_front();
    if (!queued) return std::nullopt;
    // The real dialog applies the default extension of the chosen filter.
    return FileDialogResult{
        corvane::ui::ApplyDefaultSuffix(queued->FileName, request.Filter, queued->FilterIndex),
        queued->FilterIndex};
}

bool ScriptedDialogs::WarningYesNo(const QString& text) {
    Log.push_back({Kind::WarningYesNo, text, {}});
    return Next(answers_, "question", text, false);
}

corvane::ui::TAnswer ScriptedDialogs::QuestionYesNoCancel(const QString& text) {
    Log.push_back({Kind::Question, text, {}});
    return Next(questionAnswers_, "question", text, corvane::ui::TAnswer::Cancel);
}

int ScriptedDialogs::ExecModal(QDialog& dialog) {
    Log.push_back({Kind::Modal, dialog.objectName(), {}});
    const std::function<int(QDialog&)> rejected = [](QDialog&) { return int(QDialog::Rejected); };
    return Next(modals_, "modal dialog", dialog.objectName(), rejected)(dialog);
}

} // namespace corvane::test
