#pragma once
#include <QObject>

namespace corvane::ui {

class IDialogs;
class TMainForm;

/// The frame's commands that run the inspection dialogs modally: "Histogram...", "Filter..." and
/// "Coordinate Size". Each dialog is made when its command runs and freed when it ends.
class TUtilityCommands : public QObject {
    Q_OBJECT
  public:
    /// Connects to HistogramAction, FilterAction and ModifyCoordinateSizeAction and enables them.
    explicit TUtilityCommands(TMainForm& mainForm);

    /// The histogram of the active document window; nothing without one.
    void HistogramActionExecute();
    /// Filters the active document window's picture in place with the size chosen in the "Filter"
    /// dialog; nothing without a window or when the dialog is cancelled.
    void FilterActionExecute();
    /// Edits the stored encode coordinate range.
    void ModifyCoordinateSizeActionExecute();

  private:
    TMainForm& main_;
    IDialogs& dialogs_;
};

} // namespace corvane::ui
