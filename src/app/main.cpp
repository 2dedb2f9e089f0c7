#include "shell/TMainForm.h"
#include "shell/TQtDialogs.h"

#include <QApplication>
#include <QSettings>

#include <clocale>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // QApplication adopts the user's locale; every text file is written with a '.' decimal point.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setOrganizationName(QStringLiteral("Halvorn Lab."));
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    QApplication::setQuitOnLastWindowClosed(false);

    corvane::ui::TQtDialogs dialogs;
    QSettings settings(QStringLiteral("Halvorn Lab."), QStringLiteral("Corvane"));
    corvane::ui::TMainForm mainForm(dialogs, settings);
    dialogs.SetParent(&mainForm);
    QObject::connect(&mainForm, &corvane::ui::TMainForm::ExitAccepted, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    corvane::ui::CreateToolWindows(mainForm);
    mainForm.show();
    return app.exec();
}
