#include "phase/ui/TPhaseCommands.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include <memory>
#include <optional>

#include "image/FileUtil.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "phase/GeometricMoire.h"
#include "phase/PhaseToFringe.h"
#include "phase/ui/PhaseShiftSteps.h"
#include "shell/Convert.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"
#include "shell/TRawOptionForm.h"

namespace corvane::ui {

namespace {
// The frame's picture and open dialogs.
const QString kOpenPictureFilter =
    QStringLiteral("Bitmaps (*.bmp)|*.bmp|Raw files(*.raw)|*.raw|All files( *.* ) |*.*");
const QString kOpenFilter =
    QStringLiteral("CorRelation Config Files(*.cor)|*.cor|Float Image(*.flt)|*.flt|Codes "
                   "File( *.cod )|*.cod|All files(*.*)|*.*");

std::optional<QString> AskPicture(IDialogs& dialogs) {
    FileDialogRequest request;
    request.Filter = kOpenPictureFilter;
    request.DefaultExt = QStringLiteral("*.bmp");
    const auto chosen = dialogs.OpenFile(request);
    if (!chosen) return std::nullopt;
    return chosen->FileName;
}

/// A picture as File Open reads it: a RAW file after the user described it; null when the RAW
/// description was cancelled.
std::unique_ptr<TGrayImage> LoadPicture(IDialogs& dialogs, TMainForm& mainForm, const QString& name) {
    const std::string path = ToFilePath(name);
    if (corvane::LowerExtension(path) != ".raw" || !corvane::FileExists(path))
        return std::make_unique<TGrayImage>(path);
    TRawOptionForm form(dialogs, name, &mainForm);
    if (dialogs.ExecModal(form) != QDialog::Accepted) return nullptr;
    TGrayImage::RawDescription raw;
    raw.FileName = path;
    raw.Header = StrToInt(form.HeaderEdit->text());
    raw.Width = StrToInt(form.WidthEdit->text());
    raw.Height = StrToInt(form.HeightEdit->text());
    return std::make_unique<TGrayImage>(raw);
}
} // namespace

TPhaseCommands::TPhaseCommands(TMainForm& mainForm)
    : QObject(&mainForm), main_(mainForm), dialogs_(mainForm.Dialogs()) {
    setObjectName(QStringLiteral("PhaseCommands"));
    const auto bind = [this](const char* name, void (TPhaseCommands::*handler)()) {
        QAction* action = main_.RequireAction(name);
        connect(action, &QAction::triggered, this,
                [this, handler] { RunGuarded(dialogs_, [&] { (this->*handler)(); }); });
        action->setEnabled(true);
    };
    bind("GeometricMoireAction", &TPhaseCommands::GeometricMoireActionExecute);
    bind("PhaseToFringeAction", &TPhaseCommands::PhaseToFringeActionExecute);
}

void TPhaseCommands::GeometricMoireActionExecute() {
    const auto first = AskPicture(dialogs_);
    if (!first) return;
    const auto second = AskPicture(dialogs_);
    if (!second) return;
    const auto a = LoadPicture(dialogs_, main_, *first);
    if (!a) return;
    const auto b = LoadPicture(dialogs_, main_, *second);
    if (!b) return;
    const auto moire = GeometricMoire(*a, *b);
    main_.ShowInRole(QStringLiteral("Geometric Moire"), *moire);
}

void TPhaseCommands::PhaseToFringeActionExecute() {
    FileDialogRequest request;
    request.Filter = kOpenFilter;
    request.FilterIndex = 2;
    request.DefaultExt = QStringLiteral("*.cor");
    const auto chosen = dialogs_.OpenFile(request);
    if (!chosen) return;
    const QFileInfo file(chosen->FileName);
    QDir::setCurrent(file.absolutePath());
    std::unique_ptr<TGrayImage> fringe, gray;
    {
        const TFloatImage phase(ToFilePath(chosen->FileName));
        fringe = PhaseToFringe(phase);
        phase.ToGrayImage(gray);
    }
    main_.ShowInRole(chosen->FileName, *gray);
    main_.ShowInRole(QStringLiteral("Generate Fringe"), *fringe);
}

} // namespace corvane::ui
