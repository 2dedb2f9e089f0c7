#pragma once
#include "phase/ui/CarrierMoireWizard.h"
#include "shell/TToolForm.h"

namespace corvane::ui {

/// "Two Image Moire FFT": the carrier-fringe wizard with a separate reference picture of the
/// undeformed specimen; the reference phase leaves the image phase pixel by pixel, or as its fitted
/// plane with "Use BiLinear Simulate". Shown by TwoGridImageFFTAction; both grid-image commands are
/// off while it is shown; hiding it releases the processing state and closes its role windows.
class TTwoImageMoireFFTForm : public TToolForm, public TCarrierMoireControls {
    Q_OBJECT
  public:
    explicit TTwoImageMoireFFTForm(TMainForm& mainForm);

    // "Step 1": the reference picture
    QLineEdit* RefImageFileNameEdit = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    // "Step 3"
    QCheckBox* UseBiLinearSimulateCheckBox = nullptr;
    // pop-up of the notebook
    QAction* SaveToBinFileMenuItem = nullptr;

    /// The wizard (stages, role captions, processing state).
    TCarrierMoireWizard& Wizard() { return wizard_; }
    /// "raw ref image:Two Image", the reference picture's window.
    static const QString kRawRefImageRole;

    void BrowseMoireIMageFileSpeedButtonClick();
    void SpeedButton1Click();
    void NextButtonClick();
    void PreviousButtonClick();
    void ComputeCarrierButtonClick();
    void AdjustButtonClick();
    void UseBiLinearSimulateCheckBoxClick();
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
    void SaveToBinFileMenuItemClick();
    void SaveReftoBinFile1Click();

    /// A drag sets the fields of the spectrum windows, Step 4 and the output range.
    void DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) override;
    /// Over "absolute phase:Two Image" on Step 4: the map value into PhaseEdit.
    void DocumentMouseMoved(TMDIChildForm& child, int x, int y) override;

  protected:
    void FormShow() override;
    void FormHide() override;

  private:
    TCarrierMoireWizard wizard_;
};

} // namespace corvane::ui
