#pragma once
#include "shell/TToolForm.h"

class QButtonGroup;
class QGroupBox;
class QLineEdit;

namespace corvane::ui {

/// "Generate Grid": a cosine grid of a given carrier, tilt and initial phase, optionally with the
/// cylinder deformation, drawn into the document window captioned by FileNameEdit. Shown by
/// GenerateGridAction.
class TGenerateGridForm : public TToolForm {
    Q_OBJECT
  public:
    explicit TGenerateGridForm(TMainForm& mainForm);

    QLineEdit* FileNameEdit = nullptr;
    QLineEdit* WidthEdit = nullptr;
    QLineEdit* HeightEdit = nullptr;
    QLineEdit* XCarrierEdit = nullptr;
    QLineEdit* YCarrierEdit = nullptr;
    QLineEdit* LeanYEdit = nullptr;
    QLineEdit* LeanXEdit = nullptr;
    QLineEdit* InitPhaseEdit = nullptr;
    QGroupBox* DirectionRadioGroup = nullptr;   ///< "X " (0), "Y " (1), "X and Y " (2)
    QGroupBox* DeformationRadioGroup = nullptr; ///< "none" (0), "cylinder" (1), "1/r" (2)
    QPushButton* Button1 = nullptr;             ///< "Generate!!!"

    int DirectionIndex() const;
    void SetDirectionIndex(int index);
    int DeformationIndex() const;
    void SetDeformationIndex(int index);

    /// Generates the grid of the edits. Text that is not a number, or a width or height below 1,
    /// is refused before anything is drawn.
    void Button1Click();

  private:
    QButtonGroup* direction_ = nullptr;
    QButtonGroup* deformation_ = nullptr;
};

} // namespace corvane::ui
