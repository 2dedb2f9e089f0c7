#pragma once
#include "shell/TToolForm.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace corvane {
class TGrayImage;
class TSpeckleStatistics;
} // namespace corvane

namespace corvane::ui {

/// "Speckle Analysis": counts the speckles (8-connected components off the background) of the
/// active window's segmented picture inside a rectangle by bounding-box size and by area, and saves
/// one of four tables. A rectangle dragged in a document window fills the rectangle edits; a double
/// click in one sets its whole picture.
class TSpeckleAnalysisParaForm : public TToolForm {
    Q_OBJECT
  public:
    explicit TSpeckleAnalysisParaForm(TMainForm& mainForm);
    ~TSpeckleAnalysisParaForm() override;

    QTabWidget* PageControl = nullptr;
    QWidget* AnalysisPage = nullptr;
    QWidget* OutputPage = nullptr;
    // "Analysis"
    QLineEdit* MinPixelxEdit = nullptr;
    QLineEdit* MaxPixelxEdit = nullptr;
    QLineEdit* MinPixelyEdit = nullptr;
    QLineEdit* MaxPixelyEdit = nullptr;
    QCheckBox* WhiteSpeckleCheckBox = nullptr;
    QLineEdit* LeftEdit = nullptr;
    QLineEdit* TopEdit = nullptr;
    QLineEdit* RightEdit = nullptr;
    QLineEdit* BottomEdit = nullptr;
    QPushButton* AnalysisButton = nullptr;
    // "Output"
    QComboBox* OutputTypeComboBox = nullptr;
    QPushButton* SaveButton = nullptr;

    /// Analyses a grey copy of the active window's picture, replacing the last analysis. Throws
    /// "Open an file and then analysis" without a document window, the conversion error for an
    /// edit that is not a number, and the table messages of the statistics.
    void AnalysisButtonClick();
    /// Saves the table of the selected type under a name asked for; throws "Analysis first"
    /// before an analysis and the type's file message when the file cannot be written.
    void SaveButtonClick();

    /// The last analysis (null before one and after the window hides).
    const TSpeckleStatistics* Statistics() const { return statistics_.get(); }

    /// A dragged rectangle fills the rectangle edits, corners ordered.
    void DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) override;
    /// A double click sets the whole picture of the window.
    void DocumentDoubleClicked(TMDIChildForm& child) override;

  protected:
    /// Turns to the "Analysis" page.
    void FormShow() override;
    /// Releases the analysis and its picture.
    void FormHide() override;

  private:
    void Release();
    void SetRectangle(int x1, int y1, int x2, int y2);
    std::unique_ptr<TGrayImage> image_;
    std::unique_ptr<TSpeckleStatistics> statistics_; ///< works on image_, so it goes first
};

} // namespace corvane::ui
