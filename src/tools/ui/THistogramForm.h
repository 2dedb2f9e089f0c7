#pragma once
#include <QDialog>
#include <QImage>

#include <array>
#include <cstdint>

#include "image/GrayHistogram.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace corvane::ui {

class IDialogs;

/// "Histogram": the level histograms of one document window's picture in four channels (grey, red,
/// green, blue) with their statistics, a logarithmic plot and the channel's colour ramp. Moving
/// over the plot reads one level; dragging reads and marks a range of levels. A modal dialog, made
/// for one picture each time the command runs.
class THistogramForm : public QDialog {
    Q_OBJECT
  public:
    /// Counts the four channels of the 24-bit picture (a document window's bitmap). Errors of the
    /// handlers are shown through dialogs.
    THistogramForm(IDialogs& dialogs, const QImage& bitmap, QWidget* parent = nullptr);

    QComboBox* ChannelComboBox = nullptr;
    QLabel* HistogramImage = nullptr;
    QLabel* ChannelImage = nullptr;
    QLabel* LevelLabel = nullptr;
    QLabel* CountLabel = nullptr;
    QLabel* PercentileLabel = nullptr;
    QLabel* MeanLabel = nullptr;
    QLabel* StdDevLabel = nullptr;
    QLabel* MedianLabel = nullptr;
    QLabel* PixelsLabel = nullptr;
    QPushButton* Button1 = nullptr;

    /// Shows the statistics, the plot and the ramp of the channel chosen in ChannelComboBox.
    void ChannelComboBoxChange();
    /// Mouse on the plot, x in plot columns (column i + 1 is level i): a press starts a range,
    /// a move reads one level (or the range while dragging), a release ends the range.
    void HistogramImageMouseDown(int x);
    void HistogramImageMouseMove(int x);
    void HistogramImageMouseUp(int x);
    /// "OK": closes the dialog.
    void Button1Click();

    /// The statistics of a channel.
    const HistogramStatistics& Statistics(HistogramChannel channel) const;
    /// The plot as shown (257 columns, PlotHeight rows).
    QImage PlotImage() const;
    bool Dragging() const { return dragging_; }

    static constexpr int PlotHeight = 160;
    static constexpr int RampHeight = 16;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    HistogramChannel Channel() const;
    /// Redraws the plot; levels from markLow to markHigh (inclusive) are marked, none when low > high.
    void DrawPlot(int markLow = 1, int markHigh = 0);
    void DrawRamp();

    IDialogs& dialogs_;
    std::array<HistogramStatistics, 4> channels_;
    bool dragging_ = false;
    int level_ = 0;      ///< level under the mouse
    int startLevel_ = 0; ///< level where the drag began
};

} // namespace corvane::ui
