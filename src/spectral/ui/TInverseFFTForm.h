#pragma once
#include <QWidget>

#include <memory>

#include "spectral/ui/FFTCommands.h"

#include "shell/TToolHooks.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace corvane {
class TMyFFT;
}

namespace corvane::ui {

class IDialogs;
class TMainForm;

/// The "Inverse FFT" tool: reads a centred spectrum saved as two FLT files, keeps the part chosen
/// by a mask image, a rectangle or a circle, transforms it back and shows the intensity in
/// "IFFT Spectra". Created once; closing hides it.
class TInverseFFTForm : public QWidget, private TToolHooks {
    Q_OBJECT
public:
    /// Builds the window as a tool of mainForm, wires InverseFFTAction to show it and takes part
    /// in the document windows' drags.
    explicit TInverseFFTForm(TMainForm& mainForm);
    ~TInverseFFTForm() override;

    QLineEdit* ZrEdit = nullptr;
    QLineEdit* ZiEdit = nullptr;
    QPushButton* ZrButton = nullptr;
    QPushButton* ZiButton = nullptr;
    QToolButton* ShowAmSpeedButton = nullptr;
    QCheckBox* MaskFileCheckBox = nullptr;
    QGroupBox* MaskFileGroupBox = nullptr;
    QLineEdit* MaskFileEdit = nullptr;
    QPushButton* BrowseMaskFileButton = nullptr;
    QCheckBox* RectFilterCheckBox = nullptr;
    QGroupBox* RectGroupBox = nullptr;
    QLineEdit* XEdit = nullptr;
    QLineEdit* YEdit = nullptr;
    QLineEdit* WidthEdit = nullptr;
    QLineEdit* HeightEdit = nullptr;
    QCheckBox* CircleFilterCheckBox = nullptr;
    QGroupBox* CircleGroupBox = nullptr;
    QLineEdit* CenterXEdit = nullptr;
    QLineEdit* CenterYEdit = nullptr;
    QLineEdit* RadiusEdit = nullptr;
    QPushButton* InverseFFTButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction* SaveInverseFFTrealpartto1 = nullptr;
    QAction* SaveInverseFFTimaginepartto1 = nullptr;

    /// The field held since the last Inverse FFT command (null when none).
    const TMyFFT* HeldTransform() const { return fft_.get(); }

    /// Choose the real / imaginary part file into ZrEdit / ZiEdit.
    void ZrButtonClick();
    void ZiButtonClick();
    /// The mask group is enabled exactly when its box is checked.
    void MaskFileCheckBoxClick();
    /// Checking the rectangle unchecks the circle and disables its group, and the other way round.
    void RectFilterCheckBoxClick();
    void CircleFilterCheckBoxClick();
    /// Chooses the mask image and shows it in "Mask File".
    void BrowseMaskFileButtonClick();
    /// Shows the spectrum of the two files in "FFT Spectra"; holds nothing afterwards.
    void ShowAmSpeedButtonClick();
    /// Filters the spectrum, transforms it back and shows the intensity in "IFFT Spectra".
    void InverseFFTButtonClick();
    /// Save the real / imaginary part of the held field as FLT; nothing when none is held.
    void SaveInverseFFTrealpartto1Click();
    void SaveInverseFFTimaginepartto1Click();
    /// Hides the tool.
    void CloseButtonClick();
    /// Releases the held field.
    void FormHide();

protected:
    /// The long part of a control's hint goes to the frame's status bar, as the frame's own do.
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    /// A rectangle dragged in a document window becomes the filter rectangle while the
    /// rectangle filter is on.
    void DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) override;
    void ChooseFloatFile(QLineEdit* edit);
    void SavePart(bool realPart);

    TMainForm& main_;
    IDialogs& dialogs_;
    FFTCommands commands_;
    std::unique_ptr<TMyFFT> fft_;
};

} // namespace corvane::ui
