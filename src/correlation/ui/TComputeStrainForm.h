#pragma once
#include "correlation/StrainFit.h"
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
/// field), by finite differences that respect a validity mask or, with a "Strain window", by a
/// least-squares plane over that many points square; the shear strain (Uy + Vx) / 2; and the
/// Green-Lagrange strains exx, eyy, exy, the principal strains e1, e2 and the equivalent strain
/// evm of both fields. Each result is shown as a grey picture through the mask, tells its value
/// under the mouse, opens in Colour Map with one click and can be saved as an FLT map; the fields
/// are FLT files named relative to the working directory. The results are kept until they are
/// computed again.
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
    /// "Strain window": odd number of points N >= 3 of the fitting window; empty = finite differences.
    QLineEdit* StrainWindowEdit = nullptr;

    QAction* UxAction = nullptr;
    QAction* UyAction = nullptr;
    QAction* VxAction = nullptr;
    QAction* VyAction = nullptr;
    QAction* UyVxAction = nullptr;
    QAction* ExxAction = nullptr;
    QAction* EyyAction = nullptr;
    QAction* ExyAction = nullptr;
    QAction* E1Action = nullptr;
    QAction* E2Action = nullptr;
    QAction* EvmAction = nullptr;
    /// "Colour Map": the last result's window in the Colour Map tool.
    QAction* ShowColourMapAction = nullptr;
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
    QAction* SaveExxAction = nullptr;
    QAction* SaveEyyAction = nullptr;
    QAction* SaveExyAction = nullptr;
    QAction* SaveE1Action = nullptr;
    QAction* SaveE2Action = nullptr;
    QAction* SaveEvmAction = nullptr;
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
    /// Shear strain from the held Uy and Vx ("compute uy first", "compute vx first"); with a strain
    /// window from both fields' fitted derivatives.
    void UyVxActionExecute();
    /// A strain of both fields, each derivative by the rule the strain window chooses.
    void ExxActionExecute() { ComputeComponent(StrainComponent::Exx); }
    void EyyActionExecute() { ComputeComponent(StrainComponent::Eyy); }
    void ExyActionExecute() { ComputeComponent(StrainComponent::Exy); }
    void E1ActionExecute() { ComputeComponent(StrainComponent::E1); }
    void E2ActionExecute() { ComputeComponent(StrainComponent::E2); }
    void EvmActionExecute() { ComputeComponent(StrainComponent::Evm); }
    /// Activates the last result's window and opens it in Colour Map ("compute a strain first"
    /// without one).
    void ShowColourMapActionExecute();
    /// Save a held result as FLT ("compute Ux first" ... when it was not computed).
    void SaveUxActionExecute();
    void SaveUyActionExecute();
    void SaveVxActionExecute();
    void SaveVyActionExecute();
    void SaveShearStrainActionExecute();
    void SaveExxActionExecute() { SaveComponent(StrainComponent::Exx); }
    void SaveEyyActionExecute() { SaveComponent(StrainComponent::Eyy); }
    void SaveExyActionExecute() { SaveComponent(StrainComponent::Exy); }
    void SaveE1ActionExecute() { SaveComponent(StrainComponent::E1); }
    void SaveE2ActionExecute() { SaveComponent(StrainComponent::E2); }
    void SaveEvmActionExecute() { SaveComponent(StrainComponent::Evm); }
    /// Saves the mask of the last derivative as BMP ("compute a strain first" without one).
    void SaveMaskActionExecute();

    /// The result held for a component, or null.
    const TFloatImage* Result(StrainComponent component) const { return results_.Find(component); }

  private:
    void OpenField(QLineEdit* edit, const QString& roleCaption);
    void ComputeComponent(StrainComponent component);
    void SaveComponent(StrainComponent component);
    StrainMaskOptions MaskOptions() const;
    /// The strain window's number of points; 0 when the edit is empty.
    int FitWindow() const;
    /// Shows a result in its role window, as grey through the mask and with its values.
    void ShowResult(StrainComponent component, const TGrayImage& mask);
    std::string InWorkingDir(const QString& name) const;

    TStrainResults results_;
    std::unique_ptr<TGrayImage> mask_;
    QString lastRole_; ///< the role window of the last result shown
};

} // namespace corvane::ui
