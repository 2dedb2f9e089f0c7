#include "tools/ui/TUtilityCommands.h"

#include <QAction>
#include <QPointer>

#include <memory>

#include "image/MedianFilterTool.h"
#include "image/TGrayImage.h"
#include "shell/Platform.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"
#include "tools/ui/TFilterForm.h"
#include "tools/ui/THistogramForm.h"
#include "tools/ui/TReSetCoordinateForm.h"

namespace corvane::ui {

TUtilityCommands::TUtilityCommands(TMainForm& mainForm)
    : QObject(&mainForm), main_(mainForm), dialogs_(mainForm.Dialogs()) {
    setObjectName(QStringLiteral("UtilityCommands"));
    const auto bind = [this](const char* name, void (TUtilityCommands::*handler)()) {
        QAction* action = main_.RequireAction(name);
        connect(action, &QAction::triggered, this,
                [this, handler] { RunGuarded(dialogs_, [&] { (this->*handler)(); }); });
        action->setEnabled(true);
    };
    bind("HistogramAction", &TUtilityCommands::HistogramActionExecute);
    bind("FilterAction", &TUtilityCommands::FilterActionExecute);
    bind("ModifyCoordinateSizeAction", &TUtilityCommands::ModifyCoordinateSizeActionExecute);
}

void TUtilityCommands::HistogramActionExecute() {
    const TMDIChildForm* child = main_.ActiveMDIChild();
    if (!child) return;
    THistogramForm form(dialogs_, child->Bitmap(), &main_);
    dialogs_.ExecModal(form);
}

void TUtilityCommands::FilterActionExecute() {
    QPointer<TMDIChildForm> child = main_.ActiveMDIChild();
    if (!child) return;
    TFilterForm form(&main_);
    if (dialogs_.ExecModal(form) != QDialog::Accepted) return;
    // The window may have been closed while the dialog was open.
    if (!child || child->Closed() || child->Bitmap().isNull()) return;
    std::unique_ptr<TGrayImage> gray;
    child->GetGrayImage(gray);
    ApplyMedianFilterTool(*gray, form.WindowSize());
    DrawGrayImage(*gray, *child);
    child->SetModified(true);
}

void TUtilityCommands::ModifyCoordinateSizeActionExecute() {
    TReSetCoordinateForm form(dialogs_, main_.Settings(), &main_);
    dialogs_.ExecModal(form);
}

} // namespace corvane::ui
