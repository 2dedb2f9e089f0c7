#pragma once
#include "support/TestSupport.h"
#include "support/ui/ScriptedDialogs.h"

#include "shell/TMainForm.h"

#include <QSettings>

#include <gtest/gtest.h>

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
    /// The document window of this caption; null when there is none.
    corvane::ui::TMDIChildForm* Window(const char* caption) const;
    /// The text of the last error box shown; empty when none was.
    QString LastError() const;
    /// Triggers the action of the command table with this objectName, times times over.
    void Trigger(const char* actionName, int times = 1) const;
    /// Queues file as the answer of the next file dialog, then triggers the action.
    void TriggerWithFile(const char* actionName, const QString& file, int filterIndex = 1) {
        Dialogs.QueueFile(file, filterIndex);
        Trigger(actionName);
    }
    /// Destroys the frame without asking and lets its deferred deletes run.
    void Destroy();
};

/// Makes a shown frame on a fresh settings file.
std::unique_ptr<TestMainForm> MakeTestMainForm();

/// A test on a fresh shown frame.
class FrameTest : public ::testing::Test {
  protected:
    std::unique_ptr<TestMainForm> frame = MakeTestMainForm();
};

/// Lets queued events run: deferred deletes of closed windows, layouts, paints.
void ProcessEvents();

} // namespace corvane::test
