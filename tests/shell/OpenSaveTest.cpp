// Opening pictures into document windows and saving them: BMP, RAW and float maps.
#include "support/GreyPictures.h"
#include "support/ui/TestMainForm.h"

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/TMDIChildForm.h"
#include "shell/TRawOptionForm.h"

#include <QtWidgets>

#include <cmath>

using namespace corvane::test;
using Kind = ScriptedDialogs::Kind;
using OpenPicture = FrameTest;
using FloatMaps = FrameTest;

/// A grey picture whose value at (x, y) is (7x + 3y) mod 256.
static std::unique_ptr<corvane::TGrayImage> Ramp(int width, int height) {
    return MakeGreyPicture(width, height, [](int x, int y) { return (7 * x + 3 * y) % 256; });
}

static std::string Bytes(const corvane::TGrayImage& gray) {
    return std::string(reinterpret_cast<const char*>(gray.Data), static_cast<std::size_t>(gray.Size));
}

static std::string WindowBytes(const corvane::ui::TMDIChildForm& window) {
    std::unique_ptr<corvane::TGrayImage> gray;
    window.GetGrayImage(gray);
    return Bytes(*gray);
}

/// Answers the RAW options dialog with the given field texts and OK, or without texts with Cancel.
static std::function<int(QDialog&)> RawAnswer(QString header = {}, QString width = {}, QString height = {}) {
    return [=](QDialog& dialog) {
        if (header.isNull()) return int(QDialog::Rejected);
        auto& form = dynamic_cast<corvane::ui::TRawOptionForm&>(dialog);
        form.HeaderEdit->setText(header);
        form.WidthEdit->setText(width);
        form.HeightEdit->setText(height);
        return int(QDialog::Accepted);
    };
}

const QString kRawMessage = "The Raw File's Information:\n Header, Width, Height\n 0,  640,  480\n";

TEST_F(OpenPicture, BmpOpensIntoAWindowCaptionedWithItsFullName) {
    const QString name = frame->File("ramp.bmp");
    Ramp(320, 240)->SaveBmp(name.toStdString());
    frame->TriggerWithFile("FileOpenAction", name);
    const auto request = frame->Dialogs.FileRequests().at(0);
    EXPECT_EQ(request.Filter,
              "Bitmaps (*.bmp)|*.bmp|Raw files(*.raw)|*.raw|TIFF and PNG pictures (*.tif *.tiff "
              "*.png)|*.tif;*.tiff;*.png|All files( *.* ) |*.*");
    EXPECT_EQ(request.DefaultExt, "*.bmp");
    ASSERT_EQ(frame->Form->MDIChildCount(), 1);
    EXPECT_EQ(frame->Active().Caption(), name);
    EXPECT_EQ(frame->Active().size(), QSize(320, 240));
    EXPECT_EQ(WindowBytes(frame->Active()), Bytes(*Ramp(320, 240)));
    // A picture too large for the place the area offers starts at the cascade position.
    Ramp(900, 700)->SaveBmp(name.toStdString());
    frame->Form->CreateMDIChild(name);
    EXPECT_EQ(frame->Active().SubWindow()->pos(), QPoint(24, 24));
    EXPECT_TRUE(frame->Dialogs.Errors().empty());
}

TEST_F(OpenPicture, RawUsesTheOptionsDialogFieldsShortFilesEndInBlackCancelOrBadFieldsMakeNoWindow) {
    const QString name = frame->File("ramp.raw");
    WriteFileBytes(name.toStdString(), "HDR" + Bytes(*Ramp(20, 10)));
    // Cancel, a field that is no number, then two rows more than the file holds.
    for (const auto& answer : {RawAnswer(), RawAnswer("3", "abc", "10"), RawAnswer("3", "20", "12")}) {
        frame->Dialogs.QueueModal(answer);
        frame->TriggerWithFile("FileOpenAction", name, 2);
    }
    EXPECT_EQ(frame->Dialogs.Texts(Kind::Modal), QStringList(3, "RawOptionForm"));
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"Width: 'abc' is not a valid integer value"});
    ASSERT_EQ(frame->Form->MDIChildCount(), 1);
    EXPECT_EQ(WindowBytes(frame->Active()), Bytes(*Ramp(20, 10)) + std::string(40, '\0'));
}

class SavePicture : public FrameTest {
  protected:
    void SetUp() override { frame->Form->ShowInRole("raw image:One Image", *Ramp(640, 480)); }
};

TEST_F(SavePicture, SaveAsWritesBmpSilentlyRawWithTheInformationAndRefusesOtherExtensions) {
    frame->TriggerWithFile("FileSaveAsAction", frame->File("out"), 1); // the first filter adds ".bmp"
    EXPECT_EQ(frame->Dialogs.FileRequests()[0].Filter,
              "Bitmaps (*.bmp)|*.bmp|Raw files( *.raw )|*.raw|All files(*.*)|*.*");
    EXPECT_TRUE(frame->Dialogs.Informations().empty());
    EXPECT_EQ(Bytes(corvane::TGrayImage(frame->File("out.bmp").toStdString())), Bytes(*Ramp(640, 480)));

    const QString raw = frame->File("out.raw");
    frame->TriggerWithFile("FileSaveAsAction", raw, 2);
    EXPECT_EQ(ReadFileBytes(raw.toStdString()), Bytes(*Ramp(640, 480)));
    EXPECT_EQ(frame->Dialogs.Informations(), QStringList{kRawMessage + raw});

    frame->TriggerWithFile("FileSaveAsAction", frame->File("out.png"), 3);
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"only support raw and bmp files"});
    EXPECT_EQ(frame->Dialogs.Informations().size(), 1);
    EXPECT_FALSE(QFile::exists(frame->File("out.png")));
}

TEST_F(FloatMaps, SaveAsFloatThenOpenFloatImageShowsTheSamePicture) {
    auto gray = Ramp(64, 48);
    gray->Data[0] = 0; // full range, so the min-max display gives the same levels back
    gray->Data[1] = 255;
    frame->Form->ShowInRole("phase:One Image", *gray);
    const QString name = frame->File("phase");
    frame->TriggerWithFile("SaveAsFloatAction", name, 1);
    const auto request = frame->Dialogs.FileRequests().at(0);
    EXPECT_EQ(request.Title, "Save image to Float");
    EXPECT_EQ(
        request.Filter,
        "Float Format(*.flt)|*.flt|Codes File(*.cod)|*.cod|Match Result(*.dat)|*.dat|All files(*.*)|*.*");
    EXPECT_EQ(request.DefaultExt, "*.flt");
    const corvane::TFloatImage map((name + ".flt").toStdString());
    EXPECT_FLOAT_EQ(map.GetPixel(0, 0), static_cast<float>(-3.1415926535897));
    EXPECT_FLOAT_EQ(map.GetPixel(1, 0), static_cast<float>(3.1415926535897));

    QDir::setCurrent(QDir::rootPath());
    frame->TriggerWithFile("FloatFileOpenAction", name + ".flt", 2);
    EXPECT_EQ(frame->Dialogs.FileRequests().at(1).FilterIndex, 2);
    EXPECT_EQ(frame->Dialogs.FileRequests().at(1).Filter,
              "CorRelation Config Files(*.cor)|*.cor|Float Image(*.flt)|*.flt|Codes File( *.cod )|*.cod|All "
              "files(*.*)|*.*");
    EXPECT_EQ(QDir::current(), QDir(frame->File("")));
    ASSERT_EQ(frame->Form->MDIChildCount(), 2);
    EXPECT_EQ(frame->Active().Caption(), name + ".flt");
    const std::string shown = WindowBytes(frame->Active());
    ASSERT_EQ(shown.size(), std::size_t(gray->Size));
    for (int i = 0; i < gray->Size; ++i) // float rounding: one level
        ASSERT_LE(std::abs(std::uint8_t(shown[i]) - int(gray->Data[i])), 1) << i;
    EXPECT_TRUE(frame->Dialogs.Errors().empty());
}
