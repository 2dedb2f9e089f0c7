// The phase calculation tool driven as a user would: two FLT sources, the method, the fit
// rectangle (typed or dragged in the Source 2 window), Calculation and Save To Float.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <tuple>

#include "image/TFloatImage.h"
#include "phase/PhaseCalculation.h"
#include "phase/ui/TPhaseCalculationForm.h"
#include "shell/TMDIChildForm.h"
#include "support/FloatMaps.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

class PhaseCalculationTool : public test::ToolTest<ui::TPhaseCalculationForm> {
  protected:
    PhaseCalculationTool() { frame->Trigger("PhaseCalculationAction"); }
    QString Map(const QString& name, int w, int h, const std::function<double(int, int)>& f,
                float scaleX = 1.0f) {
        auto map = test::MakeFloatMap(w, h, f);
        map->ScaleX = scaleX;
        map->ScaleY = 2 * scaleX;
        map->ValueScale = 3.0f;
        map->SaveFlt(File(name).toStdString());
        return File(name);
    }
    TFloatImage SaveResult(const QString& name) {
        frame->Dialogs.QueueFile(File(name));
        form->SaveToFloatButton->click();
        return TFloatImage(File(name).toStdString());
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
    EXPECT_EQ(QStringList({form->LeftEdit->text(), form->TopEdit->text(), form->RightEdit->text(),
                           form->BottomEdit->text()}),
              QStringList({"0", "0", "40", "30"}));
    form->CalculationButton->click();
    EXPECT_TRUE(form->ALabel->text().startsWith("A=    0.5")) << form->ALabel->text().toStdString();
    EXPECT_TRUE(form->BLabel->text().startsWith("B=   -0.2")) << form->BLabel->text().toStdString();
    EXPECT_NEAR(SaveResult("flat.flt").GetPixel(39, 29), 1.0f, 1e-4);

    test::DragOnPicture(*Window("Source2:phase calculation"), QPoint(30, 20), QPoint(5, 2));
    test::DragOnPicture(*Window("Source1:phase calculation"), QPoint(1, 1), QPoint(3, 3));
    EXPECT_EQ(QStringList({form->LeftEdit->text(), form->TopEdit->text(), form->RightEdit->text(),
                           form->BottomEdit->text()}),
              QStringList({"5", "2", "30", "20"}));
}

} // namespace
} // namespace corvane
