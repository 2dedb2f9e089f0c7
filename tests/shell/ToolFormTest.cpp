// The tool-window base every tool derives from, the application's wiring of every tool, and the
// platform layer's pure parts: filters, default extensions, number fields, the guard and the 24-bit
// files of document windows.
#include "image/CorvaneError.h"
#include "shell/BitmapOps.h"
#include "shell/CommandTable.h"
#include "shell/Convert.h"
#include "shell/FileFilter.h"
#include "shell/TToolForm.h"
#include "support/CommaDecimalLocale.h"
#include "support/ErrorText.h"
#include "support/ui/TestMainForm.h"

#include <QtWidgets>

#include <cstdio>
#include <filesystem>
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

using ToolForm = test::FrameTest;

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
    ASSERT_GE(main.FindMDIChild("probe:Result"), 0);
    EXPECT_TRUE(main.MDIChild(main.FindMDIChild("probe:Result"))->SubWindow()->isMinimized());

    probe->CloseButton->click();
    test::ProcessEvents();
    EXPECT_FALSE(probe->isVisible());
    EXPECT_EQ(probe->Hides, 1);
    EXPECT_TRUE(main.Action("PhaseToFringeAction")->isEnabled());
    EXPECT_EQ(main.FindMDIChild("probe:Result"), -1) << "role windows close with the tool";
}

// Handlers run inside the guard, status tips reach the frame, and the window system's hiding and
// showing (minimising and restoring the frame) leave the tool as it was. A command name missing
// from the table is an error when the tool is made.
TEST_F(ToolForm, HandlersRunInsideTheGuardAndWindowSystemShowsLeaveTheToolAsItWas) {
    EXPECT_THROW(TProbeForm(*frame->Form, "NoSuchAction"), std::logic_error);
    auto* probe = new TProbeForm(*frame->Form);
    probe->show();
    probe->FailButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"probe failed"});
    QStatusTipEvent tip(QStringLiteral("long hint of a control"));
    QApplication::sendEvent(probe, &tip);
    EXPECT_EQ(frame->Form->statusBar()->currentMessage(), "long hint of a control");
    QHideEvent hide;
    QSpontaneKeyEvent::SetSpontaneous(hide);
    static_cast<QObject*>(probe)->event(&hide); // sendEvent would clear the mark
    QShowEvent show;
    QSpontaneKeyEvent::SetSpontaneous(show);
    static_cast<QObject*>(probe)->event(&show);
    EXPECT_EQ(std::pair(probe->Shows, probe->Hides), std::pair(1, 0));
    EXPECT_FALSE(frame->Form->Action("PhaseToFringeAction")->isEnabled());
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

TEST(FileFilter, QtNameFiltersAndTheDefaultExtensionOfTheChosenFilter) {
    const QString pictures = "Bitmaps (*.bmp)|*.bmp|Raw files( *.raw )|*.raw|All files(*.*)|*.*";
    EXPECT_EQ(ToQtNameFilters(pictures),
              (QStringList{"Bitmaps (*.bmp)", "Raw files (*.raw)", "All files (*.*)"}));
    EXPECT_EQ(ToQtNameFilters("All files( *.* ) |*.*|Pictures|*.bmp;*.raw"),
              (QStringList{"All files (*.*)", "Pictures (*.bmp *.raw)"}));
    EXPECT_EQ(ApplyDefaultSuffix("/d/pic", pictures, 1), "/d/pic.bmp");
    EXPECT_EQ(ApplyDefaultSuffix("/d.x/pic", pictures, 2), "/d.x/pic.raw");
    EXPECT_EQ(ApplyDefaultSuffix("/d/pic", pictures, 3), "/d/pic");
    EXPECT_EQ(ApplyDefaultSuffix("/d/pic.png", pictures, 1), "/d/pic.png");
}

TEST(NumberFields, IntegersFloatsAndTheirConversionErrors) {
    EXPECT_EQ(StrToInt(" -7"), -7);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    for (const char* bad : {"abc", "", "12a", "1.5", "2147483648", "-", " 5 "})
        EXPECT_EQ(corvane::test::ErrorText([&] { StrToInt(bad); }),
                  std::string("'") + bad + "' is not a valid integer value");
    EXPECT_DOUBLE_EQ(StrToFloat(" 0.25 "), 0.25);
    EXPECT_THROW(StrToFloat("1,5"), corvane::CorvaneError);
    EXPECT_THROW(StrToFloat("nan"), corvane::CorvaneError);
}

TEST(Guard, EveryKindOfErrorIsShownAndReportedAsFailure) {
    corvane::test::ScriptedDialogs dialogs;
    EXPECT_TRUE(RunGuarded(dialogs, [] {}));
    EXPECT_FALSE(RunGuarded(dialogs, [] { throw corvane::CorvaneError("only support raw and bmp files"); }));
    EXPECT_FALSE(RunGuarded(dialogs, [] { throw std::bad_alloc(); }));
    EXPECT_FALSE(RunGuarded(dialogs, [] { throw std::runtime_error("disk full"); }));
    EXPECT_FALSE(RunGuarded(dialogs, [] { throw 42; }));
    EXPECT_EQ(dialogs.Errors(), (QStringList{"only support raw and bmp files", "not enough memory",
                                             "disk full", "unknown error"}));
}

TEST(WindowBitmap, Bmp24KeepsColoursAndReplacesTheFile) {
    corvane::test::TempDir dir;
    QImage picture(5, 3, QImage::Format_RGB888); // odd width: rows need padding
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            picture.setPixelColor(x, y, QColor(10 * x, 50 * y, 200 - x - y));
    const std::string name = dir.File("colour.bmp");
    corvane::test::WriteFileBytes(name, "old contents");
    SaveBitmapAsBmp(picture, name);
    const std::string bytes = corvane::test::ReadFileBytes(name);
    ASSERT_EQ(bytes.size(), 54u + 3u * 16u);
    EXPECT_EQ(bytes[28], 24);
    EXPECT_EQ(QImage(QString::fromStdString(name)).convertToFormat(QImage::Format_RGB888), picture);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(StartUp, PreparingTheApplicationNamesItAndWritesNumbersWithAPointUnderACommaLocale) {
    corvane::test::CommaDecimalLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale";
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", 0.25);
    ASSERT_STREQ(text, "0,25");
    PrepareApplication();
    std::snprintf(text, sizeof text, "%.2f", 0.25);
    EXPECT_STREQ(text, "0.25");
    EXPECT_EQ(QApplication::organizationName(), "Halvorn Lab.");
    EXPECT_EQ(QApplication::applicationName(), "Corvane");
}

} // namespace
} // namespace corvane::ui
