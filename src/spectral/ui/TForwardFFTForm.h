#pragma once
#include <QWidget>

#include <memory>

#include "spectral/ui/FFTCommands.h"

class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;

namespace corvane {
class TMyFFT;
}

namespace corvane::ui {

class IDialogs;
class TMainForm;

/// The "Forward FFT" tool: centred spectrum of a grey BMP image, shown in "FFT Spectra", with its
/// real and imaginary parts saved as FLT files for the inverse tool. Created once; closing hides it.
class TForwardFFTForm : public QWidget {
    Q_OBJECT
public:
    /// Builds the window as a tool of mainForm and wires FFTAction to show it.
    explicit TForwardFFTForm(TMainForm& mainForm);
    ~TForwardFFTForm() override;

    QLineEdit* FileNameEdit = nullptr;
    QPushButton* BrowseFileNameButton = nullptr;
    QLineEdit* ZrEdit = nullptr;
    QLineEdit* ZiEdit = nullptr;
    QCheckBox* SaveZrZiCheckBox = nullptr;
    QPushButton* FFTButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction* SaveRealParttoMenuItem = nullptr;
    QAction* SaveImagineParttoMenuItem = nullptr;

    /// The transform held since the last FFT command (null when none).
    const TMyFFT* HeldTransform() const { return fft_.get(); }

    /// Chooses the image, shows it in "Original Image".
    void BrowseFileNameButtonClick();
    /// Transforms the named image, shows the spectrum in "FFT Spectra", saves the parts if asked.
    void FFTButtonClick();
    /// Save the real / imaginary part of the held transform as FLT; nothing when none is held.
    void SaveRealParttoMenuItemClick();
    void SaveImagineParttoMenuItemClick();
    /// Hides the tool.
    void CloseButtonClick();
    /// Releases the held transform.
    void FormHide();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SavePart(bool realPart);

    TMainForm& main_;
    IDialogs& dialogs_;
    FFTCommands commands_;
    std::unique_ptr<TMyFFT> fft_;
};

} // namespace corvane::ui
