#pragma once
#include <QString>

#include <functional>
#include <vector>

#include "phase/CarrierMoirePages.h"
#include "phase/TCarrierMoire.h"

class QAction;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QWidget;

namespace corvane::ui {

class IDialogs;
class TMainForm;
class TMDIChildForm;

/// The controls both carrier-fringe wizards share, named as the tools name them. A tool window
/// holds them as public members (through this struct), so tests and readers find them by name.
struct TCarrierMoireControls {
    QLabel* WorkingDirLabel = nullptr;
    QTabWidget* MoireNotebook = nullptr;
    QPushButton* PreviousButton = nullptr;
    QPushButton* NextButton = nullptr;

    // "Step 1"
    QLineEdit* MoireImageFileNameEdit = nullptr;
    QToolButton* BrowseMoireIMageFileSpeedButton = nullptr;

    // "Step 2"
    QLineEdit* XEdit = nullptr;
    QLineEdit* YEdit = nullptr;
    QLineEdit* WidthEdit = nullptr;
    QLineEdit* HeightEdit = nullptr;
    QPushButton* ComputeCarrierButton = nullptr;
    QLineEdit* CarrierXEdit = nullptr;
    QLineEdit* CarrierYEdit = nullptr;
    /// Says which carrier peak gives the phase with its sign reversed, and warns when the carrier
    /// in the edits is that peak.
    QLabel* CarrierSignLabel = nullptr;
    /// "Reverse sign": the wrapped phases are turned over when Step 2 is left (unchecked: as the
    /// carrier gives them).
    QCheckBox* ReverseSignCheckBox = nullptr;
    QLineEdit* MovingWidthEdit = nullptr;
    QLineEdit* MovingHeightEdit = nullptr;
    QPushButton* AdjustButton = nullptr;

    // "Step 3"
    QLineEdit* CoefEdit = nullptr;
    QLineEdit* StartingXEdit = nullptr;
    QLineEdit* StartingYEdit = nullptr;
    QLineEdit* RefStartingXEdit = nullptr;
    QLineEdit* RefStartingYEdit = nullptr;
    QLineEdit* BoundaryEdit = nullptr;
    QPushButton* SaveReferencePhaseButton = nullptr;
    QPushButton* SaveDeformedPhaseButton = nullptr;
    QLabel* ALabel = nullptr;
    QLabel* BLabel = nullptr;

    // "Step 4"
    QLineEdit* PhaseIntegerXEdit = nullptr;
    QLineEdit* PhaseIntegerYEdit = nullptr;
    QLineEdit* PhaseIntegerEdit = nullptr;
    QPushButton* PhaseIntegerButton = nullptr;
    QLineEdit* PEdit = nullptr;
    QPushButton* ConvertButton = nullptr;
    QLineEdit* BaseXEdit = nullptr;
    QLineEdit* BaseYEdit = nullptr;
    QLineEdit* BaseWidthEdit = nullptr;
    QLineEdit* BaseHeightEdit = nullptr;
    QPushButton* ComputeBaseValueButton = nullptr;
    QLineEdit* AbsXEdit = nullptr;
    QLineEdit* AbsYEdit = nullptr;
    QLineEdit* AbsoluteDisplacementEdit = nullptr;
    QPushButton* ConvertToAbsoluteDisplacementButton = nullptr;
    QLineEdit* PhaseEdit = nullptr;

    // "Step 5"
    QPushButton* SaveButton = nullptr;
    QCheckBox* UseOutputGridCheckBox = nullptr;
    QLineEdit* GridxEdit = nullptr;
    QLineEdit* GridyEdit = nullptr;
    QCheckBox* UseMaskCheckBox = nullptr;
    QLineEdit* MaskFileEdit = nullptr;
    QToolButton* MaskFileSpeedButton = nullptr;
    QCheckBox* OutputRangeCheckBox = nullptr;
    QLineEdit* LeftEdit = nullptr;
    QLineEdit* TopEdit = nullptr;
    QLineEdit* RightEdit = nullptr;
    QLineEdit* BottomEdit = nullptr;

    // Pop-up of the notebook: the reference map as FLT (the image map's item is named per tool).
    QAction* SaveReftoBinFile1 = nullptr;
};

/// The role captions of one carrier tool ("phase:One Image", ...), from the tool's suffix.
struct TCarrierMoireRoles {
    explicit TCarrierMoireRoles(const QString& suffix);
    QString RawImage, Spectra, RefSpectra, Phase, RefPhase, Unwrapped, RefUnwrapped, Absolute, Mask;
    /// Every caption above.
    std::vector<QString> All() const;
};

/// The five-page carrier wizard both moire tools share: builds the pages into the tool window,
/// runs the stages of TCarrierMoire when Next leaves a step, shows the maps in the role windows,
/// and carries out the commands of Steps 2 to 5 and the mouse input of the document windows. The
/// tool window keeps its own lifecycle and handlers and calls in here; errors are thrown to the
/// tool's guard. Numbers in the edits are read with a '.' decimal point.
class TCarrierMoireWizard {
  public:
    struct TConfig {
        TCarrierMethod Method = TCarrierMethod::OneImage;
        QString Suffix;         ///< of the role captions: "One Image", "Two Image"
        QString TableTitle;     ///< title of the result-table save dialog
        QString SaveFilter;     ///< filter of the save dialog
        QString MaskDefault;    ///< initial text of MaskFileEdit
        QString PictureLabel{}; ///< label above the picture's file box on "Step 1" (empty: none)
    };

    /// Builds the pages, the working directory and the buttons (closeButton among them) into form;
    /// the tool adds its own Step 1 rows to StepOneGrid().
    TCarrierMoireWizard(TMainForm& mainForm, QWidget& form, QPushButton* closeButton,
                        TCarrierMoireControls& controls, TConfig config);

    const TCarrierMoireRoles Roles;
    TCarrierMoire& Moire() { return moire_; }
    const TCarrierMoire& Moire() const { return moire_; }
    /// The page shown, 0 for "Step 1".
    int Page() const { return pages_.Page(); }
    /// Grid of the "Step 1" page; row 0 holds the moire picture, the tool adds rows from 1 on.
    QGridLayout* StepOneGrid() const { return stepOneGrid_; }
    /// Grid of the carrier group of "Step 2"; row 0 holds the carrier edits, row 1 is free, rows 2
    /// and 3 hold the sign warning and "Reverse sign".
    QGridLayout* CarrierGrid() const { return carrierGrid_; }
    /// Grid of "Step 3"; row 3 (above the boundary) is free for the tool's option.
    QGridLayout* StepThreeGrid() const { return stepThreeGrid_; }
    /// The page at index (0 .. 4).
    QWidget* PageWidget(int index) const;

    /// The tool was shown: "Step 1", Previous disabled, Next enabled.
    void Shown();
    /// The tool was hidden: the processing state is released and the plane shown is cleared.
    void Hidden();

    /// Next: on "Step 1" refuses missing files (the page stays); otherwise advances and runs the
    /// stage of the step left. source gives what Step 1 builds from, removal how Step 3 removes
    /// the reference.
    void Next(const std::function<TCarrierSource()>& source,
              const std::function<TReferenceRemoval()>& removal);
    /// Previous: back one page; nothing is undone.
    void Previous();

    /// Picture dialog in the working directory: the edit gets the full name, the working directory
    /// and the current directory follow, and the picture is shown in the role window.
    void ChoosePicture(QLineEdit* edit, const QString& role);
    /// A file name of an edit; a relative one is taken in the working directory.
    std::string FileOf(const QLineEdit* edit) const;

    // Step 2
    void ComputeCarrier();
    void ModifyCarrier();
    void Adjust();

    // Step 3 and the pop-up: FLT saves with a dialog title (empty: the title the dialog showed last).
    void SaveMap(TMoireMap map, TValueScaleRule rule, const QString& title);

    // Step 4
    void SetFringeOrder();
    void ConvertPitch();
    void ComputeAverage();
    void ConvertToAbsolute();

    // Step 5
    void SaveTable();
    void ChooseMask();
    /// Shows the edits, labels and buttons of the three Step 5 boxes when the box is checked.
    void UpdateOptionalControls();

    /// Mouse input: the dragged rectangle into the search, window, base and range edits.
    void Dragged(TMDIChildForm& child, int x1, int y1, int x2, int y2);
    /// Mouse move over the absolute phase on "Step 4": the map value into PhaseEdit.
    void MouseMoved(TMDIChildForm& child, int x, int y);

    /// What the commands that need the processing state say without one.
    static constexpr const char* kNothingComputedMessage =
        "Nothing has been computed yet: go back to Step 1 and pass it with a picture and a valid size.";

  private:
    /// True with a processing state; without one it says so (kNothingComputedMessage).
    bool RequireState();
    void BuildStepOne(QWidget* page);
    void BuildStepTwo(QWidget* page);
    void BuildStepThree(QWidget* page);
    void BuildStepFour(QWidget* page);
    void BuildStepFive(QWidget* page);
    void ShowPage();
    void LeaveStepOne(const TCarrierSource& source);
    void LeaveStepTwo();
    void LeaveStepThree(TReferenceRemoval removal);
    void ShowFinalMap();
    /// CarrierSignLabel for the carrier of the edits and the "Reverse sign" box.
    void UpdateCarrierSign();
    void Outline(const QString& caption, const TMapCorners& corners);
    std::optional<QString> AskSaveName(int filterIndex, const QString& defaultExt);

    TMainForm& main_;
    IDialogs& dialogs_;
    QWidget& form_;
    TCarrierMoireControls& c_;
    TConfig config_;
    TCarrierMoire moire_;
    TCarrierMoirePages pages_;
    QGridLayout* stepOneGrid_ = nullptr;
    QGridLayout* carrierGrid_ = nullptr;
    QGridLayout* stepThreeGrid_ = nullptr;
    std::vector<QLabel*> gridLabels_;
    std::vector<QLabel*> rangeLabels_;
    /// The save dialog keeps the title it was last shown with.
    QString saveTitle_;
};

} // namespace corvane::ui
