// The dot-grid windows driven as a user would: simple and multi-area segmentation (mouse input on the
// histogram and on the document windows), the speckle analysis with its rectangle feed, "Encoding" and
// the buttons of its pages, picking dots with the mouse on the document window, "Show Codes", "Save
// Codes", "Match Codes" and "Save Match"; scripted dialogs throughout.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <tuple>

#include "dotgrid/DotGridEncode.h"
#include "dotgrid/ui/EncodeWindow.h"
#include "dotgrid/ui/TDotGridCodeCommands.h"
#include "dotgrid/ui/TEncodeParameterForm.h"
#include "dotgrid/ui/TMatchResultForm.h"
#include "dotgrid/ui/TSegmentParameterForm.h"
#include "dotgrid/ui/TSimpleSegmentParameterForm.h"
#include "dotgrid/ui/TSpeckleAnalysisParaForm.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"
#include "support/DotGridPictures.h"
#include "support/DotPictures.h"
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

    frame->Form->ScaleX = 0.5, frame->Form->ScaleY = 0.25;
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

/// The Left, Top, Right and Bottom edits of a window that takes a rectangle.
template <class Form> QStringList RectangleEdits(const Form& form) {
    return {form.LeftEdit->text(), form.TopEdit->text(), form.RightEdit->text(), form.BottomEdit->text()};
}

class SegmentTools : public test::ToolTest<ui::TSimpleSegmentParameterForm> {
  protected:
    /// A mouse event on the histogram picture.
    void OnHistogram(QEvent::Type type, QPoint at) const {
        QWidget* picture = simple->HistogramImage;
        QMouseEvent event(type, QPointF(at), picture->mapToGlobal(QPointF(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(picture, &event);
    }
    void ClickHistogram(QPoint at) const {
        OnHistogram(QEvent::MouseMove, at);
        OnHistogram(QEvent::MouseButtonPress, at);
        OnHistogram(QEvent::MouseButtonRelease, at);
    }
    /// The colours of one column of the histogram picture.
    bool ColumnIs(int column, QRgb colour) const {
        for (int y = 0; y < ui::TSimpleSegmentParameterForm::kHistogramHeight; ++y)
            if (simple->HistogramPicture().pixel(column, y) != colour) return false;
        return true;
    }
    QStringList Edits() const { return RectangleEdits(*multi); }
    void SetEdits(const QStringList& values) const {
        QLineEdit* const edits[] = {multi->LeftEdit, multi->TopEdit, multi->RightEdit, multi->BottomEdit};
        for (int i = 0; i < 4; ++i)
            edits[i]->setText(values[i]);
    }

    ui::TSimpleSegmentParameterForm* simple = tool;
    ui::TSegmentParameterForm* multi = frame->Form->findChild<ui::TSegmentParameterForm*>();

    void SetUp() override {
        ASSERT_TRUE(simple);
        ASSERT_TRUE(multi);
    }
};

// A picture's histogram with its red threshold line; a click on the histogram and a typed level
// move the line (a level being typed or out of range leaves it), and Segment shows in
// "<file>:Simple Segment" the picture segmented at that level, for white and black dots.
TEST_F(SegmentTools, SimpleSegmentPicksTheThresholdOnTheHistogramAndShowsTheSegmentedPicture) {
    frame->Trigger("SimpleSegmentAction");
    EXPECT_FALSE(simple->isVisible()); // nothing to segment yet

    const test::DotLattice lattice = test::MakeDotLattice({}); // 200 x 150, 9 x 6 dots of 220 on 30
    const QString file = OpenPicture(QStringLiteral("dots"), lattice.Width, lattice.Height, lattice.Pixels);
    frame->Trigger("SimpleSegmentAction");
    ASSERT_TRUE(simple->isVisible());
    const QImage& histogram = simple->HistogramPicture();
    const int bottom = ui::TSimpleSegmentParameterForm::kHistogramHeight - 1;
    EXPECT_EQ(histogram.pixel(30, bottom), qRgb(0, 0, 0)); // the background level: a tall bar
    EXPECT_EQ(histogram.pixel(30, 10), qRgb(0, 0, 0));
    EXPECT_TRUE(ColumnIs(250, qRgb(255, 255, 255))); // no pixel of that level
    EXPECT_TRUE(ColumnIs(128, qRgb(255, 0, 0)));

    ClickHistogram({60, 50});
    EXPECT_EQ(simple->SimpleSegmentThresholdEdit->text(), QStringLiteral("60"));
    EXPECT_TRUE(ColumnIs(60, qRgb(255, 0, 0)));
    EXPECT_FALSE(histogram.pixel(128, 0) == qRgb(255, 0, 0));
    EXPECT_EQ(histogram.pixel(30, 10), qRgb(0, 0, 0)); // the other bars stay
    for (const char* text : {"", "abc", "300", "-1"}) {
        simple->SimpleSegmentThresholdEdit->setText(QString::fromLatin1(text));
        EXPECT_EQ(simple->ThresholdColumn(), 60) << text;
    }
    simple->SimpleSegmentThresholdEdit->setText(QStringLiteral("90"));
    EXPECT_TRUE(ColumnIs(90, qRgb(255, 0, 0)));
    EXPECT_FALSE(ColumnIs(60, qRgb(255, 0, 0)));

    simple->SegmentButton->click();
    const QString role = file + QStringLiteral(":Simple Segment");
    ASSERT_NE(Window(role), nullptr);
    // A dot's centre and the background (the rule at the level itself is the core's).
    const auto at = [&](const QString& caption, std::size_t i) { return Levels(*Window(caption))[i]; };
    const std::size_t centre = std::size_t(std::lround(lattice.Centres[0].Y)) * lattice.Width +
                               std::size_t(std::lround(lattice.Centres[0].X));
    EXPECT_EQ(std::pair(at(role, centre), at(role, 0)), std::pair(std::uint8_t(220), std::uint8_t(0)));
    // The source window is active again for a black-dot run, which reuses the result window.
    frame->Form->MdiArea()->setActiveSubWindow(Window(file)->SubWindow());
    const int windows = frame->Form->MDIChildCount();
    simple->WhiteSpeckleCheckBox->setChecked(false);
    simple->SegmentButton->click();
    EXPECT_EQ(frame->Form->MDIChildCount(), windows);
    EXPECT_EQ(std::pair(at(role, centre), at(role, 0)), std::pair(std::uint8_t(255), std::uint8_t(30)));
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("; ").toStdString();

    simple->CloseButton->click();
    for (int x = 0; x < 256; ++x)
        ASSERT_TRUE(ColumnIs(x, qRgb(255, 255, 255))) << x;
}

// Activating a window brings its selection into the edits; one without a selection leaves them. A
// rectangle dragged in a document window lands in the edits with its corners ordered, and Modify wipes
// exactly it in the active window with the background of the dots' colour.
TEST_F(SegmentTools, ModifyWipesTheDraggedRectangleAndActivatingAWindowTakesItsSelection) {
    const Pixels flat(60 * 40, 100);
    const QString first = OpenPicture(QStringLiteral("first"), 60, 40, flat);
    test::DragOnPicture(frame->Active(), {40, 30}, {12, 7}); // before the tool is shown
    const QString second = OpenPicture(QStringLiteral("second"), 60, 40, flat);
    frame->Trigger("MultiSegmentAction");
    frame->Form->MdiArea()->setActiveSubWindow(Window(first)->SubWindow());
    EXPECT_EQ(Edits(), QStringList({"12", "7", "40", "30"}));
    SetEdits({"1", "2", "3", "4"});
    frame->Form->MdiArea()->setActiveSubWindow(Window(second)->SubWindow());
    EXPECT_EQ(Edits(), QStringList({"1", "2", "3", "4"}));

    ui::TMDIChildForm& window = *Window(second);
    test::DragOnPicture(window, {30, 20}, {10, 5});
    EXPECT_EQ(Edits(), QStringList({"10", "5", "30", "20"}));
    multi->ModifySegmentButton->click();
    Pixels expected = Levels(window);
    EXPECT_EQ(std::count(expected.begin(), expected.end(), 0), 21 * 16);
    EXPECT_EQ(std::tuple(expected[5 * 60 + 10], expected[20 * 60 + 30], expected[20 * 60 + 31]),
              std::tuple(0, 0, 100));
    EXPECT_EQ(Levels(*Window(first)), flat);

    multi->WhiteSpeckleCheckBox->setChecked(false); // black dots: wiped to white
    SetEdits({"40", "30", "40", "31"});
    multi->ModifySegmentButton->click();
    expected[30 * 60 + 40] = expected[31 * 60 + 40] = 255;
    EXPECT_EQ(Levels(window), expected);
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("; ").toStdString();
}

constexpr int kWidth = 80, kHeight = 60;

class SpeckleTool : public test::ToolTest<ui::TSpeckleAnalysisParaForm> {
  protected:
    void SetUp() override { ASSERT_NE(tool, nullptr); }

    /// White speckles on black: a 3 x 2 block, a 40 x 3 bar, an L of 5 x 5 and one touching the
    /// left border; opened in a document window.
    QString OpenSpeckles() {
        std::vector<std::uint8_t> pixels(kWidth * kHeight, 0);
        for (const test::SpeckleBlock block :
             {test::SpeckleBlock{10, 10, 3, 2}, test::SpeckleBlock{20, 30, 40, 3},
              test::SpeckleBlock{60, 10, 5, 1}, test::SpeckleBlock{60, 11, 1, 4},
              test::SpeckleBlock{0, 50, 4, 4}})
            test::PaintBlock(pixels, kWidth, block, 200);
        return OpenPicture(QStringLiteral("speckles"), kWidth, kHeight, pixels);
    }
    /// Saves the table of the type through the Save button; the file's bytes.
    std::string Save(int type) {
        const std::string file = frame->Dir.File("window" + std::to_string(type) + ".dat");
        tool->PageControl->setCurrentWidget(tool->OutputPage);
        tool->OutputTypeComboBox->setCurrentIndex(type);
        frame->Dialogs.QueueFile(QString::fromStdString(file));
        tool->SaveButton->click();
        return test::ReadFileBytes(file);
    }
};

// Save asks for a data file, confirming an overwrite; cancelling writes nothing. A double click sets
// the whole picture; the four tables of the analysis are saved, and analysing again gives the same
// tables. Saving before an analysis, after the window hid, or without a picture to analyse reports
// it; the window opens on its "Analysis" page.
TEST_F(SpeckleTool, SaveNeedsAnAnalysisAndADoubleClickAnalysesTheWholePicture) {
    frame->Trigger("SpeckleAnalysisAction");
    tool->AnalysisButton->click(); // no picture
    tool->SaveButton->click();     // nothing analysed
    OpenSpeckles();
    tool->AnalysisButton->click();
    frame->Dialogs.QueueFileCancel();
    tool->SaveButton->click();
    const auto requests = frame->Dialogs.FileRequests();
    ASSERT_EQ(requests.size(), 2u); // the picture, then the table
    EXPECT_EQ(std::tuple(requests[1].Filter, requests[1].DefaultExt, requests[1].ConfirmOverwrite),
              std::tuple(QStringLiteral("data file(*.dat)|*.dat|All files( *.*)|*.*"),
                         QStringLiteral("*.dat"), true));
    for (const auto& entry : std::filesystem::directory_iterator(frame->Dir.Path()))
        EXPECT_NE(entry.path().extension(), ".dat") << entry.path();
    test::DoubleClickOnPicture(frame->Active(), {30, 30});
    EXPECT_EQ(RectangleEdits(*tool), QStringList({"0", "0", "79", "59"}));
    tool->AnalysisButton->click();
    ASSERT_NE(tool->Statistics(), nullptr) << frame->Dialogs.Errors().join("; ").toStdString();
    const std::string tables[4] = {Save(0), Save(1), Save(2), Save(3)};
    EXPECT_NE(tables[0].find("3    2    1 \n"), std::string::npos) << tables[0];
    EXPECT_TRUE(tables[0] != tables[1] && tables[1] != tables[2] && tables[2] != tables[3]);
    tool->AnalysisButton->click(); // the analysis erases a copy: the window still holds every speckle
    EXPECT_EQ(Save(1), tables[1]);

    tool->PageControl->setCurrentWidget(tool->OutputPage);
    tool->CloseButton->click();
    EXPECT_EQ(tool->Statistics(), nullptr);
    frame->Trigger("SpeckleAnalysisAction");
    EXPECT_EQ(tool->PageControl->currentWidget(), tool->AnalysisPage);
    tool->SaveButton->click();
    tool->MaxPixelyEdit->setText(QStringLiteral("0"));
    tool->AnalysisButton->click();
    EXPECT_EQ(tool->Statistics(), nullptr);
    tool->MaxPixelyEdit->setText(QStringLiteral("thirty"));
    tool->AnalysisButton->click();

    EXPECT_EQ(frame->Dialogs.Errors(),
              QStringList({"Open an file and then analysis", "Analysis first", "Analysis first",
                           "The largest speckle size must be at least 1 pixel",
                           "Max Pixely: 'thirty' is not a valid integer value"}));
}

} // namespace
} // namespace corvane
