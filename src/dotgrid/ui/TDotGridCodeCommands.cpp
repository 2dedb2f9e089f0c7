#include "dotgrid/ui/TDotGridCodeCommands.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>

#include "dotgrid/DotGridEncode.h"
#include "dotgrid/MatchResultFile.h"
#include "dotgrid/TCodeMatch.h"
#include "dotgrid/ui/EncodeWindow.h"
#include "dotgrid/ui/TMatchResultForm.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "shell/PictureOverlay.h"
#include "shell/Platform.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

std::string FileNameOf(const QString& name) {
    return name.toLocal8Bit().toStdString();
}

/// The encoder of the active document window, or null.
TDotGridEncoder* ActiveEncoder(TMainForm& main, TMDIChildForm*& window) {
    window = main.ActiveMDIChild();
    if (!window) return nullptr;
    TEncodeSession* session = FindEncodeSession(*window);
    return session ? session->Encoder.get() : nullptr;
}

} // namespace

TDotGridCodeCommands::TDotGridCodeCommands(TMainForm& mainForm)
    : QObject(&mainForm), main_(mainForm), dialogs_(mainForm.Dialogs()) {
    setObjectName(QStringLiteral("DotGridCodeCommands"));
    const auto bind = [this](const char* name, void (TDotGridCodeCommands::*handler)()) {
        QAction* action = main_.RequireAction(name);
        connect(action, &QAction::triggered, this,
                [this, handler] { RunGuarded(dialogs_, [&] { (this->*handler)(); }); });
        action->setEnabled(true);
    };
    bind("ShowCodesAction", &TDotGridCodeCommands::ShowCodesActionExecute);
    bind("CodesIntoCopyAction", &TDotGridCodeCommands::CodesIntoCopyActionExecute);
    bind("SaveCodesAction", &TDotGridCodeCommands::SaveCodesActionExecute);
    bind("MatchCodesAction", &TDotGridCodeCommands::MatchCodesActionExecute);
    bind("SaveMatchAction", &TDotGridCodeCommands::SaveMatchActionExecute);
}

TDotGridCodeCommands::~TDotGridCodeCommands() = default;

void TDotGridCodeCommands::ShowCodesActionExecute() {
    TMDIChildForm* window = nullptr;
    TDotGridEncoder* encoder = ActiveEncoder(main_, window);
    if (!encoder) return;
    ShowCodeView(*window, encoder->ShowCodes());
}

void TDotGridCodeCommands::CodesIntoCopyActionExecute() {
    TMDIChildForm* window = nullptr;
    TDotGridEncoder* encoder = ActiveEncoder(main_, window);
    if (!encoder) return;
    const QImage burned = BurnOverlay(window->Bitmap(), OverlayOf(encoder->ShowCodes()), window->Zoom());
    const QString caption = window->Caption() + QStringLiteral(":Codes");
    TMDIChildForm* copy = main_.ShowInRole(caption, TGrayImage(nullptr, 1, 1));
    if (copy) copy->SetBitmap(burned);
}

void TDotGridCodeCommands::SaveCodesActionExecute() {
    TMDIChildForm* window = nullptr;
    if (!ActiveEncoder(main_, window)) return;
    FileDialogRequest request;
    request.Title = QStringLiteral("Save codes to");
    request.Filter = QStringLiteral("Codes File(*.cod)|*.cod");
    request.DefaultExt = QStringLiteral("*.cod");
    const auto chosen = dialogs_.SaveFile(request);
    if (!chosen) return;
    // The window may have been closed or encoded anew while the dialog was open.
    TDotGridEncoder* encoder = ActiveEncoder(main_, window);
    if (!encoder) return;
    encoder->ScaleX = static_cast<float>(main_.ScaleX);
    encoder->ScaleY = static_cast<float>(main_.ScaleY);
    encoder->WriteCodeFile(FileNameOf(chosen->FileName));
}

void TDotGridCodeCommands::MatchCodesActionExecute() {
    FileDialogRequest request;
    request.Filter = QStringLiteral("Codes File( *.cod )|*.cod");
    request.DefaultExt = QStringLiteral("*.cod");
    request.Title = QStringLiteral("Initial Codes");
    const auto initial = dialogs_.OpenFile(request);
    if (!initial) return;
    request.Title = QStringLiteral("Deformed Codes");
    const auto deformed = dialogs_.OpenFile(request);
    if (!deformed) return;
    match_.reset();
    match_ = std::make_unique<TCodeMatch>(FileNameOf(initial->FileName), FileNameOf(deformed->FileName));
}

void TDotGridCodeCommands::SaveMatchActionExecute() {
    if (!match_) throw CorvaneError("Match Codes first!!!");
    FileDialogRequest request;
    request.Title = QStringLiteral("Save Match Results");
    request.InitialFile = QStringLiteral("Match-0");
    request.Filter = QStringLiteral("Match Result(*.dat)|*.dat");
    request.DefaultExt = QStringLiteral("*.dat");
    const auto chosen = dialogs_.SaveFile(request);
    if (!chosen) return;
    TMatchResultForm form(&main_);
    if (dialogs_.ExecModal(form) != QDialog::Accepted) return;
    const auto layout = static_cast<TMatchResultLayout>(form.MatchResultTypeComboBox->currentIndex());
    WriteMatchResult(FileNameOf(chosen->FileName), *match_, layout, form.ChangeYaxisCheckBox->isChecked());
}

} // namespace corvane::ui
