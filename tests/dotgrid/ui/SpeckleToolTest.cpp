// The speckle analysis window driven as a user would: the frame's command, named controls, the
// rectangle feed from the document windows and scripted save dialogs.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dotgrid/ui/TSpeckleAnalysisParaForm.h"
#include "shell/TMDIChildForm.h"
#include "support/DotPictures.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

constexpr int kWidth = 80, kHeight = 60;

class SpeckleTool : public test::ToolTest<ui::TSpeckleAnalysisParaForm> {
  protected:
    void SetUp() override { ASSERT_NE(tool, nullptr); }

    /// White speckles on black: a 3 x 2 block, a 40 x 3 bar, an L of 5 x 5 and one touching the
    /// left border; opened in a document window.
    QString OpenSpeckles() {
        std::vector<std::uint8_t> pixels(kWidth * kHeight, 0);
        for (const test::SpeckleBlock block :
             {test::SpeckleBlock{10, 10, 3, 2}, test::SpeckleBlock{20, 30, 40, 3},
              test::SpeckleBlock{60, 10, 5, 1}, test::SpeckleBlock{60, 11, 1, 4},
              test::SpeckleBlock{0, 50, 4, 4}})
            test::PaintBlock(pixels, kWidth, block, 200);
        return OpenPicture(QStringLiteral("speckles"), kWidth, kHeight, pixels);
    }
    /// Saves the table of the type through the Save button; the file's bytes.
    std::string Save(int type) {
        const std::string file = frame->Dir.File("window" + std::to_string(type) + ".dat");
        tool->PageControl->setCurrentWidget(tool->OutputPage);
        tool->OutputTypeComboBox->setCurrentIndex(type);
        frame->Dialogs.QueueFile(QString::fromStdString(file));
        tool->SaveButton->click();
        return test::ReadFileBytes(file);
    }
    QStringList Edits() const {
        return {tool->LeftEdit->text(), tool->TopEdit->text(), tool->RightEdit->text(),
                tool->BottomEdit->text()};
    }
};

// A double click sets the whole picture; the four tables of the analysis are saved, and analysing
// again gives the same tables.
TEST_F(SpeckleTool, DoubleClickAnalysesTheWholePictureAndSavesTheVerbsTables) {
    OpenSpeckles();
    frame->Trigger("SpeckleAnalysisAction");
    ASSERT_TRUE(tool->isVisible());
    test::DoubleClickOnPicture(frame->Active(), {30, 30});
    EXPECT_EQ(Edits(), QStringList({"0", "0", "79", "59"}));
    tool->AnalysisButton->click();
    ASSERT_NE(tool->Statistics(), nullptr) << frame->Dialogs.Errors().join("; ").toStdString();
    const std::string tables[4] = {Save(0), Save(1), Save(2), Save(3)};
    EXPECT_NE(tables[0].find("3    2    1 \n"), std::string::npos) << tables[0];
    EXPECT_TRUE(tables[0] != tables[1] && tables[1] != tables[2] && tables[2] != tables[3]);
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("; ").toStdString();
    // The analysis erases a copy: the document window still holds every speckle.
    tool->AnalysisButton->click();
    EXPECT_EQ(Save(1), tables[1]);
}

// Save asks for a data file, confirming an overwrite; cancelling writes nothing. Saving before an
// analysis, after the window hid, or without a picture to analyse reports it; the window opens
// on its "Analysis" page.
TEST_F(SpeckleTool, SaveNeedsAnAnalysisAndAsksBeforeOverwriting) {
    frame->Trigger("SpeckleAnalysisAction");
    tool->AnalysisButton->click(); // no picture
    tool->SaveButton->click();     // nothing analysed
    OpenSpeckles();
    tool->AnalysisButton->click();
    frame->Dialogs.QueueFileCancel();
    tool->SaveButton->click();
    const auto requests = frame->Dialogs.FileRequests();
    ASSERT_EQ(requests.size(), 2u); // the picture, then the table
    EXPECT_EQ(requests[1].Filter, QStringLiteral("data file(*.dat)|*.dat|All files( *.*)|*.*"));
    EXPECT_EQ(requests[1].DefaultExt, QStringLiteral("*.dat"));
    EXPECT_TRUE(requests[1].ConfirmOverwrite);
    for (const auto& entry : std::filesystem::directory_iterator(frame->Dir.Path()))
        EXPECT_NE(entry.path().extension(), ".dat") << entry.path();

    tool->PageControl->setCurrentWidget(tool->OutputPage);
    tool->CloseButton->click();
    EXPECT_EQ(tool->Statistics(), nullptr);
    frame->Trigger("SpeckleAnalysisAction");
    EXPECT_EQ(tool->PageControl->currentWidget(), tool->AnalysisPage);
    tool->SaveButton->click();
    tool->MaxPixelyEdit->setText(QStringLiteral("0"));
    tool->AnalysisButton->click();
    EXPECT_EQ(tool->Statistics(), nullptr);
    tool->MaxPixelyEdit->setText(QStringLiteral("thirty"));
    tool->AnalysisButton->click();

    const QStringList errors = frame->Dialogs.Errors();
    ASSERT_EQ(errors.size(), 5);
    EXPECT_EQ(errors[0], QStringLiteral("Open an file and then analysis"));
    EXPECT_EQ(errors[1], QStringLiteral("Analysis first"));
    EXPECT_EQ(errors[2], QStringLiteral("Analysis first"));
    EXPECT_EQ(errors[3], QStringLiteral("The largest speckle size must be at least 1 pixel"));
    EXPECT_EQ(errors[4], QStringLiteral("Max Pixely: 'thirty' is not a valid integer value"));
}

} // namespace
} // namespace corvane
