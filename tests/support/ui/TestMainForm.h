#pragma once
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"
#include "support/ui/ScriptedDialogs.h"

#include "app/ToolWindows.h"
#include "image/TGrayImage.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

#include <QAbstractButton>
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
    corvane::ui::TMDIChildForm* Window(const QString& caption) const;
    /// The text of the last error box shown; empty when none was.
    QString LastError() const;
    /// Triggers the action of the command table with this objectName, times times over.
    void Trigger(const char* actionName, int times = 1) const;
    /// Queues file as the answer of the next file dialog, then triggers the action.
    void TriggerWithFile(const char* actionName, const QString& file, int filterIndex = 1) {
        Dialogs.QueueFile(file, filterIndex);
        Trigger(actionName);
    }
    /// Saves the picture as name in the temporary folder and opens it with File > Open; its window.
    corvane::ui::TMDIChildForm& Open(const QString& name, const corvane::TGrayImage& picture);
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

/// A test of the tool window Form on a fresh shown frame holding every tool window of the
/// workbench; tool is null when the workbench has no such window.
template <class Form> class ToolTest : public ::testing::Test {
  protected:
    ToolTest() {
        corvane::ui::CreateToolWindows(*frame->Form);
        tool = frame->Form->template findChild<Form*>();
    }
    ~ToolTest() override { frame->Destroy(); }

    /// Full name of a file in the temporary folder.
    QString File(const QString& name) const { return frame->File(name); }
    std::string Path(const QString& name) const { return File(name).toStdString(); }
    /// The document window of this caption; null when there is none.
    corvane::ui::TMDIChildForm* Window(const QString& caption) const { return frame->Window(caption); }
    /// Saves the levels as name.bmp in the test folder and opens it in a document window; the full
    /// file name.
    QString OpenPicture(const QString& name, int width, int height, const std::vector<std::uint8_t>& levels) {
        const QString file = File(name + ".bmp");
        SaveGreyBmp(file.toStdString(), width, height, levels);
        frame->TriggerWithFile("FileOpenAction", file);
        return file;
    }
    /// The grey levels a document window shows, row by row.
    static std::vector<std::uint8_t> Levels(const corvane::ui::TMDIChildForm& window) {
        std::unique_ptr<corvane::TGrayImage> gray;
        window.GetGrayImage(gray);
        return {gray->Data, gray->Data + gray->Size};
    }
    /// Clicks the button with file queued as the answer of the file dialog it opens.
    void ClickWithFile(QAbstractButton* button, const QString& file, int filterIndex = 1) {
        frame->Dialogs.QueueFile(file, filterIndex);
        button->click();
    }

    std::unique_ptr<TestMainForm> frame = MakeTestMainForm();
    Form* tool = nullptr;
};

/// Lets queued events run: deferred deletes of closed windows, layouts, paints.
void ProcessEvents();

} // namespace corvane::test
