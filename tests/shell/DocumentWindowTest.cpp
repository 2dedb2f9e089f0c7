// Document windows: zoom, mouse mapping, the drag hint and marquee, captions, closing and hooks.
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "shell/TMDIChildForm.h"
#include "shell/TToolHooks.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

#include <gtest/gtest.h>

using corvane::test::MakeTestMainForm;
using corvane::test::TestMainForm;
using corvane::ui::TMDIChildForm;
using namespace corvane::test;

namespace {

std::unique_ptr<corvane::TGrayImage> Pattern(int width, int height) {
    auto gray = std::make_unique<corvane::TGrayImage>(nullptr, width, height);
    for (int i = 0; i < gray->Size; ++i)
        gray->Data[i] = static_cast<std::uint8_t>((i * 37 + i / width) % 256);
    return gray;
}

class DocumentWindow : public ::testing::Test {
protected:
    void SetUp() override { frame = MakeTestMainForm(); }
    TMDIChildForm& Show(const QString& caption, int width, int height) {
        return *frame->Form->ShowInRole(caption, *Pattern(width, height));
    }
    std::unique_ptr<TestMainForm> frame;
};

} // namespace

TEST_F(DocumentWindow, ZoomStepsSkipZeroAndStopAtTheLimits) {
    TMDIChildForm& w = Show("phase:One Image", 64, 48);
    w.Shrink();
    EXPECT_EQ(w.Zoom(), -2);
    EXPECT_EQ(w.ShownSize(), QSize(32, 24));
    w.Amplify();
    EXPECT_EQ(w.Zoom(), -1);
    EXPECT_EQ(w.ShownSize(), QSize(64, 48));
    w.Amplify();
    EXPECT_EQ(w.Zoom(), 2);
    w.OriginalSize();
    for (int i = 0; i < 8; ++i)
        w.Amplify();
    EXPECT_EQ(w.Zoom(), 8);
    EXPECT_EQ(w.ShownSize(), QSize(512, 384));
    w.OriginalSize();
    for (int i = 0; i < 9; ++i)
        w.Shrink();
    EXPECT_EQ(w.Zoom(), -8);
    EXPECT_EQ(w.ShownSize(), QSize(8, 6));
    // The frame's commands and the typed "+" / "-" act on the active window.
    frame->Trigger("EditOriginalSizeAction");
    frame->Trigger("AmplifyAction");
    EXPECT_EQ(w.Zoom(), 2);
    QKeyEvent minus(QEvent::KeyPress, Qt::Key_Minus, Qt::NoModifier, "-");
    QApplication::sendEvent(&w, &minus);
    QApplication::sendEvent(&w, &minus);
    EXPECT_EQ(w.Zoom(), -2);
    QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier, "+");
    QApplication::sendEvent(&w, &plus);
    EXPECT_EQ(w.Zoom(), -1);
}

TEST_F(DocumentWindow, SmallZoomedPicturesFitTheClientAreaLargeOnesDoNot) {
    TMDIChildForm& w = Show("phase:One Image", 300, 200);
    w.Amplify();  // 600 x 400 still fits
    EXPECT_EQ(w.size(), QSize(600, 400));
    w.Amplify();  // 900 x 600 is too large: the window keeps its size
    EXPECT_EQ(w.size(), QSize(600, 400));
    EXPECT_EQ(w.Picture()->size(), QSize(900, 600));
    // A picture smaller than the client area sits in its centre.
    w.OriginalSize();
    w.Shrink();  // 150 x 100, and the window fits it
    w.SubWindow()->resize(w.SubWindow()->size() + QSize(51, 40));
    corvane::test::ProcessEvents();
    EXPECT_EQ(w.Picture()->pos(), QPoint(25, 20));
}

TEST_F(DocumentWindow, MousePositionsMapToClampedPixels) {
    TMDIChildForm& w = Show("Spectra:One Image", 512, 64);
    w.Amplify();
    EXPECT_EQ(w.MouseToPixel({1023, 127}), QPoint(511, 63));
    EXPECT_EQ(w.MouseToPixel({1030, 200}), QPoint(511, 63));  // past the right edge
    EXPECT_EQ(w.MouseToPixel({-3, -1}), QPoint(0, 0));
    ClickOnPicture(w, {1023, 10});
    EXPECT_EQ(w.CurrentPoint(), QPoint(511, 5));
    w.Shrink();
    w.Shrink();  // 2 -> 1 -> -2: each shown pixel covers two
    EXPECT_EQ(w.MouseToPixel({100, 7}), QPoint(200, 14));
}

TEST_F(DocumentWindow, DraggingShowsSizeInTheHintAndAnExclusiveMarquee) {
    TMDIChildForm& w = Show("CorRelation:Initial", 40, 30);
    const QImage before = w.Bitmap();
    MoveOnPicture(w, {7, 3});
    const QRgb pixel = before.pixel(7, 3);
    EXPECT_EQ(w.HintText(), QString("Position(7,3),color=(%1,%2,%3)").arg(qRed(pixel)).arg(qGreen(pixel)).arg(qBlue(pixel)));
    EXPECT_EQ(frame->Form->statusBar()->currentMessage(), w.HintText());
    EXPECT_FALSE(w.Dragging());
    DragOnPicture(w, {10, 10}, {5, 20});
    EXPECT_TRUE(w.HintText().endsWith("Width:6 Height:11")) << w.HintText().toStdString();
    EXPECT_TRUE(w.HintText().startsWith("Position(5,20),color=("));
    EXPECT_FALSE(w.Dragging());
    EXPECT_TRUE(w.MarqueeShown());
    const QRect m = w.MarqueeRect();
    EXPECT_EQ((std::array{m.left(), m.top(), m.right() + 1, m.bottom() + 1}), (std::array{5, 10, 11, 21}));
    const auto s = w.GetSelection();
    EXPECT_EQ((std::array{s.Left, s.Top, s.Right, s.Bottom}), (std::array{10, 10, 6, 21}));
    // The marquee is an overlay: the pixels, and so Copy, Save and GetGrayImage, never see it.
    EXPECT_EQ(w.Bitmap(), before);
    // A new press erases it until the mouse moves again.
    ClickOnPicture(w, {1, 1});
    EXPECT_FALSE(w.MarqueeShown());
    w.SetSelection(2, 3, 8, 9);
    EXPECT_EQ(w.MarqueeRect(), QRect(QPoint(2, 3), QPoint(7, 8)));
}

TEST_F(DocumentWindow, EqualCaptionsResolveToTheFirstWindow) {
    TMDIChildForm& first = Show("Mask File", 10, 10);
    frame->Form->CreateMDIChild("Mask File");
    ASSERT_EQ(frame->Form->MDIChildCount(), 2);
    EXPECT_EQ(frame->Form->FindMDIChild("Mask File"), 0);
    EXPECT_EQ(frame->Form->FindMDIChild("mask file"), -1);
    EXPECT_EQ(frame->Form->PrepareMDIChild("Mask File", 20, 12), 0);
    EXPECT_EQ(first.Bitmap().size(), QSize(20, 12));
    EXPECT_TRUE(frame->Form->MDIChild(1)->Bitmap().isNull());
    EXPECT_EQ(frame->Form->PrepareMDIChild("No such window", 5, 5), -1);
}

TEST_F(DocumentWindow, PrepareRestoresAndResetsTheWindow) {
    TMDIChildForm& w = Show("FFT Spectra", 50, 40);
    w.Amplify();
    DragOnPicture(w, {2, 2}, {30, 30});
    w.SubWindow()->showMinimized();
    frame->Form->ShowInRole("FFT Spectra", *Pattern(30, 20));
    EXPECT_FALSE(w.SubWindow()->isMinimized());
    EXPECT_EQ(w.Zoom(), 1);
    EXPECT_FALSE(w.MarqueeShown());
    EXPECT_EQ(w.Bitmap().size(), QSize(30, 20));
    EXPECT_EQ(frame->Form->MDIChildCount(), 1);
}

TEST_F(DocumentWindow, RotatingFourTimesGivesTheFirstPictureBack) {
    TMDIChildForm& w = Show("raw image:Two Image", 640, 480);
    const QImage first = w.Bitmap();
    frame->Trigger("Rotate90Action");
    EXPECT_EQ(w.Bitmap().size(), QSize(480, 640));
    // Counter-clockwise: the top-right pixel comes to the top-left.
    EXPECT_EQ(w.Bitmap().pixel(0, 0), first.pixel(639, 0));
    for (int i = 0; i < 3; ++i)
        frame->Trigger("Rotate90Action");
    EXPECT_EQ(w.Bitmap(), first);
}

TEST_F(DocumentWindow, InvertTwiceGivesTheFirstPictureBack) {
    TMDIChildForm& w = Show("raw image:Two Image", 33, 17);
    const QImage first = w.Bitmap();
    frame->Trigger("InvertAction");
    EXPECT_EQ(qRed(w.Bitmap().pixel(5, 6)), 255 - qRed(first.pixel(5, 6)));
    frame->Trigger("InvertAction");
    EXPECT_EQ(w.Bitmap(), first);
}

TEST_F(DocumentWindow, CopyAndPasteCarryTheWholePicture) {
    TMDIChildForm& source = Show("Source1:phase calculation", 24, 16);
    frame->Trigger("EditCopy1");
    TMDIChildForm& target = Show("Generate Fringe", 8, 8);
    frame->Trigger("EditPaste1");
    EXPECT_EQ(target.Bitmap(), source.Bitmap());
}

namespace {

/// A tool window that records what the document windows hand it.
struct RecordingTool : corvane::ui::TToolHooks {
    QWidget window;
    QStringList events;
    void DocumentDragged(TMDIChildForm&, int x1, int y1, int x2, int y2) override {
        events << QString("drag %1,%2,%3,%4").arg(x1).arg(y1).arg(x2).arg(y2);
    }
    void DocumentMouseMoved(TMDIChildForm&, int x, int y) override { events << QString("move %1,%2").arg(x).arg(y); }
    void DocumentClicked(TMDIChildForm&, int x, int y) override { events << QString("click %1,%2").arg(x).arg(y); }
    void DocumentDoubleClicked(TMDIChildForm& w) override { events << "double " + w.Caption(); }
    void DocumentActivated(TMDIChildForm& w) override { events << "activated " + w.Caption(); }
};

} // namespace

TEST_F(DocumentWindow, HooksReachOnlyVisibleToolsAndTheirErrorsAreShown) {
    RecordingTool shown;
    RecordingTool hidden;
    frame->Form->RegisterToolHooks(&shown.window, &shown);
    frame->Form->RegisterToolHooks(&hidden.window, &hidden);
    shown.window.show();
    TMDIChildForm& w = Show("Generate Fringe", 20, 20);
    EXPECT_EQ(shown.events, QStringList{"activated Generate Fringe"});
    shown.events.clear();
    DragOnPicture(w, {2, 3}, {6, 5}, 1);
    DoubleClickOnPicture(w, {4, 4});
    EXPECT_EQ(shown.events, (QStringList{"drag 2,3,6,5", "move 6,5", "click 6,5", "click 4,4", "double Generate Fringe"}));
    EXPECT_TRUE(hidden.events.isEmpty());

    shown.events.clear();
    TMDIChildForm& other = Show("Geometric Moire", 20, 20);
    frame->Form->MdiArea()->setActiveSubWindow(w.SubWindow());
    EXPECT_TRUE(shown.events.contains("activated Generate Fringe"));
    (void)other;

    struct Failing : corvane::ui::TToolHooks {
        void DocumentMouseMoved(TMDIChildForm&, int, int) override { throw corvane::CorvaneError("hook failed"); }
    } failing;
    frame->Form->RegisterToolHooks(&shown.window, &failing);
    MoveOnPicture(w, {1, 1});
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"hook failed"});
    EXPECT_EQ(w.CurrentPoint(), QPoint(1, 1));
}

TEST_F(DocumentWindow, ClosingOnlyMinimisesWhileAGuardToolIsVisible) {
    QWidget fftTool;
    frame->Form->AddCloseGuard(&fftTool);
    Show("FFT Spectra", 16, 16);
    Show("IFFT Spectra", 16, 16);
    fftTool.show();
    frame->Trigger("CloseAction");
    corvane::test::ProcessEvents();
    ASSERT_EQ(frame->Form->MDIChildCount(), 2);
    EXPECT_TRUE(frame->Form->MDIChild(1)->SubWindow()->isMinimized());
    fftTool.hide();
    frame->Trigger("CloseAllAction");
    corvane::test::ProcessEvents();
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);
    EXPECT_TRUE(frame->Form->MdiArea()->subWindowList().isEmpty());
}

TEST_F(DocumentWindow, GetGrayImageReplacesACallersImageOfAnotherSize) {
    TMDIChildForm& w = Show("phase:Two Image", 12, 9);
    auto gray = std::make_unique<corvane::TGrayImage>(nullptr, 3, 3);
    w.GetGrayImage(gray);
    ASSERT_EQ(gray->Width, 12);
    ASSERT_EQ(gray->Height, 9);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(gray->Data), 108),
              std::string(reinterpret_cast<char*>(Pattern(12, 9)->Data), 108));
}

TEST_F(DocumentWindow, TileAndCascadeKeepEveryWindowInsideTheArea) {
    Show("a", 30, 30);
    Show("b", 30, 30);
    Show("c", 30, 30);
    const QRect area = frame->Form->MdiArea()->viewport()->rect();
    frame->Trigger("WindowTileHorizontal1");
    for (int i = 0; i < 3; ++i) {
        const QRect g = frame->Form->MDIChild(i)->SubWindow()->geometry();
        EXPECT_EQ(g.width(), area.width());
        EXPECT_TRUE(area.contains(g)) << i;
    }
    frame->Trigger("WindowTileVertical1");
    EXPECT_LT(frame->Form->MDIChild(0)->SubWindow()->geometry().right(),
              frame->Form->MDIChild(1)->SubWindow()->geometry().left());
    frame->Trigger("WindowMinimizeAll1");
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(frame->Form->MDIChild(i)->SubWindow()->isMinimized());
    frame->Trigger("WindowArrangeAll1");
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(area.contains(frame->Form->MDIChild(i)->SubWindow()->geometry())) << i;
}
