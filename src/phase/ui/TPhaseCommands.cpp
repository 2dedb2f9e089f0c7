#include "phase/ui/TPhaseCommands.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

#include <memory>
#include <optional>

#include "image/FileUtil.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "phase/GeometricMoire.h"
#include "phase/PhaseToFringe.h"
#include "phase/ui/PhaseShiftSteps.h"
#include "shell/FrameFileFilters.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"
#include "shell/TRawOptionForm.h"

namespace corvane::ui {

namespace {
/// A picture chosen in File Open's dialog.
std::optional<QString> AskPicture(IDialogs& dialogs) {
    return AskOpenFileName(dialogs,
                           {.Filter = kFrameOpenPictureFilter, .DefaultExt = QStringLiteral("*.bmp")});
}

/// A picture as File Open reads it: a RAW file after the user described it; null when the RAW
/// description was cancelled.
std::unique_ptr<TGrayImage> LoadPicture(IDialogs& dialogs, TMainForm& mainForm, const QString& name) {
    const std::string path = ToFilePath(name);
    if (corvane::LowerExtension(path) != ".raw" || !corvane::FileExists(path))
        return std::make_unique<TGrayImage>(path);
    const auto raw = AskRawDescription(dialogs, name, path, &mainForm);
    if (!raw) return nullptr;
    return std::make_unique<TGrayImage>(*raw);
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
    const auto chosen = AskOpenFileName(
        dialogs_, {.Filter = kFrameOpenFilter, .FilterIndex = 2, .DefaultExt = QStringLiteral("*.cor")});
    if (!chosen) return;
    const QFileInfo file(*chosen);
    QDir::setCurrent(file.absolutePath());
    std::unique_ptr<TGrayImage> fringe, gray;
    {
        const TFloatImage phase(ToFilePath(*chosen));
        fringe = PhaseToFringe(phase);
        phase.ToGrayImage(gray);
    }
    main_.ShowInRole(*chosen, *gray);
    main_.ShowInRole(QStringLiteral("Generate Fringe"), *fringe);
}

} // namespace corvane::ui
