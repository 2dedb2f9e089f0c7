#pragma once
#include "spectral/ui/TFFTToolForm.h"

class QCheckBox;

namespace corvane::ui {

/// The "Forward FFT" tool: centred spectrum of a grey BMP image, shown in "FFT Spectra", with its
/// real and imaginary parts saved as FLT files for the inverse tool. Created once; closing hides it.
class TForwardFFTForm : public TFFTToolForm {
    Q_OBJECT
  public:
    /// Builds the window as a tool of mainForm and wires FFTAction to show it.
    explicit TForwardFFTForm(TMainForm& mainForm);

    QLineEdit* FileNameEdit = nullptr;
    QPushButton* BrowseFileNameButton = nullptr;
    QLineEdit* ZrEdit = nullptr;
    QLineEdit* ZiEdit = nullptr;
    QCheckBox* SaveZrZiCheckBox = nullptr;
    QPushButton* FFTButton = nullptr;
    QAction* SaveRealParttoMenuItem = nullptr;
    QAction* SaveImagineParttoMenuItem = nullptr;

    /// Chooses the image, shows it in "Original Image".
    void BrowseFileNameButtonClick();
    /// Transforms the named image, shows the spectrum in "FFT Spectra", saves the parts if asked.
    void FFTButtonClick();
    /// Save the real / imaginary part of the held transform as FLT; nothing when none is held.
    void SaveRealParttoMenuItemClick();
    void SaveImagineParttoMenuItemClick();
};

} // namespace corvane::ui
