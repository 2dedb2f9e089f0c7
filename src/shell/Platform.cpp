#include "shell/Platform.h"

#include "image/CorvaneError.h"
#include "shell/TWorkbenchSettings.h"

#include <QApplication>

#include <clocale>

namespace corvane::ui {

void PrepareApplication() {
    QApplication::setApplicationName(TWorkbenchSettings::Application);
    QApplication::setOrganizationName(TWorkbenchSettings::Organisation);
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    std::setlocale(LC_NUMERIC, "C");
}

std::optional<QString> AskOpenFileName(IDialogs& dialogs, const FileDialogRequest& request) {
    const auto chosen = dialogs.OpenFile(request);
    if (!chosen) return std::nullopt;
    return chosen->FileName;
}

std::optional<QString> AskSaveFileName(IDialogs& dialogs, const FileDialogRequest& request) {
    const auto chosen = dialogs.SaveFile(request);
    if (!chosen) return std::nullopt;
    return chosen->FileName;
}

bool RunGuarded(IDialogs& dialogs, const std::function<void()>& command) {
    QString message;
    try {
        command();
        return true;
    } catch (...) {
        message = QString::fromStdString(corvane::DescribeCurrentError());
    }
    // The error box itself must never let an exception reach the event loop.
    try {
        dialogs.Error(message);
    } catch (...) {
    }
    return false;
}

} // namespace corvane::ui
