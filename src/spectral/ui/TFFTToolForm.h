#pragma once
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QBoxLayout;
class QGridLayout;
class QLineEdit;
class QMenu;
class QPushButton;

namespace corvane {
class TMyFFT;
}

namespace corvane::ui {

class IDialogs;
class TMainForm;

/// What the forward and inverse FFT tools share: a tool window of the frame, shown by its frame
/// command, holding the transform of its last command for the pop-up save items. While either
/// tool is shown both FFT commands are off and document windows only minimise; hiding the tool
/// releases what it holds. Created once; closing hides it.
class TFFTToolForm : public QWidget {
    Q_OBJECT
  public:
    ~TFFTToolForm() override;

    QPushButton* CloseButton = nullptr;
    QMenu* PopupMenu = nullptr;

    /// The transform held since the last transforming command (null when none).
    const TMyFFT* HeldTransform() const { return fft_.get(); }

    /// Hides the tool.
    void CloseButtonClick();
    /// Releases the held transform.
    void FormHide();

  protected:
    /// Makes the tool window (objectName name, caption title) with its Close button and empty
    /// pop-up menu, and wires the frame's command commandName to show it.
    TFFTToolForm(TMainForm& mainForm, const char* name, const QString& title, const char* commandName);

    /// Gives a control (or menu item) its name as objectName.
    template <typename T> static T* Named(T* object, const char* name) {
        object->setObjectName(QString::fromLatin1(name));
        return object;
    }

    /// Adds to layout the "Real and Imagine Part " group with the Zr and Zi labels and edits in its
    /// rows 0 and 1; returns the group's grid for further controls.
    QGridLayout* AddPartsGroup(QBoxLayout* layout, QLineEdit* zrEdit, QLineEdit* ziEdit);

    /// Adds to layout the row of the tool's command button and the Close button, which comes
    /// right after it in the tab order although it is made with the window.
    void AddButtonRow(QBoxLayout* layout, QPushButton* command);

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    /// Asks for a file to open with this filter and puts the choice into edit; nothing when cancelled.
    std::optional<QString> ChooseFile(QLineEdit* edit, const QString& filter);
    /// ChooseFile, then shows the chosen grey picture in the role window; throws what reading it throws.
    void ChoosePicture(QLineEdit* edit, const QString& filter, const QString& role);
    /// Runs a transforming command with button disabled: releases the held transform, runs work
    /// (which sets fft_), re-enables button and beeps. When work throws, nothing is held and
    /// button is enabled again before the error goes on.
    void Transform(QPushButton* button, const std::function<void()>& work);
    /// Saves the real or imaginary part of the held transform as FLT under a name asked through
    /// the save dialog (filter, default extension); nothing when none is held. Runs guarded.
    void SaveHeldPart(bool realPart, const QString& filter, const QString& defaultExt = QString());

    TMainForm& main_;
    IDialogs& dialogs_;
    std::unique_ptr<TMyFFT> fft_;

  private:
    /// Both FFT commands of the frame, guarded so that a tool hidden while the frame is being
    /// torn down touches nothing gone.
    void SetCommandsEnabled(bool enabled);
    QPointer<QAction> forwardCommand_;
    QPointer<QAction> inverseCommand_;
};

} // namespace corvane::ui
