// The windows that work on correlation results, driven as a user would. "Compute Strain": fields and
// masks chosen through the dialogs, the derivative commands, their windows, the save menu, a strain
// window and the tensor, the files it saves compared with those of `corvane-cli strain`, File >
// Export Map... and Colour Map. "Sample X/Y displacement": header scales shown and rewritten, the
// maps shown, the tables compared with those of `corvane-cli sample`. "Compute Scale" and "Material
// Parameters": a length measured by dragging, the scale stored in the frame and kept over a restart.
#include <QtWidgets>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "correlation/ui/TComputeScaleForm.h"
#include "correlation/ui/TComputeStrainForm.h"
#include "correlation/ui/TMaterialParaForm.h"
#include "correlation/ui/TMergeXYForm.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/TMDIChildForm.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/ui/DocumentMouse.h"
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

// The "Sample X/Y displacement" window driven as a user would: U and V chosen through the dialogs,
// their header scales shown and rewritten, both maps shown, and the tables it saves compared with
// those of `corvane-cli sample`.

class SampleTool : public ToolTest<ui::TMergeXYForm> {
  protected:
    void SetUp() override {
        ASSERT_NE(tool, nullptr);
        frame->Trigger("MergeXandYDisplacementAction");
        ASSERT_TRUE(tool->isVisible());
    }
    /// u = x / 10 and v = -y / 20, with the not-computed marker at (3, 2) in U; header scales sx, sy.
    void WriteFields(int w, int h, float sx = 1.0f, float sy = 1.0f, int vWidth = 0) const {
        auto u = MakeFloatMap(w, h, [](int x, int y) { return x == 3 && y == 2 ? 1000.0 : x / 10.0; });
        auto v = MakeFloatMap(vWidth > 0 ? vWidth : w, h, [](int, int y) { return -y / 20.0; });
        for (TFloatImage* map : {u.get(), v.get()}) {
            map->ScaleX = sx;
            map->ScaleY = sy;
        }
        u->SaveFlt(Path("u.flt"));
        v->SaveFlt(Path("v.flt"));
    }
    void LoadBoth() {
        ClickWithFile(tool->DisplaceXSpeedButton, File("u.flt"));
        ClickWithFile(tool->DisplaceYSpeedButton, File("v.flt"));
    }
    /// Saves the table under name; its text.
    std::string SaveTable(const char* name) {
        frame->Dialogs.QueueFile(frame->File(name));
        tool->SaveResultButton->click();
        return ReadFileBytes(Path(name));
    }
    /// The table `corvane-cli sample u.flt v.flt` writes with these options.
    std::string CliTable(std::vector<std::string> options) const {
        std::vector<std::string> arguments{"sample", "u.flt", "v.flt", "-o", "cli.dat"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const ProgramRun run = RunProgram(CORVANE_CLI_EXE, arguments, frame->Dir.Path());
        EXPECT_EQ(run.Status, 0) << run.Err;
        return ReadFileBytes(Path("cli.dat"));
    }
};

// Loading shows each file's header scales and takes the last one's as output scales; the default
// table of two 100 x 80 maps holds 7999 records (the marker left out), and every option set in the window
// gives the table the verb writes with the same options.
TEST_F(SampleTool, TablesAreThoseOfTheVerbWithTheSameOptions) {
    WriteFields(100, 80, 0.5f, 0.25f);
    LoadBoth();
    EXPECT_EQ(tool->DisplaceXFileEdit->text(), QStringLiteral("u.flt"));
    EXPECT_EQ(tool->DisplaceYFileEdit->text(), QStringLiteral("v.flt"));
    EXPECT_EQ(tool->WorkingDirLabel->text().toStdString(), frame->Dir.Path().string());
    EXPECT_EQ(tool->UScaleXEdit->text(), QStringLiteral("0.5"));
    EXPECT_EQ(tool->VScaleYEdit->text(), QStringLiteral("0.25"));
    EXPECT_EQ(tool->VValueScaleEdit->text(), QStringLiteral("1.0"));
    EXPECT_EQ(tool->ScaleXEdit->text(), QStringLiteral("0.5"));
    EXPECT_EQ(tool->ScaleYEdit->text(), QStringLiteral("0.25"));

    const std::string table = SaveTable("xy.dat");
    // The marker at (3, 2) is left out by default.
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 8000);
    EXPECT_EQ(frame->Dialogs.FileRequests().back().InitialDir.toStdString(), frame->Dir.Path().string());

    // Grid 5 over 0 ... 20, y axis up, the marker left out, coordinates and displacements scaled.
    tool->UseOutputGridCheckBox->setChecked(true);
    tool->OutputRangeCheckBox->setChecked(true);
    tool->RightEdit->setText(QStringLiteral("20"));
    tool->BottomEdit->setText(QStringLiteral("20"));
    tool->ChangeYaxisCheckBox->setChecked(true);
    tool->MaskValueCheckBox->setChecked(true);
    tool->DisplacementCheckBox->setChecked(true);
    const std::vector<std::string> options{"--grid",     "5",         "5",    "--range",
                                           "0",          "0",         "20",   "20",
                                           "--change-y", "--invalid", "1000", "--scale-displacement"};
    for (int type = 0; type < 6; ++type) {
        tool->ResultTypeComboBox->setCurrentIndex(type);
        std::vector<std::string> withType = options;
        withType.insert(withType.end(), {"--type", std::to_string(type)});
        EXPECT_EQ(SaveTable("grid.dat"), CliTable(withType)) << "type " << type;
    }
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList());
}

// Saving without both maps, or with maps of different sizes, is refused before the dialog; a
// cancelled dialog writes nothing; text that is not a number is reported.
TEST_F(SampleTool, SaveRefusesWhatItCannotSample) {
    tool->SaveResultButton->click();
    EXPECT_EQ(frame->LastError(), QStringLiteral("You should give two Binary Float File at the Input Page"));
    WriteFields(12, 10, 1.0f, 1.0f, 14);
    LoadBoth();
    tool->SaveResultButton->click();
    EXPECT_TRUE(frame->LastError().contains(QStringLiteral("same size"))) << frame->LastError().toStdString();
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 0);

    WriteFields(12, 10);
    LoadBoth();
    frame->Dialogs.QueueFileCancel();
    tool->SaveResultButton->click();
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 1);
    tool->UseOutputGridCheckBox->setChecked(true);
    tool->GridxEdit->setText(QStringLiteral("five"));
    frame->Dialogs.QueueFile(frame->File("bad.dat"));
    tool->SaveResultButton->click();
    EXPECT_EQ(frame->LastError(), QStringLiteral("Gridx: 'five' is not a valid integer value"));
    EXPECT_FALSE(std::filesystem::exists(Path("bad.dat")));

    // Hiding the window frees the maps.
    tool->CloseButton->click();
    frame->Trigger("MergeXandYDisplacementAction");
    tool->SaveResultButton->click();
    EXPECT_EQ(frame->LastError(), QStringLiteral("You should give two Binary Float File at the Input Page"));
}

// "Modify" writes the edited scales into the file's own header and makes them the output scales;
// "Show" displays both maps, without the marker taking the grey range when the invalid value is
// on; the mask picture is shown and limits the table to its white points.
TEST_F(SampleTool, ModifyShowAndMask) {
    WriteFields(16, 12);
    LoadBoth();
    tool->UScaleXEdit->setText(QStringLiteral("0.125"));
    tool->UValueScaleEdit->setText(QStringLiteral("2"));
    tool->ModifyUScaleButton->click();
    const TFloatImage u(Path("u.flt"));
    EXPECT_EQ(std::pair(u.ScaleX, u.ValueScale), std::pair(0.125f, 2.0f));
    EXPECT_EQ(tool->ScaleXEdit->text(), QStringLiteral("0.125"));

    tool->MaskValueCheckBox->setChecked(true);
    tool->ShowContentButton->click();
    ASSERT_NE(frame->Window("X displacement: to Merge"), nullptr);
    ASSERT_NE(frame->Window("Y displacement: to Merge"), nullptr);
    const QImage shown = frame->Window("X displacement: to Merge")->Bitmap();
    EXPECT_EQ(shown.size(), QSize(16, 12));
    EXPECT_EQ(qGray(shown.pixel(15, 0)), 255); // the largest valid value, not the marker

    MakeGreyPicture(16, 12, [](int x, int) { return x < 8 ? 255 : 0; })->SaveBmp(Path("mask.bmp"));
    tool->UseMaskFileCheckBox->setChecked(true);
    EXPECT_FALSE(tool->MaskFileEdit->isHidden());
    frame->Dialogs.QueueFile(frame->File("mask.bmp"));
    tool->MaskFileSpeedButton->click();
    EXPECT_EQ(tool->MaskFileEdit->text(), QStringLiteral("mask.bmp"));
    ASSERT_NE(frame->Window(" Output Mask Image: to Merge"), nullptr);
    const std::string table = SaveTable("masked.dat");
    EXPECT_NE(table.find("\n    0.87500     11.00000"), std::string::npos) << table; // x = 7 at scale 0.125
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 1 + 8 * 12 - 1);         // the marker is left out
}

// The "Compute Scale" and "Material Parameters" windows driven as a user would: a length measured by
// dragging on a picture, the scale typed or computed and stored in the frame, kept over a restart.
class ScaleTool : public ToolTest<ui::TComputeScaleForm> {
  protected:
    void SetUp() override {
        ASSERT_NE(tool, nullptr);
        frame->Trigger("ImageScaleAction");
        ASSERT_TRUE(tool->isVisible());
    }

    /// Opens a 320 x 200 picture into a document window and returns it.
    ui::TMDIChildForm& OpenPlate() {
        MakeGreyPicture(320, 200, [](int x, int y) {
            return (x + y) % 256;
        })->SaveBmp(frame->Dir.File("p.bmp"));
        frame->TriggerWithFile("FileOpenAction", frame->File("p.bmp"));
        return frame->Active();
    }
};

// Unchecking "Set Scale" turns the measurement on: a 250-pixel drag along x with an actual length
// of 5.0 gives 0.02, shown and stored in the frame; a drag along y fills the y length. While the
// scale is typed in, a drag measures nothing.
TEST_F(ScaleTool, DraggedLengthGivesTheComputedScale) {
    ui::TMDIChildForm& picture = OpenPlate();
    EXPECT_FALSE(tool->ComputeScaleGroupBox->isEnabled());
    DragOnPicture(picture, {10, 20}, {260, 90});
    EXPECT_EQ(tool->ImageScaleXEdit->text(), QStringLiteral("1"));

    tool->SetScaleCheckBox->setChecked(false);
    EXPECT_TRUE(tool->ComputeScaleGroupBox->isEnabled());
    EXPECT_FALSE(tool->SetScaleGroupBox->isEnabled());
    DragOnPicture(picture, {260, 20}, {10, 90});
    EXPECT_EQ(tool->ImageScaleXEdit->text(), QStringLiteral("250"));
    EXPECT_EQ(tool->ImageScaleYEdit->text(), QStringLiteral("1"));
    tool->ScaleYRadioButton->setChecked(true);
    DragOnPicture(picture, {30, 10}, {40, 170});
    EXPECT_EQ(tool->ImageScaleYEdit->text(), QStringLiteral("160"));
    EXPECT_EQ(tool->ImageScaleXEdit->text(), QStringLiteral("250"));

    tool->ActualScaleXEdit->setText(QStringLiteral("5.0"));
    tool->ActualScaleYEdit->setText(QStringLiteral("4"));
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList());
    EXPECT_EQ(tool->ScaleXEdit->text(), QStringLiteral("0.02"));
    EXPECT_EQ(tool->ScaleYEdit->text(), QStringLiteral("0.025"));
    EXPECT_EQ(frame->Form->ScaleX, 0.02);
    EXPECT_EQ(frame->Form->ScaleY, 0.025);
}

// A measured length of 0 pixels and text that is not a number are refused; the frame keeps its
// scale.
TEST_F(ScaleTool, ZeroLengthsAndBadNumbersStoreNothing) {
    tool->SetScaleCheckBox->setChecked(false);
    tool->ImageScaleXEdit->setText(QStringLiteral("0"));
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->LastError(), QStringLiteral("The length in the image must not be 0 pixels"));
    tool->ImageScaleXEdit->setText(QStringLiteral("1"));
    tool->ActualScaleYEdit->setText(QStringLiteral("1,5"));
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->LastError(),
              QStringLiteral("Actual Scale Y: '1,5' is not a valid floating point value"));
    tool->SetScaleCheckBox->setChecked(true);
    tool->ScaleXEdit->setText(QStringLiteral("0.3"));
    tool->ScaleYEdit->setText(QString());
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->Dialogs.Count(ScriptedDialogs::Kind::Error), 3);
    EXPECT_EQ(frame->Form->ScaleX, 1.0);
    EXPECT_EQ(frame->Form->ScaleY, 1.0);
    EXPECT_EQ(tool->ScaleXEdit->text(), QStringLiteral("0.3"));
}

// A typed scale is stored whatever the measurement holds, shown again when the window is reopened,
// written to the settings on exit and read back by the next start.
TEST_F(ScaleTool, TypedScaleIsShownAgainAndKeptOverARestart) {
    tool->ImageScaleXEdit->setText(QStringLiteral("0"));
    tool->ScaleXEdit->setText(QStringLiteral("0.004"));
    tool->ScaleYEdit->setText(QStringLiteral("0.5"));
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList());
    EXPECT_EQ(frame->Form->ScaleX, 0.004);
    EXPECT_EQ(frame->Form->ScaleY, 0.5);
    tool->CloseButton->click();
    tool->ScaleYEdit->setText(QStringLiteral("7"));
    frame->Trigger("ImageScaleAction");
    EXPECT_EQ(tool->ScaleYEdit->text(), QStringLiteral("0.5"));

    frame->Dialogs.QueueYesNo(true);
    frame->Form->close();
    frame->Destroy();
    frame->Settings->sync();
    QSettings settings(frame->SettingsFile(), QSettings::IniFormat);
    ui::TMainForm next(frame->Dialogs, settings);
    ui::CreateToolWindows(next);
    next.Action(QStringLiteral("ImageScaleAction"))->trigger();
    auto* reopened = next.findChild<ui::TComputeScaleForm*>();
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->ScaleXEdit->text(), QStringLiteral("0.004"));
    EXPECT_EQ(reopened->ScaleYEdit->text(), QStringLiteral("0.5"));
}

} // namespace
} // namespace corvane
