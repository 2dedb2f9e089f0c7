#include "shell/Platform.h"

#include "image/CorvaneError.h"

#include <QApplication>

#include <clocale>
#include <new>

namespace corvane::ui {

void PrepareApplication() {
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setOrganizationName(QStringLiteral("Halvorn Lab."));
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    QApplication::setQuitOnLastWindowClosed(false);
    std::setlocale(LC_NUMERIC, "C");
}

bool RunGuarded(IDialogs& dialogs, const std::function<void()>& command) {
    QString message;
    try {
        command();
        return true;
    } catch (const corvane::CorvaneError& e) {
        message = QString::fromStdString(e.what());
    } catch (const std::bad_alloc&) {
        message = QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    } catch (...) {
        message = QStringLiteral("Unknown error");
    }
    // The error box itself must never let an exception reach the event loop.
    try {
        dialogs.Error(message);
    } catch (...) {
    }
    return false;
}

} // namespace corvane::ui
