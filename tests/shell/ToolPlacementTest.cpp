// Tool windows stand beside the documents and beside each other, never over the results they make,
// and message boxes open whole above the window that asked.
#include "support/ui/TestMainForm.h"

#include "app/ToolWindows.h"
#include "shell/TMDIChildForm.h"
#include "shell/TQtDialogs.h"
#include "shell/TToolForm.h"
#include "shell/ToolPlacement.h"

#include <QtWidgets>

#include <gtest/gtest.h>

using namespace corvane::ui;
using namespace corvane::test;

namespace {

QRect Outer(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    return outer.size() == window.size() ? QRect(outer.topLeft(), outer.size() + QSize(8, 32)) : outer;
}

QRect OnScreen(const QMdiSubWindow& sub) {
    return {sub.parentWidget()->mapToGlobal(sub.pos()), sub.size()};
}

} // namespace

// Beside the frame when the screen has room, else inside along the documents' right edge; a second
// tool goes below the first, a third (no room below) to the left of them.
TEST(ToolPlacement, BesideTheFrameThenAlongTheDocumentsRightEdgeThenBelowAndLeft) {
    const TToolPlacementRoom wide{QRect(0, 0, 1600, 1000), QRect(0, 0, 1200, 900), QRect(0, 100, 1190, 790)};
    const TToolPlacementRoom full{QRect(0, 0, 1600, 1000), QRect(0, 0, 1600, 1000), QRect(0, 100, 1590, 890)};
    struct Case {
        const TToolPlacementRoom* Room;
        QSize Size;
        std::vector<QRect> Taken;
        QPoint Want;
    };
    const Case cases[] = {
        {&wide, {300, 400}, {}, {1200, 0}},
        {&wide, {401, 400}, {}, {1190 - 401, 100}},
        {&full, {300, 500}, {}, {1290, 100}},
        {&full, {300, 400}, {QRect(1290, 100, 300, 500)}, {1290, 600}},
        {&full, {300, 400}, {QRect(1290, 100, 300, 500), QRect(1290, 600, 300, 400)}, {990, 100}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceToolWindow(*c.Room, c.Size, c.Taken), c.Want)
            << c.Size.width() << " " << c.Taken.size();
    // Documents keep the width left of the tools reaching into their area.
    EXPECT_EQ(FreeDocumentArea(QRect(0, 0, 1000, 800), {QRect(700, 50, 300, 300), QRect(1100, 0, 50, 50)}),
              QRect(0, 0, 700, 800));
}

// The workbench's own tools: those a command shows together, and two opened one after the other, do
// not overlap; the result a tool shows is not under it.
TEST(ToolPlacement, ToolsShownTogetherAndTheirResultsStayClearOfEachOther) {
    auto frame = MakeTestMainForm();
    CreateToolWindows(*frame->Form);
    const auto tools = [&] { return frame->Form->findChildren<TToolForm*>(Qt::FindDirectChildrenOnly); };
    const std::vector<std::vector<const char*>> together = {
        {"PI3StepAction", "PI4StepAction"}, {"CorRelationAction"}, {"GenerateGridAction"}};
    for (const auto& commands : together) {
        for (TToolForm* tool : tools())
            tool->hide();
        for (const char* command : commands)
            frame->Trigger(command);
        ProcessEvents();
        std::vector<const QWidget*> shown;
        for (const TToolForm* tool : tools())
            if (tool->isVisible()) shown.push_back(tool);
        ASSERT_FALSE(shown.empty()) << commands.front();
        for (std::size_t i = 0; i < shown.size(); ++i)
            for (std::size_t j = i + 1; j < shown.size(); ++j)
                EXPECT_FALSE(Outer(*shown[i]).intersects(Outer(*shown[j])))
                    << shown[i]->objectName().toStdString() << " over "
                    << shown[j]->objectName().toStdString();
    }
    auto* grid = frame->Form->findChild<QWidget*>("GenerateGridForm");
    ASSERT_NE(grid, nullptr);
    grid->findChild<QPushButton*>("Button1")->click();
    ProcessEvents();
    ASSERT_NE(frame->Window("Carrier 16"), nullptr) << frame->Dialogs.Errors().join('|').toStdString();
    EXPECT_FALSE(Outer(*grid).intersects(OnScreen(*frame->Window("Carrier 16")->SubWindow())));
}

// A message asked for by a tool standing at the screen's corner opens above it, whole on the screen.
TEST(ToolPlacement, AMessageBoxOpensAboveTheAskingToolWholeOnTheScreen) {
    QWidget tool(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
    const QRect screen = tool.screen()->availableGeometry();
    tool.resize(200, 120);
    tool.move(screen.right() - 210, screen.bottom() - 130);
    tool.show();
    tool.activateWindow();
    ProcessEvents();
    TQtDialogs dialogs;
    QRect box;
    bool onTop = false;
    QTimer::singleShot(0, [&] {
        QWidget* shown = QApplication::activeModalWidget();
        ASSERT_NE(shown, nullptr);
        box = shown->frameGeometry();
        onTop = shown->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        shown->close();
    });
    dialogs.Error("/data/plate 3/initial.bmp is not a code file!");
    EXPECT_TRUE(onTop);
    EXPECT_TRUE(screen.contains(box))
        << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
}
