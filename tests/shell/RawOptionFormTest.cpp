// The RAW options dialog: its fields, Swap and Guess.
#include "support/TestSupport.h"
#include "support/ui/ScriptedDialogs.h"

#include "shell/TRawOptionForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using corvane::ui::GuessRawDimensions;
using corvane::ui::TRawOptionForm;

namespace {

struct RawFile {
    corvane::test::TempDir dir;
    QString name;
    explicit RawFile(std::size_t bytes) : name(QString::fromStdString(dir.File("scan 01.raw"))) {
        corvane::test::WriteFileBytes(name.toStdString(), std::string(bytes, '\0'));
    }
};

} // namespace

TEST(RawOptions, FieldsShowTheFileAndTheDefaults) {
    RawFile file(262144);
    corvane::test::ScriptedDialogs dialogs;
    TRawOptionForm form(dialogs, file.name);
    EXPECT_EQ(form.windowTitle(), "Raw Options");
    EXPECT_EQ(form.DescribeLabel->text(), "Describe: \"scan 01.raw\"");
    EXPECT_EQ(form.SizeLabel->text(), "( 262144 bytes )");
    EXPECT_EQ(form.WidthEdit->text(), "512");
    EXPECT_EQ(form.HeightEdit->text(), "512");
    EXPECT_EQ(form.HeaderEdit->text(), "0");
    EXPECT_EQ(form.ChannelCountEdit->text(), "1");
    EXPECT_TRUE(form.RadioButton1->isChecked());
    EXPECT_FALSE(form.RadioButton2->isEnabled());
    EXPECT_EQ(form.findChild<QPushButton*>("Button4"), form.Button4);
}

TEST(RawOptions, GuessProposesTheMostNearlySquareFactorisation) {
    for (auto [bytes, header, width, height] :
         {std::tuple{786432, "0", "1024", "768"}, std::tuple{307200, "0", "600", "512"},
          std::tuple{307200 + 100, "100", "600", "512"}}) {
        RawFile file(static_cast<std::size_t>(bytes));
        corvane::test::ScriptedDialogs dialogs;
        TRawOptionForm form(dialogs, file.name);
        form.HeaderEdit->setText(header);
        form.Button4->click();
        EXPECT_EQ(form.WidthEdit->text(), width) << bytes;
        EXPECT_EQ(form.HeightEdit->text(), height) << bytes;
    }
}

TEST(RawOptions, GuessWithoutADivisorOrWithABadHeaderLeavesTheFields) {
    RawFile file(1009);  // prime
    corvane::test::ScriptedDialogs dialogs;
    TRawOptionForm form(dialogs, file.name);
    form.WidthEdit->setText("33");
    form.Button4->click();
    EXPECT_EQ(form.WidthEdit->text(), "33");
    EXPECT_EQ(form.HeightEdit->text(), "512");
    form.HeaderEdit->setText("x1");
    form.Button4->click();
    EXPECT_EQ(dialogs.Errors(), QStringList{"'x1' is not a valid integer value"});
    // A header larger than the file leaves nothing to divide.
    form.HeaderEdit->setText("5000");
    form.Button4->click();
    EXPECT_EQ(form.WidthEdit->text(), "33");
}

TEST(RawOptions, SwapExchangesWidthAndHeight) {
    RawFile file(10);
    corvane::test::ScriptedDialogs dialogs;
    TRawOptionForm form(dialogs, file.name);
    form.WidthEdit->setText("640");
    form.HeightEdit->setText("480");
    form.Button3->click();
    EXPECT_EQ(form.WidthEdit->text(), "480");
    EXPECT_EQ(form.HeightEdit->text(), "640");
}

TEST(RawOptions, GuessRuleOnSmallAndSquareSizes) {
    EXPECT_FALSE(GuessRawDimensions(0));
    EXPECT_FALSE(GuessRawDimensions(3));
    EXPECT_EQ(GuessRawDimensions(4), std::make_pair(std::int64_t{2}, std::int64_t{2}));
    EXPECT_EQ(GuessRawDimensions(262144), std::make_pair(std::int64_t{512}, std::int64_t{512}));
    // 12 = 2 x 6 = 3 x 4: the pair nearest to square, wider side first.
    EXPECT_EQ(GuessRawDimensions(12), std::make_pair(std::int64_t{4}, std::int64_t{3}));
    // The divisor may reach just past the square root: 6 = 2 x 3 (limit floor(2.45 + 2) = 4).
    EXPECT_EQ(GuessRawDimensions(6), std::make_pair(std::int64_t{3}, std::int64_t{2}));
}
