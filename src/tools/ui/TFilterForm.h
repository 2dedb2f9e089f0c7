#pragma once
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace corvane::ui {

/// "Filter": chooses the filter and the window size with which the "Filter..." command filters the
/// active document window's picture in place. A modal dialog made each time the command runs.
class TFilterForm : public QDialog {
    Q_OBJECT
  public:
    explicit TFilterForm(QWidget* parent = nullptr);

    QComboBox* FilterTypeComboBox = nullptr; ///< "Median Filter", its only item
    QSlider* MedianFilterTrackBar = nullptr; ///< window size, position 3
    QLabel* TrackBarValueLabel = nullptr;    ///< the track bar position
    QLabel* AppliedSizeLabel = nullptr;      ///< the window the median applies: an even size is one more
    QPushButton* BitBtn1 = nullptr;          ///< OK
    QPushButton* BitBtn2 = nullptr;          ///< Cancel

    /// Shows the track bar position in TrackBarValueLabel and the window applied in AppliedSizeLabel.
    void MedianFilterTrackBarChange();
    /// The window size chosen: the track bar position for "Median Filter", else 3.
    int WindowSize() const;

    /// The track bar's range.
    static constexpr int SmallestSize = 1;
    static constexpr int LargestSize = 15;
};

} // namespace corvane::ui
