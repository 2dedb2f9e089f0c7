// The "Compute Strain" window driven as a user would: fields and masks chosen through the
// dialogs, the derivative commands, their windows, the save menu, a strain window and the tensor,
// the files it saves compared with those of `corvane-cli strain`, File > Export Map... and Colour Map.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>

#include <gtest/gtest.h>

#include "correlation/ui/TComputeStrainForm.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/TMDIChildForm.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/ui/TestMainForm.h"
#include "tools/ui/TColourMapForm.h"

namespace corvane {
namespace {

using namespace test;
using Kind = ScriptedDialogs::Kind;

constexpr float kNotComputed = 1000.0f;

class StrainTool : public ToolTest<ui::TComputeStrainForm> {
  protected:
    void SetUp() override {
        ASSERT_NE(tool, nullptr);
        frame->Trigger("StrainAction");
        ASSERT_TRUE(tool->isVisible());
    }
    /// Writes a map of f(x, y) into the test folder.
    template <class F> void WriteField(const char* name, int w, int h, F f) const {
        MakeFloatMap(w, h, f)->SaveFlt(Path(name));
    }
    void Open(QAction* open, const char* name) {
        frame->Dialogs.QueueFile(frame->File(name));
        open->trigger();
    }
    /// Saves through a "Save Strain" item; the full name of the file written.
    std::string Save(QAction* item, const char* name) {
        frame->Dialogs.QueueFile(frame->File(name));
        item->trigger();
        return Path(name);
    }
};

bool Marked(int x, int y) {
    return (x == 10 && y == 10) || (y == 15 && (x == 20 || x == 22));
}

// A correlation-like U map with not-computed points: the field is chosen and shown, Ux of the
// stretch is read where the neighbours allow it, the marked points show black, and the map is saved.
TEST_F(StrainTool, UxOfAStretchWithNotComputedPointsIsShownAndSaved) {
    WriteField("u.flt", 40, 30, [](int x, int y) { return Marked(x, y) ? kNotComputed : 0.01f * x; });
    Open(tool->OpenUFieldFileAction, "u.flt");
    EXPECT_EQ(tool->UFieldEdit->text(), QStringLiteral("u.flt"));
    EXPECT_EQ(tool->WorkingDirLabel->text().toStdString(), frame->Dir.Path().string());
    ASSERT_NE(frame->Window(" U Field"), nullptr);
    EXPECT_EQ(frame->Window(" U Field")->Bitmap().size(), QSize(40, 30));

    tool->MaskValueCheckBox->setChecked(true);
    tool->UxAction->trigger();
    ASSERT_EQ(frame->LastError(), QString());
    const TFloatImage* ux = tool->Result(StrainComponent::Ux);
    ASSERT_NE(ux, nullptr);
    EXPECT_NEAR(ux->GetPixel(11, 10), 0.01f, 1e-6f); // one-sided beside a marked point
    ASSERT_NE(frame->Window(" Ux "), nullptr);
    ASSERT_NE(frame->Window("Strain Mask"), nullptr);
    EXPECT_EQ(qGray(frame->Window("Strain Mask")->Bitmap().pixel(10, 10)), 0);
    EXPECT_EQ(qGray(frame->Window("Strain Mask")->Bitmap().pixel(11, 10)), 255);
    EXPECT_EQ(qGray(frame->Window(" Ux ")->Bitmap().pixel(10, 10)), 0);

    EXPECT_EQ(TFloatImage(Save(tool->SaveUxAction, "ux.flt")).GetPixel(11, 10), ux->GetPixel(11, 10));
    EXPECT_EQ(frame->Dialogs.FileRequests().back().Title, QStringLiteral("Save To Float Strain File"));
}

// Combining and saving what was not computed is refused before any dialog; the shear strain of U
// and V, and the mask, are saved once both derivatives are there.
TEST_F(StrainTool, ShearAndSavesNeedTheirDerivativesFirst) {
    tool->UyVxAction->trigger();
    EXPECT_EQ(frame->LastError(), QStringLiteral("compute uy first"));
    tool->SaveVxAction->trigger();
    EXPECT_EQ(frame->LastError(), QStringLiteral("compute Vx first"));
    tool->SaveMaskAction->trigger();
    EXPECT_EQ(frame->LastError(), QStringLiteral("compute a strain first"));
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 0);

    WriteField("u.flt", 24, 20, [](int x, int y) { return 0.01f * x + 0.003f * y * y; });
    WriteField("v.flt", 24, 20, [](int x, int y) { return 0.02f * y + 0.005f * x * x; });
    Open(tool->OpenUFieldFileAction, "u.flt");
    Open(tool->OpenVFieldFileAction, "v.flt");
    EXPECT_EQ(tool->VFieldEdit->text(), QStringLiteral("v.flt"));
    EXPECT_NE(frame->Window(" V Field"), nullptr);
    tool->UyAction->trigger();
    tool->UyVxAction->trigger();
    EXPECT_EQ(frame->LastError(), QStringLiteral("compute vx first"));
    tool->VxAction->trigger();
    const int errors = frame->Dialogs.Count(Kind::Error);
    tool->UyVxAction->trigger();
    EXPECT_EQ(frame->Dialogs.Count(Kind::Error), errors);
    EXPECT_NE(frame->Window(" Shear Strain "), nullptr);

    EXPECT_EQ(TFloatImage(Save(tool->SaveShearStrainAction, "shear.flt")).Width, 24);

    tool->SaveVyAction->trigger();
    EXPECT_EQ(frame->LastError(), QStringLiteral("compute Vy first"));
    frame->Dialogs.Clear();
    frame->Dialogs.QueueFile(frame->File("mask"));
    tool->SaveMaskAction->trigger(); // ".bmp" follows the filter
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList());
    EXPECT_EQ(TGrayImage(Path("mask.bmp")).Width, 24);
}

// A missing field names its path; text that is not a number, and a mask picture that does not fit
// the field, are refused and leave no result; a fitting mask picture keeps its black points out.
TEST_F(StrainTool, MissingFieldsBadNumbersAndMaskPictures) {
    tool->WorkingDirLabel->setText(QString::fromStdString(frame->Dir.Path().string()));
    tool->UFieldEdit->setText(QStringLiteral("missing.flt"));
    tool->UxAction->trigger();
    EXPECT_EQ(frame->LastError().toStdString(), Path("missing.flt") + ": not exists");

    WriteField("u.flt", 30, 20, [](int x, int) { return 0.01f * x; });
    tool->UFieldEdit->setText(QStringLiteral("u.flt"));
    tool->MaskValueCheckBox->setChecked(true);
    tool->MaskValueEdit->setText(QStringLiteral("abc"));
    tool->UxAction->trigger();
    EXPECT_EQ(frame->LastError(), QStringLiteral("Mask Value: 'abc' is not a valid floating point value"));
    EXPECT_EQ(tool->Result(StrainComponent::Ux), nullptr);
    tool->MaskValueCheckBox->setChecked(false);

    MakeGreyPicture(31, 20, [](int, int) { return 255; })->SaveBmp(Path("wide.bmp"));
    MakeGreyPicture(30, 20, [](int x, int) { return x < 10 ? 0 : 255; })->SaveBmp(Path("mask.bmp"));
    tool->UseMaskFileCheckBox->setChecked(true);
    Open(tool->OpenMaskFileAction, "wide.bmp");
    EXPECT_EQ(tool->MaskFileEdit->text(), QStringLiteral("wide.bmp"));
    EXPECT_EQ(frame->Window(" Mask File")->Bitmap().size(), QSize(31, 20));
    tool->UxAction->trigger();
    EXPECT_TRUE(frame->LastError().contains(QStringLiteral("wide.bmp"))) << frame->LastError().toStdString();
    EXPECT_EQ(tool->Result(StrainComponent::Ux), nullptr);

    Open(tool->OpenMaskFileAction, "mask.bmp");
    tool->UxAction->trigger();
    const TFloatImage* ux = tool->Result(StrainComponent::Ux);
    ASSERT_NE(ux, nullptr);
    EXPECT_EQ(ux->GetPixel(5, 5), 0.0f);
    EXPECT_NEAR(ux->GetPixel(10, 5), 0.01f, 1e-6f); // one-sided at the mask's edge
    EXPECT_NEAR(ux->GetPixel(20, 5), 0.01f, 1e-6f);
}

// The marker is invalid without a click; exx with a 5-point window is shown, tells its value
// under the mouse, is saved and exported as the verbs write it, and opens in Colour Map with one
// click.
TEST_F(StrainTool, ExxWithAWindowIsShownSavedAndOpensInColourMap) {
    // u = 0.02 x + 0.1 y, v = -0.01 y with the correlation's marker at (8, 6) of U.
    WriteField("u.flt", 24, 18, [](int x, int y) { return x == 8 && y == 6 ? 1000.0 : 0.02 * x + 0.1 * y; });
    WriteField("v.flt", 24, 18, [](int, int y) { return -0.01 * y; });
    Open(tool->OpenUFieldFileAction, "u.flt");
    Open(tool->OpenVFieldFileAction, "v.flt");
    EXPECT_TRUE(tool->MaskValueCheckBox->isChecked());
    EXPECT_TRUE(tool->StrainWindowEdit->text().isEmpty());
    tool->StrainWindowEdit->setText(QStringLiteral("5"));
    tool->ExxAction->trigger();
    ASSERT_EQ(frame->LastError(), QString());
    ui::TMDIChildForm* window = frame->Window(" exx ");
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->FloatMap(), nullptr);
    window->PictureMouseMove(QPoint(3, 4));
    EXPECT_TRUE(window->HintText().startsWith(QStringLiteral("Position(3,4),value=0.0202")))
        << window->HintText().toStdString();
    window->PictureMouseMove(QPoint(8, 6));
    EXPECT_TRUE(window->HintText().endsWith(QStringLiteral("(not computed)")))
        << window->HintText().toStdString();

    frame->Dialogs.QueueFile(frame->File("exx.flt"));
    tool->SaveExxAction->trigger();
    const ProgramRun cli =
        RunProgram(CORVANE_CLI_EXE,
                   {"strain", "u.flt", "v.flt", "-o", "cli.flt", "--component", "exx", "--fit-window", "5"},
                   frame->Dir.Path());
    ASSERT_EQ(cli.Status, 0) << cli.Err;
    EXPECT_EQ(ReadFileBytes(frame->Dir.File("exx.flt")), ReadFileBytes(frame->Dir.File("cli.flt")));

    // File > Export Map... refuses the mask picture (the active window) and writes what
    // `corvane-cli export` writes for the strain window.
    frame->Trigger("ExportMapAction");
    EXPECT_TRUE(frame->LastError().startsWith(QStringLiteral("Export Map saves a float map")));
    frame->Form->MdiArea()->setActiveSubWindow(window->SubWindow());
    frame->TriggerWithFile("ExportMapAction", frame->File("exx.npy"));
    ASSERT_EQ(RunProgram(CORVANE_CLI_EXE, {"export", "cli.flt", "-o", "cli.npy"}, frame->Dir.Path()).Status,
              0);
    EXPECT_EQ(ReadFileBytes(frame->Dir.File("exx.npy")), ReadFileBytes(frame->Dir.File("cli.npy")));

    tool->ShowColourMapAction->trigger();
    auto* colour = frame->Form->findChild<ui::TColourMapForm*>();
    ASSERT_TRUE(colour && colour->isVisible());
    EXPECT_EQ(colour->MapFileEdit->text(), QStringLiteral(" exx "));
    EXPECT_TRUE(colour->ValueHint(3, 4).startsWith(QStringLiteral("Position(3,4),value=0.0202")));
}

} // namespace
} // namespace corvane
