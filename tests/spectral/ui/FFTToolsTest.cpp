// The forward and inverse FFT tools driven as a user would: named controls, the frame's
// commands and scripted dialogs.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/TMDIChildForm.h"
#include "spectral/TMyFFT.h"
#include "spectral/ui/TForwardFFTForm.h"
#include "spectral/ui/TInverseFFTForm.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

using test::ProcessEvents;
using Kind = test::ScriptedDialogs::Kind;
using Pattern = std::function<double(int x, int y)>;

std::uint8_t Texture(int x, int y) { return static_cast<std::uint8_t>((x * 7 + y * 13 + x * y) % 251); }

class FFTTools : public ::testing::Test {
protected:
    void SetUp() override {
        frame = test::MakeTestMainForm();
        forward = new ui::TForwardFFTForm(*frame->Form);
        inverse = new ui::TInverseFFTForm(*frame->Form);
    }
    void TearDown() override { frame->Destroy(); }

    QString Picture(const QString& name, int w, int h, const Pattern& grey) const {
        TGrayImage image(nullptr, w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) image.Data[y * w + x] = static_cast<std::uint8_t>(grey(x, y));
        image.SaveBmp(frame->File(name).toStdString());
        return frame->File(name);
    }
    QString Spectrum(const QString& name, int w, int h) const {
        TFloatImage map(nullptr, w, h);
        map.SaveFlt(frame->File(name).toStdString());
        return frame->File(name);
    }
    ui::TMDIChildForm* Window(const char* caption) const {
        const int index = frame->Form->FindMDIChild(QString::fromLatin1(caption));
        return index < 0 ? nullptr : frame->Form->MDIChild(index);
    }
    static int Grey(const ui::TMDIChildForm& window, int x, int y) { return qRed(window.Bitmap().pixel(x, y)); }

    // Forward tool: transform the named picture and save both parts under Zr.flt / Zi.flt.
    void TransformAndSave(const QString& picture) {
        frame->Trigger("FFTAction");
        forward->FileNameEdit->setText(picture);
        forward->ZrEdit->setText(frame->File("Zr.flt"));
        forward->ZiEdit->setText(frame->File("Zi.flt"));
        forward->SaveZrZiCheckBox->setChecked(true);
        forward->FFTButton->click();
        forward->CloseButton->click();
    }
    void OpenInInverse() {
        frame->Trigger("InverseFFTAction");
        frame->Dialogs.QueueFile(frame->File("Zr.flt"));
        frame->Dialogs.QueueFile(frame->File("Zi.flt"));
        inverse->ZrButton->click();
        inverse->ZiButton->click();
        ASSERT_EQ(inverse->ZiEdit->text(), frame->File("Zi.flt"));
    }
    std::unique_ptr<TFloatImage> SaveInverseRealPart() {
        frame->Dialogs.QueueFile(frame->File("back"));
        inverse->SaveInverseFFTrealpartto1->trigger();
        return std::make_unique<TFloatImage>(frame->File("back.flt").toStdString());
    }

    std::unique_ptr<test::TestMainForm> frame;
    ui::TForwardFFTForm* forward = nullptr;
    ui::TInverseFFTForm* inverse = nullptr;
};

// Zr and Zi of a picture, transformed back with no filter, show the squared grey values scaled
// linearly, and the saved real part is the cropped picture again.
TEST_F(FFTTools, ForwardThenInverseWithoutFilterGivesThePictureBack) {
    const QString picture = Picture("in.bmp", 70, 40, [](int x, int y) { return Texture(x, y); });
    frame->Dialogs.QueueFile(picture);
    frame->Trigger("FFTAction");
    forward->BrowseFileNameButton->click();
    EXPECT_EQ(forward->FileNameEdit->text(), picture);
    TransformAndSave(picture);
    EXPECT_EQ(frame->Dialogs.Count(Kind::Beep), 1);

    OpenInInverse();
    inverse->InverseFFTButton->click();
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("; ").toStdString();
    EXPECT_EQ(frame->Dialogs.Count(Kind::Beep), 2);
    const ui::TMDIChildForm* result = Window("IFFT Spectra");
    ASSERT_NE(result, nullptr);
    ASSERT_EQ(result->Bitmap().size(), QSize(64, 32));
    double maxSquare = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) maxSquare = std::max(maxSquare, double(Texture(x, y)) * Texture(x, y));
    for (int y = 0; y < 32; y += 3)
        for (int x = 0; x < 64; x += 5)
            EXPECT_NEAR(Grey(*result, x, y), std::floor(Texture(x, y) * Texture(x, y) * 255.0 / maxSquare), 1.0)
                << x << "," << y;

    const auto back = SaveInverseRealPart();
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_NEAR(back->GetPixel(x, y), Texture(x, y), 1e-2) << x << "," << y;
}

// Around the spectrum centre the circle keeps the slow grating and drops the fine one.
TEST_F(FFTTools, CircleAroundTheCentreIsALowPass) {
    const auto slow = [](int x) { return 40 * std::cos(2 * M_PI * 2 * x / 64); };
    const QString picture = Picture("stripes.bmp", 64, 32, [&](int x, int) {
        return 128 + slow(x) + 40 * std::cos(2 * M_PI * 16 * x / 64);
    });
    TransformAndSave(picture);
    OpenInInverse();
    inverse->CircleFilterCheckBox->click();
    inverse->CenterXEdit->setText("32");
    inverse->CenterYEdit->setText("16");
    inverse->RadiusEdit->setText("5");
    inverse->InverseFFTButton->click();
    ASSERT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("; ").toStdString();
    ASSERT_NE(Window("IFFT Spectra"), nullptr);
    const auto back = SaveInverseRealPart();
    // The picture holds truncated grey levels, so the kept part is near, not equal to, the grating.
    for (int y = 0; y < 32; y += 7)
        for (int x = 0; x < 64; ++x) ASSERT_NEAR(back->GetPixel(x, y), 128 + slow(x), 1.0) << x << "," << y;
}

TEST_F(FFTTools, LargePictureIsTransformedAtPowersOfTwoInOneReusedWindow) {
    const QString picture = Picture("big.bmp", 640, 480, [](int x, int y) { return Texture(x, y); });
    frame->Dialogs.QueueFile(picture);
    frame->Trigger("FFTAction");
    forward->BrowseFileNameButton->click();
    forward->FFTButton->click();
    ASSERT_NE(Window("FFT Spectra"), nullptr);
    EXPECT_EQ(Window("FFT Spectra")->Bitmap().size(), QSize(512, 256));
    EXPECT_EQ(Window("Original Image")->Bitmap().size(), QSize(640, 480));
    const int windows = frame->Form->MDIChildCount();
    ASSERT_NE(forward->HeldTransform(), nullptr);
    forward->FFTButton->click();
    EXPECT_EQ(frame->Form->MDIChildCount(), windows);
    EXPECT_NE(forward->HeldTransform(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(frame->File("Zr.flt").toStdString()));
    EXPECT_EQ(frame->Dialogs.Count(Kind::Beep), 2);
}

// Both FFT commands are off while a tool is shown, document windows only minimise meanwhile,
// and hiding releases what the tool held so that the save items do nothing.
TEST_F(FFTTools, ShownToolLocksCommandsAndHidingReleasesTheTransform) {
    QAction* fftAction = frame->Form->Action("FFTAction");
    QAction* inverseAction = frame->Form->Action("InverseFFTAction");
    ASSERT_TRUE(fftAction && inverseAction);
    frame->Trigger("FFTAction");
    EXPECT_TRUE(forward->isVisible());
    EXPECT_FALSE(fftAction->isEnabled());
    EXPECT_FALSE(inverseAction->isEnabled());
    EXPECT_TRUE(frame->Form->DocumentsCloseOnlyMinimize());

    forward->FileNameEdit->setText(Picture("p.bmp", 32, 32, [](int x, int y) { return Texture(x, y); }));
    forward->FFTButton->click();
    ASSERT_NE(forward->HeldTransform(), nullptr);
    frame->Dialogs.QueueFile(frame->File("real"));
    forward->SaveRealParttoMenuItem->trigger();
    EXPECT_TRUE(std::filesystem::exists(frame->File("real.flt").toStdString()));

    forward->CloseButton->click();
    EXPECT_FALSE(forward->isVisible());
    EXPECT_TRUE(fftAction->isEnabled());
    EXPECT_TRUE(inverseAction->isEnabled());
    EXPECT_FALSE(frame->Form->DocumentsCloseOnlyMinimize());
    EXPECT_EQ(forward->HeldTransform(), nullptr);
    frame->Dialogs.Clear();
    forward->SaveImagineParttoMenuItem->trigger();
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 0);

    // Show leaves nothing held either, so the inverse tool's save items do nothing.
    frame->Trigger("InverseFFTAction");
    EXPECT_FALSE(fftAction->isEnabled());
    EXPECT_TRUE(frame->Form->DocumentsCloseOnlyMinimize());
    inverse->ZrEdit->setText(frame->File("real.flt"));
    inverse->ZiEdit->setText(frame->File("real.flt"));
    inverse->ShowAmSpeedButton->click();
    EXPECT_NE(Window("FFT Spectra"), nullptr);
    EXPECT_EQ(inverse->HeldTransform(), nullptr);
    inverse->SaveInverseFFTrealpartto1->trigger();
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 0);
    inverse->close();
    EXPECT_TRUE(inverseAction->isEnabled());
}

// With only the centre of the mask white, only the zero frequency is left: the picture's mean.
TEST_F(FFTTools, MaskKeepsOnlyItsWhitePart) {
    TransformAndSave(Picture("p.bmp", 16, 16, [](int x, int y) { return Texture(x, y); }));
    OpenInInverse();
    frame->Dialogs.QueueFile(Picture("mask.bmp", 16, 16, [](int x, int y) { return x == 8 && y == 8 ? 255 : 0; }));
    inverse->MaskFileCheckBox->click();
    inverse->BrowseMaskFileButton->click();
    EXPECT_NE(Window("Mask File"), nullptr);
    inverse->InverseFFTButton->click();
    double mean = 0;
    for (int i = 0; i < 256; ++i) mean += Texture(i % 16, i / 16) / 256.0;
    const auto back = SaveInverseRealPart();
    for (int i = 0; i < 256; i += 9) EXPECT_NEAR(back->Data[i], mean, 1e-3) << i;
}

TEST_F(FFTTools, RectangleAndCircleExcludeEachOtherAndCombineWithTheMask) {
    inverse->MaskFileCheckBox->click();
    EXPECT_TRUE(inverse->MaskFileGroupBox->isEnabled());
    inverse->RectFilterCheckBox->click();
    EXPECT_TRUE(inverse->RectGroupBox->isEnabled());
    inverse->CircleFilterCheckBox->click();
    EXPECT_TRUE(inverse->CircleGroupBox->isEnabled());
    EXPECT_FALSE(inverse->RectFilterCheckBox->isChecked());
    EXPECT_FALSE(inverse->RectGroupBox->isEnabled());
    inverse->RectFilterCheckBox->click();
    EXPECT_FALSE(inverse->CircleFilterCheckBox->isChecked());
    EXPECT_FALSE(inverse->CircleGroupBox->isEnabled());
    inverse->RectFilterCheckBox->click(); // unchecking leaves the circle as it is
    EXPECT_FALSE(inverse->RectGroupBox->isEnabled());
    EXPECT_FALSE(inverse->CircleFilterCheckBox->isChecked());
    EXPECT_TRUE(inverse->MaskFileCheckBox->isChecked());
    inverse->MaskFileCheckBox->click();
    EXPECT_FALSE(inverse->MaskFileGroupBox->isEnabled());
}

TEST_F(FFTTools, DraggedRectangleBecomesTheFilterRectangleWhenItIsOn) {
    const QString picture = Picture("p.bmp", 64, 64, [](int x, int y) { return Texture(x, y); });
    frame->Form->CreateMDIChild(picture);
    ui::TMDIChildForm& window = frame->Active();
    frame->Trigger("InverseFFTAction");
    test::DragOnPicture(window, QPoint(20, 12), QPoint(8, 30));
    EXPECT_EQ(inverse->XEdit->text(), "0");
    inverse->RectFilterCheckBox->click();
    test::DragOnPicture(window, QPoint(20, 12), QPoint(8, 30));
    EXPECT_EQ(inverse->XEdit->text(), "8");
    EXPECT_EQ(inverse->YEdit->text(), "12");
    EXPECT_EQ(inverse->WidthEdit->text(), "12");
    EXPECT_EQ(inverse->HeightEdit->text(), "18");
}

TEST_F(FFTTools, BadInputIsRefusedWithAMessageAndNothingHeld) {
    frame->Trigger("FFTAction");
    const QString missing = frame->File("none.bmp");
    forward->FileNameEdit->setText(missing);
    forward->FFTButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{missing + ": not exists"});
    EXPECT_EQ(forward->HeldTransform(), nullptr);
    EXPECT_TRUE(forward->FFTButton->isEnabled());
    EXPECT_EQ(frame->Dialogs.Count(Kind::Beep), 0);
    test::WriteFileBytes(frame->File("bad.bmp").toStdString(), "BM not a picture");
    forward->FileNameEdit->setText(frame->File("bad.bmp"));
    forward->FFTButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().size(), 2);
    EXPECT_EQ(forward->HeldTransform(), nullptr);
    forward->CloseButton->click();

    frame->Trigger("InverseFFTAction");
    const auto refused = [&](const QString& zr, const QString& zi) {
        frame->Dialogs.Clear();
        inverse->ZrEdit->setText(zr);
        inverse->ZiEdit->setText(zi);
        inverse->InverseFFTButton->click();
        EXPECT_EQ(inverse->HeldTransform(), nullptr);
        EXPECT_TRUE(inverse->InverseFFTButton->isEnabled());
        EXPECT_EQ(Window("IFFT Spectra"), nullptr);
        EXPECT_EQ(frame->Dialogs.Count(Kind::Beep), 0);
        return frame->Dialogs.Errors().join("; ");
    };
    const QString square = Spectrum("s.flt", 16, 16);
    EXPECT_EQ(refused(square, Spectrum("t.flt", 16, 8)),
              "The real part (16 x 16) and the imaginary part (16 x 8) differ in size");
    const QString odd = Spectrum("odd.flt", 12, 16);
    EXPECT_EQ(refused(odd, odd), "The spectrum size 12 x 16 is not a power of two");
    EXPECT_FALSE(refused(frame->File("gone.flt"), square).isEmpty());

    inverse->MaskFileCheckBox->click();
    inverse->MaskFileEdit->setText(Picture("mask.bmp", 8, 16, [](int, int) { return 255; }));
    EXPECT_FALSE(refused(square, square).isEmpty());
    inverse->MaskFileCheckBox->click();

    inverse->CircleFilterCheckBox->click();
    inverse->RadiusEdit->setText("ten");
    EXPECT_FALSE(refused(square, square).isEmpty());
}

TEST(FFTToolWindows, MadeAtStartUpAndShownByTheirCommands) {
    auto frame = test::MakeTestMainForm();
    ui::CreateToolWindows(*frame->Form);
    auto* forward = frame->Form->findChild<ui::TForwardFFTForm*>();
    auto* inverse = frame->Form->findChild<ui::TInverseFFTForm*>();
    ASSERT_TRUE(forward && inverse);
    frame->Trigger("InverseFFTAction");
    EXPECT_TRUE(inverse->isVisible());
    EXPECT_FALSE(forward->isVisible());
    // Tearing the frame down with a tool shown must not touch the frame's commands once gone.
    frame->Destroy();
}

} // namespace
} // namespace corvane
