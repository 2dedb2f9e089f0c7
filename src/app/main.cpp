#include "app/ToolWindows.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"
#include "shell/TQtDialogs.h"
#include "shell/TWorkbenchSettings.h"

#include <QApplication>
#include <QSettings>

#include <cstdio>
#include <exception>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    corvane::ui::PrepareApplication();

    corvane::ui::TQtDialogs dialogs;
    QSettings settings(corvane::ui::TWorkbenchSettings::Organisation,
                       corvane::ui::TWorkbenchSettings::Application);
    corvane::ui::TMainForm mainForm(dialogs, settings);
    dialogs.SetParent(&mainForm);
    QObject::connect(&mainForm, &corvane::ui::TMainForm::ExitAccepted, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    try {
        corvane::ui::CreateToolWindows(mainForm);
    } catch (const std::exception& e) {
        // A tool wired to a command the frame does not have: a fault of this build, not of the user.
        std::fprintf(stderr, "corvane: %s\n", e.what());
        return 1;
    }
    mainForm.show();
    return app.exec();
}
