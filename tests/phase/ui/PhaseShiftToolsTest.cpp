// The three phase-shifting tools driven as a user would, with the moire simulation page.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "phase/MoireSimulation.h"
#include "phase/PhaseShift.h"
#include "phase/ui/PhaseToolsTest.h"
#include "phase/ui/TConst3StepPhaseShiftForm.h"
#include "phase/ui/TConst4StepPhaseShiftForm.h"
#include "phase/ui/TEqual4StepPhaseShiftForm.h"
#include "support/CliRun.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using test::Kind;
using test::kPi;
using test::Values;

// The phase the step pictures carry: a tilted plane wrapped into -pi..pi.
double KnownPhase(int x, int y) {
    return std::remainder(0.11 * x + 0.07 * y, 2 * kPi);
}

// What each tool needs to be driven the same way: its command, method, the phase shift of each
// step picture, the name in its phase window's caption and the tag of its step windows. The
// equal-step tool takes steps of 1 radian, any size being allowed; its phase is that of the middle
// of the four steps, so the pictures are shifted by -1.5 .. 1.5 around the known phase.
struct Tool {
    const char* Command;
    PhaseShiftMethod Method;
    std::vector<double> Shifts;
    const char* Name;
    const char* Tag;
};

const Tool kTools[] = {
    {"PI3StepAction", PhaseShiftMethod::Const3Step, {0, 2 * kPi / 3, 4 * kPi / 3}, "Const 3 Step", "C3S"},
    {"PI4StepAction", PhaseShiftMethod::Const4Step, {0, kPi / 2, kPi, 3 * kPi / 2}, "Const 4 Step", "C4S"},
    {"Equal4StepAction", PhaseShiftMethod::Equal4Step, {-1.5, -0.5, 0.5, 1.5}, "Equal 4 Step", "E4S"},
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
        frame->Dialogs.QueueFile(File("s1.bmp"));
        form->Step1SpeedButton->click();
        for (int k = 2; k <= static_cast<int>(tool.Shifts.size()); ++k)
            form->template findChild<QLineEdit*>(QStringLiteral("Step%1Edit").arg(k))
                ->setText(QStringLiteral("s%1.bmp").arg(k));
        return form;
    }
    template <class Form> std::string Save(Form* form, const QString& name) {
        frame->Dialogs.QueueFile(File(name), 2);
        form->SaveToFloatButton->click();
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
    const QString phaseRole = QStringLiteral("phase:") + tool.Name;
    ASSERT_NE(Window(phaseRole), nullptr);
    EXPECT_EQ(Window(phaseRole)->Bitmap().size(), QSize(w, h));
    for (std::size_t k = 1; k <= tool.Shifts.size(); ++k)
        EXPECT_NE(Window(QStringLiteral("Phase Shifting Step %1:%2").arg(k).arg(tool.Tag)), nullptr);

    const std::string saved = Save(form, "tool.flt");
    // The tool's own method: the core call at the default image scale gives the same file.
    std::vector<std::unique_ptr<TGrayImage>> steps;
    std::vector<const TGrayImage*> pointers;
    for (std::size_t k = 1; k <= tool.Shifts.size(); ++k)
        pointers.push_back(
            steps.emplace_back(std::make_unique<TGrayImage>(Path(QStringLiteral("s%1.bmp").arg(k)))).get());
    const PhaseShiftResult core = ComputePhaseShift(tool.Method, pointers);
    SavePhaseShiftFlt(*core.Phase->Phase, 1.0f, 1.0f, Path("core.flt"));
    EXPECT_EQ(test::ReadFileBytes(saved), test::ReadFileBytes(Path("core.flt")));

    frame->Form->ScaleX = 0.25;
    frame->Form->ScaleY = 0.5;
    const TFloatImage scaled(Save(form, "scaled.flt"));
    EXPECT_EQ(std::tuple(scaled.ScaleX, scaled.ScaleY, scaled.ValueScale), std::tuple(0.25f, 0.5f, 1.0f));
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
    ASSERT_EQ(frame->Dialogs.Errors().size(), 1);
    EXPECT_TRUE(frame->Dialogs.Errors()[0].contains("31") && frame->Dialogs.Errors()[0].contains("32"))
        << frame->Dialogs.Errors()[0].toStdString();
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
    frame->Dialogs.QueueFile(deformed);
    form->BrowseMoireIMageFileSpeedButton->click();
    frame->Dialogs.QueueFile(reference);
    form->SpeedButton1->click();
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
    EXPECT_EQ(expected.Geometry.Step, 11);
    for (int k = 1; k <= 4; ++k) {
        const TGrayImage& want = *expected.Steps[static_cast<std::size_t>(k - 1)];
        EXPECT_EQ(Levels(*Window(QStringLiteral("Phase Shifting Step %1:E4S").arg(k))),
                  std::vector<std::uint8_t>(want.Data, want.Data + want.Size))
            << k;
    }
    form->close();
    EXPECT_EQ(form->DeformedGrid(), nullptr);
    frame->Trigger("Equal4StepAction");
    EXPECT_EQ(form->E4SPageControl->currentWidget(), form->E4STabSheet);
}

} // namespace
} // namespace corvane
