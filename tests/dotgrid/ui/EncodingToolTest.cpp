// The encoding window and the code commands driven as a user would: "Encoding", the buttons of its
// pages, picking dots with the mouse on the document window, "Show Codes", "Save Codes", "Match Codes"
// and "Save Match".
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <tuple>

#include "dotgrid/DotGridEncode.h"
#include "dotgrid/ui/EncodeWindow.h"
#include "dotgrid/ui/TDotGridCodeCommands.h"
#include "dotgrid/ui/TEncodeParameterForm.h"
#include "dotgrid/ui/TMatchResultForm.h"
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

    /// Segments and encodes the picture and saves its codes as name.cod; the file's full name.
    QString EncodeAndSave(const QString& name, const Pixels& pixels) {
        OpenSegmented(name, pixels);
        EncodeActive();
        SaveCodes(name + QStringLiteral(".cod"));
        return frame->File(name + QStringLiteral(".cod"));
    }
    void MatchFiles(const QString& initial, const QString& deformed) {
        frame->Dialogs.QueueFile(initial);
        frame->Dialogs.QueueFile(deformed);
        frame->Trigger("MatchCodesAction");
    }
    /// "Save Match" to name with the layout and "Change Y axis" chosen; the dialog is checked to
    /// open on its defaults.
    std::string SaveMatch(const QString& name, int layout, bool changeY) {
        frame->Dialogs.QueueFile(frame->File(name));
        frame->Dialogs.QueueModal([=](QDialog& dialog) {
            auto* match = dynamic_cast<ui::TMatchResultForm*>(&dialog);
            EXPECT_NE(match, nullptr);
            if (!match) return int(QDialog::Rejected);
            EXPECT_EQ(match->MatchResultTypeComboBox->currentIndex(), 0);
            EXPECT_TRUE(match->ChangeYaxisCheckBox->isChecked());
            match->MatchResultTypeComboBox->setCurrentIndex(layout);
            match->ChangeYaxisCheckBox->setChecked(changeY);
            match->BitBtn1->click();
            return dialog.result();
        });
        frame->Trigger("SaveMatchAction");
        return test::ReadFileBytes(frame->File(name).toStdString());
    }

    ui::TEncodeParameterForm* form = tool;
    ui::TDotGridCodeCommands* commands = frame->Form->findChild<ui::TDotGridCodeCommands*>();
    test::DotLatticePair pair = test::MakeDotLatticePair();
};

// Encoding needs a picture. The dots of the lattice get their offsets from the middle dot, none is left out,
// and "Save Codes" writes what corvane-cli encode writes, with the frame's image scale.
TEST_F(EncodingTool, EncodesALatticeAndSavesTheVerbsCodeFile) {
    ASSERT_NE(form, nullptr);
    frame->Trigger("EncodingAction");
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{QStringLiteral("Open Image File First!!!")});
    EXPECT_FALSE(form->isVisible());
    const QString file = OpenSegmented(QStringLiteral("initial"), pair.Initial);
    form->ChooseOriginMethodComboBox->setCurrentIndex(0);
    form->PageControl->setCurrentIndex(3);
    EncodeActive(); // the window opens on its first page and the "Center Grid Dot"
    EXPECT_EQ(form->ChooseOriginMethodComboBox->currentText(), QStringLiteral("Center Grid Dot"));
    EXPECT_EQ(form->PageControl->currentIndex(), 0);
    ASSERT_EQ(frame->Dialogs.Errors().size(), 1) << frame->Dialogs.Errors().join('|').toStdString();
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

using CodeMatchTool = EncodingTool;

// Save Match needs a match and a cancelled Match Codes makes none. The known smooth displacement of
// the deformed lattice comes back for every dot in the layout and y axis chosen in the dialog; Save
// Match offers the name "Match-0", and cancelling its dialog writes nothing. A failed read leaves no
// match behind.
TEST_F(CodeMatchTool, MatchesEncodedPicturesInTheChosenLayout) {
    ASSERT_NE(commands, nullptr);
    frame->Trigger("SaveMatchAction");
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{QStringLiteral("Match Codes first!!!")});
    EXPECT_EQ(frame->Dialogs.Count(test::ScriptedDialogs::Kind::SaveFile), 0);
    const QString initial = EncodeAndSave(QStringLiteral("initial"), pair.Initial);
    const QString deformed = EncodeAndSave(QStringLiteral("deformed"), pair.Deformed);
    frame->Dialogs.QueueFile(initial);
    frame->Dialogs.QueueFileCancel();
    frame->Trigger("MatchCodesAction");
    EXPECT_EQ(commands->Match(), nullptr);
    MatchFiles(initial, deformed);
    ASSERT_EQ(frame->Dialogs.Errors().size(), 1) << frame->Dialogs.Errors().join('|').toStdString();
    ASSERT_NE(commands->Match(), nullptr);

    const std::string result = SaveMatch(QStringLiteral("result.dat"), 6, false);
    EXPECT_EQ(frame->Dialogs.FileRequests().back().InitialFile, "Match-0");
    const std::vector<std::string> lines = test::Lines(result);
    ASSERT_EQ(lines.size(), 5u + pair.Columns * pair.Rows);
    for (const auto& [k, codes] : {std::pair(0, initial), {1, deformed}}) // named as the code files name them
        EXPECT_TRUE(test::ReadFileBytes(codes.toStdString()).ends_with("\n" + lines[k] + "\n")) << lines[k];
    for (std::size_t k = 5; k < lines.size(); ++k) {
        int nx = 0, ny = 0;
        double x = 0, y = 0, dx = 0, dy = 0;
        std::istringstream(lines[k]) >> nx >> ny >> x >> y >> dx >> dy;
        const int column = nx + 5, row = 4 - ny;
        ASSERT_TRUE(column >= 0 && column < pair.Columns && row >= 0 && row < pair.Rows) << lines[k];
        const test::DotCentre known =
            pair.Displacements[static_cast<std::size_t>(row * pair.Columns + column)];
        EXPECT_NEAR(dx, known.X, 0.05) << lines[k];
        EXPECT_NEAR(dy, known.Y, 0.05) << lines[k]; // y not changed: down the picture
    }

    frame->Dialogs.QueueFile(frame->File(QStringLiteral("never.dat")));
    frame->Dialogs.QueueModal([](QDialog& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
        return dialog.result();
    });
    frame->Trigger("SaveMatchAction");
    EXPECT_FALSE(QFile::exists(frame->File(QStringLiteral("never.dat"))));

    const QString notCodes = frame->File(QStringLiteral("notes.cod"));
    std::ofstream(notCodes.toStdString()) << "hello world\n";
    MatchFiles(initial, notCodes);
    EXPECT_EQ(frame->Dialogs.Errors().back(), notCodes + QStringLiteral(" is not a code file!"));
    EXPECT_EQ(commands->Match(), nullptr);
    frame->Trigger("SaveMatchAction");
    EXPECT_EQ(frame->Dialogs.Errors().back(), QStringLiteral("Match Codes first!!!"));
}

// "Show Codes" on a lattice of 16-pixel pitch draws the codes over the picture at screen resolution,
// never into its pixels; "Codes Into a Copy" draws them into a copy for a report.
TEST_F(EncodingTool, ShowCodesOnASixteenPixelLatticeStayOutOfThePixels) {
    const int width = 330, height = 250;
    const QString file = OpenPicture(
        QStringLiteral("lattice"), width, height,
        test::RenderDots(width, height, test::LatticeCentres(21, 19, 16, 16, 19, 14), 4.5, 255, 0));
    EncodeActive();
    ui::TMDIChildForm& window = frame->Active();
    const QImage encoded = window.Bitmap();
    frame->Trigger("ShowCodesAction");
    EXPECT_EQ(window.Bitmap(), encoded) << "the codes are not in the pixels";
    ASSERT_EQ(window.Overlay()->Labels.size(), 19u * 14u);

    // Labels that would overlap are left out; more fit at 3:1, in the same screen size.
    std::vector<ui::TPlacedLabel> before;
    for (int zoom : {1, 3}) {
        while (window.Zoom() < zoom)
            window.Amplify();
        const std::vector<ui::TPlacedLabel>& placed = window.PlacedLabels();
        ASSERT_GT(placed.size(), before.size());
        EXPECT_LT(placed.size(), window.Overlay()->Labels.size());
        for (std::size_t i = 0; i < placed.size(); ++i)
            for (std::size_t j = i + 1; j < placed.size(); ++j)
                ASSERT_FALSE(placed[i].Box.intersects(placed[j].Box)) << i << " " << j;
        if (zoom == 3) {
            EXPECT_EQ(placed[0].Box.size(), before[0].Box.size()) << "the text keeps its size";
        }
        before = placed;
    }
    frame->Trigger("CodesIntoCopyAction");
    const QImage copy = Window(file + QStringLiteral(":Codes"))->Bitmap();
    EXPECT_EQ(copy.size(), QSize(3 * width, 3 * height));
    EXPECT_NE(copy, encoded.scaled(3 * width, 3 * height)) << "the copy holds the codes in its pixels";
    EXPECT_EQ(window.Bitmap(), encoded);
}

} // namespace
} // namespace corvane
