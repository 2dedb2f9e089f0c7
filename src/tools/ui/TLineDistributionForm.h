#pragma once
#include "shell/TToolForm.h"

#include <QImage>
#include <QPoint>
#include <QPointer>

#include <utility>
#include <vector>

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace corvane::ui {

/// "Section": the grey-level profile along the row (or the column) through the point clicked in a
/// document window, plotted and saved as numbers or as a picture. The clicked window marks the line
/// with its second marquee while the tool is shown. Created once; closing hides it.
class TLineDistributionForm : public TToolForm {
    Q_OBJECT
  public:
    /// Builds the window as a tool of mainForm and wires LineDistributionAction to show it.
    explicit TLineDistributionForm(TMainForm& mainForm);

    QLabel* LineDistributionImage = nullptr; ///< the plot; a right click opens PopupMenu
    QGroupBox* DirectionRadioGroup = nullptr;
    QRadioButton* HorizontalRadioButton = nullptr; ///< item 0 of DirectionRadioGroup
    QRadioButton* VerticalRadioButton = nullptr;   ///< item 1
    QLineEdit* PosEdit = nullptr;                  ///< the profile's row or column, "none" without one
    QAction* SaveAsImageMenuItem = nullptr;
    QAction* SaveAsData = nullptr;

    /// The size of the plot picture, fixed when the window is made.
    static constexpr int PlotWidth = 512;
    static constexpr int PlotHeight = 200;

    /// 0: "Horizontal" (a row), 1: "Vertical" (a column).
    int DirectionIndex() const;
    /// Drops the profile, shows "none" and takes the profile again in the new direction at the last
    /// point clicked in the active document window.
    void DirectionRadioGroupClick();
    /// Saves the plot as a BMP picture; " no image " without a profile.
    void SaveAsImageMenuItemClick();
    /// Saves the samples as " %d   %f" lines; " no data " without a profile.
    void SaveAsDataClick();
    /// Keeps a copy of the samples and plots them. Throws "Now more memory to allocate for repaint"
    /// when the plot cannot be made.
    void SetProfile(const std::vector<float>& values);

    const std::vector<float>& Samples() const { return samples_; }
    /// The plot as shown.
    QImage PlotImage() const { return plot_; }

    /// A click in a document window takes the profile through the clicked point.
    void DocumentClicked(TMDIChildForm& child, int x, int y) override;

  protected:
    /// Every document window drops its line marker.
    void FormHide() override;

  private:
    /// The profile of child through (x, y) in the current direction, with the window's marker.
    void TakeProfile(TMDIChildForm& child, QPoint at);
    void ClearPlot();
    /// A save dialog that asks before an existing file is replaced; nothing when cancelled.
    std::optional<QString> AskSaveName(const QString& filter, const QString& defaultExt);

    std::vector<float> samples_;
    QImage plot_;
    /// The last point clicked in each document window while the tool was shown.
    std::vector<std::pair<QPointer<TMDIChildForm>, QPoint>> clicks_;
};

} // namespace corvane::ui
