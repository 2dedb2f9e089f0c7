#pragma once
#include "correlation/StrainCompute.h"
#include "shell/TToolForm.h"

#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;

namespace corvane::ui {

/// "Compute Strain": the displacement derivatives Ux, Uy (of the U field) and Vx, Vy (of the V
/// field), by finite differences that respect a validity mask, and the shear strain (Uy + Vx) / 2.
/// Each result is shown as a grey picture through the mask and can be saved as an FLT map; the
/// fields are FLT files named relative to the working directory. The results are kept until they
/// are computed again.
class TComputeStrainForm : public TToolForm {
    Q_OBJECT
  public:
    /// Builds the window as a tool of mainForm and wires StrainAction to show it.
    explicit TComputeStrainForm(TMainForm& mainForm);
    ~TComputeStrainForm() override;

    QLabel* WorkingDirLabel = nullptr;
    QLineEdit* UFieldEdit = nullptr;
    QLineEdit* VFieldEdit = nullptr;
    QCheckBox* MaskValueCheckBox = nullptr;
    QLineEdit* MaskValueEdit = nullptr;
    QCheckBox* UseMaskFileCheckBox = nullptr;
    QLineEdit* MaskFileEdit = nullptr;

    QAction* UxAction = nullptr;
    QAction* UyAction = nullptr;
    QAction* VxAction = nullptr;
    QAction* VyAction = nullptr;
    QAction* UyVxAction = nullptr;
    QAction* OpenUFieldFileAction = nullptr;
    QAction* OpenVFieldFileAction = nullptr;
    QAction* OpenMaskFileAction = nullptr;

    QMenuBar* MainMenu = nullptr;
    QMenu* SaveStrainMenu = nullptr;
    QAction* SaveUxAction = nullptr;
    QAction* SaveUyAction = nullptr;
    QAction* SaveVxAction = nullptr;
    QAction* SaveVyAction = nullptr;
    QAction* SaveShearStrainAction = nullptr;
    QAction* SaveMaskAction = nullptr;

    /// Chooses the U (V) field: its bare name goes to the edit, its folder becomes the working
    /// directory, and the field is shown in " U Field" (" V Field").
    void OpenUFieldFileActionExecute();
    void OpenVFieldFileActionExecute();
    /// Chooses the mask picture (its bare name) and shows it in " Mask File".
    void OpenMaskFileActionExecute();
    /// Computes a derivative of the named field, shows it in its role window and the mask in
    /// "Strain Mask". A missing field file throws "<path>: not exists".
    void UxActionExecute();
    void UyActionExecute();
    void VxActionExecute();
    void VyActionExecute();
    /// Shear strain from the held Uy and Vx ("compute uy first", "compute vx first").
    void UyVxActionExecute();
    /// Save a held result as FLT ("compute Ux first" ... when it was not computed).
    void SaveUxActionExecute();
    void SaveUyActionExecute();
    void SaveVxActionExecute();
    void SaveVyActionExecute();
    void SaveShearStrainActionExecute();
    /// Saves the mask of the last derivative as BMP ("compute a strain first" without one).
    void SaveMaskActionExecute();

    /// The result held for a component, or null.
    const TFloatImage* Result(StrainComponent component) const { return results_.Find(component); }

  private:
    void OpenField(QLineEdit* edit, const QString& roleCaption);
    void ComputeComponent(StrainComponent component);
    void SaveComponent(StrainComponent component);
    StrainMaskOptions MaskOptions() const;
    std::string InWorkingDir(const QString& name) const;

    TStrainResults results_;
    std::unique_ptr<TGrayImage> mask_;
};

} // namespace corvane::ui
