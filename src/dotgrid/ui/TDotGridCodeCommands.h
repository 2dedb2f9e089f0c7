#pragma once
#include <QObject>

#include <memory>

namespace corvane {
class TCodeMatch;
}

namespace corvane::ui {

class IDialogs;
class TMainForm;

/// The frame's commands on the codes of encoded dot grids: "Show Codes", "Save Codes", "Match
/// Codes" and "Save Match". The match of the last "Match Codes" is kept here for "Save Match".
class TDotGridCodeCommands : public QObject {
    Q_OBJECT
  public:
    /// Connects to ShowCodesAction, CodesIntoCopyAction, SaveCodesAction, MatchCodesAction and
    /// SaveMatchAction and enables them.
    explicit TDotGridCodeCommands(TMainForm& mainForm);
    ~TDotGridCodeCommands() override;

    /// Every dot of the active window labelled with its code, over the picture (its pixels stay
    /// as they are); nothing without an encoder.
    void ShowCodesActionExecute();
    /// "Codes Into a Copy": the picture of the active window enlarged to its zoom (at least 1:1)
    /// with every code drawn into the pixels as Show Codes shows them, in the window captioned
    /// "<caption>:Codes"; nothing without an encoder.
    void CodesIntoCopyActionExecute();
    /// The active window's codes saved as a code file with the frame's image scale; nothing
    /// without an encoder or when the dialog is cancelled.
    void SaveCodesActionExecute();
    /// Reads an initial and a deformed code file and matches them; the previous match is dropped
    /// first, so after a failed read there is none.
    void MatchCodesActionExecute();
    /// Writes the last match in the layout chosen in "Select Result Type". Throws "Match Codes
    /// first!!!" without a match.
    void SaveMatchActionExecute();

    /// The match of the last "Match Codes" (null when there is none).
    const TCodeMatch* Match() const { return match_.get(); }

  private:
    TMainForm& main_;
    IDialogs& dialogs_;
    std::unique_ptr<TCodeMatch> match_;
};

} // namespace corvane::ui
