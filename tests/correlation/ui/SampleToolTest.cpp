// The "Sample X/Y displacement" window driven as a user would: U and V chosen through the dialogs,
// their header scales shown and rewritten, both maps shown, and the tables it saves compared with
// those of `corvane-cli sample`.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "correlation/ui/TMergeXYForm.h"
#include "image/TFloatImage.h"
#include "shell/TMDIChildForm.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

using namespace test;
using Kind = ScriptedDialogs::Kind;

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

} // namespace
} // namespace corvane
