#include "image/CFormat.h"
#include "support/CommaDecimalLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using namespace corvane;

TEST(CFormatTest, NumbersKeepTheirDecimalPointUnderACommaLocale) {
    test::CommaDecimalLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale on this machine";
    EXPECT_EQ(FormatC("%8.3f|%g|%d", 1.5, 0.25, -7), "   1.500|0.25|-7");
    std::string text = "x=";
    AppendFormatC(text, " %15.8f ", 2.0);
    EXPECT_EQ(text, "x=      2.00000000 ");
    // The process locale is left as it was.
    EXPECT_EQ(*std::localeconv()->decimal_point, ',');
}

TEST(CFormatTest, LongTextIsNeitherCutNorDoubled) {
    const std::string name(1000, 'n');
    std::string text = "head ";
    AppendFormatC(text, "[%s] %.1f", name.c_str(), 3.0);
    EXPECT_EQ(text, "head [" + name + "] 3.0");
    EXPECT_EQ(FormatC("%s", name.c_str()), name);
    EXPECT_EQ(FormatC("%s", ""), "");
}
