#include "shell/Platform.h"
#include "shell/TMainForm.h"
#include "shell/TQtDialogs.h"

#include <QApplication>
#include <QSettings>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    corvane::ui::PrepareApplication();

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
