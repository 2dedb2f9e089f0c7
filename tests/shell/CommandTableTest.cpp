// The frame's command table: menus, shortcuts and the commands that need no document window.
#include "support/ui/TestMainForm.h"

#include "image/TGrayImage.h"

#include <QtWidgets>

#include <gtest/gtest.h>

using CommandTable = corvane::test::FrameTest;

static QStringList Entries(const QList<QAction*>& actions, bool objectNames) {
    QStringList names;
    for (QAction* a : actions)
        names.append(a->isSeparator() ? QStringLiteral("-") : objectNames ? a->objectName() : a->text());
    return names;
}

/// A picture in a window, so that no command is greyed for want of one.
static void ShowAPicture(corvane::ui::TMainForm& form) {
    form.ShowInRole(QStringLiteral("Generate Fringe"), corvane::TGrayImage(nullptr, 4, 4));
}

TEST_F(CommandTable, MenusCommandsAndShortcutsAsGiven) {
    ShowAPicture(*frame->Form);
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

TEST_F(CommandTable, DocumentCommandsDoNothingWithoutADocumentWindow) {
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
}

TEST_F(CommandTable, CutIsEnabledOnlyWhileATextFieldHasTheFocus) {
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
