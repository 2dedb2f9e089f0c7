#pragma once
#include "shell/TToolForm.h"

#include <QElapsedTimer>

#include <array>

#include "correlation/ui/JobResults.h"

class QLabel;
class QPushButton;
class QProgressBar;
class QTableWidget;
class QTimer;

namespace corvane::ui {

/// "CorRelation Status": an always-on-top tool window with the ten job slots, their start
/// times and running times, the number of running jobs and a busy animation. The slot
/// bookkeeping is touched only on the user-interface thread.
class TCorRelationStatusForm : public TToolForm {
    Q_OBJECT
  public:
    static constexpr int SlotCount = 10;

    explicit TCorRelationStatusForm(TMainForm& mainForm);
    ~TCorRelationStatusForm() override;

    /// The lowest free slot 1 ... 10, or -1 when all ten are busy.
    int FindFreeSlot() const;
    /// Marks the slot (clamped to 1 ... 10) busy: "Start" = time of day, "Time" = "00:00:00".
    void StartSlot(int slot);
    /// Marks the slot (clamped to 1 ... 10) free: both cells "idle".
    void EndSlot(int slot);
    /// Shows the percentage of points done in the busy slot (clamped to 1 ... 10).
    void SetSlotProgress(int slot, int percent);
    /// True while the slot (1 ... 10) is busy.
    bool SlotBusy(int slot) const;
    /// Number of busy slots.
    int BusyCount() const;
    /// True while the busy animation plays.
    bool AnimationPlaying() const { return playing_; }

    QProgressBar* FindAnimate = nullptr;
    QLabel* Job2Label = nullptr;
    QLabel* RunningJobsLabel = nullptr;
    QTableWidget* ComputeThreadsStringGrid = nullptr;
    QTimer* ThreadsMangerTimer = nullptr;
    /// One per slot, "CancelButton1" ... "CancelButton10", in the grid's last column; enabled while
    /// the slot is busy.
    std::array<QPushButton*, SlotCount> CancelButtons{};

    /// Timer tick: running times of the busy slots, the job count and the animation.
    void ThreadsMangerTimerTimer();

    /// Where the last finished job left its files, and the button that opens its float maps.
    QLabel* ResultsLabel = nullptr;
    QPushButton* OpenResultsButton = nullptr;
    /// Tells where a finished job's files are (slot, folder, names); Open Results is enabled while
    /// it has float maps.
    void ShowResults(int slot, const TJobResults& results);
    /// Tells that the job of the slot ended without results (why: "was cancelled", "failed"): the
    /// slot's "Done" cell says so until the slot is used again, and Open Results forgets the files
    /// of an earlier job, so it cannot open them as if they were this job's.
    void ShowNoResults(int slot, const QString& why);
    /// Opens the float maps of the last finished job in document windows.
    void OpenResultsButtonClick();

  signals:
    /// The user asked to cancel the job of the slot (1 ... 10).
    void CancelRequested(int slot);

  protected:
    /// Restores the remembered animation and starts the timer.
    void FormShow() override;
    /// Remembers the animation, stops it and the timer.
    void FormHide() override;

  private:
    static int ClampSlot(int slot);
    void SetAnimation(bool play);
    void SetCell(int row, int column, const QString& text);

    std::array<bool, SlotCount> busy_{};
    std::array<QElapsedTimer, SlotCount> clocks_{};
    TJobResults results_;
    bool playing_ = false;
    bool rememberedPlaying_ = false;
};

/// Duration as "hh:mm:ss" (hours not wrapped at 24).
QString DurationText(qint64 seconds);

} // namespace corvane::ui
