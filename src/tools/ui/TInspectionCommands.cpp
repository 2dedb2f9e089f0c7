#include "tools/ui/TInspectionCommands.h"

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

TInspectionCommands::TInspectionCommands(TMainForm& mainForm)
    : QObject(&mainForm), main_(mainForm), dialogs_(mainForm.Dialogs()) {
    setObjectName(QStringLiteral("InspectionCommands"));
    const auto bind = [this](const char* name, void (TInspectionCommands::*handler)()) {
        QAction* action = main_.RequireAction(name);
        connect(action, &QAction::triggered, this,
                [this, handler] { RunGuarded(dialogs_, [&] { (this->*handler)(); }); });
        action->setEnabled(true);
    };
    bind("HistogramAction", &TInspectionCommands::HistogramActionExecute);
    bind("FilterAction", &TInspectionCommands::FilterActionExecute);
    bind("ModifyCoordinateSizeAction", &TInspectionCommands::ModifyCoordinateSizeActionExecute);
}

void TInspectionCommands::HistogramActionExecute() {
    const TMDIChildForm* child = main_.ActiveMDIChild();
    if (!child) return;
    THistogramForm form(dialogs_, child->Bitmap(), &main_);
    dialogs_.ExecModal(form);
}

void TInspectionCommands::FilterActionExecute() {
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
}

void TInspectionCommands::ModifyCoordinateSizeActionExecute() {
    TReSetCoordinateForm form(dialogs_, main_.Settings(), &main_);
    dialogs_.ExecModal(form);
}

} // namespace corvane::ui
