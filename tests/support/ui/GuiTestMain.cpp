// main() of every GUI test executable: one QApplication on the offscreen platform, prepared as
// the workbench prepares it ("C" numeric locale included), the settings store in test mode, then
// every GoogleTest test.
#include "shell/Platform.h"

#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    corvane::ui::PrepareApplication();
    QStandardPaths::setTestModeEnabled(true);
    return RUN_ALL_TESTS();
}
