#pragma once
#include "shell/TToolForm.h"

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {
class TGrayImage;
}

namespace corvane::ui {

/// "Segment  Parameter": the locally adaptive threshold (window means over a lattice of square
/// windows, interpolated between their centres) segments the active window's picture into the
/// "<caption>:Segment" window; "Modify" wipes a rectangle of the active window with the
/// background value. Dragging a rectangle in a document window fills the rectangle edits.
class TSegmentParameterForm : public TToolForm {
    Q_OBJECT
  public:
    explicit TSegmentParameterForm(TMainForm& mainForm);
    ~TSegmentParameterForm() override;

    QLineEdit* SegmentWinSizeEdit = nullptr;
    QLineEdit* AdjustThresholdEdit = nullptr;
    QLabel* WinSizeLessThanLabel = nullptr;
    QCheckBox* WhiteSpeckleCheckBox = nullptr;
    QPushButton* SegmentButton = nullptr;
    QLineEdit* LeftEdit = nullptr;
    QLineEdit* TopEdit = nullptr;
    QLineEdit* RightEdit = nullptr;
    QLineEdit* BottomEdit = nullptr;
    QPushButton* ModifySegmentButton = nullptr;

    /// Segments a grey copy of the active window's picture, kept until the next run or until the
    /// window hides, and shows it in "<caption>:Segment". Throws "Open an file and then segment"
    /// without a document window, the conversion error for an edit that is not a number, and the
    /// window-size message when two windows do not fit across and down the picture.
    void SegmentButtonClick();
    /// Fills the inclusive rectangle of the edits (clipped to the picture; nothing when right < left
    /// or bottom < top) of the active window with 0 for white dots, 255 for black dots.
    /// Throws "Open an file and then modify" without a document window.
    void ModifySegmentButtonClick();

    /// The last segmented picture (null before a run and after the window hides).
    const TGrayImage* SegmentedImage() const { return segmented_.get(); }

    /// A dragged rectangle fills the rectangle edits, corners ordered.
    void DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) override;
    /// Activating a window that shows a selection takes its rectangle into the edits; the window-size
    /// limit shown follows the activated picture.
    void DocumentActivated(TMDIChildForm& child) override;

  protected:
    /// Shows the window-size limit of the active picture.
    void FormShow() override;
    /// Releases the segmented copy.
    void FormHide() override;

  private:
    void SetRectangle(int x1, int y1, int x2, int y2);
    /// "No Larger Than  N ": the largest window two of which fit across and down the picture.
    void ShowWindowSizeLimit(const TMDIChildForm* picture);
    std::unique_ptr<TGrayImage> segmented_;
};

} // namespace corvane::ui
