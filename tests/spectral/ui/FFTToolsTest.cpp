// The forward and inverse FFT tools driven as a user would: named controls, the frame's
// commands and scripted dialogs.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <tuple>

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/TMDIChildForm.h"
#include "spectral/TMyFFT.h"
#include "spectral/ui/TForwardFFTForm.h"
#include "spectral/ui/TInverseFFTForm.h"
#include "support/FloatMaps.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

using Kind = test::ScriptedDialogs::Kind;

int Texture(int x, int y) {
    return (x * 7 + y * 13 + x * y) % 251;
}

class FFTTools : public ::testing::Test {
  protected:
    void SetUp() override {
        frame = test::MakeTestMainForm();
        forward = new ui::TForwardFFTForm(*frame->Form);
        inverse = new ui::TInverseFFTForm(*frame->Form);
    }
    void TearDown() override { frame->Destroy(); }

    QString Picture(const QString& name, int w, int h, const std::function<int(int, int)>& grey = Texture) {
        TGrayImage image(nullptr, w, h);
        for (int i = 0; i < w * h; ++i)
            image.Data[i] = static_cast<std::uint8_t>(grey(i % w, i / w));
        image.SaveBmp(frame->File(name).toStdString());
        return frame->File(name);
    }
    QString Spectrum(const QString& name, int w, int h, float value = 0.0f) {
        test::MakeFloatMap(w, h, [&](int, int) { return value; })->SaveFlt(frame->File(name).toStdString());
        return frame->File(name);
    }
    ui::TMDIChildForm* Window(const char* caption) const {
        const int index = frame->Form->FindMDIChild(QString::fromLatin1(caption));
        return index < 0 ? nullptr : frame->Form->MDIChild(index);
    }
    // Saves through a pop-up save item under name (.flt added); the full file name.
    std::string SaveThrough(QAction* item, const QString& name) {
        frame->Dialogs.QueueFile(frame->File(name));
        item->trigger();
        return frame->File(name + ".flt").toStdString();
    }

    std::unique_ptr<test::TestMainForm> frame;
    ui::TForwardFFTForm* forward = nullptr;
    ui::TInverseFFTForm* inverse = nullptr;
};

// The parts saved by the forward tool, transformed back with no filter, show the squared grey
// values of the cropped picture scaled linearly from 0; the real part is the cropped picture.
TEST_F(FFTTools, ForwardThenInverseWithoutFilterGivesThePictureBack) {
    frame->Trigger("FFTAction");
    frame->Dialogs.QueueFile(Picture("in.bmp", 70, 40));
    forward->BrowseFileNameButton->click();
    EXPECT_EQ(forward->FileNameEdit->text(), frame->File("in.bmp"));
    forward->ZrEdit->setText(frame->File("Zr.flt"));
    forward->ZiEdit->setText(frame->File("Zi.flt"));
    forward->SaveZrZiCheckBox->setChecked(true);
    forward->FFTButton->click();
    forward->CloseButton->click();
    EXPECT_EQ(frame->Dialogs.Count(Kind::Beep), 1);
    EXPECT_EQ(Window("Original Image")->Bitmap().size(), QSize(70, 40));
    EXPECT_EQ(Window("FFT Spectra")->Bitmap().size(), QSize(64, 32));

    frame->Trigger("InverseFFTAction");
    frame->Dialogs.QueueFile(frame->File("Zr.flt"));
    frame->Dialogs.QueueFile(frame->File("Zi.flt"));
    inverse->ZrButton->click();
    inverse->ZiButton->click();
    inverse->InverseFFTButton->click();
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("; ").toStdString();
    EXPECT_EQ(frame->Dialogs.Count(Kind::Beep), 2);
    EXPECT_TRUE(forward->FFTButton->isEnabled() && inverse->InverseFFTButton->isEnabled());
    const QImage shown = Window("IFFT Spectra")->Bitmap();
    ASSERT_EQ(shown.size(), QSize(64, 32));
    double maxSquare = 0;
    for (int i = 0; i < 64 * 32; ++i)
        maxSquare = std::max(maxSquare, std::pow(Texture(i % 64, i / 64), 2.0));
    for (int i = 0; i < 64 * 32; i += 7)
        ASSERT_NEAR(qRed(shown.pixel(i % 64, i / 64)),
                    std::floor(std::pow(Texture(i % 64, i / 64), 2.0) * 255 / maxSquare), 1)
            << i;
    TFloatImage back(SaveThrough(inverse->SaveInverseFFTrealpartto1, "back"));
    for (int i = 0; i < 64 * 32; ++i)
        ASSERT_NEAR(back.Data[i], Texture(i % 64, i / 64), 1e-2) << i;
}

// On a flat spectrum (1 + 2i everywhere) each setting keeps exactly its pixels, in both parts:
// the saved result, transformed forward again, shows which.
TEST_F(FFTTools, FiltersKeepExactlyTheirSpectrumPixels) {
    inverse->ZrEdit->setText(Spectrum("one.flt", 16, 8, 1.0f));
    inverse->ZiEdit->setText(Spectrum("two.flt", 16, 8, 2.0f));
    inverse->MaskFileEdit->setText(Picture("mask.bmp", 16, 8, [](int x, int) { return x < 8 ? 255 : 0; }));
    const auto disc = [](double r) { return [r](int x, int y) { return std::hypot(x - 8, y - 4) <= r; }; };
    // mask on, rectangle fields (x, y, w, h) or circle fields (cx, cy, r), the pixels kept
    const std::tuple<bool, QStringList, std::function<bool(int, int)>> cases[] = {
        {false, {"0", "0", "0", "0"}, [](int x, int y) { return x == 0 && y == 0; }},
        // a size past the integer range only means "to the edge of the map"
        {false, {"5", "3", "2147483647", "2147483647"}, [](int x, int y) { return x >= 5 && y >= 3; }},
        {false, {"8", "4", "0"}, disc(0)},
        {false, {"8", "4", "-1"}, disc(-1)},
        {true, {"8", "4", "2.5"}, [&](int x, int y) { return x < 8 && disc(2.5)(x, y); }},
    };
    QLineEdit* rect[] = {inverse->XEdit, inverse->YEdit, inverse->WidthEdit, inverse->HeightEdit};
    QLineEdit* circle[] = {inverse->CenterXEdit, inverse->CenterYEdit, inverse->RadiusEdit};
    for (const auto& [mask, fields, kept] : cases) {
        inverse->MaskFileCheckBox->setChecked(mask);
        inverse->RectFilterCheckBox->setChecked(fields.size() == 4);
        inverse->CircleFilterCheckBox->setChecked(fields.size() == 3);
        for (int i = 0; i < fields.size(); ++i)
            (fields.size() == 4 ? rect : circle)[i]->setText(fields[i]);
        inverse->InverseFFTButton->click();
        const std::string re = SaveThrough(inverse->SaveInverseFFTrealpartto1, "re");
        TMyFFT back(re, SaveThrough(inverse->SaveInverseFFTimaginepartto1, "im"));
        back.ForwardFFT();
        for (int i = 0; i < 16 * 8; ++i) {
            ASSERT_NEAR(back.Real->Data[i], kept(i % 16, i / 16), 1e-4)
                << fields.join(",").toStdString() << i;
            ASSERT_NEAR(back.Imag->Data[i], 2 * kept(i % 16, i / 16), 1e-4)
                << fields.join(",").toStdString() << i;
        }
    }
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty());
}

// Both FFT commands are off while a tool is shown and document windows only minimise; hiding
// releases what the tool held, so the save items do nothing; Show holds nothing either.
TEST_F(FFTTools, ShownToolLocksCommandsAndHidingReleasesTheTransform) {
    QAction* commands[] = {frame->Form->Action("FFTAction"), frame->Form->Action("InverseFFTAction")};
    // FFT command, inverse FFT command, document windows really closed
    const auto unlocked = [&] {
        return std::tuple(commands[0]->isEnabled(), commands[1]->isEnabled(),
                          !frame->Form->DocumentsCloseOnlyMinimize());
    };
    frame->Trigger("FFTAction");
    EXPECT_EQ(unlocked(), std::tuple(false, false, false));
    forward->FileNameEdit->setText(Picture("p.bmp", 32, 32));
    forward->FFTButton->click();
    const int windows = frame->Form->MDIChildCount();
    const QImage spectrum = Window("FFT Spectra")->Bitmap();
    forward->FFTButton->click(); // replaces the transform, reuses the window, writes no file
    EXPECT_EQ(frame->Form->MDIChildCount(), windows);
    EXPECT_FALSE(std::filesystem::exists(frame->File("Zr.flt").toStdString()));
    TFloatImage real(SaveThrough(forward->SaveRealParttoMenuItem, "real"));
    EXPECT_EQ(real.Width, 32);
    forward->CloseButton->click();
    EXPECT_EQ(unlocked(), std::tuple(true, true, true));
    EXPECT_EQ(forward->HeldTransform(), nullptr);
    frame->Dialogs.Clear();
    forward->SaveImagineParttoMenuItem->trigger();

    frame->Trigger("InverseFFTAction");
    EXPECT_EQ(unlocked(), std::tuple(false, false, false));
    inverse->ZrEdit->setText(frame->File("real.flt"));
    inverse->ZiEdit->setText(frame->File("real.flt"));
    inverse->ShowAmSpeedButton->click();
    EXPECT_NE(Window("FFT Spectra")->Bitmap(), spectrum);
    EXPECT_EQ(inverse->HeldTransform(), nullptr);
    inverse->SaveInverseFFTrealpartto1->trigger();
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 0);
    inverse->close();
    EXPECT_EQ(unlocked(), std::tuple(true, true, true));
}

TEST_F(FFTTools, RectangleAndCircleExcludeEachOtherAndCombineWithTheMask) {
    inverse->MaskFileCheckBox->click();
    inverse->RectFilterCheckBox->click();
    EXPECT_TRUE(inverse->MaskFileGroupBox->isEnabled() && inverse->RectGroupBox->isEnabled());
    inverse->CircleFilterCheckBox->click();
    EXPECT_TRUE(inverse->CircleGroupBox->isEnabled());
    EXPECT_FALSE(inverse->RectFilterCheckBox->isChecked() || inverse->RectGroupBox->isEnabled());
    inverse->RectFilterCheckBox->click();
    EXPECT_FALSE(inverse->CircleFilterCheckBox->isChecked() || inverse->CircleGroupBox->isEnabled());
    inverse->RectFilterCheckBox->click(); // unchecking leaves the circle as it is
    EXPECT_FALSE(inverse->RectGroupBox->isEnabled() || inverse->CircleFilterCheckBox->isChecked());
    EXPECT_TRUE(inverse->MaskFileCheckBox->isChecked());
    inverse->MaskFileCheckBox->click();
    EXPECT_FALSE(inverse->MaskFileGroupBox->isEnabled());
}

// The tool takes part in document drags and in the frame's status hints while it is shown.
TEST_F(FFTTools, DraggedRectangleBecomesTheFilterRectangleWhenItIsOn) {
    frame->Form->CreateMDIChild(Picture("p.bmp", 64, 64));
    ui::TMDIChildForm& window = frame->Active();
    frame->Trigger("InverseFFTAction");
    test::DragOnPicture(window, QPoint(20, 12), QPoint(8, 30));
    EXPECT_EQ(inverse->XEdit->text(), "0");
    inverse->RectFilterCheckBox->click();
    test::DragOnPicture(window, QPoint(20, 12), QPoint(8, 30));
    const QStringList fields = {inverse->XEdit->text(), inverse->YEdit->text(), inverse->WidthEdit->text(),
                                inverse->HeightEdit->text()};
    EXPECT_EQ(fields, QStringList({"8", "12", "12", "18"}));
    QStatusTipEvent tip(inverse->ShowAmSpeedButton->statusTip()); // the mouse over the Show button
    QApplication::sendEvent(inverse->ShowAmSpeedButton, &tip);
    EXPECT_EQ(frame->Form->statusBar()->currentMessage(), "display the spectra in gray level");
}

TEST_F(FFTTools, BadInputIsRefusedWithAMessageAndNothingHeld) {
    frame->Trigger("FFTAction");
    test::WriteFileBytes(frame->File("bad.bmp").toStdString(), "BM not a picture");
    for (const QString& name : {frame->File("none.bmp"), frame->File("bad.bmp")}) {
        forward->FileNameEdit->setText(name);
        forward->FFTButton->click();
        EXPECT_TRUE(forward->HeldTransform() == nullptr && forward->FFTButton->isEnabled());
    }
    EXPECT_EQ(frame->Dialogs.Errors().size(), 2);
    EXPECT_EQ(frame->Dialogs.Errors().value(0), frame->File("none.bmp") + ": not exists");
    forward->CloseButton->click();

    frame->Trigger("InverseFFTAction");
    const auto refused = [&](const QString& zr, const QString& zi) {
        frame->Dialogs.Clear();
        inverse->ZrEdit->setText(zr);
        inverse->ZiEdit->setText(zi);
        inverse->InverseFFTButton->click();
        EXPECT_TRUE(inverse->HeldTransform() == nullptr && inverse->InverseFFTButton->isEnabled());
        EXPECT_TRUE(Window("IFFT Spectra") == nullptr && frame->Dialogs.Count(Kind::Beep) == 0);
        return frame->Dialogs.Errors().join("; ");
    };
    const QString square = Spectrum("s.flt", 16, 16), odd = Spectrum("odd.flt", 12, 16);
    EXPECT_EQ(refused(square, Spectrum("t.flt", 16, 8)),
              "The real part (16 x 16) and the imaginary part (16 x 8) differ in size");
    EXPECT_EQ(refused(odd, odd), "The spectrum size 12 x 16 is not a power of two");
    inverse->MaskFileCheckBox->setChecked(true);
    inverse->MaskFileEdit->setText(Picture("mask.bmp", 8, 16));
    EXPECT_FALSE(refused(square, square).isEmpty());
    // A field that is not a number is read in its filter's turn, after the spectrum files.
    inverse->MaskFileCheckBox->setChecked(false);
    inverse->CircleFilterCheckBox->setChecked(true);
    inverse->RadiusEdit->setText("ten");
    EXPECT_EQ(refused(square, square), "'ten' is not a valid floating point value");
    EXPECT_EQ(refused(frame->File("gone.flt"), square), frame->File("gone.flt") + ": can not open the file");
}

TEST(FFTToolWindows, MadeAtStartUpAndShownByTheirCommands) {
    auto frame = test::MakeTestMainForm();
    ui::CreateToolWindows(*frame->Form);
    auto* inverse = frame->Form->findChild<ui::TInverseFFTForm*>();
    ASSERT_TRUE(frame->Form->findChild<ui::TForwardFFTForm*>() && inverse);
    frame->Trigger("InverseFFTAction");
    EXPECT_TRUE(inverse->isVisible());
    // Tearing the frame down with a tool shown must not touch the frame's commands once gone.
    frame->Destroy();
}

} // namespace
} // namespace corvane
