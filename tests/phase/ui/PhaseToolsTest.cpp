// The phase tools other than the carrier wizards, driven as a user would: the three phase-shifting
// tools with the moire simulation page, the region-growing and simple unwrap tools, the grid
// generator with the frame's Geometric Moire and Phase To Fringe commands, phase calculation,
// absolute displacement and pseudo colour.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "phase/AbsolutePhase.h"
#include "phase/GridGenerator.h"
#include "phase/MoireSimulation.h"
#include "phase/PhaseCalculation.h"
#include "phase/PhaseShift.h"
#include "phase/PhaseToFringe.h"
#include "phase/ui/PhaseToolsTest.h"
#include "phase/ui/TAbsolutePhaseForm.h"
#include "phase/ui/TConst3StepPhaseShiftForm.h"
#include "phase/ui/TConst4StepPhaseShiftForm.h"
#include "phase/ui/TEqual4StepPhaseShiftForm.h"
#include "phase/ui/TGenerateGridForm.h"
#include "phase/ui/TNewUnwrapForm.h"
#include "phase/ui/TPhaseCalculationForm.h"
#include "phase/ui/TPseudoColorForm.h"
#include "phase/ui/TSimpleUnwrapForm.h"
#include "shell/TMDIChildForm.h"
#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"
#include "support/ui/DocumentMouse.h"

namespace corvane {
namespace {

using test::Values;
constexpr double kPi = 3.14159265358979;

// Saves the values, row by row, as a map of this width with scales 0.5 across and 0.25 down.
void SaveMap(const std::string& file, int width, const std::vector<float>& values) {
    auto map = test::MakeFloatMap(width, static_cast<int>(values.size()) / width, [&](int x, int y) {
        return values[static_cast<std::size_t>(y * width + x)];
    });
    map->ScaleX = 0.5f;
    map->ScaleY = 0.25f;
    map->SaveFlt(file);
}

// The phase the step pictures carry: a tilted plane wrapped into -pi..pi.
double KnownPhase(int x, int y) {
    return std::remainder(0.11 * x + 0.07 * y, 2 * kPi);
}

// What each tool needs to be driven the same way: its command, the phase shift of each
// step picture, the name in its phase window's caption and the tag of its step windows. The
// equal-step tool takes steps of 1 radian, any size being allowed; its phase is that of the middle
// of the four steps, so the pictures are shifted by -1.5 .. 1.5 around the known phase.
struct Tool {
    const char* Command;
    std::vector<double> Shifts;
    const char* Name;
    const char* Tag;
};

const Tool kTools[] = {
    {"PI3StepAction", {0, 2 * kPi / 3, 4 * kPi / 3}, "Const 3 Step", "C3S"},
    {"PI4StepAction", {0, kPi / 2, kPi, 3 * kPi / 2}, "Const 4 Step", "C4S"},
    {"Equal4StepAction", {-1.5, -0.5, 0.5, 1.5}, "Equal 4 Step", "E4S"},
};

class PhaseShiftTools : public test::ToolTest<ui::TEqual4StepPhaseShiftForm> {
  protected:
    QString Picture(const QString& name, int w, int h, const std::function<int(int, int)>& grey) const {
        test::MakeGreyPicture(w, h, grey)->SaveBmp(Path(name));
        return File(name);
    }
    // Step pictures "s1.bmp" ... of the known phase, 8-bit: 127.5 + 100 cos(phase + shift).
    void StepPictures(const Tool& tool, int w, int h) const {
        for (std::size_t k = 0; k < tool.Shifts.size(); ++k)
            Picture(QStringLiteral("s%1.bmp").arg(k + 1), w, h, [&](int x, int y) {
                return static_cast<int>(
                    std::lround(127.5 + 100 * std::cos(KnownPhase(x, y) + tool.Shifts[k])));
            });
    }
    // Shows the tool, browses Step 1 (which sets the working directory) and names the others.
    template <class Form> Form* Prepare(const Tool& tool) {
        frame->Trigger(tool.Command);
        auto* form = frame->Form->findChild<Form*>();
        ClickWithFile(form->Step1SpeedButton, File("s1.bmp"));
        for (int k = 2; k <= static_cast<int>(tool.Shifts.size()); ++k)
            form->template findChild<QLineEdit*>(QStringLiteral("Step%1Edit").arg(k))
                ->setText(QStringLiteral("s%1.bmp").arg(k));
        return form;
    }
    template <class Form> std::string Save(Form* form, const QString& name) {
        ClickWithFile(form->SaveToFloatButton, File(name), 2);
        return Path(name);
    }
    template <class Form> void ComputeAndCompare(const Tool& tool);
};

// Each tool computes the phase of its method from its step pictures, shows it in its phase window,
// and saves with the frame's image scale.
template <class Form> void PhaseShiftTools::ComputeAndCompare(const Tool& tool) {
    SCOPED_TRACE(tool.Command);
    const int w = 60, h = 40;
    StepPictures(tool, w, h);
    Form* form = Prepare<Form>(tool);
    EXPECT_EQ(std::pair(form->WorkingDirLabel->text(), form->Step1Edit->text()),
              std::pair(QString::fromStdString(frame->Dir.Path().string()), QString("s1.bmp")));
    form->ComputePhaseButton->click();
    ASSERT_EQ(frame->Dialogs.Errors().join("; ").toStdString(), "");
    EXPECT_EQ(ShownSize(Window(QStringLiteral("phase:") + tool.Name)), QSize(w, h));
    for (std::size_t k = 1; k <= tool.Shifts.size(); ++k)
        EXPECT_NE(Window(QStringLiteral("Phase Shifting Step %1:%2").arg(k).arg(tool.Tag)), nullptr);

    // The tool's own method (every pixel within 0.05 rad of the known phase), saved with the frame's
    // image scale.
    frame->Form->ScaleX = 0.25;
    frame->Form->ScaleY = 0.5;
    const TFloatImage saved(Save(form, "tool.flt"));
    EXPECT_EQ(std::tuple(saved.ScaleX, saved.ScaleY, saved.ValueScale), std::tuple(0.25f, 0.5f, 1.0f));
    for (int i = 0; i < w * h; ++i)
        ASSERT_NEAR(std::remainder(saved.Data[i] - KnownPhase(i % w, i / w), 2 * kPi), 0.0, 0.05) << i;
    frame->Form->ScaleX = frame->Form->ScaleY = 1.0;
}

TEST_F(PhaseShiftTools, EachToolComputesWithItsOwnMethodAndSavesWithTheImageScale) {
    ComputeAndCompare<ui::TConst3StepPhaseShiftForm>(kTools[0]);
    ComputeAndCompare<ui::TConst4StepPhaseShiftForm>(kTools[1]);
    ComputeAndCompare<ui::TEqual4StepPhaseShiftForm>(kTools[2]);
    // The save dialog offers FLT, in the working directory.
    const ui::FileDialogRequest request = frame->Dialogs.FileRequests().back();
    EXPECT_EQ(std::tuple(request.Title, request.FilterIndex, request.InitialDir),
              std::tuple("Save Phase To", 2, QString::fromStdString(frame->Dir.Path().string())));
}

// Save To Float writes nothing until a phase was computed since the tool was last shown; a step
// picture larger than Step 2's is read over Step 2's extent, a smaller one is refused with both
// sizes named and the phase shown stays.
TEST_F(PhaseShiftTools, NothingIsSavedWithoutAPhaseAndMismatchedStepsAreRefused) {
    StepPictures(kTools[1], 32, 24);
    auto* form = Prepare<ui::TConst4StepPhaseShiftForm>(kTools[1]);
    Picture("s4.bmp", 41, 27, [](int, int) { return 9; }); // larger than Step 2: read over its extent
    // Nothing to save: it says so and asks for no name.
    form->SaveToFloatButton->click();
    form->ComputePhaseButton->click();
    const QImage shown = Window("phase:Const 4 Step")->Bitmap();
    form->close();
    frame->Trigger("PI4StepAction");
    form->SaveToFloatButton->click();
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 0);
    EXPECT_EQ(frame->Dialogs.Informations(), QStringList(2, ui::kNoPhaseToSaveMessage));

    form->ComputePhaseButton->click();
    Picture("s3.bmp", 31, 24, [](int, int) { return 9; });
    form->ComputePhaseButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().join(""),
              "Step 3 image is 31 x 24, Step 2 image is 32 x 24: a step image must "
              "not be smaller than the Step 2 image");
    EXPECT_EQ(Window("phase:Const 4 Step")->Bitmap(), shown);
    // the phase of the last successful Compute Phase is still the one saved
    EXPECT_EQ(TFloatImage(Save(form, "kept.flt")).Width, 32);
}

// The simulation page: a count of lines that is not a whole number is reported on leaving the edit,
// and one of 0 is refused before anything is read; a valid simulation shows the four pictures the
// core makes in the step windows, and showing the tool again goes back to the step page.
TEST_F(PhaseShiftTools, MoireSimulationPage) {
    frame->Trigger("Equal4StepAction");
    auto* form = tool;
    EXPECT_EQ(form->DirectionIndex(), -1);
    form->E4SPageControl->setCurrentWidget(form->SimulationE4STabSheet);
    form->CarrierSizeEdit->setText("ten");
    emit form->CarrierSizeEdit->editingFinished();
    EXPECT_EQ(frame->Dialogs.Informations(), QStringList{" need integer number"});
    EXPECT_EQ(form->CarrierSizeEdit->text(), "ten");
    form->CarrierSizeEdit->setText("0");
    form->GenerateMoireButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{kCarrierCountMessage});
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);

    const auto grid = [](double pitch, double shift) {
        return [=](int x, int) {
            return static_cast<int>(127.5 + 127 * std::cos(2 * kPi * (x - shift) / pitch));
        };
    };
    const QString deformed = Picture("g.bmp", 512, 16, grid(51.2, 0));
    const QString reference = Picture("r.bmp", 512, 16, grid(50, 3));
    ClickWithFile(form->BrowseMoireIMageFileSpeedButton, deformed);
    ClickWithFile(form->SpeedButton1, reference);
    EXPECT_EQ(form->MoireImageFileNameEdit->text(), "g.bmp");
    EXPECT_NE(Window("Reference Grid:Equal 4 Step"), nullptr);
    form->CarrierSizeEdit->setText("10");
    form->StepSizeEdit->setText("20");
    form->SetDirectionIndex(0);
    form->GenerateMoireButton->click();
    ASSERT_EQ(frame->Dialogs.Errors().size(), 1);
    ASSERT_NE(form->DeformedGrid(), nullptr);

    const auto expected =
        SimulateMoire(TGrayImage(deformed.toStdString()), TGrayImage(reference.toStdString()),
                      {.StepSize = 20, .CarrierCount = 10, .Direction = MoireShiftDirection::AlongX});
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(Levels(*Window(QStringLiteral("Phase Shifting Step %1:E4S").arg(k))),
                  test::Levels(*expected.Steps[static_cast<std::size_t>(k - 1)]))
            << k;
    form->close();
    EXPECT_EQ(form->DeformedGrid(), nullptr);
    frame->Trigger("Equal4StepAction");
    EXPECT_EQ(form->E4SPageControl->currentWidget(), form->E4STabSheet);
}

class UnwrapTools : public test::ToolTest<ui::TNewUnwrapForm> {
  protected:
    // A wrapped map of known phase saved as name (scales 0.5 and 0.25), with one disturbed pixel
    // that gives the residue test something to find.
    test::WrappedPhaseMap SaveWrapped(const QString& name, int width = 64, int height = 48) {
        test::WrappedPhaseMap map = test::MakeWrappedPhaseMap(width, height);
        const std::size_t spike = static_cast<std::size_t>(30 * width + 41);
        map.Wrapped[spike] = test::WrapPhase(map.Truth[spike] + 0.45);
        SaveMap(Path(name), width, map.Wrapped);
        return map;
    }
    // Clicks the button, answering its file dialog with this file of the test folder.
    void Click(QAbstractButton* button, const QString& name) { ClickWithFile(button, File(name)); }

    ui::TNewUnwrapForm* region = tool;
    ui::TSimpleUnwrapForm* simple = frame->Form->findChild<ui::TSimpleUnwrapForm*>();
};

// Open, click the start point, Mask Noise, Unwrap, save: each step shows its window, and the saved
// map is the verb's. Hiding the tool releases the phase map, so Save asks for nothing.
TEST_F(UnwrapTools, RegionToolUnwrapsFromTheClickedPointAndSavesWhatTheVerbWrites) {
    ASSERT_TRUE(region && simple);
    region->UnwrapPageControl->setCurrentIndex(2);
    frame->Trigger("UnwrapAction");
    ASSERT_TRUE(region->isVisible());
    EXPECT_EQ(region->UnwrapPageControl->currentWidget(), region->InputPage);
    const test::WrappedPhaseMap map = SaveWrapped("in.flt");
    Click(region->PhaseImageSpeedButton, "in.flt");
    EXPECT_EQ(region->PhaseImageFileNameEdit->text(), "in.flt");
    EXPECT_EQ(region->WorkingDirLabel->text(), QFileInfo(File("in.flt")).absolutePath());
    ui::TMDIChildForm* phase = frame->Window("Phase Image");
    ASSERT_EQ(ShownSize(phase), QSize(64, 48));

    test::ClickOnPicture(*phase, {20, 30});
    EXPECT_EQ(Texts({region->XEdit, region->YEdit}), "20 30");
    region->MaskNoiseButton->click();
    ASSERT_TRUE(frame->Window("Invalid Area"));
    EXPECT_GT(std::ranges::count(Levels(*frame->Window("Invalid Area")), 255), 0);
    region->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().join("; ").toStdString(), "");
    ASSERT_TRUE(frame->Window("Unwrapped Phase Image") && frame->Window("Final Phase Image"));
    EXPECT_EQ(frame->Window("Final Phase Image")->Bitmap().size(), QSize(64, 48));
    Click(region->SaveToFloatButton, "gui.flt");

    ASSERT_TRUE(test::Runs(frame->Dir, {"unwrap", "--method", "region", "in.flt", "-o", "cli.flt", "--start",
                                        "20", "30", "--mask-noise"}));
    ASSERT_FALSE(test::ReadFileBytes(Path("gui.flt")).empty());
    EXPECT_EQ(test::ReadFileBytes(Path("gui.flt")), test::ReadFileBytes(Path("cli.flt")));
    const TFloatImage saved(Path("gui.flt"));
    EXPECT_GT(test::FractionWithin(saved.Data, map.Truth, 0.5), 0.99);

    region->CloseButton->click();
    EXPECT_TRUE(!region->Model().Phase && region->Model().InvalidArea); // the area is kept for the next run
    const int saves = frame->Dialogs.Count(Kind::SaveFile);
    region->SaveToFloatButton->click();
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), saves);
}

// A failing command tells why and leaves what the tool holds and shows as it was (the model's own
// test covers its refusals, here a threshold that is no number).
TEST_F(UnwrapTools, RegionToolRefusesBadSettingsAndKeepsItsMaps) {
    frame->Trigger("UnwrapAction");
    SaveWrapped("small.flt", 40, 30);
    Click(region->PhaseImageSpeedButton, "small.flt");
    const std::vector<float> wrapped = Values(*region->Model().Phase);
    region->ThresholdEdit->setText("half");
    region->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList("Threshold: 'half' is not a valid floating point value"));
    EXPECT_FALSE(frame->Window("Unwrapped Phase Image") || frame->Window("Final Phase Image") ||
                 region->Model().InvalidArea);
    EXPECT_EQ(Values(*region->Model().Phase), wrapped);
}

// The invalid-area file counts only while its check box is on (which also enables its edit and
// button); the chosen file is shown in "Invalid Area".
TEST_F(UnwrapTools, RegionToolUsesTheInvalidAreaFileWhenChecked) {
    frame->Trigger("UnwrapAction");
    SaveWrapped("in.flt");
    test::MakeGreyPicture(64, 48, [](int x, int) {
        return x >= 30 && x <= 33 ? 255 : 0;
    })->SaveBmp(Path("band.bmp"));
    EXPECT_FALSE(region->InvalidAreaFileNameSpeedButton->isEnabled() ||
                 region->InvalidAreaFileNameEdit->isEnabled());
    region->UseInvalidAreaFileCheckBox->click();
    EXPECT_TRUE(region->InvalidAreaFileNameSpeedButton->isEnabled() &&
                region->InvalidAreaFileNameEdit->isEnabled());
    Click(region->PhaseImageSpeedButton, "in.flt");
    Click(region->InvalidAreaFileNameSpeedButton, "band.bmp");
    EXPECT_EQ(region->InvalidAreaFileNameEdit->text(), "band.bmp");
    ASSERT_TRUE(frame->Window("Invalid Area"));
    EXPECT_EQ(std::ranges::count(Levels(*frame->Window("Invalid Area")), 255), 4 * 48);
}

// Without a map Unwrap says so and the median and save commands do nothing. The median window
// sizes follow their track bars; Median Input and Unwrap from the clicked point show their windows, Save
// writes the output map, and hiding releases both maps.
TEST_F(UnwrapTools, SimpleToolFiltersUnwrapsSavesAndRefusesWhatItCannotDo) {
    frame->Trigger("SimpleUnwrapAction");
    ASSERT_TRUE(simple->isVisible());
    EXPECT_EQ(simple->UnwrapPageControl->currentWidget(), simple->InputPage);
    for (QPushButton* button : {simple->UnwrapButton, simple->MedianInputButton, simple->MedianOutputButton,
                                simple->SaveToFloatButton})
        button->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList("open a phase first"));
    EXPECT_EQ(std::pair(frame->Dialogs.Count(Kind::SaveFile), frame->Form->MDIChildCount()), std::pair(0, 0));

    SaveWrapped("in.flt", 40, 30);
    Click(simple->PhaseImageSpeedButton, "in.flt");

    simple->MedianFilterTrackBar->setValue(5);
    EXPECT_EQ(Texts({simple->PositionEdit, simple->OutPositionEdit}), "5 3");
    simple->MedianInputButton->click();
    ASSERT_TRUE(frame->Window("Median Result,input:Simple Unwrap"));
    test::ClickOnPicture(*frame->Window("Phase Image:Simple Unwrap"), {39, 29});
    simple->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().size(), 1);
    ASSERT_TRUE(frame->Window("Unwrapped Phase Image:Simple Unwrap"));
    Click(simple->SaveToFloatButton, "gui.flt");
    EXPECT_EQ(TFloatImage(Path("gui.flt")).GetPixel(20, 15), simple->Model().Output->GetPixel(20, 15));

    simple->MedianFilterTrackBar->setValue(3);
    simple->TrackBar1->setValue(7);
    EXPECT_EQ(Texts({simple->PositionEdit, simple->OutPositionEdit}), "3 7");
    simple->MedianOutputButton->click();
    ASSERT_TRUE(frame->Window("Median Result,output:Simple Unwrap"));
    simple->CloseButton->click();
    EXPECT_FALSE(simple->Model().Input || simple->Model().Output);
}

// On a noisy map where region growing fails "Quality guided" gets the fringes right and shows its
// reliability map in "Quality". Mask Noise's threshold in radians and Median Input on the wrapped
// phase are said beside those controls and on their tips.
TEST_F(UnwrapTools, QualityGuidedMethodAndTheNotesAtTheControls) {
    frame->Trigger("UnwrapAction");
    const test::WrappedPhaseMap map = test::MakeWrappedPhaseMap(80, 60, 0.7, 3);
    test::MakeFloatMap(80, 60, [&](int x, int y) {
        return map.Wrapped[static_cast<std::size_t>(y * 80 + x)];
    })->SaveFlt(Path("noisy.flt"));
    Click(region->PhaseImageSpeedButton, "noisy.flt");
    region->XEdit->setText("30");
    region->YEdit->setText("20");
    region->MethodComboBox->setCurrentText("Quality guided");
    EXPECT_TRUE(region->MethodHintLabel->text().startsWith("Quality guided"));
    region->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().join("; ").toStdString(), "");
    EXPECT_GT(test::FractionWithin(region->Model().Phase->Data, map.Noisy, 0.5), 0.99);
    ASSERT_TRUE(frame->Window("Final Phase Image") && frame->Window("Quality"));

    region->UnwrapPageControl->setCurrentWidget(region->UnwrapPage);
    EXPECT_TRUE(region->MaskNoiseNoteLabel->isVisible() &&
                region->MaskNoiseNoteLabel->text().contains("radians, not X 2PI"));
    EXPECT_EQ(region->MaskNoiseButton->toolTip(), region->MaskNoiseNoteLabel->text());
    frame->Trigger("SimpleUnwrapAction");
    EXPECT_TRUE(simple->MedianInputNoteLabel->isVisible() &&
                simple->MedianInputNoteLabel->text().contains("wrapped phase"));
    EXPECT_EQ(simple->MedianInputButton->toolTip(), simple->MedianInputNoteLabel->text());
}

class GeneratorTools : public test::ToolTest<ui::TGenerateGridForm> {
  protected:
    int Grey(const QString& caption, int x, int y) const {
        return qRed(Window(caption)->Bitmap().pixel(x, y));
    }
};

// A size of 0 or text that is not a number is refused before anything is drawn. The default grid
// is drawn into "Carrier 16": 255 in column 0, 0 in column 8; an initial phase of 1 inverts it
// into a window of the new title; the crossed and cylinder grids are the core's.
TEST_F(GeneratorTools, GridWindow) {
    frame->Trigger("GenerateGridAction");
    ui::TGenerateGridForm* form = tool;
    form->WidthEdit->setText("0");
    form->Button1->click();
    form->WidthEdit->setText("256");
    form->XCarrierEdit->setText("sixteen");
    form->Button1->click();
    ASSERT_EQ(frame->Dialogs.Errors().size(), 2);
    EXPECT_EQ(frame->Dialogs.Errors()[0], kGridSizeMessage);
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);

    form->XCarrierEdit->setText("16");
    form->Button1->click();
    ASSERT_EQ(Window("Carrier 16")->Bitmap().size(), QSize(256, 256));
    EXPECT_EQ(std::pair(Grey("Carrier 16", 0, 100), Grey("Carrier 16", 8, 100)), std::pair(255, 0));
    form->InitPhaseEdit->setText("1");
    form->FileNameEdit->setText("inverted");
    form->Button1->click();
    EXPECT_EQ(Grey("inverted", 0, 0), 0);
    EXPECT_EQ(Grey("Carrier 16", 0, 100), 255);

    form->WidthEdit->setText("64");
    form->HeightEdit->setText("48");
    form->LeanXEdit->setText("0.5");
    GridOptions want{.Title = "inverted", .Width = 64, .Height = 48, .LeanX = 0.5f, .InitPhase = 1.0f};
    for (const auto& [direction, deformation] : {std::pair(1, 1), std::pair(2, 0), std::pair(0, 2)}) {
        form->SetDirectionIndex(direction);
        form->SetDeformationIndex(deformation);
        form->Button1->click();
        want.Direction = static_cast<GridDirection>(direction);
        want.Deformation = static_cast<GridDeformation>(deformation);
        EXPECT_EQ(Levels(*Window("inverted")), test::Levels(*GenerateGrid(want))) << direction << deformation;
    }
    EXPECT_EQ(frame->Dialogs.Errors().size(), 2);
}

// Geometric Moire multiplies two pictures; cancelling the second dialog does nothing; a smaller
// second picture is refused naming both sizes, with no window made.
TEST_F(GeneratorTools, GeometricMoire) {
    const auto picture = [&](const char* name, int w, int h, int level) {
        test::MakeGreyPicture(w, h, [=](int x, int) { return (level * (x + 1)) % 256; })->SaveBmp(Path(name));
        return File(name);
    };
    frame->Dialogs.QueueFile(picture("a.bmp", 8, 4, 30));
    frame->Dialogs.QueueFileCancel();
    frame->Trigger("GeometricMoireAction");
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);

    frame->Dialogs.QueueFile(File("a.bmp"));
    frame->TriggerWithFile("GeometricMoireAction", picture("small.bmp", 8, 3, 1));
    ASSERT_EQ(frame->Dialogs.Errors().size(), 1);
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);

    frame->Dialogs.QueueFile(File("a.bmp"));
    frame->TriggerWithFile("GeometricMoireAction", picture("b.bmp", 9, 4, 7));
    EXPECT_EQ(Grey("Geometric Moire", 7, 3), 115); // sqrt(240 * 56) = 115.9, over the first's extent
}

// Phase To Fringe shows the map under its file name and the fringes in "Generate Fringe": 255 at
// 0 and 0 at pi; a map whose value scale is 0 is refused before any window is made.
TEST_F(GeneratorTools, PhaseToFringe) {
    auto map = test::MakeFloatMap(4, 2, [](int x, int) { return x % 2 ? kPi : 0.0; });
    map->ValueScale = 0.0f;
    map->SaveFlt(Path("flat.flt"));
    frame->TriggerWithFile("PhaseToFringeAction", File("flat.flt"));
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{kZeroValueScaleMessage});
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);

    map->ValueScale = 1.0f;
    map->SaveFlt(Path("phase.flt"));
    frame->TriggerWithFile("PhaseToFringeAction", File("phase.flt"));
    EXPECT_EQ(frame->Dialogs.FileRequests().back().FilterIndex, 2);
    ASSERT_NE(Window(File("phase.flt")), nullptr);
    EXPECT_EQ(std::pair(Grey("Generate Fringe", 0, 1), Grey("Generate Fringe", 1, 1)), std::pair(255, 0));
}

class PhaseCalculationTool : public test::ToolTest<ui::TPhaseCalculationForm> {
  protected:
    PhaseCalculationTool() { frame->Trigger("PhaseCalculationAction"); }
    QString Map(const QString& name, int w, int h, const std::function<double(int, int)>& f,
                float scaleX = 1.0f) {
        auto map = test::MakeFloatMap(w, h, f);
        map->ScaleX = scaleX;
        map->ScaleY = 2 * scaleX;
        map->ValueScale = 3.0f;
        map->SaveFlt(Path(name));
        return File(name);
    }
    TFloatImage SaveResult(const QString& name) {
        ClickWithFile(form->SaveToFloatButton, File(name));
        return TFloatImage(Path(name));
    }

    ui::TPhaseCalculationForm* form = tool;
};

// Source 2 is read from its edit when not chosen; method 0 subtracts it and keeps Source 1's three
// scales. Method 1 shows the fit group, fits a plane over the rectangle of Source 2 set when it was
// chosen and shows A and B; a rectangle dragged in the Source 2 window (not another) becomes the fit
// rectangle.
TEST_F(PhaseCalculationTool, SourcesMethodAndFitRectangleReachTheCalculation) {
    const auto plane = [](int x, int y) { return 0.5 * x - 0.25 * y; };
    const QString one = Map(
        "one.flt", 40, 30, [&](int x, int y) { return 1.0 + plane(x, y); }, 0.5f);
    form->Source2Edit->setText(Map("plane.flt", 40, 30, plane));
    ClickWithFile(form->SpeedButton1, one);
    form->CalculationButton->click();
    ASSERT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("; ").toStdString();
    const TFloatImage diff = SaveResult("diff.flt");
    EXPECT_EQ(std::tuple(diff.ScaleX, diff.ScaleY, diff.ValueScale, diff.Data[40 * 30 - 1]),
              std::tuple(0.5f, 1.0f, 3.0f, 1.0f));
    EXPECT_EQ(Window("Result: Source1 ? Source2")->Bitmap().size(), QSize(40, 30));

    const int heightWithout = form->height();
    EXPECT_FALSE(form->Source2LinearFitInfoGroupBox->isVisible());
    form->MethodComboBox->setCurrentIndex(1);
    EXPECT_TRUE(form->Source2LinearFitInfoGroupBox->isVisible());
    EXPECT_GT(form->height(), heightWithout);
    ClickWithFile(form->SpeedButton2, File("plane.flt"));
    EXPECT_EQ(Texts({form->LeftEdit, form->TopEdit, form->RightEdit, form->BottomEdit}), "0 0 40 30");
    form->CalculationButton->click();
    EXPECT_TRUE(form->ALabel->text().startsWith("A=    0.5")) << form->ALabel->text().toStdString();
    EXPECT_TRUE(form->BLabel->text().startsWith("B=   -0.2")) << form->BLabel->text().toStdString();
    EXPECT_NEAR(SaveResult("flat.flt").GetPixel(39, 29), 1.0f, 1e-4);

    test::DragOnPicture(*Window("Source2:phase calculation"), QPoint(30, 20), QPoint(5, 2));
    test::DragOnPicture(*Window("Source1:phase calculation"), QPoint(1, 1), QPoint(3, 3));
    EXPECT_EQ(Texts({form->LeftEdit, form->TopEdit, form->RightEdit, form->BottomEdit}), "5 2 30 20");
}

class AbsolutePhaseTool : public test::ToolTest<ui::TAbsolutePhaseForm> {
  protected:
    // Shows the tool and loads an unwrapped map of 40 x 30 (scales 0.5 and 0.25) into it.
    void ShowWithMap() {
        const test::WrappedPhaseMap map = test::MakeWrappedPhaseMap(40, 30);
        SaveMap(Path("unwrapped.flt"), 40, map.Truth);
        frame->Trigger("AbsolutePhaseAction");
        ClickWithFile(tool->UnwrappedPhaseSpeedButton, File("unwrapped.flt"));
        ASSERT_TRUE(tool->Map());
    }
    // Types text into an edit and leaves it.
    static void Leave(QLineEdit* edit, const QString& text) {
        edit->setText(text);
        emit edit->editingFinished();
    }
};

// Fringe order, pitch and known value at the clicked pixel, then both saves: the FLT map and the
// table over a dragged range with output steps.
TEST_F(AbsolutePhaseTool, ConvertsTheLoadedMapAndSavesItsMapAndTable) {
    ASSERT_TRUE(tool);
    ShowWithMap();
    EXPECT_EQ(tool->AbsolutePhasePageControl->currentWidget(), tool->InputPage);
    EXPECT_EQ(tool->PhaseFileNameEdit->text(), "unwrapped.flt");
    ui::TMDIChildForm* shown = frame->Window("Relative Phase");
    ASSERT_EQ(ShownSize(shown), QSize(40, 30));

    test::ClickOnPicture(*shown, {12, 7});
    EXPECT_EQ(Texts({tool->PhaseIntegerXEdit, tool->PhaseIntegerYEdit, tool->AbsXEdit, tool->AbsYEdit}),
              "12 7 12 7");
    EXPECT_EQ(tool->AbsoluteDisplacementEdit->text().toStdString(), *PixelValueText(*tool->Map(), 12, 7));
    tool->PhaseIntegerEdit->setText("2");
    tool->PhaseIntegerButton->click();
    Leave(tool->PEdit, "0.5");
    EXPECT_EQ(tool->GridFrequencyEdit->text(), "     2.00000000");
    tool->ConvertButton->click();
    tool->AbsoluteDisplacementEdit->setText("0");
    tool->ConvertToAbsoluteDisplacementButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().join("; ").toStdString(), "");
    EXPECT_EQ(tool->Map()->GetPixel(12, 7), 0.0f);

    ClickWithFile(tool->SaveToFloatButton, File("gui.flt"));
    ASSERT_EQ(frame->Dialogs.FileRequests().back().FilterIndex, 1);
    EXPECT_EQ(TFloatImage(Path("gui.flt")).GetPixel(12, 7), 0.0f);

    // A drag sets the range only while the "Output" page is shown.
    test::DragOnPicture(*shown, {30, 20}, {5, 3});
    EXPECT_EQ(tool->LeftEdit->text(), "0");
    tool->AbsolutePhasePageControl->setCurrentWidget(tool->OutputPage);
    test::DragOnPicture(*shown, {30, 20}, {5, 3});
    EXPECT_EQ(Texts({tool->LeftEdit, tool->TopEdit, tool->RightEdit, tool->BottomEdit}), "5 3 30 20");
    EXPECT_TRUE(tool->OutputGridPanel->isHidden());
    EXPECT_TRUE(tool->OutputRangePanel->isHidden());
    tool->UseOutputGridCheckBox->click();
    tool->OutputRangeCheckBox->click();
    EXPECT_FALSE(tool->OutputGridPanel->isHidden() || tool->OutputRangePanel->isHidden());
    tool->GridxEdit->setText("3");
    tool->GridyEdit->setText("2");
    ClickWithFile(tool->SaveToAsciiButton, File("gui"), 2);
    const ui::FileDialogRequest request = frame->Dialogs.FileRequests().back();
    EXPECT_EQ(request.FilterIndex, 2);
    EXPECT_EQ(request.InitialDir, tool->WorkingDirLabel->text());
    // x = 5, 8, ... 29 and y = 3, 5, ... 19: 9 by 9, where swapped steps give 13 by 6.
    EXPECT_EQ(test::Lines(test::ReadFileBytes(Path("gui.dat"))).size(), 9u * 9);
}

// Refusals leave the map as it was: a pitch or frequency of 0 or no number (both edits keep their
// last values), Convert with a pitch of 0 typed but not left, a reference pixel outside the map.
// Without a map every command does nothing.
TEST_F(AbsolutePhaseTool, RefusesZeroPitchAndPixelsOutsideTheMapAndChangesNothing) {
    frame->Trigger("AbsolutePhaseAction");
    for (QPushButton* button :
         {tool->PhaseIntegerButton, tool->ConvertButton, tool->ConvertToAbsoluteDisplacementButton,
          tool->SaveToAsciiButton, tool->SaveToFloatButton})
        button->click();
    EXPECT_EQ(frame->Dialogs.Log.size(), 0u);

    ShowWithMap();
    const std::vector<float> before = Values(*tool->Map());
    Leave(tool->PEdit, "4");
    Leave(tool->PEdit, "0");
    Leave(tool->GridFrequencyEdit, "1/4");
    EXPECT_EQ(frame->Dialogs.Errors(),
              QStringList({"The grid's parameter P and its frequency can not be 0",
                           "Grid Frequency: '1/4' is not a valid floating point value"}));
    EXPECT_EQ(Texts({tool->PEdit, tool->GridFrequencyEdit}), "4      0.25000000");

    frame->Dialogs.Clear();
    tool->PEdit->setText("0");
    tool->ConvertButton->click();
    tool->PhaseIntegerXEdit->setText("40");
    tool->PhaseIntegerButton->click();
    tool->AbsYEdit->setText("-1");
    tool->ConvertToAbsoluteDisplacementButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList({"The grid's parameter P and its frequency can not be 0",
                                                    "(40,0) not in the image", "(0,-1) not in the image"}));
    EXPECT_EQ(Values(*tool->Map()), before);
    EXPECT_EQ(tool->Map()->ValueScale, 1.0f);
}

class PseudoColorTool : public test::ToolTest<ui::TPseudoColorForm> {
  protected:
    PseudoColorTool() { frame->Trigger("PseudoColorAction"); }

    ui::TMDIChildForm* Picture() const { return Window("Pseudo Color Display Phase"); }
    QColor At(int x, int y) const { return Picture()->Bitmap().pixelColor(x, y); }
    // The colour at (x, y) within one level of want in each channel (a blend at a fringe edge).
    bool Near(int x, int y, const QColor& want) const {
        const QColor c = At(x, y);
        return std::abs(c.red() - want.red()) <= 1 && std::abs(c.green() - want.green()) <= 1 &&
               std::abs(c.blue() - want.blue()) <= 1;
    }
    void Open(const QString& mask, const QString& phase) {
        if (mask.isEmpty())
            frame->Dialogs.QueueFileCancel();
        else
            frame->Dialogs.QueueFile(mask);
        ClickWithFile(form->BitBtn1, phase);
    }

    ui::TPseudoColorForm* form = tool;
};

// With nothing loaded the density buttons do nothing. A mask of the map's size paints level 255 as
// background, also under the mouse; the value scale divides first (2 pi stored at scale 2 shows
// half red), and one press of the double button makes 2 pi show order 2, as the level under the
// mouse says. Cancelling the phase dialog changes nothing; a mask of another size is ignored and
// a cancelled mask dialog means none.
TEST_F(PseudoColorTool, MaskColoursMouseAndTheDensityButtons) {
    form->Multiple2SpeedButton->click();
    form->Div2SpeedButton->click();
    EXPECT_EQ(form->RenderCount(), 0);
    test::MakeGreyPicture(6, 1, [](int x, int) { return x == 0 ? 255 : 254; })->SaveBmp(Path("m.bmp"));
    test::MakeGreyPicture(5, 1, [](int, int) { return 255; })->SaveBmp(Path("other.bmp"));
    // 0, pi, -0.1 and 2 pi (and 0 between) stored at value scale 2.
    auto map = test::MakeFloatMap(
        6, 1, [](int x, int) { return std::array{0.0, kPi, -0.1, 0.0, 0.0, 2 * kPi}[x] * 2; });
    map->ValueScale = 2.0f;
    map->SaveFlt(Path("values.flt"));
    const QString values = File("values.flt");
    Open(File("m.bmp"), values);
    ASSERT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("; ").toStdString();
    EXPECT_EQ(Texts({form->MaskFileNameEdit, form->PhaseFileNameEdit}), "m.bmp values.flt");
    ASSERT_EQ(Picture()->Bitmap().size(), QSize(6, 1));
    EXPECT_EQ(frame->Form->ActiveMDIChild(), Picture());
    EXPECT_GE(frame->Form->FindMDIChild("Pseudo Color Mask"), 0);
    EXPECT_EQ(At(0, 0), QColor(0, 128, 128));
    EXPECT_EQ(At(1, 0), QColor(255, 127, 127));
    EXPECT_TRUE(Near(5, 0, QColor(255, 0, 0))); // 2 pi: order 1 exactly
    test::MoveOnPicture(*Picture(), QPoint(0, 0));
    EXPECT_EQ(form->FringeLevelEdit->text(), "Background");
    test::MoveOnPicture(*Picture(), QPoint(5, 0));
    EXPECT_EQ(Texts({form->FringeLevelEdit, form->PosXEdit}), "1.0 5");
    form->Multiple2SpeedButton->click();
    EXPECT_TRUE(Near(5, 0, QColor(255, 255, 0)));
    test::MoveOnPicture(*Picture(), QPoint(5, 0));
    EXPECT_EQ(form->FringeLevelEdit->text(), "2.0");
    test::MoveOnPicture(*Picture(), QPoint(2, 0));
    EXPECT_EQ(form->FringeLevelEdit->text(), "-0.0");
    form->Div2SpeedButton->click();
    EXPECT_TRUE(Near(5, 0, QColor(255, 0, 0)));
    EXPECT_EQ(form->RenderCount(), 3);

    frame->Dialogs.QueueFile(File("other.bmp"));
    frame->Dialogs.QueueFileCancel();
    form->BitBtn1->click();
    EXPECT_EQ(form->MaskFileNameEdit->text(), "m.bmp");
    EXPECT_NE(form->Mask(), nullptr);
    Open(File("other.bmp"), values);
    EXPECT_EQ(form->Mask(), nullptr);
    EXPECT_EQ(At(0, 0), QColor(255, 255, 255));
    Open(QString(), values);
    EXPECT_EQ(form->MaskFileNameEdit->text(), "none mask");
    const auto requests = frame->Dialogs.FileRequests();
    EXPECT_EQ(QStringList({requests[0].Title, requests[1].Title}),
              QStringList({"Open Mask File", "Open Phase File"}));
}

} // namespace
} // namespace corvane
