#pragma once
#include "correlation/DisplacementSampling.h"
#include "shell/TToolForm.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class QToolButton;

namespace corvane {
class TGrayImage;
}

namespace corvane::ui {

/// "Sample X/Y displacement": samples the U and V displacement maps (FLT files of one folder) into a
/// text table, point lists of x, y, dx, dy or x, y, theta, r, single-component lists, or a matrix of
/// U or V, on a grid and range with an optional mask, invalid-value test and scaling. It also shows
/// both maps and rewrites the scales in their FLT headers. Hiding it frees the maps and the mask.
class TMergeXYForm : public TToolForm {
    Q_OBJECT
  public:
    /// Builds the window as a tool of mainForm and wires MergeXandYDisplacementAction to show it.
    explicit TMergeXYForm(TMainForm& mainForm);
    ~TMergeXYForm() override;

    QTabWidget* PageControl = nullptr;
    QWidget* InputPage = nullptr;
    QWidget* OutputPage = nullptr;

    // Input page.
    QGroupBox* InputGroupBox = nullptr;
    QLabel* WorkingDirLabel = nullptr;
    QLineEdit* DisplaceXFileEdit = nullptr;
    QToolButton* DisplaceXSpeedButton = nullptr;
    QLineEdit* DisplaceYFileEdit = nullptr;
    QToolButton* DisplaceYSpeedButton = nullptr;
    QLineEdit* UScaleXEdit = nullptr;
    QLineEdit* UScaleYEdit = nullptr;
    QLineEdit* UValueScaleEdit = nullptr;
    QPushButton* ModifyUScaleButton = nullptr;
    QLineEdit* VScaleXEdit = nullptr;
    QLineEdit* VScaleYEdit = nullptr;
    QLineEdit* VValueScaleEdit = nullptr;
    QPushButton* ModifyVScaleButton = nullptr;
    QCheckBox* MaskValueCheckBox = nullptr;
    QLineEdit* MaskValueEdit = nullptr;
    QPushButton* ShowContentButton = nullptr;

    // Output page.
    QComboBox* ResultTypeComboBox = nullptr;
    QCheckBox* UseOutputGridCheckBox = nullptr;
    QLabel* GridxLabel = nullptr;
    QLineEdit* GridxEdit = nullptr;
    QLabel* GridyLabel = nullptr;
    QLineEdit* GridyEdit = nullptr;
    QCheckBox* OutputRangeCheckBox = nullptr;
    QLabel* LeftLabel = nullptr;
    QLineEdit* LeftEdit = nullptr;
    QLabel* RightLabel = nullptr;
    QLineEdit* RightEdit = nullptr;
    QLabel* TopLabel = nullptr;
    QLineEdit* TopEdit = nullptr;
    QLabel* BottomLabel = nullptr;
    QLineEdit* BottomEdit = nullptr;
    QCheckBox* UseMaskFileCheckBox = nullptr;
    QLineEdit* MaskFileEdit = nullptr;
    QToolButton* MaskFileSpeedButton = nullptr;
    QCheckBox* ChangeYaxisCheckBox = nullptr;
    QLineEdit* ScaleXEdit = nullptr;
    QLineEdit* ScaleYEdit = nullptr;
    QCheckBox* DisplacementCheckBox = nullptr;
    QPushButton* SaveResultButton = nullptr;

    /// Chooses and loads U (V): bare name, working directory, its header scales in the U (V) edits
    /// and its x and y scale as the output scales.
    void DisplaceXSpeedButtonClick();
    void DisplaceYSpeedButtonClick();
    /// Reloads both maps and shows them in "X displacement: to Merge" and "Y displacement: to Merge".
    void ShowContentButtonClick();
    /// Writes the U (V) scale edits into the loaded map's header and its own file; nothing when the
    /// map is not loaded.
    void ModifyUScaleButtonClick();
    void ModifyVScaleButtonClick();
    /// Chooses the mask picture and shows it in " Output Mask Image: to Merge".
    void MaskFileSpeedButtonClick();
    /// Writes the table of the chosen result type ("You should give two Binary Float File at the
    /// Input Page" unless both maps are loaded; a message when they differ in size).
    void SaveResultButtonClick();
    /// Shows the grid, range and mask edits only while their box is checked.
    void UseOutputGridCheckBoxClick();
    void OutputRangeCheckBoxClick();
    void UseMaskFileCheckBoxClick();

    /// The options the controls hold (the conversion errors for text that is not a number).
    SampleOptions Options() const;
    const TFloatImage* UField() const { return u_.get(); }
    const TFloatImage* VField() const { return v_.get(); }

  protected:
    /// The working directory becomes the current one; nothing is loaded; the first result type.
    void FormShow() override;
    /// Frees U, V and the mask.
    void FormHide() override;

  private:
    void BuildInputPage();
    void BuildOutputPage();
    void LoadField(bool isU);
    void ModifyScales(bool isU);
    std::string InWorkingDir(const QString& name) const;

    std::unique_ptr<TFloatImage> u_;
    std::unique_ptr<TFloatImage> v_;
    std::unique_ptr<TGrayImage> mask_;
};

} // namespace corvane::ui
