#pragma once
#include "shell/TToolForm.h"

#include <QImage>

#include <array>
#include <cstdint>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace corvane::ui {

/// "Simple Segment Parameter": one global threshold, picked on the logarithmic grey histogram of
/// the active document window or typed in, segments the active window's picture into the
/// "<caption>:Simple Segment" window (background side set to 0 for white dots, 255 for black
/// dots; dot pixels keep their grey). Its command shows it only while a document window is open.
class TSimpleSegmentParameterForm : public TToolForm {
    Q_OBJECT
  public:
    explicit TSimpleSegmentParameterForm(TMainForm& mainForm);
    ~TSimpleSegmentParameterForm() override;

    /// Height of the histogram picture; it is 256 columns wide, one per grey level.
    static constexpr int kHistogramHeight = 110;

    /// The 256 x 110 histogram picture; moving the mouse over it and clicking picks the threshold.
    QWidget* HistogramImage = nullptr;
    QLineEdit* SimpleSegmentThresholdEdit = nullptr;
    QCheckBox* WhiteSpeckleCheckBox = nullptr;
    QPushButton* SegmentButton = nullptr;

    /// The frame's "Simple Segment": shows the window when at least one document window is open.
    void SimpleSegmentActionExecute();
    /// Remembers the mouse column and row over the histogram.
    void HistogramImageMouseMove(int x, int y);
    /// Moves the threshold to the last mouse column (0..255; others are ignored) and writes it
    /// into the threshold edit.
    void HistogramImageClick();
    /// Moves the red threshold line to the typed level; text that is not a level of 0..255 (an
    /// edit being typed) leaves the line where it is.
    void SimpleSegmentThresholdEditChange();
    /// Segments the active window's picture; throws "Open an file and then analysis" without one
    /// and the conversion error for a threshold that is not a number.
    void SegmentButtonClick();

    /// The histogram picture as shown (white background, black bars, red threshold line).
    const QImage& HistogramPicture() const { return picture_; }
    /// Column of the red threshold line.
    int ThresholdColumn() const { return thresholdColumn_; }

    /// Activating a document window shows its histogram.
    void DocumentActivated(TMDIChildForm& child) override;

  protected:
    /// Shows the histogram of the active window when one is open.
    void FormShow() override;
    /// Clears the histogram picture.
    void FormHide() override;

  private:
    /// Counts the grey levels of window's picture and draws the whole histogram.
    void ShowHistogramOf(TMDIChildForm* window);
    /// The white picture with every bar and the red line.
    void DrawHistogram();
    /// The black bar of one level, from the bottom row up to its logarithmic height.
    void DrawBar(int level);
    void DrawColumn(int column, QRgb colour);
    /// Erases the red line (white column, then its bar again) and draws it at column.
    void MoveThresholdLine(int column);

    QImage picture_;
    std::array<std::int32_t, 256> counts_{};
    std::int32_t maxCount_ = 1;
    int thresholdColumn_ = 128;
    int mouseX_ = -1, mouseY_ = -1;
};

} // namespace corvane::ui
