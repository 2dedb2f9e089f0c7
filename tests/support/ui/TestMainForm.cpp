#include "support/ui/TestMainForm.h"

#include "shell/TMDIChildForm.h"

#include <QAction>
#include <QApplication>

#include <stdexcept>

namespace corvane::test {

corvane::ui::TMDIChildForm& TestMainForm::Active() const {
    corvane::ui::TMDIChildForm* child = Form->ActiveMDIChild();
    if (!child) throw std::runtime_error("no active document window");
    return *child;
}

corvane::ui::TMDIChildForm* TestMainForm::Window(const QString& caption) const {
    const int index = Form->FindMDIChild(caption);
    return index < 0 ? nullptr : Form->MDIChild(index);
}

QString TestMainForm::LastError() const {
    const QStringList errors = Dialogs.Errors();
    return errors.isEmpty() ? QString() : errors.back();
}

void TestMainForm::Trigger(const char* actionName, int times) const {
    QAction* action = Form->Action(QString::fromLatin1(actionName));
    if (!action) throw std::runtime_error(std::string("no action ") + actionName);
    for (int i = 0; i < times; ++i)
        action->trigger();
}

corvane::ui::TMDIChildForm& TestMainForm::Open(const QString& name, const corvane::TGrayImage& picture) {
    picture.SaveBmp(File(name).toStdString());
    TriggerWithFile("FileOpenAction", File(name));
    return Active();
}

void TestMainForm::Destroy() {
    Form.reset();
    ProcessEvents();
}

std::unique_ptr<TestMainForm> MakeTestMainForm() {
    auto frame = std::make_unique<TestMainForm>();
    frame->Settings = std::make_unique<QSettings>(frame->SettingsFile(), QSettings::IniFormat);
    frame->Form = std::make_unique<corvane::ui::TMainForm>(frame->Dialogs, *frame->Settings);
    frame->Form->show();
    ProcessEvents();
    return frame;
}

void ProcessEvents() {
    for (int i = 0; i < 3; ++i) {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
}

} // namespace corvane::test
