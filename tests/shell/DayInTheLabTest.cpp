// A day in the lab, tool by tool: nothing written over, nothing hidden by a tool window, no step
// that runs on nothing or does nothing without a word.
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TiffPngPictures.h"
#include "support/ui/TestMainForm.h"

#include "correlation/ui/TMaterialParaForm.h"
#include "correlation/ui/TMergeXYForm.h"
#include "dotgrid/ui/TSegmentParameterForm.h"
#include "phase/GridGenerator.h"
#include "phase/ui/TGenerateGridForm.h"
#include "phase/ui/TPhaseCalculationForm.h"
#include "shell/TQtDialogs.h"
#include "shell/TToolForm.h"

#include <QtWidgets>

using namespace corvane;
using namespace corvane::test;

namespace {

class DayInTheLab : public ToolTest<ui::TToolForm> {
  protected:
    template <class Form> Form* Show(const char* command) {
        frame->Trigger(command);
        return frame->Form->findChild<Form*>();
    }
    QString Map(const char* name, double a) {
        MakeFloatMap(30, 20, [a](int x, int y) { return a * x - 0.25 * y; })->SaveFlt(frame->Dir.File(name));
        return frame->File(name);
    }
};

} // namespace

// Open, paste, Save As, Save: the second save writes the new file and the original stays as it was. A
// TIFF picture is not saved as a RAW file beside it: Save asks for a name, and the message names the
// file written.
TEST_F(DayInTheLab, SaveAfterSaveAsLeavesTheOriginalAndATiffIsNotSavedBesideItself) {
    const QString original = frame->File("plate.bmp"), copy = frame->File("plate-b.bmp");
    MakeGreyPicture(40, 30, [](int x, int y) { return 5 * x + 3 * y; })->SaveBmp(original.toStdString());
    const std::string before = ReadFileBytes(original.toStdString());
    frame->TriggerWithFile("FileOpenAction", original);
    QImage pasted(24, 16, QImage::Format_RGB888);
    pasted.fill(QColor(200, 200, 200));
    QGuiApplication::clipboard()->setImage(pasted);
    frame->Trigger("EditPaste1");
    frame->TriggerWithFile("FileSaveAsAction", copy);
    frame->Trigger("InvertAction");
    frame->Trigger("SaveAction");
    EXPECT_EQ(ReadFileBytes(original.toStdString()), before);
    EXPECT_EQ(TGrayImage(copy.toStdString()).GetPixel(23, 15), 55);
    EXPECT_EQ(frame->Active().Caption(), copy);

    WriteTiffPicture(frame->Dir.File("a.tif"),
                     MakeSamplePicture(20, 10, 8, 1, [](int x, int, int) { return x; }));
    frame->TriggerWithFile("FileOpenAction", frame->File("a.tif"));
    frame->Trigger("InvertAction");
    frame->TriggerWithFile("SaveAction", frame->File("a.dat"), 3);
    EXPECT_EQ(frame->Active().Caption(), frame->File("a.raw"));
    EXPECT_TRUE(frame->Dialogs.Informations().back().endsWith("\n" + frame->File("a.raw")));
    const std::string raw = ReadFileBytes(frame->Dir.File("a.raw"));
    EXPECT_EQ(raw.size() == 200 ? std::uint8_t(raw.back()) : -1, 255 - 19);
}

// Tools a command shows together do not overlap, the result a tool shows is not under it, and a
// message asked for by a tool at the screen's corner opens above it, whole on the screen.
TEST_F(DayInTheLab, ToolsStayClearOfEachOtherAndOfTheirResultsAndMessagesOpenWhole) {
    using Shown = std::pair<std::vector<const char*>, std::size_t>;
    for (const auto& [commands, count] :
         {Shown{{"PI3StepAction", "PI4StepAction"}, 2}, Shown{{"CorRelationAction"}, 2},
          Shown{{"GenerateGridAction"}, 1}}) {
        for (ui::TToolForm* tool : frame->Form->findChildren<ui::TToolForm*>(Qt::FindDirectChildrenOnly))
            tool->hide();
        for (const char* command : commands)
            frame->Trigger(command);
        std::vector<QRect> shown;
        for (const ui::TToolForm* tool :
             frame->Form->findChildren<ui::TToolForm*>(Qt::FindDirectChildrenOnly))
            if (tool->isVisible()) shown.push_back(tool->frameGeometry());
        ASSERT_EQ(shown.size(), count) << commands[0];
        EXPECT_FALSE(count == 2 && shown[0].intersects(shown[1])) << commands[0];
    }
    auto* grid = frame->Form->findChild<ui::TGenerateGridForm*>();
    grid->Button1->click();
    const QMdiSubWindow* result = frame->Window("Carrier 16")->SubWindow();
    EXPECT_FALSE(grid->frameGeometry().intersects(
        {result->parentWidget()->mapToGlobal(result->pos()), result->size()}));

    const QRect screen = grid->screen()->availableGeometry();
    grid->move(screen.right() - grid->frameGeometry().width(),
               screen.bottom() - grid->frameGeometry().height());
    grid->activateWindow();
    ProcessEvents();
    QRect box;
    QTimer::singleShot(0, [&] {
        QWidget* shown = QApplication::activeModalWidget();
        box = shown->windowFlags().testFlag(Qt::WindowStaysOnTopHint) ? shown->frameGeometry() : QRect();
        shown->close();
    });
    ui::TQtDialogs().Error("/data/plate 3/initial.bmp is not a code file!");
    EXPECT_TRUE(!box.isNull() && screen.contains(box)) << box.x() << "," << box.y() << " " << box.width();
}

// A fit rectangle outside Source 2 fails and keeps the earlier result, shown and saved alike; a
// Source 2 edit naming another file is read again.
TEST_F(DayInTheLab, PhaseCalculationKeepsItsResultOnFailureAndReadsAChangedName) {
    auto* form = Show<ui::TPhaseCalculationForm>("PhaseCalculationAction");
    form->MethodComboBox->setCurrentIndex(1);
    ClickWithFile(form->SpeedButton1, Map("s1.flt", 0.0));
    ClickWithFile(form->SpeedButton2, Map("s2.flt", 0.5));
    form->CalculationButton->click();
    const QImage shown = frame->Window("Result: Source1 ? Source2")->Bitmap();
    form->RightEdit->setText("31");
    form->CalculationButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().size(), 1);
    EXPECT_EQ(frame->Window("Result: Source1 ? Source2")->Bitmap(), shown);
    ClickWithFile(form->SaveToFloatButton, frame->File("kept.flt"));
    EXPECT_NEAR(TFloatImage(frame->Dir.File("kept.flt")).GetPixel(29, 0), -14.5f, 1e-4);
    form->RightEdit->setText("30");
    form->Source2Edit->setText(Map("s3.flt", 0.25));
    form->CalculationButton->click();
    EXPECT_NEAR(form->Result()->GetPixel(29, 0), -7.25f, 1e-4);
}

// Steps that did nothing, or changed a file, without a word now say what happened or why not.
TEST_F(DayInTheLab, StepsSayWhatTheyDidOrWhyNothing) {
    auto* grid = Show<ui::TGenerateGridForm>("GenerateGridAction");
    grid->SetDeformationIndex(2);
    grid->Button1->click();
    auto* sample = Show<ui::TMergeXYForm>("MergeXandYDisplacementAction");
    sample->ModifyUScaleButton->click();
    ClickWithFile(sample->DisplaceXSpeedButton, Map("u.flt", 1.0));
    ClickWithFile(sample->DisplaceYSpeedButton, Map("v.flt", 1.0));
    sample->UScaleXEdit->setText("0.25");
    sample->ModifyUScaleButton->click();
    EXPECT_EQ(TFloatImage(frame->Dir.File("u.flt")).ScaleX, 0.25f);
    const QStringList said = frame->Dialogs.Informations();
    ASSERT_EQ(said.size(), 3);
    EXPECT_EQ(said[0], kGridDrawsNothingMessage);
    EXPECT_TRUE(said[1].startsWith("No X displacement map is loaded"));
    EXPECT_TRUE(said[2].contains(frame->File("u.flt")) && said[2].contains("x scale 0.25"))
        << said[2].toStdString();

    sample->UseOutputGridCheckBox->setChecked(true);
    sample->GridxEdit->setText("0");
    sample->SaveResultButton->click();
    auto* material = Show<ui::TMaterialParaForm>("MaterialParaAction");
    material->EEdit->setText("abc");
    material->CloseButton->click();
    EXPECT_EQ(material->EEdit->text(), "1.0e6");
    EXPECT_EQ(
        frame->Dialogs.Errors(),
        QStringList({"Output Grids: the steps must be at least 1",
                     "Elasticity Constant: 'abc' is not a valid floating point value; it stays 1.0e6"}));
    EXPECT_EQ(frame->Dialogs.Count(ScriptedDialogs::Kind::SaveFile), 0);
}

// A BMP opened as a float map is called what it is; Multi Segment shows the largest window the
// active picture takes.
TEST_F(DayInTheLab, SmallThingsSayWhatIsThere) {
    const QString picture = frame->File("plate.bmp");
    MakeGreyPicture(121, 90, [](int x, int) { return x; })->SaveBmp(picture.toStdString());
    frame->TriggerWithFile("FloatFileOpenAction", picture, 2);
    EXPECT_EQ(frame->LastError(), picture + ": not an FLT file, it is a BMP picture (File > Open shows it)");
    frame->TriggerWithFile("FileOpenAction", picture);
    EXPECT_EQ(Show<ui::TSegmentParameterForm>("MultiSegmentAction")->WinSizeLessThanLabel->text(),
              "No Larger Than  45 ");
}
