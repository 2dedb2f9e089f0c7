// What a first session meets: files that cannot be opened, a picture larger than the workspace, a
// displacement map with points not computed, changed pictures that could be lost, the commands
// that need a picture, the menus and shortcuts, the settings of a first start, and the exit.
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/HandMadePictures.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

#include "image/TFloatImage.h"
#include "shell/TToolForm.h"

#include <QtWidgets>

#include <gmock/gmock.h>

#include <array>
#include <tuple>

using corvane::ui::TAnswer;
using corvane::ui::TMDIChildForm;
using namespace corvane::test;
using Kind = ScriptedDialogs::Kind;

namespace {

class FirstUse : public FrameTest {
  protected:
    /// Writes a ramp picture of the given size into the test folder and opens it with File > Open.
    TMDIChildForm& Open(const char* name, int width, int height) {
        return frame->Open(name, *RampPicture(width, height));
    }
    QAction* Action(const char* name) const { return frame->Form->Action(name); }
};

TEST_F(FirstUse, AFileThatCannotBeShownOpensNoWindowAndSaysWhy) {
    WriteFileBytes(frame->File("empty.bmp").toStdString(), "");
    WriteFileBytes(frame->File("notes.txt").toStdString(), "speckle pair, shifted (2, -1)");
    WriteFileBytes(frame->File("broken.bmp").toStdString(), "BMnot really a bitmap");
    // A BMP of 0 x 0 pixels is well formed, and holds nothing to show.
    RampPicture(0, 0)->SaveBmp(frame->File("nothing.bmp").toStdString());
    // A PNG cut short after its header.
    WriteFileBytes(frame->File("cut.png").toStdString(), PngStart(40, 30, 8, 0));
    const QStringList names{"missing.bmp", "empty.bmp", "notes.txt", "broken.bmp", "nothing.bmp", "cut.png"};
    for (const QString& name : names)
        frame->TriggerWithFile("FileOpenAction", frame->File(name));
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);
    const QStringList errors = frame->Dialogs.Errors();
    ASSERT_EQ(errors.size(), names.size()) << errors.join('\n').toStdString();
    EXPECT_EQ(errors[0], frame->File("missing.bmp") + ": not exists");
    EXPECT_TRUE(errors[5].startsWith(frame->File("cut.png") + ": damaged PNG file"))
        << errors[5].toStdString();
    // Each message starts with the file's name and says more than the name.
    for (int i = 1; i < names.size(); ++i)
        EXPECT_TRUE(errors[i].startsWith(frame->File(names[i]) + ": ") &&
                    errors[i].size() > frame->File(names[i]).size() + 4)
            << errors[i].toStdString();
}

// The whole window, title bar and close button included, lies in the workspace (zooming is the
// document window tests' part).
TEST_F(FirstUse, APictureLargerThanTheWorkspaceStaysInViewWhenOpened) {
    TMDIChildForm& w = Open("large.bmp", 2600, 2200);
    EXPECT_TRUE(frame->Form->MdiArea()->viewport()->rect().contains(w.SubWindow()->geometry()))
        << w.SubWindow()->geometry().width() << "x" << w.SubWindow()->geometry().height();
}

TEST_F(FirstUse, ADisplacementMapShowsItsValuesAndLeavesOutTheNotComputedMarker) {
    // dx of a run: 2.0 ... 2.5 inside, the marker 1000.0 in a frame two points wide, one NaN.
    auto map = MakeFloatMap(12, 8, [](int x, int y) {
        return x < 2 || y < 2 || x >= 10 || y >= 6 ? 1000.0f : 2.0f + 0.5f * float(x - 2) / 7.0f;
    });
    map->SetPixel(5, 3, std::numeric_limits<float>::quiet_NaN());
    const QString name = frame->File("dx_bin.flt");
    map->SaveFlt(name.toStdString());
    frame->TriggerWithFile("FloatFileOpenAction", name, 2);
    TMDIChildForm& w = frame->Active();
    const QImage& shown = w.Bitmap();
    // 2.0, the smallest value, shows 0 and 2.5, the largest, 255; the marker and NaN show black;
    // 2.2857 shows (2.2857 - 2.0) * 255 / 0.5, truncated.
    for (const auto& [x, y, level] : {std::tuple{2, 4, 0}, {9, 4, 255}, {0, 0, 0}, {5, 3, 0}, {6, 3, 145}})
        EXPECT_EQ(qRed(shown.pixel(x, y)), level) << x << "," << y;
    // The status bar tells the map's value under the mouse, not the grey level.
    MoveOnPicture(w, {9, 4});
    EXPECT_THAT(frame->Form->statusBar()->currentMessage().toStdString(), testing::HasSubstr("2.5"));
    // The stored map is unchanged.
    EXPECT_EQ(corvane::TFloatImage(name.toStdString()).GetPixel(0, 0), 1000.0f);
    // A rigid shift, 2.0 wherever there is a value: mid-grey inside, black where nothing was computed.
    for (int i = 0; i < 12 * 8; ++i)
        if (map->Data[i] != 1000.0f) map->Data[i] = 2.0f;
    map->SaveFlt(name.toStdString());
    frame->TriggerWithFile("FloatFileOpenAction", name, 2);
    EXPECT_EQ(qRed(frame->Active().Bitmap().pixel(4, 4)), 128);
    EXPECT_EQ(qRed(frame->Active().Bitmap().pixel(1, 1)), 0);
}

TEST_F(FirstUse, SaveAsAsksBeforeReplacingAFileAndAChangedPictureIsNotLostSilently) {
    TMDIChildForm& w = Open("plate.bmp", 40, 30);
    const QString other = frame->File("other.bmp");
    WriteFileBytes(other.toStdString(), "keep me");
    frame->Dialogs.QueueYesNo(false);
    frame->TriggerWithFile("FileSaveAsAction", other);
    EXPECT_EQ(ReadFileBytes(other.toStdString()), "keep me");
    EXPECT_EQ(frame->Dialogs.Count(Kind::WarningYesNo), 1);

    EXPECT_FALSE(w.isWindowModified());
    frame->Trigger("InvertAction");
    EXPECT_TRUE(w.isWindowModified());
    // Closing asks: Cancel keeps the window, No closes it without writing.
    frame->Dialogs.QueueAnswer(TAnswer::Cancel);
    frame->Trigger("CloseAction");
    ProcessEvents();
    ASSERT_EQ(frame->Form->MDIChildCount(), 1);
    frame->Dialogs.QueueAnswer(TAnswer::No);
    frame->Trigger("CloseAction");
    ProcessEvents();
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);
    EXPECT_EQ(corvane::TGrayImage(frame->File("plate.bmp").toStdString()).GetPixel(3, 2), 7 * 3 + 3 * 2);

    // Exit asks for each changed window: Cancel keeps everything, the scale unwritten; Yes saves the
    // picture under its own name.
    Open("plate.bmp", 40, 30);
    frame->Trigger("Rotate90Action");
    frame->Form->ScaleX = 0.5;
    frame->Dialogs.QueueYesNo(true);
    frame->Dialogs.QueueAnswer(TAnswer::Cancel);
    frame->Trigger("FileExitAction");
    EXPECT_TRUE(frame->Form->isVisible());
    EXPECT_EQ(frame->Form->MDIChildCount(), 1);
    EXPECT_EQ(QSettings(frame->SettingsFile(), QSettings::IniFormat).value("Image Scale/scalex").toDouble(),
              1.0);
    frame->Dialogs.QueueYesNo(true);
    frame->Dialogs.QueueAnswer(TAnswer::Yes);
    frame->Trigger("FileExitAction");
    EXPECT_EQ(frame->Dialogs.Count(Kind::Question), 4);
    EXPECT_EQ(corvane::TGrayImage(frame->File("plate.bmp").toStdString()).Width, 30);
    EXPECT_FALSE(frame->Form->isVisible());
}

TEST_F(FirstUse, TheTitleNamesTheFileTheStatusBarTheSizeAndCtrlWheelZoomsAroundTheMouse) {
    TMDIChildForm& w = Open("plate.bmp", 300, 200);
    EXPECT_EQ(w.windowTitle(), "plate.bmp[*]");
    EXPECT_EQ(w.SubWindow()->toolTip(), frame->File("plate.bmp"));
    const auto* info = frame->Form->statusBar()->findChild<QLabel*>("PictureInfoLabel");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->text(), "300 x 200 pixels, zoom 1:1");

    // Ctrl with the wheel over a picture that scrolls keeps the pixel under the mouse where it is.
    TMDIChildForm& large = Open("large.bmp", 1500, 1000);
    const QPoint at(400, 300);
    QWidget* viewport = large.Picture()->parentWidget();
    const QPoint inViewport = large.Picture()->mapTo(viewport, at);
    QWheelEvent wheel(at, large.Picture()->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(large.Picture(), &wheel);
    EXPECT_EQ(large.Zoom(), 2);
    EXPECT_EQ(info->text(), "1500 x 1000 pixels, zoom 2:1");
    EXPECT_EQ(large.MouseToPixel(large.Picture()->mapFrom(viewport, inViewport)), QPoint(400, 300));
}

/// A tool that locks the Invert command while it is shown.
class TInvertLockForm : public corvane::ui::TToolForm {
  public:
    explicit TInvertLockForm(corvane::ui::TMainForm& main)
        : TToolForm(main, {.Name = "InvertLockForm",
                           .Title = QStringLiteral("Lock"),
                           .LockedCommands = {"InvertAction"}}) {}
};

// Which commands a picture enables is listed with the tool wiring; here the reason shown and a
// tool's lock.
TEST_F(FirstUse, PictureCommandsAreAvailableOnlyWithAPictureAndAToolLockWins) {
    EXPECT_FALSE(Action("InvertAction")->isEnabled());
    const QString idleTip = Action("InvertAction")->toolTip();
    EXPECT_FALSE(idleTip.isEmpty());
    auto* tool = new TInvertLockForm(*frame->Form);
    Open("plate.bmp", 40, 30);
    EXPECT_TRUE(Action("InvertAction")->isEnabled());
    EXPECT_NE(Action("InvertAction")->toolTip(), idleTip); // the reason is gone with the picture's arrival
    tool->show();
    EXPECT_FALSE(Action("InvertAction")->isEnabled());
    frame->Trigger("CloseAction");
    ProcessEvents();
    tool->hide(); // the lock ends, and still no picture
    EXPECT_FALSE(Action("InvertAction")->isEnabled());
    Open("plate.bmp", 40, 30);
    EXPECT_TRUE(Action("InvertAction")->isEnabled());
}

} // namespace

const char* const kKeys[] = {"Image Scale/scalex", "Image Scale/scaley", "Encode Coordinate/Max X",
                             "Encode Coordinate/Max Y"};

/// The scale and the coordinate limits as stored in the settings file.
static std::vector<double> Stored(const corvane::test::TestMainForm& frame) {
    const QSettings settings(frame.SettingsFile(), QSettings::IniFormat);
    std::vector<double> values;
    for (const char* key : kKeys)
        values.push_back(settings.value(key).toDouble());
    return values;
}

TEST_F(FirstUse, FirstStartWritesTheFourDefaultsAndLaterStartsReadThem) {
    EXPECT_EQ(Stored(*frame), (std::vector<double>{1, 1, 50, 50}));
    for (int i = 0; i < 4; ++i)
        frame->Settings->setValue(kKeys[i], std::array{0.25, 0.5, 70.0, 30.0}[i]);
    corvane::ui::TMainForm second(frame->Dialogs, *frame->Settings);
    second.CreateMDIChild("phase:One Image");
    EXPECT_EQ((std::array{second.ScaleX, second.ScaleY, double(second.MDIChild(0)->MaxX),
                          double(second.MDIChild(0)->MaxY)}),
              (std::array{0.25, 0.5, 70.0, 30.0}));
    // A removed group is written again with its defaults when the next window is made.
    frame->Settings->remove("Encode Coordinate");
    second.CreateMDIChild("CorRelation:Initial");
    EXPECT_EQ(frame->Settings->value("Encode Coordinate/Max X").toInt(), 50);
    EXPECT_EQ(second.MDIChild(1)->MaxY, 50);
}

TEST_F(FirstUse, NoKeepsEveryWindowAndWritesNothingYesWritesTheScaleAndEnds) {
    bool ended = false;
    QObject::connect(frame->Form.get(), &corvane::ui::TMainForm::ExitAccepted, [&] { ended = true; });
    frame->Form->CreateMDIChild("phase:One Image");
    frame->Form->ScaleX = 0.125;
    frame->Form->ScaleY = 2.5;
    frame->Dialogs.QueueYesNo(false);
    frame->Trigger("FileExitAction");
    corvane::test::ProcessEvents();
    EXPECT_EQ(frame->Dialogs.Texts(Kind::WarningYesNo), QStringList{"Do you really want to Exit ?"});
    EXPECT_FALSE(ended);
    EXPECT_TRUE(frame->Form->isVisible());
    EXPECT_EQ(frame->Form->MDIChildCount(), 1);
    EXPECT_EQ(Stored(*frame), (std::vector<double>{1, 1, 50, 50}));

    frame->Dialogs.QueueYesNo(true);
    frame->Trigger("FileExitAction");
    EXPECT_TRUE(ended);
    EXPECT_FALSE(frame->Form->isVisible());
    EXPECT_EQ(Stored(*frame), (std::vector<double>{0.125, 2.5, 50, 50}));
}

static QStringList Entries(const QList<QAction*>& actions, bool objectNames) {
    QStringList names;
    for (QAction* a : actions)
        names.append(a->isSeparator() ? QStringLiteral("-") : objectNames ? a->objectName() : a->text());
    return names;
}

TEST_F(FirstUse, MenusCommandsAndShortcutsAsGiven) {
    // A picture in a window, so that no command is greyed for want of one.
    frame->Form->ShowInRole(QStringLiteral("Generate Fringe"), corvane::TGrayImage(nullptr, 4, 4));
    EXPECT_EQ(frame->Form->windowTitle(), "Corvane");
    const QList<QAction*> menus = frame->Form->menuBar()->actions();
    EXPECT_EQ(Entries(menus, false),
              (QStringList{"&File", "&Edit", "&View", "C&ross_Cor", "&Carrier", "&Phase_Shift", "Phase",
                           "Displacement", "Parameters", "&Tools", "Image", "&Window", "&Help"}));
    EXPECT_EQ(Entries(menus[0]->menu()->actions(), true),
              (QStringList{"FileOpenAction", "FloatFileOpenAction", "SaveAction", "FileSaveAsAction",
                           "SaveAsFloatAction", "ExportPngAction", "ExportMapAction", "CloseAction",
                           "CloseAllAction", "FileExitAction"}));
    QStringList shortcuts;
    for (const char* name :
         {"FileOpenAction", "SaveAction", "FileSaveAsAction", "CloseAction", "FileExitAction", "EditCut1",
          "EditCopy1", "EditPaste1", "EditOriginalSizeAction"})
        shortcuts << frame->Form->Action(name)->shortcut().toString();
    EXPECT_EQ(shortcuts, (QStringList{"Ctrl+O", "Ctrl+S", "Ctrl+Shift+S", "Ctrl+W", "Ctrl+Q", "Ctrl+X",
                                      "Ctrl+C", "Ctrl+V", "Ctrl+0"}));
    // No two commands share a shortcut.
    QStringList all;
    for (QAction* action : frame->Form->findChildren<QAction*>(Qt::FindDirectChildrenOnly))
        if (!action->shortcut().isEmpty()) all << action->shortcut().toString();
    EXPECT_EQ(all.size(), QSet<QString>(all.begin(), all.end()).size()) << all.join(' ').toStdString();
}

TEST_F(FirstUse, DocumentCommandsDoNothingWithoutADocumentWindowAndCutNeedsATextField) {
    QApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB888));
    for (const char* name :
         {"SaveAction", "FileSaveAsAction", "SaveAsFloatAction", "ExportPngAction", "InvertAction",
          "Rotate90Action", "EditCopy1", "EditPaste1", "AmplifyAction", "ShrinkAction",
          "EditOriginalSizeAction", "CloseAction", "CloseAllAction", "WindowCascade1",
          "WindowTileHorizontal1", "WindowTileVertical1", "WindowMinimizeAll1", "WindowArrangeAll1"}) {
        // The picture commands are greyed meanwhile; run anyway (a shortcut), each does nothing.
        QAction* action = frame->Form->Action(name);
        action->setEnabled(true);
        action->trigger();
    }
    EXPECT_TRUE(frame->Dialogs.Log.empty());
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);

    // Cut is enabled only while a text field has the focus.
    QAction* cut = frame->Form->Action("EditCut1");
    EXPECT_FALSE(cut->isEnabled());
    QLineEdit edit("12345");
    edit.show();
    QApplication::setActiveWindow(&edit);
    edit.setFocus();
    corvane::test::ProcessEvents();
    if (QApplication::focusWidget() != &edit) GTEST_SKIP() << "the platform gives no keyboard focus";
    EXPECT_TRUE(cut->isEnabled());
    edit.selectAll();
    cut->trigger();
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "12345");
}
