// The platform layer's pure parts: filters, default extensions, number fields, the guard and the
// 24-bit files of document windows.
#include "support/CommaDecimalLocale.h"
#include "support/ErrorText.h"
#include "support/TestSupport.h"
#include "support/ui/ScriptedDialogs.h"

#include "shell/BitmapOps.h"
#include "shell/Convert.h"
#include "shell/FileFilter.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>

using namespace corvane::ui;

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
