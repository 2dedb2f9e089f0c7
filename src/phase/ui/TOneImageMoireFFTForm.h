#pragma once
#include "phase/ui/CarrierMoireWizard.h"
#include "shell/TToolForm.h"

class QGroupBox;
class QRadioButton;

namespace corvane::ui {

/// "One Image Moire FFT": the carrier-fringe wizard on one picture, an undeformed strip of it (a
/// band of rows or of columns) serving as reference. Shown by OneGridImageFFTAction; both
/// grid-image commands are off while it is shown; hiding it releases the processing state and
/// closes its role windows.
class TOneImageMoireFFTForm : public TToolForm, public TCarrierMoireControls {
    Q_OBJECT
  public:
    explicit TOneImageMoireFFTForm(TMainForm& mainForm);

    // "Step 1": the strip
    QGroupBox* RefDirectionRadioGroup = nullptr;
    QRadioButton* HorizontalRadioButton = nullptr; ///< index 0: a band of rows
    QRadioButton* VerticalRadioButton = nullptr;   ///< index 1: a band of columns
    QLineEdit* RefSizeEdit = nullptr;
    // "Step 2"
    QPushButton* ModifyButton = nullptr;
    // pop-up of the notebook
    QAction* SavetoBinFileMenuItem = nullptr;

    /// The wizard (stages, role captions, processing state).
    TCarrierMoireWizard& Wizard() { return wizard_; }
    /// Index of RefDirectionRadioGroup: 0 rows, 1 columns.
    int RefDirectionIndex() const;

    void BrowseMoireIMageFileSpeedButtonClick();
    void NextButtonClick();
    void PreviousButtonClick();
    void ComputeCarrierButtonClick();
    void ModifyButtonClick();
    void AdjustButtonClick();
    void SaveReferencePhaseButtonClick();
    void SaveDeformedPhaseButtonClick();
    void PhaseIntegerButtonClick();
    void ConvertButtonClick();
    void ComputeBaseValueButtonClick();
    void ConvertToAbsoluteDisplacementButtonClick();
    void SaveButtonClick();
    void MaskFileSpeedButtonClick();
    void UseOutputGridCheckBoxClick();
    void UseMaskCheckBoxClick();
    void OutputRangeCheckBoxClick();
    void SavetoBinFileMenuItemClick();
    void SaveReftoBinFile1Click();

    /// A drag sets the strip size (its height for rows, its width for columns) and the fields of
    /// the spectrum windows, Step 4 and the output range.
    void DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) override;
    /// Over "absolute phase:One Image" on Step 4: the map value into PhaseEdit.
    void DocumentMouseMoved(TMDIChildForm& child, int x, int y) override;

  protected:
    void FormShow() override;
    void FormHide() override;

  private:
    TCarrierMoireWizard wizard_;
};

} // namespace corvane::ui
