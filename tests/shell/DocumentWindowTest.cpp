// Document windows: zoom, mouse mapping, the drag hint and marquee, captions, the picture commands,
// closing and the tool hooks.
#include "support/GreyPictures.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

#include "image/CorvaneError.h"
#include "shell/TToolHooks.h"

#include <QtWidgets>

#include <gmock/gmock.h>

#include <array>

using corvane::ui::TMDIChildForm;
using namespace corvane::test;

namespace {

std::unique_ptr<corvane::TGrayImage> Pattern(int width, int height) {
    return MakeGreyPicture(width, height, [width](int x, int y) { return ((y * width + x) * 37 + y) % 256; });
}

class DocumentWindow : public FrameTest {
  protected:
    TMDIChildForm& Show(const QString& caption, int width, int height) {
        return *frame->Form->ShowInRole(caption, *Pattern(width, height));
    }
    /// Types "+" or "-" on the window; gives the zoom that follows.
    int Type(TMDIChildForm& w, const char* text) {
        QKeyEvent key(QEvent::KeyPress, text[0] == '+' ? Qt::Key_Plus : Qt::Key_Minus, Qt::NoModifier, text);
        QApplication::sendEvent(&w, &key);
        return w.Zoom();
    }
};

/// A tool window that records what the document windows hand it.
struct RecordingTool : corvane::ui::TToolHooks {
    QWidget window;
    QStringList events;
    template <typename... Numbers> void Add(const char* what, Numbers... n) {
        events << what + QStringList{QString::number(n)...}.join(',');
    }
    void DocumentDragged(TMDIChildForm&, int a, int b, int c, int d) override { Add("drag ", a, b, c, d); }
    void DocumentMouseMoved(TMDIChildForm&, int x, int y) override { Add("move ", x, y); }
    void DocumentClicked(TMDIChildForm&, int x, int y) override { Add("click ", x, y); }
    void DocumentDoubleClicked(TMDIChildForm& w) override { events << "double " + w.Caption(); }
    void DocumentActivated(TMDIChildForm& w) override { events << "activated " + w.Caption(); }
};

} // namespace

TEST_F(DocumentWindow, ZoomStepsSkipZeroStopAtTheLimitsAndFitSmallPictures) {
    TMDIChildForm& w = Show("zoom", 395, 295); // a short caption: the window follows the picture
    EXPECT_EQ((std::array{Type(w, "-"), Type(w, "+"), Type(w, "+"), Type(w, "-"), Type(w, "-")}),
              (std::array{-2, -1, 2, 1, -2}));
    EXPECT_EQ(w.ShownSize(), QSize(197, 147));
    EXPECT_EQ(w.size(), QSize(197, 147)); // the client area follows a small picture
    // Mouse positions map to pixels, clamped to the picture: each shown pixel covers two.
    EXPECT_EQ((std::array{w.MouseToPixel({100, 7}), w.MouseToPixel({300, 200}), w.MouseToPixel({-3, -1})}),
              (std::array{QPoint(200, 14), QPoint(394, 294), QPoint(0, 0)}));
    // A picture smaller than the client area sits in its centre.
    w.SubWindow()->resize(w.SubWindow()->size() + QSize(51, 40));
    ProcessEvents();
    EXPECT_EQ(w.Picture()->pos(), QPoint(25, 20)); // (248 - 197) / 2 and (187 - 147) / 2, rounded down
    frame->Trigger("EditOriginalSizeAction");
    frame->Trigger("AmplifyAction"); // 790 x 590 is below 791 x 591
    EXPECT_EQ(w.size(), QSize(790, 590));
    EXPECT_EQ(w.MouseToPixel({789, 589}), QPoint(394, 294));
    frame->Trigger("AmplifyAction"); // 1185 x 885 is not: the window keeps its size
    EXPECT_EQ(w.size(), QSize(790, 590));
    EXPECT_EQ(w.Picture()->size(), QSize(1185, 885));
    // A picture larger than the client area scrolls from its corner.
    EXPECT_EQ(w.Picture()->pos(), QPoint(0, 0));
    frame->Trigger("AmplifyAction", 8);
    EXPECT_EQ(w.Zoom(), 8);
    frame->Trigger("EditOriginalSizeAction");
    frame->Trigger("ShrinkAction", 9);
    EXPECT_EQ(w.Zoom(), -8);
    EXPECT_EQ(w.ShownSize(), QSize(49, 36));
    // The edge of the fit rule: a shown width of 790 is fitted, 791 is not.
    for (int width : {790, 791}) {
        TMDIChildForm& wide = Show(QString::number(width), width, 100);
        wide.SubWindow()->resize(400, 300);
        wide.OriginalSize();
        EXPECT_EQ(wide.size().width() == width, width == 790) << width;
    }
}

TEST_F(DocumentWindow, DraggingShowsSizeInTheHintAndAnExclusiveMarquee) {
    TMDIChildForm& w = Show("CorRelation:Initial", 40, 30);
    const QImage before = w.Bitmap();
    MoveOnPicture(w, {7, 3});
    EXPECT_EQ(w.HintText(), "Position(7,3),color=(94,94,94)"); // ((3 * 40 + 7) * 37 + 3) mod 256
    EXPECT_EQ(frame->Form->statusBar()->currentMessage(), w.HintText());
    DragOnPicture(w, {10, 10}, {5, 20});
    EXPECT_THAT(w.HintText().toStdString(),
                testing::MatchesRegex("Position[(]5,20[)],color=[(].*[)]   Width:6 Height:11"));
    EXPECT_FALSE(w.Dragging());
    EXPECT_TRUE(w.MarqueeShown());
    EXPECT_EQ(w.MarqueeRect(), QRect(QPoint(5, 10), QPoint(10, 20))); // (5, 10) to (11, 21) exclusive
    const auto s = w.GetSelection();
    EXPECT_EQ((std::array{s.Left, s.Top, s.Right, s.Bottom}), (std::array{10, 10, 6, 21}));
    EXPECT_EQ(w.Bitmap(), before); // the marquee is drawn over the picture, never into it
    ClickOnPicture(w, {1, 1});     // a new press erases it
    EXPECT_FALSE(w.MarqueeShown());
    w.SetSelection(2, 3, 8, 9);
    EXPECT_EQ(w.MarqueeRect(), QRect(QPoint(2, 3), QPoint(7, 8)));
}

TEST_F(DocumentWindow, EqualCaptionsResolveToTheFirstWindowWhichPrepareRestoresAndResets) {
    TMDIChildForm& first = Show("Mask File", 50, 40);
    first.Amplify();
    DragOnPicture(first, {2, 2}, {30, 30});
    first.SubWindow()->showMinimized();
    frame->Form->CreateMDIChild("Mask File");
    ASSERT_EQ(frame->Form->MDIChildCount(), 2);
    EXPECT_EQ(frame->Form->FindMDIChild("Mask File"), 0);
    EXPECT_EQ(frame->Form->FindMDIChild("mask file"), -1);
    EXPECT_EQ(frame->Form->PrepareMDIChild("No such window", 5, 5), -1);
    EXPECT_EQ(frame->Form->PrepareMDIChild("Mask File", 200, 120), 0);
    EXPECT_FALSE(first.SubWindow()->isMinimized());
    EXPECT_EQ(first.Zoom(), 1);
    EXPECT_FALSE(first.MarqueeShown());
    EXPECT_EQ(first.Bitmap().size(), QSize(200, 120));
    EXPECT_EQ(first.size(), QSize(200, 120));
    EXPECT_TRUE(frame->Form->MDIChild(1)->Bitmap().isNull());
}

TEST_F(DocumentWindow, RotateInvertCopyAndPasteChangeTheActivePicture) {
    TMDIChildForm& w = Show("raw image:Two Image", 640, 480);
    const QImage first = w.Bitmap();
    // The grey picture handed out replaces a caller's image of another size.
    auto gray = std::make_unique<corvane::TGrayImage>(nullptr, 3, 3);
    w.GetGrayImage(gray);
    EXPECT_EQ(Levels(*gray), Levels(*Pattern(640, 480)));
    frame->Trigger("Rotate90Action");
    EXPECT_EQ(w.Bitmap().size(), QSize(480, 640));
    // New pixel (y, width - 1 - x) takes old pixel (x, y): a quarter turn counter-clockwise.
    for (const auto& [x, y] : {std::pair{639, 0}, std::pair{10, 20}, std::pair{0, 479}})
        EXPECT_EQ(w.Bitmap().pixel(y, 639 - x), first.pixel(x, y)) << x << "," << y;
    frame->Trigger("Rotate90Action", 3);
    EXPECT_EQ(w.Bitmap(), first);
    frame->Trigger("InvertAction");
    EXPECT_EQ(w.Bitmap().pixel(5, 6), first.pixel(5, 6) ^ 0x00ffffffu);
    frame->Trigger("InvertAction");
    EXPECT_EQ(w.Bitmap(), first);
    frame->Trigger("EditCopy1");
    TMDIChildForm& target = Show("Generate Fringe", 8, 8);
    frame->Trigger("EditPaste1");
    EXPECT_EQ(target.Bitmap(), first);
}

TEST_F(DocumentWindow, HooksReachOnlyVisibleToolsAndTheirErrorsAreShown) {
    RecordingTool shown, hidden;
    frame->Form->RegisterToolHooks(&shown.window, &shown);
    frame->Form->RegisterToolHooks(&hidden.window, &hidden);
    shown.window.show();
    TMDIChildForm& w = Show("Generate Fringe", 20, 20);
    Show("Geometric Moire", 20, 20);
    frame->Form->MdiArea()->setActiveSubWindow(w.SubWindow());
    DragOnPicture(w, {2, 3}, {6, 5}, 1);
    DoubleClickOnPicture(w, {4, 4});
    EXPECT_EQ(shown.events, (QStringList{"activated Generate Fringe", "activated Geometric Moire",
                                         "activated Generate Fringe", "drag 2,3,6,5", "move 6,5", "click 6,5",
                                         "click 4,4", "double Generate Fringe"}));
    EXPECT_TRUE(hidden.events.isEmpty());

    struct Failing : corvane::ui::TToolHooks {
        void DocumentMouseMoved(TMDIChildForm&, int, int) override {
            throw corvane::CorvaneError("hook failed");
        }
    } failing;
    frame->Form->RegisterToolHooks(&shown.window, &failing);
    MoveOnPicture(w, {1, 1});
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"hook failed"});
    EXPECT_EQ(w.CurrentPoint(), QPoint(1, 1));
}
