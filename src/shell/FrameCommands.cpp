#include "shell/TMainForm.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/MapExport.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/BitmapOps.h"
#include "shell/FrameFileFilters.h"
#include "shell/Platform.h"
#include "shell/PngExport.h"
#include "shell/TMDIChildForm.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <memory>

// The frame's File and Edit commands: opening and saving pictures and float maps, closing windows,
// the clipboard, zoom, Invert and Rotate 90.
namespace corvane::ui {

namespace {

QString ReplaceExtension(const QString& name, const QString& extension) {
    const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > slash) return name.left(dot) + extension;
    return name + extension;
}

std::string ToPath(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

} // namespace

// ---- File commands ------------------------------------------------------------------------------

void TMainForm::FileOpenActionExecute() {
    RunGuarded(dialogs_, [&] {
        const auto chosen = AskOpenFileName(
            dialogs_,
            {.Filter = kFrameOpenPictureFilter, .FilterIndex = 1, .DefaultExt = QStringLiteral("*.bmp")});
        if (!chosen) return;
        OpenPictureFile(*chosen);
    });
}

void TMainForm::FloatFileOpenActionExecute() {
    RunGuarded(dialogs_, [&] {
        const auto chosen = AskOpenFileName(
            dialogs_, {.Filter = kFrameOpenFilter, .FilterIndex = 2, .DefaultExt = QStringLiteral("*.cor")});
        if (!chosen) return;
        const QString name = *chosen;
        QDir::setCurrent(QFileInfo(name).absolutePath());
        OpenFloatMap(name);
    });
}

std::optional<QString> TMainForm::AskSavePictureName() {
    return AskSaveFileName(
        dialogs_,
        {.Filter = kFrameSavePictureFilter, .FilterIndex = 1, .DefaultExt = QStringLiteral("*.bmp")});
}

namespace {

/// The file a save under fileName writes: a ".bmp" name itself, any other the name or, when asked,
/// the name with its extension replaced by ".raw".
QString WrittenFile(const QString& fileName, bool replaceExtensionWithRaw) {
    if (corvane::LowerExtension(ToPath(fileName)) == ".bmp" || !replaceExtensionWithRaw) return fileName;
    return ReplaceExtension(fileName, QStringLiteral(".raw"));
}

} // namespace

namespace {

/// Save writes the window's own file without asking only when it still exists and is of a kind
/// the workbench writes; a TIFF or PNG picture is not replaced by a RAW file beside it.
bool SavesToItsOwnFile(const TMDIChildForm& child) {
    const std::string path = ToPath(child.FileName());
    if (child.FileName().isEmpty() || !corvane::FileExists(path)) return false;
    const std::string extension = corvane::LowerExtension(path);
    return extension == ".bmp" || extension == ".raw";
}

} // namespace

bool TMainForm::SaveChildToItsFile(TMDIChildForm& child) {
    if (SavesToItsOwnFile(child)) {
        SaveChild(child, child.FileName(), true);
        return true;
    }
    const auto chosen = AskSavePictureName();
    if (!chosen) return false;
    const QString written = WrittenFile(*chosen, true);
    if (corvane::FileExists(ToPath(written)) &&
        !dialogs_.WarningYesNo(written + QStringLiteral(" already exists.\nDo you want to replace it?")))
        return false;
    SaveChild(child, *chosen, true);
    return true;
}

bool TMainForm::AskToSaveChanges(TMDIChildForm& child) {
    const QString title = child.windowTitle().remove(QStringLiteral("[*]"));
    switch (dialogs_.QuestionYesNoCancel(QStringLiteral("Save the changes to \"%1\"?").arg(title))) {
    case TAnswer::No:
        return true;
    case TAnswer::Cancel:
        return false;
    case TAnswer::Yes:
        break;
    }
    bool saved = false;
    RunGuarded(dialogs_, [&] { saved = SaveChildToItsFile(child); });
    return saved;
}

void TMainForm::SaveChild(TMDIChildForm& child, const QString& fileName, bool replaceExtensionWithRaw) {
    // A window without pixels has nothing to write; an empty file would only look like a picture.
    if (child.Bitmap().isNull() || child.Bitmap().width() < 1 || child.Bitmap().height() < 1)
        throw CorvaneError("The window \"" + child.Caption().toStdString() + "\" holds no picture to save");
    const QString written = WrittenFile(fileName, replaceExtensionWithRaw);
    std::unique_ptr<TGrayImage> gray;
    if (corvane::LowerExtension(ToPath(written)) == ".bmp") {
        SaveBitmapAsBmp(child.Bitmap(), ToPath(written));
    } else {
        child.GetGrayImage(gray);
        gray->SaveToFile(ToPath(written));
    }
    child.SetModified(false);
    // A picture's window becomes the file it was saved as, so the next Save writes there and not
    // over the file it was opened from; a tool's result keeps its role caption, which its tool
    // addresses it by.
    if (!child.FileName().isEmpty()) {
        child.SetFileName(written);
        child.SetCaption(written);
    }
    if (gray)
        dialogs_.Information(QStringLiteral("The Raw File's Information:\n Header, Width, Height\n 0,  ") +
                             QString::number(gray->Width) + QStringLiteral(",  ") +
                             QString::number(gray->Height) + QStringLiteral("\n") + written);
}

void TMainForm::SaveActionExecute() {
    RunGuarded(dialogs_, [&] {
        if (TMDIChildForm* child = ActiveMDIChild()) SaveChildToItsFile(*child);
    });
}

void TMainForm::FileSaveAsActionExecute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child) return;
        const auto chosen = AskSavePictureName();
        if (!chosen) return;
        if (corvane::FileExists(ToPath(*chosen)) &&
            !dialogs_.WarningYesNo(*chosen + QStringLiteral(" already exists.\nDo you want to replace it?")))
            return;
        SaveChild(*child, *chosen, false);
    });
}

void TMainForm::SaveAsFloatActionExecute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child) return;
        const auto chosen = AskSaveFileName(dialogs_, {.Title = QStringLiteral("Save image to Float"),
                                                       .Filter = kFrameSaveFilter,
                                                       .FilterIndex = 1,
                                                       .DefaultExt = QStringLiteral("*.flt")});
        if (!chosen) return;
        TFloatImage map(nullptr, child->Bitmap().width(), child->Bitmap().height());
        BitmapToPhaseMap(child->Bitmap(), map);
        map.SaveFlt(ToPath(*chosen));
    });
}

void TMainForm::ExportPngActionExecute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child || child->Bitmap().isNull()) return;
        const auto chosen = AskSaveFileName(dialogs_, {.Title = QStringLiteral("Export PNG"),
                                                       .Filter = kFrameExportPngFilter,
                                                       .FilterIndex = 1,
                                                       .DefaultExt = QStringLiteral("*.png"),
                                                       .ConfirmOverwrite = true});
        if (!chosen) return;
        SaveBitmapAsPng(child->Bitmap(), ToPath(*chosen));
    });
}

void TMainForm::ExportMapActionExecute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child) return;
        const TFloatImage* map = child->FloatMap();
        if (!map)
            throw CorvaneError(
                "Export Map saves a float map: open one with Open Float Image or show a tool's "
                "float result first");
        const auto chosen = AskSaveFileName(dialogs_, {.Title = QStringLiteral("Export Map"),
                                                       .Filter = kFrameExportMapFilter,
                                                       .FilterIndex = 1,
                                                       .DefaultExt = QStringLiteral("*.tif"),
                                                       .ConfirmOverwrite = true});
        if (!chosen) return;
        ExportFloatMap(*map, ToPath(*chosen));
    });
}

void TMainForm::FileExitActionExecute() {
    RunGuarded(dialogs_, [&] { close(); });
}

// ---- Edit commands ------------------------------------------------------------------------------

void TMainForm::EditCut1Execute() {
    RunGuarded(dialogs_, [&] {
        QWidget* focused = QApplication::focusWidget();
        if (auto* line = qobject_cast<QLineEdit*>(focused))
            line->cut();
        else if (auto* text = qobject_cast<QTextEdit*>(focused))
            text->cut();
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(focused))
            plain->cut();
    });
}

void TMainForm::EditCopy1Execute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child || child->Bitmap().isNull()) return;
        QGuiApplication::clipboard()->setImage(child->Bitmap());
    });
}

void TMainForm::EditPaste1Execute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child) return;
        const QImage image = QGuiApplication::clipboard()->image();
        if (image.isNull()) return;
        child->SetBitmap(image);
        child->SetModified(true);
    });
}

void TMainForm::AmplifyActionExecute() {
    RunGuarded(dialogs_, [&] {
        if (TMDIChildForm* child = ActiveMDIChild()) child->Amplify();
    });
}

void TMainForm::EditOriginalSizeActionExecute() {
    RunGuarded(dialogs_, [&] {
        if (TMDIChildForm* child = ActiveMDIChild()) child->OriginalSize();
    });
}

void TMainForm::ShrinkActionExecute() {
    RunGuarded(dialogs_, [&] {
        if (TMDIChildForm* child = ActiveMDIChild()) child->Shrink();
    });
}

void TMainForm::InvertActionExecute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child || child->Bitmap().isNull()) return;
        QImage bitmap = child->Bitmap();
        InvertBitmap(bitmap);
        child->ReplacePixels(bitmap);
        child->SetModified(true);
    });
}

void TMainForm::Rotate90ActionExecute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child || child->Bitmap().isNull()) return;
        child->SetBitmap(Rotate90Bitmap(child->Bitmap()));
        child->SetModified(true);
    });
}

} // namespace corvane::ui
