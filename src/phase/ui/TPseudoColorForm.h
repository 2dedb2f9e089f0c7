#pragma once
#include "shell/TToolForm.h"

#include <memory>

class QLabel;
class QLineEdit;
class QToolButton;

namespace corvane {
class TFloatImage;
class TGrayImage;
} // namespace corvane

namespace corvane::ui {

/// "PseudoColor Display": an unwrapped phase map from an FLT file shown in colour, one colour per
/// fringe order blended across each fringe, with an optional mask painting the background. Shows the
/// fringe level under the mouse and can double or halve the fringe density. Shown by PseudoColorAction.
class TPseudoColorForm : public TToolForm {
    Q_OBJECT
  public:
    explicit TPseudoColorForm(TMainForm& mainForm);
    ~TPseudoColorForm() override;

    QPushButton* BitBtn1 = nullptr; ///< "Open"
    QLineEdit* PhaseFileNameEdit = nullptr;
    QLineEdit* MaskFileNameEdit = nullptr;
    QLineEdit* FringeLevelEdit = nullptr;
    QLineEdit* PosXEdit = nullptr;
    QLineEdit* PosYEdit = nullptr;
    QToolButton* Multiple2SpeedButton = nullptr;
    QToolButton* Div2SpeedButton = nullptr;
    QLabel* WorkingDirLabel = nullptr; ///< hidden

    /// Asks for a mask (cancel: "none mask") and a phase map (cancel: nothing changes), then shows
    /// the colour picture in "Pseudo Color Display Phase" and the mask in "Pseudo Color Mask".
    void BitBtn1Click();
    /// Doubles the displayed fringe density (nothing without a map).
    void Multiple2SpeedButtonClick();
    /// Halves it (nothing without a map).
    void Div2SpeedButtonClick();

    /// Position and fringe level under the mouse in "Pseudo Color Display Phase".
    void DocumentMouseMoved(TMDIChildForm& child, int x, int y) override;

    const TFloatImage* Phase() const { return phase_.get(); }
    const TGrayImage* Mask() const { return mask_.get(); }
    /// Number of renders so far, each behind the please-wait indication.
    int RenderCount() const { return renders_; }

  protected:
    void FormShow() override;

  private:
    /// Renders the map with the please-wait indication and shows it in its window.
    void Render();

    std::unique_ptr<TFloatImage> phase_;
    std::unique_ptr<TGrayImage> mask_;
    QLabel* pleaseWait_ = nullptr;
    int renders_ = 0;
};

} // namespace corvane::ui
