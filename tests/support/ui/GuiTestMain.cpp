// main() of every GUI test executable: one QApplication on the offscreen platform, the
// settings store in test mode and the "C" numeric locale, then every GoogleTest test.
#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setOrganizationName(QStringLiteral("Halvorn Lab."));
    QStandardPaths::setTestModeEnabled(true);
    std::setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
