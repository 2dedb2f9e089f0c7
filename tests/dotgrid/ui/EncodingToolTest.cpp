// The encoding window driven as a user would: "Encoding", the buttons of its four pages, picking
// dots with the mouse on the document window, "Show Codes" and "Save Codes".
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "dotgrid/DotGridEncode.h"
#include "dotgrid/ui/EncodeWindow.h"
#include "dotgrid/ui/TEncodeParameterForm.h"
#include "dotgrid/ui/TSimpleSegmentParameterForm.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"
#include "support/DotGridPictures.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

using Pixels = std::vector<std::uint8_t>;

class EncodingTool : public test::ToolTest<ui::TEncodeParameterForm> {
  protected:
    /// Opens the picture and segments it with "Simple Segment" at threshold 40; the segmented
    /// window is then the active one.
    QString OpenSegmented(const QString& name, const Pixels& pixels) {
        const QString file = OpenPicture(name, pair.Width, pair.Height, pixels);
        frame->Trigger("SimpleSegmentAction");
        auto* segment = frame->Form->findChild<ui::TSimpleSegmentParameterForm*>();
        segment->SimpleSegmentThresholdEdit->setText(QStringLiteral("40"));
        segment->SegmentButton->click();
        segment->CloseButton->click();
        EXPECT_EQ(frame->Active().Caption(), file + QStringLiteral(":Simple Segment"));
        return file;
    }
    /// "Encoding", "Auto" and "Encode" on the active window.
    void EncodeActive() {
        frame->Trigger("EncodingAction");
        form->AutoEvaluateSpeedButton->click();
        form->EncodeButton->click();
    }
    TDotGridEncoder& Encoder() {
        TEncodeSession* session = ui::FindEncodeSession(frame->Active());
        if (!session || !session->Encoder) throw std::runtime_error("the active window holds no encoder");
        return *session->Encoder;
    }
    /// The dot whose centroid is nearest to (x, y).
    std::int32_t DotAt(double x, double y) { return Encoder().NearestToPoint(float(x), float(y)); }
    /// Red marks shown over the picture.
    static int RedPixels(const ui::TMDIChildForm& window) {
        if (!window.Overlay()) return 0;
        const QImage& marks = window.Overlay()->Marks;
        int count = 0;
        for (int y = 0; y < marks.height(); ++y)
            for (int x = 0; x < marks.width(); ++x)
                count += marks.pixel(x, y) == qRgba(255, 0, 0, 255);
        return count;
    }
    std::string SaveCodes(const QString& name) {
        frame->TriggerWithFile("SaveCodesAction", frame->File(name));
        return test::ReadFileBytes(frame->File(name).toStdString());
    }

    ui::TEncodeParameterForm* form = tool;
    test::DotLatticePair pair = test::MakeDotLatticePair();
};

TEST_F(EncodingTool, EncodingNeedsAPictureAndStartsFromTheCenterGridDot) {
    ASSERT_NE(form, nullptr);
    frame->Trigger("EncodingAction");
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{QStringLiteral("Open Image File First!!!")});
    EXPECT_FALSE(form->isVisible());

    OpenPicture(QStringLiteral("lattice"), pair.Width, pair.Height, pair.Initial);
    form->ChooseOriginMethodComboBox->setCurrentIndex(0);
    form->PageControl->setCurrentIndex(3);
    frame->Trigger("EncodingAction");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->ChooseOriginMethodComboBox->currentText(), QStringLiteral("Center Grid Dot"));
    EXPECT_EQ(form->PageControl->currentIndex(), 0);
}

// The dots of the lattice get their offsets from the middle dot, none is left out, and "Save Codes"
// writes what corvane-cli encode writes, with the frame's image scale.
TEST_F(EncodingTool, EncodesALatticeAndSavesTheVerbsCodeFile) {
    const QString file = OpenSegmented(QStringLiteral("initial"), pair.Initial);
    EncodeActive();
    ASSERT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join('|').toStdString();
    ASSERT_EQ(Encoder().FDotSum, pair.Columns * pair.Rows);
    const test::DotCentre corner = pair.Centres[0];
    EXPECT_EQ(Encoder().FDotInfo[static_cast<std::size_t>(DotAt(corner.X, corner.Y))].Nx, -5);
    EXPECT_EQ(RedPixels(frame->Active()), 0);

    frame->Form->ScaleX = 0.5;
    frame->Form->ScaleY = 0.25;
    const std::string saved = SaveCodes(QStringLiteral("window.cod"));
    const test::ProgramRun run =
        test::RunProgram(CORVANE_CLI_EXE,
                         {"encode", file.toStdString(), "-o", "verb.cod", "--segment", "simple",
                          "--threshold", "40", "--scale", "0.5", "0.25"},
                         frame->Dir.Path());
    ASSERT_EQ(run.Status, 0) << run.Err;
    // The same codes; each file's last line names its own picture: the window's, the verb's input.
    const std::string verb = test::ReadFileBytes(frame->Dir.File("verb.cod"));
    const auto body = [](const std::string& text) {
        return text.substr(0, text.rfind('\n', text.size() - 2) + 1);
    };
    EXPECT_EQ(body(saved), body(verb));
    EXPECT_EQ(verb.substr(body(verb).size()), file.toStdString() + "\n");
}

// Picking fills the "View  && Modify" page in the chosen view mode (the picked dot painted red);
// its buttons make the picked dot the origin or give it other indices.
TEST_F(EncodingTool, PickedDotIsShownAndItsCodesEdited) {
    OpenSegmented(QStringLiteral("initial"), pair.Initial);
    EncodeActive();
    const test::DotCentre c = pair.Centres[static_cast<std::size_t>(2 * pair.Columns + 7)];
    const QPoint at(int(std::lround(c.X)), int(std::lround(c.Y)));
    const std::int32_t k = DotAt(c.X, c.Y);

    test::MoveOnPicture(frame->Active(), at);
    EXPECT_EQ(form->IndexEdit->text(), QStringLiteral("-1")) << "moving picks nothing in Click View";
    test::ClickOnPicture(frame->Active(), at);
    EXPECT_EQ(QStringList({form->IndexEdit->text(), form->NxEdit->text(), form->NyEdit->text()}),
              QStringList({QString::number(k), "2", "2"}));
    EXPECT_NEAR(form->FxEdit->text().toDouble(), c.X, 0.05);
    EXPECT_TRUE(form->CodedCheckBox->isChecked() && form->NetedCheckBox->isChecked());
    EXPECT_GT(RedPixels(frame->Active()), 50) << "the picked dot is painted red";

    form->PassViewRadioButton->setChecked(true);
    const test::DotCentre other = pair.Centres[0];
    test::MoveOnPicture(frame->Active(), QPoint(int(std::lround(other.X)), int(std::lround(other.Y))));
    EXPECT_EQ(form->IndexEdit->text(), QString::number(DotAt(other.X, other.Y)));
    test::MoveOnPicture(frame->Active(), at);
    form->ModifyOriginButton->click();
    EXPECT_EQ(Encoder().FDotInfo[static_cast<std::size_t>(DotAt(other.X, other.Y))].Nx, -7);

    form->NxEdit->setText(QStringLiteral("9"));
    form->NyEdit->setText(QStringLiteral("-9"));
    form->NetedCheckBox->setChecked(false);
    form->SetCoordinateButton->click();
    const TDotInfo& edited = Encoder().FDotInfo[static_cast<std::size_t>(k)];
    EXPECT_EQ(std::tuple(edited.Nx, edited.Ny, edited.Neted), std::tuple(9, -9, false));
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join('|').toStdString();
}

} // namespace
} // namespace corvane
