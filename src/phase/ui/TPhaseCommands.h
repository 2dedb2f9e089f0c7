#pragma once
#include <QObject>

namespace corvane::ui {

class IDialogs;
class TMainForm;

/// The frame's fringe commands that have no window of their own: "Geometric Moire" (two grid
/// pictures multiplied into "Geometric Moire") and "Phase To Fringe" (a phase map turned into the
/// cosine fringe picture "Generate Fringe").
class TPhaseCommands : public QObject {
    Q_OBJECT
  public:
    /// Connects to GeometricMoireAction and PhaseToFringeAction and enables them.
    explicit TPhaseCommands(TMainForm& mainForm);

    /// Asks for two pictures (cancelling either ends the command) and shows their moire.
    void GeometricMoireActionExecute();
    /// Asks for an FLT map, shows it under its file name and its fringes in "Generate Fringe". A map
    /// whose value scale is 0 is refused before anything is shown.
    void PhaseToFringeActionExecute();

  private:
    TMainForm& main_;
    IDialogs& dialogs_;
};

} // namespace corvane::ui
