#pragma once
#include "shell/TToolForm.h"

#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace corvane {
class TFloatImage;
}

namespace corvane::ui {

/// "Phase Calculation": Source 1 minus Source 2, or minus a plane A x + B y fitted to a rectangle
/// of Source 2, from two FLT maps; the result keeps Source 1's scales and is saved as FLT. Shown by
/// PhaseCalculationAction; hiding it releases both sources and the result.
class TPhaseCalculationForm : public TToolForm {
    Q_OBJECT
  public:
    explicit TPhaseCalculationForm(TMainForm& mainForm);
    ~TPhaseCalculationForm() override;

    QLineEdit* Source1Edit = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QLineEdit* Source2Edit = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QComboBox* MethodComboBox = nullptr;
    QGroupBox* Source2LinearFitInfoGroupBox = nullptr;
    QLineEdit* LeftEdit = nullptr;
    QLineEdit* TopEdit = nullptr;
    QLineEdit* RightEdit = nullptr;
    QLineEdit* BottomEdit = nullptr;
    QLabel* ALabel = nullptr;
    QLabel* BLabel = nullptr;
    QLabel* WorkingDirLabel = nullptr;
    QPushButton* CalculationButton = nullptr;
    QPushButton* SaveToFloatButton = nullptr;

    /// Chooses Source 1 and shows it in "Source1:phase calculation".
    void SpeedButton1Click();
    /// Chooses Source 2, shows it in "Source2:phase calculation" and makes the whole map the fit
    /// rectangle.
    void SpeedButton2Click();
    /// Shows the fit group for the linear method only, shortening the window otherwise.
    void MethodComboBoxChange();
    /// Loads a missing source from its edit and computes the result, shown in
    /// "Result: Source1 ? Source2". A calculation that fails leaves no result.
    void CalculationButtonClick();
    /// Saves the result as FLT; "Select two source and calculation first!" without one.
    void SaveToFloatButtonClick();

    const TFloatImage* Source1() const { return source1_.get(); }
    const TFloatImage* Source2() const { return source2_.get(); }
    const TFloatImage* Result() const { return result_.get(); }

    /// A rectangle dragged in "Source2:phase calculation" becomes the fit rectangle.
    void DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) override;

  protected:
    void FormHide() override;

  private:
    /// Chooses an FLT map for edit and makes its directory the working one; null when cancelled.
    std::unique_ptr<TFloatImage> ChooseSource(QLineEdit* edit, const QString& role);

    std::unique_ptr<TFloatImage> source1_;
    std::unique_ptr<TFloatImage> source2_;
    std::unique_ptr<TFloatImage> result_;
};

} // namespace corvane::ui
