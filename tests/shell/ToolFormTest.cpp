// The tool-window base every tool derives from, and the application's wiring of every tool.
#include "image/CorvaneError.h"
#include "shell/CommandTable.h"
#include "shell/TToolForm.h"
#include "support/ui/TestMainForm.h"

#include <QtWidgets>

#include <gtest/gtest.h>

#include <set>
#include <string>

// Qt lets this one class mark an event as coming from the window system (its own test library does
// the same), so a test can send what minimising and restoring the frame sends.
class QSpontaneKeyEvent {
  public:
    static void SetSpontaneous(QEvent& event) { event.setSpontaneous(); }
};

namespace corvane::ui {
namespace {

using test::FrameTest;

/// A tool with the base's every feature switched on, counting its show and hide handlers.
class TProbeForm : public TToolForm {
  public:
    explicit TProbeForm(TMainForm& mainForm, const char* showCommand = "GenerateGridAction")
        : TToolForm(mainForm, {.Name = "ProbeForm",
                               .Title = QStringLiteral("Probe"),
                               .ShowCommand = showCommand,
                               .LockedCommands = {"PhaseToFringeAction", "GeometricMoireAction"},
                               .GuardsDocuments = true,
                               .RoleWindows = {QStringLiteral("probe:Result")},
                               .CloseRolesOnHide = true}) {
        FailButton = Named(new QPushButton(QStringLiteral("Fail"), this), "FailButton");
        Bind(FailButton, &QPushButton::clicked, &TProbeForm::FailButtonClick);
    }
    QPushButton* FailButton = nullptr;
    int Shows = 0, Hides = 0;
    void FailButtonClick() { throw CorvaneError("probe failed"); }
    void ShowResult() { ShowInRole(QStringLiteral("probe:Result"), TGrayImage(nullptr, 8, 4)); }

  protected:
    void FormShow() override { ++Shows; }
    void FormHide() override { ++Hides; }
};

using ToolForm = FrameTest;

TEST_F(ToolForm, ItsCommandShowsItLocksCommandsMeanwhileAndCloseHidesAndReleasesThem) {
    TMainForm& main = *frame->Form;
    auto* probe = new TProbeForm(main);
    EXPECT_TRUE(main.Action("GenerateGridAction")->isEnabled());
    frame->Trigger("GenerateGridAction");
    EXPECT_TRUE(probe->isVisible());
    EXPECT_EQ(probe->Shows, 1);
    EXPECT_FALSE(main.Action("PhaseToFringeAction")->isEnabled());
    EXPECT_FALSE(main.Action("GeometricMoireAction")->isEnabled());

    probe->ShowResult();
    ASSERT_GE(main.FindMDIChild("probe:Result"), 0);
    // While the tool is shown, closing a document window only minimises it.
    main.MDIChild(main.FindMDIChild("probe:Result"))->SubWindow()->close();
    test::ProcessEvents();
    EXPECT_GE(main.FindMDIChild("probe:Result"), 0);

    probe->CloseButton->click();
    test::ProcessEvents();
    EXPECT_FALSE(probe->isVisible());
    EXPECT_EQ(probe->Hides, 1);
    EXPECT_TRUE(main.Action("PhaseToFringeAction")->isEnabled());
    EXPECT_EQ(main.FindMDIChild("probe:Result"), -1) << "role windows close with the tool";
}

TEST_F(ToolForm, HandlersRunInsideTheGuardAndStatusTipsReachTheFrame) {
    auto* probe = new TProbeForm(*frame->Form);
    probe->show();
    probe->FailButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"probe failed"});
    QStatusTipEvent tip(QStringLiteral("long hint of a control"));
    QApplication::sendEvent(probe, &tip);
    EXPECT_EQ(frame->Form->statusBar()->currentMessage(), "long hint of a control");
}

TEST_F(ToolForm, WindowSystemShowsAndHidesLeaveTheToolAsItWas) {
    // Minimising and restoring the frame hides and shows its tools spontaneously.
    auto* probe = new TProbeForm(*frame->Form);
    probe->show();
    QHideEvent hide;
    QSpontaneKeyEvent::SetSpontaneous(hide);
    static_cast<QObject*>(probe)->event(&hide); // sendEvent would clear the mark
    QShowEvent show;
    QSpontaneKeyEvent::SetSpontaneous(show);
    static_cast<QObject*>(probe)->event(&show);
    EXPECT_EQ(std::pair(probe->Shows, probe->Hides), std::pair(1, 0));
    EXPECT_FALSE(frame->Form->Action("PhaseToFringeAction")->isEnabled());
}

TEST_F(ToolForm, ACommandNameMissingFromTheTableIsAnErrorWhenTheToolIsMade) {
    EXPECT_THROW(TProbeForm(*frame->Form, "NoSuchAction"), std::logic_error);
}

TEST_F(ToolForm, EveryToolOfTheWorkbenchIsWiredToCommandsOfTheTable) {
    CreateToolWindows(*frame->Form);
    std::set<std::string> table;
    for (const TCommand& command : CommandTable())
        table.insert(command.Name);
    const auto tools = frame->Form->findChildren<TToolForm*>(Qt::FindDirectChildrenOnly);
    ASSERT_FALSE(tools.isEmpty());
    std::set<std::string> names;
    for (const TToolForm* tool : tools) {
        const TToolSetup& setup = tool->Setup();
        EXPECT_TRUE(names.insert(setup.Name).second) << "two tools named " << setup.Name;
        EXPECT_FALSE(tool->isVisible()) << setup.Name << " starts hidden";
        if (setup.ShowCommand) {
            EXPECT_TRUE(table.count(setup.ShowCommand)) << setup.Name;
            EXPECT_TRUE(frame->Form->Action(setup.ShowCommand)->isEnabled()) << setup.ShowCommand;
        }
        for (const char* locked : setup.LockedCommands)
            EXPECT_TRUE(table.count(locked)) << setup.Name << " locks " << locked;
    }
    // Every command has its handler now: only Stress has none, Cut waits for a text field and the
    // picture commands for a document window.
    const auto disabled = [&] {
        QStringList names;
        for (const TCommand& command : CommandTable())
            if (!frame->Form->Action(command.Name)->isEnabled()) names << command.Name;
        return names;
    };
    EXPECT_EQ(disabled(),
              (QStringList{"SaveAction", "FileSaveAsAction", "SaveAsFloatAction", "ExportPngAction",
                           "ExportMapAction", "CloseAction", "CloseAllAction", "EditCut1", "EditCopy1",
                           "EditPaste1", "AmplifyAction", "EditOriginalSizeAction", "ShrinkAction",
                           "InvertAction", "Rotate90Action", "StressAction"}));
    frame->Form->ShowInRole(QStringLiteral("Generate Fringe"), TGrayImage(nullptr, 8, 4));
    EXPECT_EQ(disabled(), (QStringList{"EditCut1", "StressAction"}));
}

} // namespace
} // namespace corvane::ui
