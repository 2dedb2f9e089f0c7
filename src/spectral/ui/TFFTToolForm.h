#pragma once
#include "shell/TToolForm.h"

#include <functional>
#include <memory>

class QBoxLayout;
class QGridLayout;
class QLineEdit;

namespace corvane {
class TMyFFT;
}

namespace corvane::ui {

/// What the forward and inverse FFT tools share beyond the tool-window base: the transform of the
/// last command, held for the pop-up save items and released when the tool hides, and the "Real and
/// Imagine Part " group. While either tool is shown both FFT commands are off and document windows
/// only minimise.
class TFFTToolForm : public TToolForm {
    Q_OBJECT
  public:
    ~TFFTToolForm() override;

    /// The transform held since the last transforming command (null when none).
    const TMyFFT* HeldTransform() const { return fft_.get(); }

  protected:
    /// Makes the tool window (objectName name, caption title) with its Close button and empty pop-up
    /// menu, shown by the frame command showCommand.
    TFFTToolForm(TMainForm& mainForm, const char* name, const QString& title, const char* showCommand);

    /// Releases the held transform.
    void FormHide() override;

    /// Adds to layout the "Real and Imagine Part " group with the Zr and Zi labels and edits in its
    /// rows 0 and 1; returns the group's grid for further controls.
    QGridLayout* AddPartsGroup(QBoxLayout* layout, QLineEdit* zrEdit, QLineEdit* ziEdit);
    /// Adds to layout the row of the tool's command button and the Close button, which comes
    /// right after it in the tab order although it is made with the window.
    void AddButtonRow(QBoxLayout* layout, QPushButton* command);

    /// Asks for a file to open with this filter and puts the choice into edit; nothing when cancelled.
    std::optional<QString> ChooseFile(QLineEdit* edit, const QString& filter);
    /// ChooseFile, then shows the chosen grey picture in the role window; throws what reading it throws.
    void ChoosePicture(QLineEdit* edit, const QString& filter, const QString& role);
    /// Runs a transforming command with button disabled: releases the held transform, runs work
    /// (which sets fft_), re-enables button and beeps. When work throws, nothing is held and
    /// button is enabled again before the error goes on.
    void Transform(QPushButton* button, const std::function<void()>& work);
    /// Saves the real or imaginary part of the held transform as FLT under a name asked through
    /// the save dialog (filter, default extension); nothing when none is held.
    void SaveHeldPart(bool realPart, const QString& filter, const QString& defaultExt = QString());

    std::unique_ptr<TMyFFT> fft_;
};

} // namespace corvane::ui
