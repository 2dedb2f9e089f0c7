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

#include "app/ToolWindows.h"
#include "image/TFloatImage.h"
#include "shell/TMDIChildForm.h"
#include "spectral/TMyFFT.h"
#include "spectral/ui/TForwardFFTForm.h"
#include "spectral/ui/TInverseFFTForm.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
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
    ~FFTTools() override { frame->Destroy(); }

    QString File(const QString& name) const { return frame->File(name); }
    QString Picture(const QString& name, int w, int h, const std::function<int(int, int)>& grey = Texture) {
        test::MakeGreyPicture(w, h, grey)->SaveBmp(File(name).toStdString());
        return File(name);
    }
    QString Spectrum(const QString& name, int w, int h, float value = 0.0f) {
        test::MakeFloatMap(w, h, [&](int, int) { return value; })->SaveFlt(File(name).toStdString());
        return File(name);
    }
    // Saves through a pop-up save item under name (.flt added); the full file name.
    std::string SaveThrough(QAction* item, const QString& name) {
        frame->Dialogs.QueueFile(File(name));
        item->trigger();
        return File(name + ".flt").toStdString();
    }
    // Runs the inverse tool on the two part files.
    void RunInverse(const QString& zr, const QString& zi) {
        inverse->ZrEdit->setText(zr);
        inverse->ZiEdit->setText(zi);
        inverse->InverseFFTButton->click();
    }
    // Both FFT commands off and document windows only minimising, as while a tool is shown.
    std::tuple<bool, bool, bool> Locked() const {
        return {!frame->Form->Action("FFTAction")->isEnabled(),
                !frame->Form->Action("InverseFFTAction")->isEnabled(),
                frame->Form->DocumentsCloseOnlyMinimize()};
    }

    std::unique_ptr<test::TestMainForm> frame = test::MakeTestMainForm();
    ui::TForwardFFTForm* forward = new ui::TForwardFFTForm(*frame->Form);
    ui::TInverseFFTForm* inverse = new ui::TInverseFFTForm(*frame->Form);
};

// A shown tool turns both FFT commands off and makes document windows only minimise; hiding it
// releases what it held, so its save items do nothing. The parts saved by the forward tool,
// transformed back with no filter, give the cropped picture as real part and show its squared grey
// values scaled linearly from 0.
TEST_F(FFTTools, ForwardThenInverseGivesThePictureBackAndShownToolsLockTheCommands) {
    frame->Trigger("FFTAction");
    EXPECT_EQ(Locked(), std::tuple(true, true, true));
    frame->Dialogs.QueueFile(Picture("in.bmp", 70, 40));
    forward->BrowseFileNameButton->click();
    forward->ZrEdit->setText(File("Zr.flt"));
    forward->ZiEdit->setText(File("Zi.flt"));
    forward->FFTButton->click();
    EXPECT_FALSE(std::filesystem::exists(File("Zr.flt").toStdString()));
    const int windows = frame->Form->MDIChildCount();
    const QImage spectrum = frame->Window("FFT Spectra")->Bitmap();
    forward->SaveZrZiCheckBox->setChecked(true);
    forward->FFTButton->click(); // replaces the transform, reuses the window
    EXPECT_EQ(frame->Form->MDIChildCount(), windows);
    EXPECT_EQ(TFloatImage(SaveThrough(forward->SaveRealParttoMenuItem, "real")).Width, 64);
    forward->CloseButton->click();
    EXPECT_EQ(Locked(), std::tuple(false, false, false));
    EXPECT_EQ(forward->FileNameEdit->text(), File("in.bmp"));
    EXPECT_EQ(std::pair(frame->Window("Original Image")->Bitmap().size(), spectrum.size()),
              std::pair(QSize(70, 40), QSize(64, 32)));
    EXPECT_EQ(frame->Dialogs.Count(Kind::Beep), 2);

    frame->Trigger("InverseFFTAction");
    EXPECT_EQ(Locked(), std::tuple(true, true, true));
    frame->Dialogs.QueueFile(File("Zr.flt"));
    frame->Dialogs.QueueFile(File("Zi.flt"));
    inverse->ZrButton->click();
    inverse->ZiButton->click();
    inverse->InverseFFTButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().join("; ").toStdString(), "");
    EXPECT_EQ(frame->Dialogs.Count(Kind::Beep), 3);
    EXPECT_TRUE(forward->FFTButton->isEnabled() && inverse->InverseFFTButton->isEnabled());
    const QImage shown = frame->Window("IFFT Spectra")->Bitmap();
    ASSERT_EQ(shown.size(), QSize(64, 32));
    TFloatImage back(SaveThrough(inverse->SaveInverseFFTrealpartto1, "back"));
    const double maxGrey = std::round(*std::max_element(back.Data, back.Data + 64 * 32));
    for (int i = 0; i < 64 * 32; ++i) {
        const double grey = Texture(i % 64, i / 64);
        ASSERT_NEAR(back.Data[i], grey, 1e-2) << i;
        ASSERT_NEAR(qRed(shown.pixel(i % 64, i / 64)), std::floor(grey * grey * 255 / maxGrey / maxGrey), 1)
            << i;
    }
    RunInverse(File("real.flt"), File("real.flt")); // then Show: a new spectrum, nothing held
    inverse->ShowAmSpeedButton->click();
    EXPECT_NE(frame->Window("FFT Spectra")->Bitmap(), spectrum);
    frame->Dialogs.Clear();
    inverse->SaveInverseFFTrealpartto1->trigger();
    forward->SaveImagineParttoMenuItem->trigger();
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 0);
    inverse->close();
    EXPECT_EQ(Locked(), std::tuple(false, false, false));
}

// On a flat spectrum (1 + 2i everywhere) each setting keeps exactly its pixels, in both parts:
// the saved result, transformed forward again, shows which.
TEST_F(FFTTools, FiltersKeepExactlyTheirSpectrumPixels) {
    const QString one = Spectrum("one.flt", 16, 8, 1.0f), two = Spectrum("two.flt", 16, 8, 2.0f);
    inverse->MaskFileEdit->setText(Picture("mask.bmp", 16, 8, [](int x, int) { return x < 8 ? 255 : 0; }));
    const auto disc = [](double r) { return [r](int x, int y) { return std::hypot(x - 8, y - 4) <= r; }; };
    // mask on, rectangle fields (x, y, w, h) or circle fields (cx, cy, r), the pixels kept
    const std::tuple<bool, QStringList, std::function<bool(int, int)>> cases[] = {
        {false, {"0", "0", "0", "0"}, [](int x, int y) { return x == 0 && y == 0; }},
        // a width past the integer range only means "to the edge of the map"; the height stays 2
        {false, {"5", "3", "2147483647", "2"}, [](int x, int y) { return x >= 5 && y >= 3 && y <= 5; }},
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
        RunInverse(one, two);
        const std::string re = SaveThrough(inverse->SaveInverseFFTrealpartto1, "re");
        TMyFFT back(re, SaveThrough(inverse->SaveInverseFFTimaginepartto1, "im"));
        back.ForwardFFT();
        for (int i = 0; i < 16 * 8; ++i) {
            const std::string at = fields.join(",").toStdString() + " " + std::to_string(i);
            ASSERT_NEAR(back.Real->Data[i], kept(i % 16, i / 16), 1e-4) << at;
            ASSERT_NEAR(back.Imag->Data[i], 2 * kept(i % 16, i / 16), 1e-4) << at;
        }
    }
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty());
}

// The rectangle and the circle exclude each other and combine with the mask. While the tool is
// shown and the rectangle is on, a rectangle dragged in a document window becomes its fields, and
// the long hints of the tool's controls go to the frame's status bar.
TEST_F(FFTTools, FilterChoiceAndDraggedRectangle) {
    frame->Form->CreateMDIChild(Picture("p.bmp", 64, 64));
    ui::TMDIChildForm& window = frame->Active();
    frame->Trigger("InverseFFTAction");
    test::DragOnPicture(window, QPoint(20, 12), QPoint(8, 30));
    EXPECT_EQ(inverse->XEdit->text(), "0");
    inverse->MaskFileCheckBox->click();
    inverse->CircleFilterCheckBox->click();
    inverse->RectFilterCheckBox->click();
    EXPECT_TRUE(inverse->MaskFileGroupBox->isEnabled() && inverse->RectGroupBox->isEnabled());
    EXPECT_FALSE(inverse->CircleFilterCheckBox->isChecked() || inverse->CircleGroupBox->isEnabled());
    test::DragOnPicture(window, QPoint(20, 12), QPoint(8, 30));
    const QStringList fields = {inverse->XEdit->text(), inverse->YEdit->text(), inverse->WidthEdit->text(),
                                inverse->HeightEdit->text()};
    EXPECT_EQ(fields, QStringList({"8", "12", "12", "18"}));
    inverse->CircleFilterCheckBox->click();
    EXPECT_TRUE(inverse->CircleGroupBox->isEnabled() && inverse->MaskFileCheckBox->isChecked());
    EXPECT_FALSE(inverse->RectFilterCheckBox->isChecked() || inverse->RectGroupBox->isEnabled());
    inverse->CircleFilterCheckBox->click(); // unchecking leaves the rectangle as it is
    EXPECT_FALSE(inverse->CircleGroupBox->isEnabled() || inverse->RectFilterCheckBox->isChecked());
    inverse->MaskFileCheckBox->click();
    EXPECT_FALSE(inverse->MaskFileGroupBox->isEnabled());
    QStatusTipEvent tip(inverse->ShowAmSpeedButton->statusTip()); // the mouse over the Show button
    QApplication::sendEvent(inverse->ShowAmSpeedButton, &tip);
    EXPECT_EQ(frame->Form->statusBar()->currentMessage(), "display the spectra in gray level");
}

TEST_F(FFTTools, BadInputIsRefusedWithAMessageAndNothingHeld) {
    test::WriteFileBytes(File("bad.bmp").toStdString(), "BM not a picture");
    for (const QString& name : {File("none.bmp"), File("bad.bmp")}) {
        forward->FileNameEdit->setText(name);
        forward->FFTButton->click();
        EXPECT_TRUE(!forward->HeldTransform() && forward->FFTButton->isEnabled());
    }
    EXPECT_EQ(frame->Dialogs.Errors().size(), 2);
    EXPECT_EQ(frame->Dialogs.Errors().value(0), File("none.bmp") + ": not exists");
    const auto refused = [&](const QString& zr, const QString& zi) {
        frame->Dialogs.Clear();
        RunInverse(zr, zi);
        EXPECT_TRUE(!inverse->HeldTransform() && inverse->InverseFFTButton->isEnabled());
        EXPECT_EQ(frame->Window("IFFT Spectra"), nullptr);
        EXPECT_EQ(frame->Dialogs.Count(Kind::Beep), 0);
        return frame->Dialogs.Errors().join("; ");
    };
    const QString square = Spectrum("s.flt", 16, 16), odd = Spectrum("odd.flt", 12, 16);
    EXPECT_EQ(refused(odd, odd), "The spectrum size 12 x 16 is not a power of two");
    inverse->MaskFileCheckBox->setChecked(true);
    inverse->MaskFileEdit->setText(Picture("mask.bmp", 8, 16));
    EXPECT_FALSE(refused(square, square).isEmpty());
    // A field that is not a number is read in its filter's turn, after the spectrum files.
    inverse->MaskFileCheckBox->setChecked(false);
    inverse->CircleFilterCheckBox->setChecked(true);
    inverse->RadiusEdit->setText("ten");
    EXPECT_EQ(refused(square, square), "Radius: 'ten' is not a valid floating point value");
}

} // namespace
} // namespace corvane
