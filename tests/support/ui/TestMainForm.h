#pragma once
#include "support/TestSupport.h"
#include "support/ui/ScriptedDialogs.h"

#include "shell/TMainForm.h"

#include <QSettings>

#include <memory>

namespace corvane::test {

/// A main frame on scripted dialogs with its settings in an INI file of a temporary folder.
/// The frame is shown (offscreen) so that visibility, activation and MDI layout behave as in use.
struct TestMainForm {
    TempDir Dir;
    ScriptedDialogs Dialogs;
    std::unique_ptr<QSettings> Settings;
    std::unique_ptr<corvane::ui::TMainForm> Form;

    /// Full name of the settings file.
    QString SettingsFile() const { return File("Corvane.ini"); }
    /// Full name of a file in the temporary folder.
    QString File(const QString& name) const { return QString::fromStdString(Dir.File(name.toStdString())); }
    /// The active document window, failing the test when there is none.
    corvane::ui::TMDIChildForm& Active() const;
    /// Triggers the action of the command table with this objectName.
    void Trigger(const char* actionName) const;
    /// Closes the frame without asking (a queued Yes answer) and destroys it.
    void Destroy();
};

/// Makes a frame on a fresh settings file; show = false keeps the frame hidden.
std::unique_ptr<TestMainForm> MakeTestMainForm(bool show = true);

/// Lets queued events run: deferred deletes of closed windows, layouts, paints.
void ProcessEvents();

} // namespace corvane::test
