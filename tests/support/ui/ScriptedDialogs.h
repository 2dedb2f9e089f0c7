#pragma once
#include "shell/Platform.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace corvane::test {

/// IDialogs for GUI tests: records every request and answers from queues filled by the test.
/// A question the test did not script (a file dialog, a Yes/No box or a modal dialog met with an
/// empty queue) fails the test, and is answered "Cancel" or "No".
class ScriptedDialogs : public corvane::ui::IDialogs {
  public:
    enum class Kind { OpenFile, SaveFile, Information, WarningYesNo, Question, Error, Beep, Modal };
    struct Entry {
        Kind What;
        QString Text;                           ///< message text, or the dialog's objectName
        corvane::ui::FileDialogRequest Request; ///< file dialogs only
    };

    /// Next file dialog returns name (the default extension of the chosen filter is applied as
    /// the real dialog does).
    void QueueFile(const QString& name, int filterIndex = 1) { files_.push_back({{name, filterIndex}}); }
    /// Next file dialog is cancelled.
    void QueueFileCancel() { files_.push_back(std::nullopt); }
    void QueueYesNo(bool yes) { answers_.push_back(yes); }
    /// Next Yes / No / Cancel question gets answer.
    void QueueAnswer(corvane::ui::TAnswer answer) { questionAnswers_.push_back(answer); }
    /// Next modal dialog is handed to fill, which sets its fields and returns the result code.
    void QueueModal(std::function<int(QDialog&)> fill) { modals_.push_back(std::move(fill)); }

    /// Everything shown, in order.
    std::vector<Entry> Log;

    /// Texts of the entries of one kind, in order.
    QStringList Texts(Kind kind) const;
    QStringList Errors() const { return Texts(Kind::Error); }
    QStringList Informations() const { return Texts(Kind::Information); }
    /// Requests of the file dialogs shown, in order.
    std::vector<corvane::ui::FileDialogRequest> FileRequests() const;
    int Count(Kind kind) const { return static_cast<int>(Texts(kind).size()); }
    void Clear() { Log.clear(); }

    std::optional<corvane::ui::FileDialogResult>
    OpenFile(const corvane::ui::FileDialogRequest& request) override {
        return NextFile(Kind::OpenFile, request);
    }
    std::optional<corvane::ui::FileDialogResult>
    SaveFile(const corvane::ui::FileDialogRequest& request) override {
        return NextFile(Kind::SaveFile, request);
    }
    void Information(const QString& text) override { Log.push_back({Kind::Information, text, {}}); }
    bool WarningYesNo(const QString& text) override;
    corvane::ui::TAnswer QuestionYesNoCancel(const QString& text) override;
    void Error(const QString& text) override { Log.push_back({Kind::Error, text, {}}); }
    void Beep() override { Log.push_back({Kind::Beep, {}, {}}); }
    int ExecModal(QDialog& dialog) override;

  private:
    std::optional<corvane::ui::FileDialogResult> NextFile(Kind kind,
                                                          const corvane::ui::FileDialogRequest& request);
    std::deque<std::optional<corvane::ui::FileDialogResult>> files_;
    std::deque<bool> answers_;
    std::deque<corvane::ui::TAnswer> questionAnswers_;
    std::deque<std::function<int(QDialog&)>> modals_;
};

} // namespace corvane::test
