// Opening pictures into document windows and saving them: BMP, RAW and float maps.
#include "support/TestSupport.h"
#include "support/ui/TestMainForm.h"

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/BitmapOps.h"
#include "shell/TMDIChildForm.h"
#include "shell/TRawOptionForm.h"

#include <QDir>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <cmath>

using corvane::test::MakeTestMainForm;
using corvane::test::TestMainForm;
using Kind = corvane::test::ScriptedDialogs::Kind;

namespace {

/// A grey picture whose value at (x, y) is (7x + 3y) mod 256.
std::unique_ptr<corvane::TGrayImage> Ramp(int width, int height) {
    auto gray = std::make_unique<corvane::TGrayImage>(nullptr, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            gray->Data[y * width + x] = static_cast<std::uint8_t>((7 * x + 3 * y) % 256);
    return gray;
}

std::string RampBytes(int width, int height) {
    auto gray = Ramp(width, height);
    return std::string(reinterpret_cast<const char*>(gray->Data), static_cast<std::size_t>(gray->Size));
}

/// Answers the RAW options dialog with the given field texts and OK.
std::function<int(QDialog&)> RawAnswer(QString header, QString width, QString height) {
    return [=](QDialog& dialog) {
        auto& form = dynamic_cast<corvane::ui::TRawOptionForm&>(dialog);
        form.HeaderEdit->setText(header);
        form.WidthEdit->setText(width);
        form.HeightEdit->setText(height);
        return int(QDialog::Accepted);
    };
}

void ExpectWindowShowsRamp(const corvane::ui::TMDIChildForm& window, int width, int height) {
    ASSERT_EQ(window.Bitmap().size(), QSize(width, height));
    std::unique_ptr<corvane::TGrayImage> gray;
    window.GetGrayImage(gray);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(gray->Data), static_cast<std::size_t>(gray->Size)),
              RampBytes(width, height));
}

} // namespace

TEST(OpenPicture, BmpOpensIntoAWindowCaptionedWithItsFullName) {
    auto frame = MakeTestMainForm();
    const QString name = frame->File("ramp.bmp");
    Ramp(320, 240)->SaveBmp(name.toStdString());
    frame->Dialogs.QueueFile(name);
    frame->Trigger("FileOpenAction");
    const auto requests = frame->Dialogs.FileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Filter, "Bitmaps (*.bmp)|*.bmp|Raw files(*.raw)|*.raw|All files( *.* ) |*.*");
    EXPECT_EQ(requests[0].DefaultExt, "*.bmp");
    ASSERT_EQ(frame->Form->MDIChildCount(), 1);
    EXPECT_EQ(frame->Active().Caption(), name);
    EXPECT_EQ(frame->Active().Zoom(), 1);
    ExpectWindowShowsRamp(frame->Active(), 320, 240);
    EXPECT_EQ(frame->Active().size(), QSize(320, 240));  // the client area fits the picture
}

TEST(OpenPicture, DamagedBmpShowsTheLoaderMessageAndMakesNoWindow) {
    auto frame = MakeTestMainForm();
    const QString name = frame->File("broken.bmp");
    corvane::test::WriteFileBytes(name.toStdString(), "BMnot really a bitmap");
    frame->Dialogs.QueueFile(name);
    frame->Trigger("FileOpenAction");
    ASSERT_EQ(frame->Dialogs.Errors().size(), 1);
    EXPECT_TRUE(frame->Dialogs.Errors()[0].startsWith(name + ": ")) << frame->Dialogs.Errors()[0].toStdString();
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);
    // The program goes on: the next open works.
    const QString good = frame->File("good.bmp");
    Ramp(8, 8)->SaveBmp(good.toStdString());
    frame->Dialogs.QueueFile(good);
    frame->Trigger("FileOpenAction");
    EXPECT_EQ(frame->Form->MDIChildCount(), 1);
    EXPECT_EQ(frame->Dialogs.Errors().size(), 1);
}

TEST(OpenPicture, RawUsesTheOptionsDialogFieldsAndAShortFileEndsInBlack) {
    auto frame = MakeTestMainForm();
    const QString name = frame->File("ramp.raw");
    corvane::test::WriteFileBytes(name.toStdString(), "HDR" + RampBytes(20, 10));
    frame->Dialogs.QueueFile(name, 2);
    frame->Dialogs.QueueModal(RawAnswer("3", "20", "10"));
    frame->Trigger("FileOpenAction");
    EXPECT_EQ(frame->Dialogs.Texts(Kind::Modal), QStringList{"RawOptionForm"});
    ASSERT_EQ(frame->Form->MDIChildCount(), 1);
    ExpectWindowShowsRamp(frame->Active(), 20, 10);

    // Two more rows than the file holds: the missing pixels are 0.
    frame->Dialogs.QueueFile(name, 2);
    frame->Dialogs.QueueModal(RawAnswer("3", "20", "12"));
    frame->Trigger("FileOpenAction");
    ASSERT_EQ(frame->Form->MDIChildCount(), 2);
    std::unique_ptr<corvane::TGrayImage> gray;
    frame->Active().GetGrayImage(gray);
    EXPECT_EQ(gray->GetPixel(19, 9), (7 * 19 + 27) % 256);
    EXPECT_EQ(gray->GetPixel(5, 10), 0);
    EXPECT_EQ(gray->GetPixel(19, 11), 0);
}

TEST(OpenPicture, RawCancelledOrWithANonNumericFieldMakesNoWindow) {
    auto frame = MakeTestMainForm();
    const QString name = frame->File("data.raw");
    corvane::test::WriteFileBytes(name.toStdString(), std::string(64, '\x10'));
    frame->Dialogs.QueueFile(name);
    frame->Dialogs.QueueModal([](QDialog&) { return int(QDialog::Rejected); });
    frame->Trigger("FileOpenAction");
    frame->Dialogs.QueueFile(name);
    frame->Dialogs.QueueModal(RawAnswer("0", "abc", "8"));
    frame->Trigger("FileOpenAction");
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"'abc' is not a valid integer value"});
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);
}

TEST(OpenPicture, OtherNamesMakeAnEmptyWindowWithThatCaption) {
    auto frame = MakeTestMainForm();
    frame->Form->CreateMDIChild("FFT Spectra");
    ASSERT_EQ(frame->Form->MDIChildCount(), 1);
    EXPECT_EQ(frame->Active().Caption(), "FFT Spectra");
    EXPECT_TRUE(frame->Active().Bitmap().isNull());
    EXPECT_TRUE(frame->Dialogs.Log.empty());
}

class SavePicture : public ::testing::Test {
protected:
    void SetUp() override {
        frame = MakeTestMainForm();
        auto gray = Ramp(640, 480);
        frame->Form->ShowInRole("raw image:One Image", *gray);
    }
    std::unique_ptr<TestMainForm> frame;
};

TEST_F(SavePicture, SaveAsBmpWritesTheWindowAs24BitWithoutMessage) {
    const QString name = frame->File("out");  // the first filter adds ".bmp"
    frame->Dialogs.QueueFile(name, 1);
    frame->Trigger("FileSaveAsAction");
    EXPECT_TRUE(frame->Dialogs.Informations().empty());
    corvane::TGrayImage back((name + ".bmp").toStdString());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.Data), 640 * 480), RampBytes(640, 480));
    EXPECT_EQ(frame->Dialogs.FileRequests()[0].Filter,
              "Bitmaps (*.bmp)|*.bmp|Raw files( *.raw )|*.raw|All files(*.*)|*.*");
}

TEST_F(SavePicture, SaveAsRawWritesPixelsAndShowsTheInformation) {
    const QString name = frame->File("out.raw");
    frame->Dialogs.QueueFile(name, 2);
    frame->Trigger("FileSaveAsAction");
    EXPECT_EQ(corvane::test::ReadFileBytes(name.toStdString()), RampBytes(640, 480));
    EXPECT_EQ(frame->Dialogs.Informations(),
              QStringList{"The Raw File's Information:\n Header, Width, Height\n 0,  640,  480\n" + name});
}

TEST_F(SavePicture, SaveAsAnotherExtensionIsRefused) {
    const QString name = frame->File("out.png");
    frame->Dialogs.QueueFile(name, 3);
    frame->Trigger("FileSaveAsAction");
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"only support raw and bmp files"});
    EXPECT_TRUE(frame->Dialogs.Informations().empty());
    EXPECT_FALSE(QFile::exists(name));
}

TEST_F(SavePicture, SaveOfARoleWindowAsksAndWritesRawUnderTheReplacedExtension) {
    const QString name = frame->File("picture.dat");
    frame->Dialogs.QueueFile(name, 3);
    frame->Trigger("SaveAction");
    EXPECT_EQ(frame->Dialogs.FileRequests().size(), 1u);
    EXPECT_EQ(corvane::test::ReadFileBytes(frame->File("picture.raw").toStdString()), RampBytes(640, 480));
    EXPECT_EQ(frame->Dialogs.Informations(),
              QStringList{"The Raw File's Information:\n Header, Width, Height\n 0,  640,  480\n" + name});
    frame->Dialogs.QueueFileCancel();
    frame->Trigger("SaveAction");
    EXPECT_EQ(frame->Dialogs.Informations().size(), 1);
}

TEST(SaveExisting, SaveOnAnOpenedFileUsesNoDialog) {
    auto frame = MakeTestMainForm();
    const QString name = frame->File("ramp.bmp");
    Ramp(16, 8)->SaveBmp(name.toStdString());
    frame->Form->CreateMDIChild(name);
    frame->Trigger("InvertAction");
    frame->Trigger("SaveAction");
    EXPECT_TRUE(frame->Dialogs.FileRequests().empty());
    EXPECT_TRUE(frame->Dialogs.Errors().empty());
    corvane::TGrayImage back(name.toStdString());
    EXPECT_EQ(back.GetPixel(3, 2), 255 - (21 + 6));
}

TEST(FloatMaps, SaveAsFloatThenOpenFloatImageShowsTheSamePicture) {
    auto frame = MakeTestMainForm();
    auto gray = Ramp(64, 48);
    gray->Data[0] = 0;    // full range, so the min-max display gives the same levels back
    gray->Data[1] = 255;
    frame->Form->ShowInRole("phase:One Image", *gray);
    const QString name = frame->File("phase");
    frame->Dialogs.QueueFile(name, 1);
    frame->Trigger("SaveAsFloatAction");
    const auto request = frame->Dialogs.FileRequests().at(0);
    EXPECT_EQ(request.Title, "Save image to Float");
    EXPECT_EQ(request.FilterIndex, 1);
    EXPECT_EQ(request.DefaultExt, "*.flt");
    const corvane::TFloatImage map((name + ".flt").toStdString());
    EXPECT_FLOAT_EQ(map.GetPixel(0, 0), static_cast<float>(-3.1415926535897));
    EXPECT_FLOAT_EQ(map.GetPixel(1, 0), static_cast<float>(3.1415926535897));

    QDir::setCurrent(QDir::rootPath());
    frame->Dialogs.QueueFile(name + ".flt", 2);
    frame->Trigger("FloatFileOpenAction");
    EXPECT_EQ(frame->Dialogs.FileRequests().at(1).FilterIndex, 2);
    EXPECT_EQ(QDir::current(), QDir(frame->File("")));
    ASSERT_EQ(frame->Form->MDIChildCount(), 2);
    EXPECT_EQ(frame->Active().Caption(), name + ".flt");
    std::unique_ptr<corvane::TGrayImage> shown;
    frame->Active().GetGrayImage(shown);
    ASSERT_EQ(shown->Size, gray->Size);
    int maxDifference = 0;
    for (int i = 0; i < shown->Size; ++i)
        maxDifference = std::max(maxDifference, std::abs(int(shown->Data[i]) - int(gray->Data[i])));
    EXPECT_LE(maxDifference, 1);  // float rounding may move a level by one
    EXPECT_TRUE(frame->Dialogs.Errors().empty());
}
