#pragma once
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "correlation/TCorRelationPara.h"
#include "shell/TToolForm.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace corvane::ui {

class IDialogs;
class TMainForm;

/// "Select CorRelation Parameters": a six-page wizard that picks the pictures and the mask,
/// names the output files, sets the correlation parameters (partly by dragging rectangles in
/// the document windows) and submits the run as a job or saves it as a configuration file.
/// Numbers in its edits are read with a '.' decimal point whatever the user's locale.
class TCorRelationParaSelectorForm : public TToolForm {
    Q_OBJECT
  public:
    /// startGroupJob starts a job with the filled group; it throws when no slot is free.
    TCorRelationParaSelectorForm(TMainForm& mainForm,
                                 std::function<void(const TCorRelationPara&)> startGroupJob);
    ~TCorRelationParaSelectorForm() override;

    /// The group last filled by Submit or "Save Para To...".
    TCorRelationPara Group;

    /// Fills a group from the controls (names prefixed with the working directory).
    /// Throws the conversion error ("'x' is not a valid integer value", "'x' is not a valid
    /// floating point value") for text that is not a number; nothing is changed then.
    TCorRelationPara FillGroup() const;
    /// objectName of the page shown.
    QString CurrentPageName() const;

    /// The mouse pickers: a drag in any document window sets the sizes or corners of the page
    /// shown when that page's picker box is checked.
    void DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) override;

    void NextButtonClick();
    void PreviousButtonClick();
    void InitialSpeedButtonClick();
    void DeformedSpeedButtonClick();
    void MaskSpeedButtonClick();
    void OutputGrayCheckBoxClick();
    void OutputBinFloatCheckBoxClick();
    void SearchFieldMousePickerCheckBoxClick();
    void SearchWinMousePickerCheckBoxClick();
    void FastComputeCheckBoxClick();
    void SaveParaTo1Click();
    /// A typed initial picture name that names a picture is taken as a chosen one: the picture is
    /// shown and sets the compute domain. Other text waits for Submit.
    void InitialEditExit();

    // Pages and buttons.
    QStackedWidget* Pages = nullptr;
    QWidget* InputFiles = nullptr;
    QWidget* OutputFiles = nullptr;
    QWidget* SeedInfo = nullptr;
    QWidget* SearchInfo = nullptr;
    QWidget* ComputeDomain = nullptr;
    QWidget* OutputControl = nullptr;
    QPushButton* PreviousButton = nullptr;
    QPushButton* NextButton = nullptr;

    // "InputFiles"
    QGroupBox* InputFilesGroupBox = nullptr;
    QLabel* WorkingDirLabel = nullptr;
    QLineEdit* InitialEdit = nullptr;
    QToolButton* InitialSpeedButton = nullptr;
    QLineEdit* DeformedEdit = nullptr;
    QToolButton* DeformedSpeedButton = nullptr;
    QLineEdit* MaskEdit = nullptr;
    QToolButton* MaskSpeedButton = nullptr;
    QCheckBox* FastComputeCheckBox = nullptr;
    QLineEdit* InfoEdit = nullptr;

    // "OutputFiles"
    QLineEdit* DisplacexyEdit = nullptr;
    QLineEdit* DisplaceThetaREdit = nullptr;
    QCheckBox* OutputGrayCheckBox = nullptr;
    QLabel* DxGrayLabel = nullptr;
    QLineEdit* DxGrayEdit = nullptr;
    QLabel* DyGrayLabel = nullptr;
    QLineEdit* DyGrayEdit = nullptr;
    QCheckBox* OutputBinFloatCheckBox = nullptr;
    QLabel* DxBinLabel = nullptr;
    QLineEdit* DxBinEdit = nullptr;
    QLabel* DyBinLabel = nullptr;
    QLineEdit* DyBinEdit = nullptr;
    QCheckBox* ChangeYaxisCheckBox = nullptr;

    // "SeedInfo"
    QGroupBox* SeedInfoGroupBox = nullptr;
    QLabel* SeedNumLabel = nullptr;
    QLineEdit* SeedxEdit = nullptr;
    QLineEdit* SeedyEdit = nullptr;
    QLineEdit* SeedDisplacexEdit = nullptr;
    QLineEdit* SeedDisplaceyEdit = nullptr;
    QLabel* LargeWinSizeLabel = nullptr;
    QLineEdit* LargeWinSizexEdit = nullptr;
    QLineEdit* LargeWinSizeyEdit = nullptr;
    QLabel* SeedFineLabel = nullptr;
    QLineEdit* SeedFineEdit = nullptr;
    QCheckBox* MousePickerCheckBox = nullptr;

    // "SearchInfo"
    QGroupBox* SearchInfoGroupBox = nullptr;
    QLabel* NoInformationLabel = nullptr;
    QLabel* SkipPageLabel = nullptr;
    QLineEdit* SearchFieldxEdit = nullptr;
    QLineEdit* SearchFieldyEdit = nullptr;
    QLineEdit* WinSizexEdit = nullptr;
    QLineEdit* WinSizeyEdit = nullptr;
    QCheckBox* SearchFieldMousePickerCheckBox = nullptr;
    QCheckBox* SearchWinMousePickerCheckBox = nullptr;
    QCheckBox* SubpixelRefinementCheck = nullptr; ///< Gauss-Newton refinement after the search

    // "ComputeDomain"
    QLineEdit* LeftEdit = nullptr;
    QLineEdit* TopEdit = nullptr;
    QLineEdit* RightEdit = nullptr;
    QLineEdit* BottomEdit = nullptr;
    QLineEdit* WidthEdit = nullptr;
    QLineEdit* HeightEdit = nullptr;
    QCheckBox* ComputeDomainMousePickerCheckBox = nullptr;

    // "OutputControl"
    QGroupBox* OutputControlGroupBox = nullptr;
    QAction* SaveParaTo1 = nullptr;
    QLineEdit* LimitedDisplacementAmplitudeEdit = nullptr;
    QLabel* IntervalLabel = nullptr;
    QLineEdit* IntervalxEdit = nullptr;
    QLineEdit* IntervalyEdit = nullptr;
    /// Only the points of the output grid are computed. Checked while the grid is above 1 in
    /// either direction, until the user sets it.
    QCheckBox* GridOnlyCheckBox = nullptr;
    QLineEdit* ScalexEdit = nullptr;
    QLineEdit* ScaleyEdit = nullptr;
    QLabel* FilterLabel = nullptr;
    QComboBox* FilterTypeComboBox = nullptr;
    QLineEdit* FieldxEdit = nullptr;
    QLineEdit* FieldyEdit = nullptr;
    QLabel* AverageThresholdLabel = nullptr;
    QLineEdit* AverageThresholdEdit = nullptr;
    QLineEdit* OutputLeftEdit = nullptr;
    QLineEdit* OutputTopEdit = nullptr;
    /// Lowest correlation a point keeps, "Minimum Correlation(0=keep every point)"; "0".
    QLineEdit* MinCorrelationEdit = nullptr;

  protected:
    /// Starts on the first page.
    void FormShow() override;

  private:
    void BuildInputFiles();
    void BuildOutputFiles();
    void BuildSeedInfo();
    void BuildSearchInfo();
    void BuildComputeDomain();
    void BuildOutputControl();
    /// Shows page index and sets the buttons for it.
    void ShowPage(int index);
    /// Visibility and captions that follow the fast-compute and output boxes.
    void UpdateModeControls();
    /// Picture open dialog in the working directory; loads the chosen picture into the role
    /// window and returns its size through width and height; false when nothing was chosen.
    bool OpenPicture(QLineEdit* edit, const QString& roleCaption, int& width, int& height);

    /// Right and bottom from the initial picture's size, then the width and height of the domain.
    void SetDomainFromPicture(int width, int height);
    /// Width and height follow the four corners while they hold numbers.
    void UpdateDomainSize();
    /// The file an edit names: a relative name lies in the working directory.
    QString PictureFile(const QLineEdit* edit) const;
    /// Shows the page that holds field and gives the field the focus.
    void FocusField(QWidget* field);
    /// The number fields in the order FillGroup reads them.
    std::vector<QLineEdit*> NumberFields() const;
    /// The edit that holds a TCorRelationPara member.
    QLineEdit* FieldOf(const std::string& member) const;
    /// Checks a filled group before it becomes a job. A parameter the run cannot work with throws
    /// "Check your computing parameters, then start again" followed by the field's name and what is
    /// wrong, with the field shown and focused; the wizard keeps every setting.
    void CheckGroup(const TCorRelationPara& group);

    std::function<void(const TCorRelationPara&)> startGroupJob_;
    QString initialShown_;     ///< the initial picture file last shown and measured
    bool gridOnlySet_ = false; ///< the user has set GridOnlyCheckBox: it no longer follows the grid
    /// GridOnlyCheckBox follows the interval edits until the user sets it.
    void FollowGridInterval();
};

} // namespace corvane::ui
