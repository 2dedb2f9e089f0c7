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
/// An empty queue answers "Cancel" (file dialogs, modal dialogs) or "No" (Yes/No boxes) and the
/// request is counted in Unscripted, so a test can check that nothing unexpected was asked.
class ScriptedDialogs : public corvane::ui::IDialogs {
  public:
    enum class Kind { OpenFile, SaveFile, Information, WarningYesNo, Error, Beep, Modal };
    struct Entry {
        Kind What;
        QString Text;                           ///< message text, or the dialog's objectName
        corvane::ui::FileDialogRequest Request; ///< file dialogs only
    };

    /// Next file dialog returns name (the default extension of the chosen filter is applied as
    /// the real dialog does).
    void QueueFile(const QString& name, int filterIndex = 1);
    /// Next file dialog is cancelled.
    void QueueFileCancel();
    void QueueYesNo(bool yes);
    /// Next modal dialog is handed to fill, which sets its fields and returns the result code.
    void QueueModal(std::function<int(QDialog&)> fill);

    /// Everything shown, in order.
    std::vector<Entry> Log;
    int Unscripted = 0;

    /// Texts of the entries of one kind, in order.
    QStringList Texts(Kind kind) const;
    QStringList Errors() const { return Texts(Kind::Error); }
    QStringList Informations() const { return Texts(Kind::Information); }
    /// Requests of the file dialogs shown, in order.
    std::vector<corvane::ui::FileDialogRequest> FileRequests() const;
    int Count(Kind kind) const;
    void Clear() {
        Log.clear();
        Unscripted = 0;
    }

    std::optional<corvane::ui::FileDialogResult>
    OpenFile(const corvane::ui::FileDialogRequest& request) override;
    std::optional<corvane::ui::FileDialogResult>
    SaveFile(const corvane::ui::FileDialogRequest& request) override;
    void Information(const QString& text) override;
    bool WarningYesNo(const QString& text) override;
    void Error(const QString& text) override;
    void Beep() override;
    int ExecModal(QDialog& dialog) override;

  private:
    std::optional<corvane::ui::FileDialogResult> NextFile(Kind kind,
                                                          const corvane::ui::FileDialogRequest& request);
    std::deque<std::optional<corvane::ui::FileDialogResult>> files_;
    std::deque<bool> answers_;
    std::deque<std::function<int(QDialog&)>> modals_;
};

} // namespace corvane::test
