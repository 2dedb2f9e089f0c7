// "Match Codes" and "Save Match" with "Select Result Type", driven as a user would: two pictures
// encoded and their codes saved in the workbench, matched, and the result read back.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dotgrid/ui/TDotGridCodeCommands.h"
#include "dotgrid/ui/TEncodeParameterForm.h"
#include "dotgrid/ui/TMatchResultForm.h"
#include "dotgrid/ui/TSimpleSegmentParameterForm.h"
#include "shell/TMDIChildForm.h"
#include "support/DotGridPictures.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

class CodeMatchTool : public test::ToolTest<ui::TDotGridCodeCommands> {
  protected:
    /// Opens the picture, segments it at threshold 40, encodes it and saves its codes as name.cod.
    QString EncodeAndSave(const QString& name, const std::vector<std::uint8_t>& pixels) {
        OpenPicture(name, pair.Width, pair.Height, pixels);
        frame->Trigger("SimpleSegmentAction");
        auto* segment = frame->Form->findChild<ui::TSimpleSegmentParameterForm*>();
        segment->SimpleSegmentThresholdEdit->setText(QStringLiteral("40"));
        segment->SegmentButton->click();
        frame->Trigger("EncodingAction");
        auto* encode = frame->Form->findChild<ui::TEncodeParameterForm*>();
        encode->AutoEvaluateSpeedButton->click();
        encode->EncodeButton->click();
        const QString codes = frame->File(name + QStringLiteral(".cod"));
        frame->TriggerWithFile("SaveCodesAction", codes);
        return codes;
    }
    void MatchFiles(const QString& initial, const QString& deformed) {
        frame->Dialogs.QueueFile(initial);
        frame->Dialogs.QueueFile(deformed);
        frame->Trigger("MatchCodesAction");
    }
    /// "Save Match" to name with the layout and "Change Y axis" chosen; the dialog is checked to
    /// open on its defaults.
    std::string SaveMatch(const QString& name, int layout, bool changeY) {
        frame->Dialogs.QueueFile(frame->File(name));
        frame->Dialogs.QueueModal([=](QDialog& dialog) {
            auto* form = dynamic_cast<ui::TMatchResultForm*>(&dialog);
            EXPECT_NE(form, nullptr);
            if (!form) return int(QDialog::Rejected);
            EXPECT_EQ(form->MatchResultTypeComboBox->currentIndex(), 0);
            EXPECT_TRUE(form->ChangeYaxisCheckBox->isChecked());
            form->MatchResultTypeComboBox->setCurrentIndex(layout);
            form->ChangeYaxisCheckBox->setChecked(changeY);
            form->BitBtn1->click();
            return dialog.result();
        });
        frame->Trigger("SaveMatchAction");
        return test::ReadFileBytes(frame->File(name).toStdString());
    }

    ui::TDotGridCodeCommands* commands = tool;
    test::DotLatticePair pair = test::MakeDotLatticePair();
};

TEST_F(CodeMatchTool, SaveMatchNeedsAMatch) {
    ASSERT_NE(commands, nullptr);
    frame->Trigger("SaveMatchAction");
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{QStringLiteral("Match Codes first!!!")});
    EXPECT_EQ(frame->Dialogs.Count(test::ScriptedDialogs::Kind::SaveFile), 0);
}

// The known smooth displacement of the deformed lattice comes back for every dot in the layout and
// y axis chosen in the dialog; Save Match offers the name "Match-0".
TEST_F(CodeMatchTool, MatchesEncodedPicturesInTheChosenLayout) {
    const QString initial = EncodeAndSave(QStringLiteral("initial"), pair.Initial);
    const QString deformed = EncodeAndSave(QStringLiteral("deformed"), pair.Deformed);
    MatchFiles(initial, deformed);
    ASSERT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join('|').toStdString();
    ASSERT_NE(commands->Match(), nullptr);

    const std::string result = SaveMatch(QStringLiteral("result.dat"), 6, false);
    EXPECT_EQ(frame->Dialogs.FileRequests().back().InitialFile, "Match-0");
    // The first two lines name the pictures, as the last lines of the code files do.
    std::istringstream in(result);
    std::string line;
    for (const QString& codes : {initial, deformed, QString(), QString(), QString()}) {
        std::getline(in, line);
        EXPECT_TRUE(codes.isEmpty() ||
                    (test::ReadFileBytes(codes.toStdString()).ends_with("\n" + line + "\n") &&
                     line.find(QFileInfo(codes).baseName().toStdString() + ".bmp") != std::string::npos))
            << line;
    }
    int rows = 0;
    int nx = 0, ny = 0;
    double x = 0, y = 0, dx = 0, dy = 0;
    while (in >> nx >> ny >> x >> y >> dx >> dy) {
        const int column = nx + 5, row = 4 - ny;
        ASSERT_TRUE(column >= 0 && column < pair.Columns) << "column " << column << " of " << nx << "," << ny;
        ASSERT_TRUE(row >= 0 && row < pair.Rows) << "row " << row << " of " << nx << "," << ny;
        const test::DotCentre known =
            pair.Displacements[static_cast<std::size_t>(row * pair.Columns + column)];
        EXPECT_NEAR(dx, known.X, 0.05) << nx << "," << ny;
        EXPECT_NEAR(dy, known.Y, 0.05) << nx << "," << ny; // y not changed: down the picture
        ++rows;
    }
    EXPECT_EQ(rows, pair.Columns * pair.Rows);
}

// Cancelling a dialog changes nothing; a failed read leaves no match behind.
TEST_F(CodeMatchTool, CancelledDialogsAndFailedReads) {
    const QString initial = EncodeAndSave(QStringLiteral("initial"), pair.Initial);
    frame->Dialogs.QueueFile(initial);
    frame->Dialogs.QueueFileCancel();
    frame->Trigger("MatchCodesAction");
    EXPECT_EQ(commands->Match(), nullptr);

    MatchFiles(initial, initial);
    ASSERT_NE(commands->Match(), nullptr);
    frame->Dialogs.QueueFile(frame->File(QStringLiteral("never.dat")));
    frame->Dialogs.QueueModal([](QDialog& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
        return dialog.result();
    });
    frame->Trigger("SaveMatchAction");
    EXPECT_FALSE(QFile::exists(frame->File(QStringLiteral("never.dat"))));

    const QString notCodes = frame->File(QStringLiteral("notes.cod"));
    std::ofstream(notCodes.toStdString()) << "hello world\n";
    MatchFiles(initial, notCodes);
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{notCodes + QStringLiteral(" is not a code file!")});
    EXPECT_EQ(commands->Match(), nullptr);
    frame->Trigger("SaveMatchAction");
    EXPECT_EQ(frame->Dialogs.Errors().back(), QStringLiteral("Match Codes first!!!"));
}

} // namespace
} // namespace corvane
