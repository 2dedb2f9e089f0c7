// The frame's command table, menus, tool bars and the commands that need no tool window.
#include "support/ui/TestMainForm.h"

#include "shell/TMDIChildForm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <gtest/gtest.h>

using corvane::test::MakeTestMainForm;
using Kind = corvane::test::ScriptedDialogs::Kind;

namespace {

QStringList MenuTitles(const QMenuBar* bar) {
    QStringList titles;
    for (QAction* a : bar->actions())
        titles.append(a->text());
    return titles;
}

QStringList MenuEntries(const QMenu* menu) {
    QStringList names;
    for (QAction* a : menu->actions())
        names.append(a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return names;
}

QMenu* MenuTitled(const QMenuBar* bar, const QString& title) {
    for (QAction* a : bar->actions())
        if (a->text() == title)
            return a->menu();
    return nullptr;
}

} // namespace

TEST(CommandTable, MenusAndTheirCommandsComeInTheGivenOrder) {
    auto frame = MakeTestMainForm();
    EXPECT_EQ(frame->Form->windowTitle(), "Corvane");
    const QMenuBar* bar = frame->Form->menuBar();
    EXPECT_EQ(MenuTitles(bar), (QStringList{"&File", "&Edit", "&View", "C&ross_Cor", "&Carrier", "&Phase_Shift", "Phase",
                                            "Displacement", "Parameters", "&Tools", "Image", "&Window", "&Help"}));
    EXPECT_EQ(MenuEntries(MenuTitled(bar, "&File")),
              (QStringList{"FileOpenAction", "FloatFileOpenAction", "SaveAction", "FileSaveAsAction",
                           "SaveAsFloatAction", "CloseAction", "CloseAllAction", "FileExitAction"}));
    EXPECT_EQ(MenuEntries(MenuTitled(bar, "C&ross_Cor")),
              (QStringList{"CorRelationAction", "ConfigFileAction", "-", "CorRelationStatusAction", "-",
                           "GenerateModalFileAction"}));
    EXPECT_EQ(MenuEntries(MenuTitled(bar, "Displacement")),
              (QStringList{"StrainAction", "StressAction", "MergeXandYDisplacementAction"}));
    EXPECT_EQ(MenuEntries(MenuTitled(bar, "&Window")).mid(0, 5),
              (QStringList{"WindowCascade1", "WindowTileHorizontal1", "WindowTileVertical1", "WindowMinimizeAll1",
                           "WindowArrangeAll1"}));
    EXPECT_EQ(frame->Form->findChildren<QToolBar*>().size(), 8);
}

TEST(CommandTable, HintsSplitIntoToolTipAndStatusTipAndShortcutsAreSet) {
    auto frame = MakeTestMainForm();
    const auto* open = frame->Form->Action("FileOpenAction");
    EXPECT_EQ(open->text(), "Open");
    EXPECT_EQ(open->toolTip(), "Open");
    EXPECT_EQ(open->statusTip(), "Open and display an image");
    // A hint without "|" is both; leading blanks of the long hint are kept.
    const auto* saveFloat = frame->Form->Action("SaveAsFloatAction");
    EXPECT_EQ(saveFloat->toolTip(), "Save  the image to float format , the data is normalized to [-pi, pi]");
    EXPECT_EQ(saveFloat->statusTip(), saveFloat->toolTip());
    EXPECT_EQ(frame->Form->Action("ShrinkAction")->statusTip(), " shrink the current image");
    EXPECT_EQ(frame->Form->Action("ShrinkAction")->text(), "Shrink  -");
    EXPECT_EQ(frame->Form->Action("EditCopy1")->shortcut(), QKeySequence("Ctrl+C"));
    EXPECT_EQ(frame->Form->Action("EditPaste1")->shortcut(), QKeySequence("Ctrl+V"));
    EXPECT_EQ(frame->Form->Action("EditCut1")->shortcut(), QKeySequence("Ctrl+X"));
}

TEST(CommandTable, StressAndUnbuiltToolsAreDisabledWhileFrameCommandsWork) {
    auto frame = MakeTestMainForm();
    EXPECT_FALSE(frame->Form->Action("StressAction")->isEnabled());
    EXPECT_FALSE(frame->Form->Action("GenerateModalFileAction")->isEnabled());
    for (const char* name : {"FileOpenAction", "FloatFileOpenAction", "SaveAction", "FileSaveAsAction",
                             "SaveAsFloatAction", "CloseAllAction", "FileExitAction", "EditCopy1", "EditPaste1",
                             "Rotate90Action", "InvertAction", "WindowCascade1", "HelpAboutAction"})
        EXPECT_TRUE(frame->Form->Action(name)->isEnabled()) << name;
}

TEST(CommandTable, DocumentCommandsDoNothingWithoutADocumentWindow) {
    auto frame = MakeTestMainForm();
    QApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB888));
    for (const char* name : {"SaveAction", "FileSaveAsAction", "SaveAsFloatAction", "InvertAction", "Rotate90Action",
                             "EditCopy1", "EditPaste1", "AmplifyAction", "ShrinkAction", "EditOriginalSizeAction",
                             "CloseAction", "CloseAllAction", "WindowCascade1", "WindowTileHorizontal1",
                             "WindowTileVertical1", "WindowMinimizeAll1", "WindowArrangeAll1"})
        frame->Trigger(name);
    EXPECT_TRUE(frame->Dialogs.Log.empty());
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);
}

TEST(CommandTable, StatusBarAndToolBarTogglesFollowTheirCheckMarks) {
    auto frame = MakeTestMainForm();
    QAction* status = frame->Form->Action("StatusBarAction");
    QAction* tools = frame->Form->Action("ToolBarAction");
    EXPECT_TRUE(status->isChecked());
    EXPECT_TRUE(tools->isChecked());
    status->trigger();
    tools->trigger();
    EXPECT_FALSE(status->isChecked());
    EXPECT_FALSE(frame->Form->statusBar()->isVisible());
    for (QToolBar* bar : frame->Form->findChildren<QToolBar*>())
        EXPECT_FALSE(bar->isVisible());
    status->trigger();
    tools->trigger();
    EXPECT_TRUE(frame->Form->statusBar()->isVisible());
    for (QToolBar* bar : frame->Form->findChildren<QToolBar*>())
        EXPECT_TRUE(bar->isVisible());
}

TEST(CommandTable, CutIsEnabledOnlyWhileATextFieldHasTheFocus) {
    auto frame = MakeTestMainForm();
    QAction* cut = frame->Form->Action("EditCut1");
    EXPECT_FALSE(cut->isEnabled());
    QLineEdit edit;
    edit.setText("12345");
    edit.show();
    QApplication::setActiveWindow(&edit);
    edit.setFocus();
    corvane::test::ProcessEvents();
    if (QApplication::focusWidget() != &edit)
        GTEST_SKIP() << "the platform gives no keyboard focus";
    EXPECT_TRUE(cut->isEnabled());
    edit.selectAll();
    cut->trigger();
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "12345");
    edit.clearFocus();
    frame->Form->setFocus();
    corvane::test::ProcessEvents();
    EXPECT_FALSE(cut->isEnabled());
}

TEST(CommandTable, AboutShowsTheAboutBoxModally) {
    auto frame = MakeTestMainForm();
    QString seen;
    frame->Dialogs.QueueModal([&](QDialog& box) {
        seen = box.windowTitle();
        return int(QDialog::Accepted);
    });
    frame->Trigger("HelpAboutAction");
    EXPECT_EQ(frame->Dialogs.Texts(Kind::Modal), QStringList{"AboutBox"});
    EXPECT_EQ(seen, "About");
}
