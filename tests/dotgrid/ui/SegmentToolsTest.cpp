// The simple and multi-area segmentation windows and the speckle analysis window driven as a user
// would: the frame's commands, named controls, mouse input on the histogram and on the document
// windows, the rectangle feed from the document windows, scripted dialogs.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "dotgrid/ui/TSegmentParameterForm.h"
#include "dotgrid/ui/TSimpleSegmentParameterForm.h"
#include "dotgrid/ui/TSpeckleAnalysisParaForm.h"
#include "image/TGrayImage.h"
#include "shell/TMDIChildForm.h"
#include "support/DotPictures.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

using Pixels = std::vector<std::uint8_t>;

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
        multi->LeftEdit->setText(values[0]);
        multi->TopEdit->setText(values[1]);
        multi->RightEdit->setText(values[2]);
        multi->BottomEdit->setText(values[3]);
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
    EXPECT_EQ(requests[1].Filter, QStringLiteral("data file(*.dat)|*.dat|All files( *.*)|*.*"));
    EXPECT_EQ(requests[1].DefaultExt, QStringLiteral("*.dat"));
    EXPECT_TRUE(requests[1].ConfirmOverwrite);
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
