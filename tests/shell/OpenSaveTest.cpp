// Opening pictures into document windows and saving them: BMP, RAW (and its options dialog), TIFF
// and PNG (and the 16-bit rule dialog, Export PNG), float maps.
#include "support/GreyPictures.h"
#include "support/TiffPngPictures.h"
#include "support/ui/TestMainForm.h"

#include "image/PictureSamples.h"
#include "image/TFloatImage.h"
#include "shell/TRawOptionForm.h"
#include "shell/TSixteenBitOptionForm.h"
#include "shell/TWorkbenchSettings.h"

#include <QtWidgets>

#include <tiffio.h>

#include <cmath>

using namespace corvane::test;
using Kind = ScriptedDialogs::Kind;
using OpenSave = FrameTest;
using corvane::ui::GuessRawDimensions;
using corvane::ui::TRawOptionForm;

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

TEST_F(OpenSave, BmpOpensIntoAWindowCaptionedWithItsFullNameRawThroughTheOptionsDialog) {
    const QString name = frame->File("ramp.bmp");
    RampPicture(320, 240)->SaveBmp(name.toStdString());
    frame->TriggerWithFile("FileOpenAction", name);
    const auto request = frame->Dialogs.FileRequests().at(0);
    EXPECT_EQ(request.Filter,
              "Bitmaps (*.bmp)|*.bmp|Raw files(*.raw)|*.raw|TIFF and PNG pictures (*.tif *.tiff "
              "*.png)|*.tif;*.tiff;*.png|All files( *.* ) |*.*");
    EXPECT_EQ(request.DefaultExt, "*.bmp");
    ASSERT_EQ(frame->Form->MDIChildCount(), 1);
    EXPECT_EQ(frame->Active().Caption(), name);
    EXPECT_EQ(WindowBytes(frame->Active()), Bytes(*RampPicture(320, 240)));
    // A picture too large for the place the area offers starts at the cascade position.
    RampPicture(900, 700)->SaveBmp(name.toStdString());
    frame->Form->CreateMDIChild(name);
    EXPECT_EQ(frame->Active().SubWindow()->pos(), QPoint(24, 24));

    // RAW uses the options dialog's fields: Cancel or a field that is no number makes no window, two
    // rows more than the file holds end in black.
    const QString raw = frame->File("ramp.raw");
    WriteFileBytes(raw.toStdString(), "HDR" + Bytes(*RampPicture(20, 10)));
    for (const auto& answer : {RawAnswer(), RawAnswer("3", "abc", "10"), RawAnswer("3", "20", "12")}) {
        frame->Dialogs.QueueModal(answer);
        frame->TriggerWithFile("FileOpenAction", raw, 2);
    }
    EXPECT_EQ(frame->Dialogs.Texts(Kind::Modal), QStringList(3, "RawOptionForm"));
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"Width: 'abc' is not a valid integer value"});
    ASSERT_EQ(frame->Form->MDIChildCount(), 3);
    EXPECT_EQ(WindowBytes(frame->Active()), Bytes(*RampPicture(20, 10)) + std::string(40, '\0'));
}

TEST_F(OpenSave, SaveAsWritesBmpSilentlyRawWithTheInformationAndRefusesOtherExtensions) {
    frame->Form->ShowInRole("raw image:One Image", *RampPicture(640, 480));
    frame->TriggerWithFile("FileSaveAsAction", frame->File("out"), 1); // the first filter adds ".bmp"
    EXPECT_EQ(frame->Dialogs.FileRequests()[0].Filter,
              "Bitmaps (*.bmp)|*.bmp|Raw files( *.raw )|*.raw|All files(*.*)|*.*");
    EXPECT_TRUE(frame->Dialogs.Informations().empty());
    EXPECT_EQ(Bytes(corvane::TGrayImage(frame->File("out.bmp").toStdString())),
              Bytes(*RampPicture(640, 480)));

    const QString raw = frame->File("out.raw");
    frame->TriggerWithFile("FileSaveAsAction", raw, 2);
    EXPECT_EQ(ReadFileBytes(raw.toStdString()), Bytes(*RampPicture(640, 480)));
    EXPECT_EQ(frame->Dialogs.Informations(), QStringList{kRawMessage + raw});

    frame->TriggerWithFile("FileSaveAsAction", frame->File("out.png"), 3);
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"only support raw and bmp files"});
    EXPECT_EQ(frame->Dialogs.Informations().size(), 1);
    EXPECT_FALSE(QFile::exists(frame->File("out.png")));
}

TEST_F(OpenSave, SaveAsFloatThenOpenFloatImageShowsTheSamePicture) {
    auto gray = RampPicture(64, 48);
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

namespace {

int WindowPixel(const corvane::ui::TMDIChildForm& window, int x, int y) {
    return qRed(window.Bitmap().pixel(x, y));
}

/// Answers the 16-bit dialog: records which rule it offered, then picks rule (or cancels).
std::function<int(QDialog&)> RuleAnswer(std::optional<corvane::SixteenBitScaling> rule,
                                        corvane::SixteenBitScaling* offered) {
    return [=](QDialog& dialog) {
        auto& form = dynamic_cast<corvane::ui::TSixteenBitOptionForm&>(dialog);
        *offered = form.Scaling();
        if (!rule) return int(QDialog::Rejected);
        (*rule == corvane::SixteenBitScaling::Full ? form.FullRadioButton : form.RangeRadioButton)->click();
        form.Button1->click();
        return form.result();
    };
}

} // namespace

TEST_F(OpenSave, SixteenBitPicturesAskTheRuleWhichIsRememberedEightBitOnesOpenDirectly) {
    const SamplePicture picture = MakeSamplePicture(
        9, 6, 16, 1, [](int x, int y, int) { return 1000 + 257 * (x * 23 + y * 5) + (x % 2) * 129; });
    const QString tiff = frame->File("pages.tif");
    WriteTiffPicture(tiff.toStdString(), picture, {.Compression = COMPRESSION_LZW, .Pages = 2});
    const QString png = frame->File("one.png");
    WritePngPicture(png.toStdString(), picture);

    // Pixel (1, 0), 7040, shows 27 by the full range and 29 by the picture's own range 1000 ... 54713.
    corvane::SixteenBitScaling offered{};
    frame->Dialogs.QueueModal(RuleAnswer(corvane::SixteenBitScaling::Full, &offered));
    frame->TriggerWithFile("FileOpenAction", tiff);
    EXPECT_EQ(offered, corvane::kDefaultSixteenBitScaling);
    auto* window = frame->Window(tiff + " (first page of 2)");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Bitmap().size(), QSize(9, 6));
    EXPECT_EQ(WindowPixel(*window, 1, 0), 27);

    // The rule chosen is kept in the settings file and offered for the next 16-bit picture.
    QSettings stored(frame->SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(corvane::ui::TWorkbenchSettings(stored).ReadSixteenBitScaling(),
              corvane::SixteenBitScaling::Full);
    frame->Dialogs.QueueModal(RuleAnswer(corvane::SixteenBitScaling::Range, &offered));
    frame->TriggerWithFile("FileOpenAction", png);
    EXPECT_EQ(offered, corvane::SixteenBitScaling::Full);
    window = frame->Window(png);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowPixel(*window, 1, 0), 29);
    // Export PNG writes the window's picture, grey or colour as shown.
    frame->TriggerWithFile("ExportPngAction", frame->File("grey-export"));
    EXPECT_EQ(frame->Dialogs.FileRequests().back().DefaultExt, "*.png");
    const QImage greyPng(frame->File("grey-export.png"));
    EXPECT_TRUE(greyPng.isGrayscale());
    EXPECT_EQ(greyPng.convertToFormat(QImage::Format_RGB888), window->Bitmap());
    QImage colour(13, 5, QImage::Format_RGB888);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x)
            colour.setPixel(x, y, qRgb(x * 19, y * 50, 200 - x));
    window->SetBitmap(colour);
    frame->TriggerWithFile("ExportPngAction", frame->File("colour.png"));
    EXPECT_EQ(QImage(frame->File("colour.png")).convertToFormat(QImage::Format_RGB888), colour);

    // Cancel opens nothing; an 8-bit picture asks nothing (an unscripted dialog fails the test).
    frame->Dialogs.QueueModal(RuleAnswer(std::nullopt, &offered));
    frame->TriggerWithFile("FileOpenAction", png);
    EXPECT_EQ(offered, corvane::SixteenBitScaling::Range);
    EXPECT_EQ(frame->Form->MDIChildCount(), 2);
    const QString eight = frame->File("eight.tiff");
    WriteTiffPicture(eight.toStdString(), MakeSamplePicture(9, 6, 8, 3, [](int x, int y, int c) {
                         return c == 0 ? 10 * x + y : 0;
                     }));
    frame->TriggerWithFile("FileOpenAction", eight);
    ASSERT_NE(frame->Window(eight), nullptr);
    EXPECT_EQ(WindowPixel(*frame->Window(eight), 8, 5), 28); // red 85 of three channels
    EXPECT_EQ(frame->Dialogs.Count(Kind::Modal), 3);
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty());
}

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

// Guess proposes the most nearly square factorisation of the bytes after the header; without a
// divisor (a prime size, no header), with a header that is no number or one larger than the file
// it leaves the fields as they were. Swap exchanges them.
TEST(RawOptions, GuessProposesTheMostNearlySquareFactorisationOrLeavesTheFields) {
    for (auto [bytes, header, size] : {std::tuple{786432, "0", "1024 x 768"},
                                       {307200, "0", "600 x 512"},
                                       {307200 + 100, "100", "600 x 512"},
                                       {1009, "0", "33 x 512"},
                                       {1009, "x1", "33 x 512"},
                                       {1009, "5000", "33 x 512"}}) {
        RawDialog raw(static_cast<std::size_t>(bytes));
        raw.form->WidthEdit->setText("33");
        raw.form->HeaderEdit->setText(header);
        raw.form->Button4->click();
        EXPECT_EQ(Size(*raw.form).toStdString(), size) << bytes << " " << header;
        EXPECT_EQ(raw.dialogs.Errors().size(), header == std::string("x1")) << header;
        raw.form->Button3->click();
        EXPECT_EQ((raw.form->HeightEdit->text() + " x " + raw.form->WidthEdit->text()).toStdString(), size);
    }
    EXPECT_FALSE(GuessRawDimensions(3));
    EXPECT_EQ(GuessRawDimensions(4), std::make_pair(std::int64_t{2}, std::int64_t{2}));
    // The divisor may reach just past the square root: 6 = 2 x 3 (limit floor(2.45 + 2) = 4).
    EXPECT_EQ(GuessRawDimensions(6), std::make_pair(std::int64_t{3}, std::int64_t{2}));
}
