#pragma once
#include "spectral/ui/TFFTToolForm.h"

class QCheckBox;
class QGroupBox;
class QToolButton;

namespace corvane::ui {

/// The "Inverse FFT" tool: reads a centred spectrum saved as two FLT files, keeps the part chosen
/// by a mask image, a rectangle or a circle, transforms it back and shows the intensity in
/// "IFFT Spectra". Created once; closing hides it.
class TInverseFFTForm : public TFFTToolForm {
    Q_OBJECT
  public:
    /// Builds the window as a tool of mainForm, wires InverseFFTAction to show it and takes part
    /// in the document windows' drags.
    explicit TInverseFFTForm(TMainForm& mainForm);

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
    QAction* SaveInverseFFTrealpartto1 = nullptr;
    QAction* SaveInverseFFTimaginepartto1 = nullptr;

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

  private:
    /// A rectangle dragged in a document window becomes the filter rectangle while the
    /// rectangle filter is on.
    void DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) override;
};

} // namespace corvane::ui
