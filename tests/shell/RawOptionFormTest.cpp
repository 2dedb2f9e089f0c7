// The RAW options dialog: its fields, Swap and Guess.
#include "support/TestSupport.h"
#include "support/ui/ScriptedDialogs.h"

#include "shell/TRawOptionForm.h"

#include <QtWidgets>

#include <gtest/gtest.h>

using corvane::ui::GuessRawDimensions;
using corvane::ui::TRawOptionForm;

namespace {

/// A RAW options dialog made for a file of the given size.
struct RawDialog {
    corvane::test::TempDir dir;
    corvane::test::ScriptedDialogs dialogs;
    std::unique_ptr<TRawOptionForm> form;
    explicit RawDialog(std::size_t bytes) {
        const std::string name = dir.File("scan 01.raw");
        corvane::test::WriteFileBytes(name, std::string(bytes, '\0'));
        form = std::make_unique<TRawOptionForm>(dialogs, QString::fromStdString(name));
    }
};

/// The width and height fields as "width x height".
QString Size(const TRawOptionForm& form) {
    return form.WidthEdit->text() + " x " + form.HeightEdit->text();
}

} // namespace

TEST(RawOptions, SwapExchangesTheSides) {
    RawDialog raw(262144);
    raw.form->WidthEdit->setText("640");
    raw.form->HeightEdit->setText("480");
    raw.form->Button3->click();
    EXPECT_EQ(Size(*raw.form), "480 x 640");
}

TEST(RawOptions, GuessProposesTheMostNearlySquareFactorisation) {
    for (auto [bytes, header, size] :
         {std::tuple{786432, "0", "1024 x 768"}, std::tuple{307200, "0", "600 x 512"},
          std::tuple{307200 + 100, "100", "600 x 512"}}) {
        RawDialog raw(static_cast<std::size_t>(bytes));
        raw.form->HeaderEdit->setText(header);
        raw.form->Button4->click();
        EXPECT_EQ(Size(*raw.form), size) << bytes;
    }
    EXPECT_FALSE(GuessRawDimensions(3));
    EXPECT_EQ(GuessRawDimensions(4), std::make_pair(std::int64_t{2}, std::int64_t{2}));
    // The divisor may reach just past the square root: 6 = 2 x 3 (limit floor(2.45 + 2) = 4).
    EXPECT_EQ(GuessRawDimensions(6), std::make_pair(std::int64_t{3}, std::int64_t{2}));
}

TEST(RawOptions, GuessWithoutADivisorOrWithABadHeaderLeavesTheFields) {
    RawDialog raw(1009); // prime
    TRawOptionForm& form = *raw.form;
    form.WidthEdit->setText("33");
    // No header, a header that is no number, a header larger than the file: nothing to divide.
    for (const char* header : {"0", "x1", "5000"}) {
        form.HeaderEdit->setText(header);
        form.Button4->click();
        EXPECT_EQ(Size(form), "33 x 512") << header;
    }
    EXPECT_EQ(raw.dialogs.Errors(), QStringList{"Header: 'x1' is not a valid integer value"});
}
