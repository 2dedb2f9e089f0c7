#pragma once
#include "shell/TToolForm.h"

#include <cstdint>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace corvane {
struct TEncodeOptions;
struct TEncodeSession;
} // namespace corvane

namespace corvane::ui {

/// "Encode Parameter": encodes the dots of the active document window into grid indices from an
/// origin dot (found automatically, from the pitches of "Set dx dy", or given dot by dot on "Set
/// Origin"), shows the dots left out of the net, and lets the user pick dots with the mouse to read
/// and correct their codes. Each document window keeps its own encoder and origin mode.
class TEncodeParameterForm : public TToolForm {
    Q_OBJECT
  public:
    explicit TEncodeParameterForm(TMainForm& mainForm);
    ~TEncodeParameterForm() override;

    QTabWidget* PageControl = nullptr;

    // "Encode"
    QLineEdit* AreaThresholdEdit = nullptr;
    QComboBox* ChooseOriginMethodComboBox = nullptr;
    QPushButton* AutoEvaluateSpeedButton = nullptr;
    QCheckBox* WhiteGridCheckBox = nullptr;
    QPushButton* EncodeButton = nullptr;
    QLabel* PleaseWaitLabel = nullptr;

    // "View  && Modify"
    QLineEdit* IndexEdit = nullptr;
    QLineEdit* FxEdit = nullptr;
    QLineEdit* FyEdit = nullptr;
    QLineEdit* AreaEdit = nullptr;
    QLineEdit* NxEdit = nullptr;
    QLineEdit* NyEdit = nullptr;
    QCheckBox* CodedCheckBox = nullptr;
    QCheckBox* NetedCheckBox = nullptr;
    QPushButton* ModifyOriginButton = nullptr;
    QPushButton* SetCoordinateButton = nullptr;
    QGroupBox* ViewModeRadioGroup = nullptr;      ///< "View Mode"
    QRadioButton* PassViewRadioButton = nullptr;  ///< "View Mode": pick on mouse move
    QRadioButton* ClickViewRadioButton = nullptr; ///< "View Mode": pick on click (default)

    // "Set Origin"
    QPushButton* OriginSpeedButton = nullptr;
    QPushButton* N0SpeedButton = nullptr; ///< "Right"
    QPushButton* N1SpeedButton = nullptr; ///< "down"
    QPushButton* N2SpeedButton = nullptr; ///< "Left"
    QPushButton* N3SpeedButton = nullptr; ///< "Up"
    QLineEdit* DirectSetOriginEdit = nullptr;
    QPushButton* SetIndexButton = nullptr;
    QLineEdit* SetOriginNxEdit = nullptr;
    QLineEdit* SetOriginNyEdit = nullptr;
    QPushButton* ReEncodeDirectOriginButton = nullptr;

    // "Set dx dy"
    QLineEdit* DxEdit = nullptr;
    QLineEdit* DyEdit = nullptr;
    QPushButton* ReEncodeButton = nullptr;

    /// The frame's "Encoding": "Center Grid Dot" chosen and the window shown. Throws "Open Image
    /// File First!!!" without a document window.
    void EncodingActionExecute();

    /// An automatic encode of the active window ("White Grid" copied into the window first).
    void EncodeButtonClick();
    /// "Start Encode Again" of "Set dx dy": the origin's neighbours predicted from the pitches.
    void ReEncodeButtonClick();
    /// "Start Encode Again" of "Set Origin": the origin and neighbours of the five slots.
    void ReEncodeDirectOriginButtonClick();
    /// "The Least Grid Area" becomes two thirds of the mean dot area of the active window.
    void AutoEvaluateSpeedButtonClick();
    /// The picked dot becomes the origin (0, 0) of every code.
    void ModifyOriginButtonClick();
    /// The picked dot gets the indices of NxEdit, NyEdit and the "Neted" flag.
    void SetCoordinateButtonClick();
    /// Shows the slot of the speed button that is down and highlights its dot.
    void OriginSpeedButtonClick();
    /// Stores the number of DirectSetOriginEdit in the slot of the speed button that is down.
    void SetIndexButtonClick();

    /// The "Set Origin" slot (0: origin, 1..4: neighbours Right, down, Left, Up) that is chosen.
    int ChosenSlot() const;

    /// A dragged rectangle gives the pitches (DxEdit, DyEdit).
    void DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) override;
    /// In "Pass View", picks the dot under the mouse of an encoded window.
    void DocumentMouseMoved(TMDIChildForm& child, int x, int y) override;
    /// In "Click  View", picks the clicked dot of an encoded window.
    void DocumentClicked(TMDIChildForm& child, int x, int y) override;

  protected:
    /// Turns to the "Encode" page.
    void FormShow() override;

  private:
    /// Runs an encode of the active window in the given origin mode.
    void RunEncode(std::int32_t mode);
    TEncodeOptions Options(const TMDIChildForm& window, std::int32_t mode) const;
    void Pick(TMDIChildForm& child, int x, int y);
    /// Highlights dot k of the active window's encoder.
    void SelectDot(std::int32_t k);
    QButtonGroup* slotButtons_ = nullptr;
};

} // namespace corvane::ui
