#pragma once
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "phase/PhaseShift.h"
#include "shell/TToolForm.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

namespace corvane::ui {

class IDialogs;
class TMainForm;

/// What the three phase-shifting tools share: the step edits and their "..." buttons, the working
/// directory, the Compute Phase / Save To Float / Read Data buttons, the step pictures read last and
/// the phase computed last. Each tool owns one and forwards its handlers to it; the tool's own
/// show/hide lifecycle calls Forget and ReleaseSteps.
/// What Save To Float says before a phase was computed.
inline const QString kNoPhaseToSaveMessage =
    QStringLiteral("No phase to save yet: press \"Compute Phase\" first.");

class PhaseShiftSteps {
  public:
    /// tag is the suffix of the step windows ("C3S"), phaseRole the phase window's caption; the
    /// controls are made as children of page.
    PhaseShiftSteps(TMainForm& mainForm, QWidget* page, PhaseShiftMethod method, const QString& tag,
                    const QString& phaseRole);
    ~PhaseShiftSteps();

    int Count() const { return count_; }

    std::array<QLineEdit*, 4> StepEdits{};          ///< Step1Edit ... Step4Edit (the last null for 3 steps)
    std::array<QToolButton*, 4> StepSpeedButtons{}; ///< Step1SpeedButton ... ("...")
    QLabel* WorkingDirLabel = nullptr;
    QPushButton* ComputePhaseButton = nullptr;
    QPushButton* SaveToFloatButton = nullptr;
    QPushButton* ReadImageButton = nullptr; ///< "Read Data", hidden: Compute Phase runs it

    /// Lays the controls out on the page.
    void LayOut(QWidget* page);

    /// Caption of step k's window (1-based): "Phase Shifting Step k:<tag>".
    QString StepRole(int k) const;

    /// Chooses a picture in the working directory for edit, which receives its name without the
    /// directory; the directory becomes the working and current directory, and the picture is shown
    /// in role. Nothing happens when the dialog is cancelled.
    void BrowsePicture(QLineEdit* edit, const QString& role);
    /// "..." of step k (1-based).
    void BrowseStep(int k);
    /// Read Data: releases the pictures held and reads every step named in the edits, Step 1 first,
    /// from the working directory, showing each in its step window.
    void ReadSteps();
    /// Compute Phase: Read Data, then the phase of the method over Step 2's extent, shown in the
    /// phase window. A phase that cannot be computed (a step picture smaller than Step 2's) leaves
    /// the previous one in place.
    void ComputePhase();
    /// Save To Float: asks for a name in the working directory and writes the phase computed since
    /// the tool was shown, with the frame's image scale and value scale 1.0. Without one it says
    /// so (kNoPhaseToSaveMessage) and asks nothing.
    void SaveToFloat();

    /// The file name of an edit, resolved against the working directory.
    std::string FileOf(const QLineEdit* edit) const;
    /// The working directory, after making it the process's current directory.
    QString EnterWorkingDir() const;

    /// On show: forgets every picture and the phase.
    void Forget();
    /// On hide: releases the step pictures; the phase stays until the next Compute Phase.
    void ReleaseSteps() { steps_.clear(); }

    /// The phase computed last (null when none since the tool was shown).
    const PhaseShiftResult* Result() const { return result_ ? &*result_ : nullptr; }
    /// The step pictures read last.
    const std::vector<std::unique_ptr<TGrayImage>>& Steps() const { return steps_; }

  private:
    TMainForm& main_;
    IDialogs& dialogs_;
    PhaseShiftMethod method_;
    int count_;
    QString tag_;
    QString phaseRole_;
    std::vector<std::unique_ptr<TGrayImage>> steps_;
    std::optional<PhaseShiftResult> result_;
};

/// How a phase-shifting tool sits in the frame: named name, captioned title, shown by showCommand,
/// without a Close button, locked commands or role windows.
TToolSetup PhaseShiftToolPlacement(const char* name, const QString& title, const char* showCommand);

/// The file name as the core takes it (the platform's encoding of the name).
std::string ToFilePath(const QString& name);

} // namespace corvane::ui
