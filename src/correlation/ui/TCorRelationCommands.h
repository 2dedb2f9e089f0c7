#pragma once
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "correlation/TCorRelationPara.h"

namespace corvane::ui {

class IDialogs;
class TCompute;
class TCorRelationParaSelectorForm;
class TCorRelationStatusForm;
class TMainForm;

/// The frame's correlation commands ("CorRelation", "Config File...", "Show Status"/"Hide
/// Status", "Generate Modal File"), the start of jobs into free status slots and the job-end
/// handler. Lives on the user-interface thread, which alone touches the slots.
class TCorRelationCommands : public QObject {
    Q_OBJECT
  public:
    /// Connects to the frame's correlation actions and enables them.
    TCorRelationCommands(TMainForm& mainForm, TCorRelationStatusForm& statusForm);
    /// Waits for jobs still running, so none is destroyed while it computes.
    ~TCorRelationCommands() override;

    /// Starts a group-mode job with a copy of group in the lowest free slot and returns the slot.
    /// Throws "System overload, Wait for other threads terminate" when all ten slots are busy.
    int StartGroupJob(const TCorRelationPara& group);
    /// Starts a file-mode job for the configuration file; returns the slot; throws as above.
    int StartConfigFileJob(const QString& configFile);
    /// Starts a job whose work is the given function (its exception ends the job as an error of
    /// the engine would); returns the slot; throws as above.
    int StartWorkJob(std::function<void()> work);

    /// Cancels the job of the slot, if one runs there; it ends soon, writes nothing and frees
    /// its slot.
    void CancelJob(int slot);

    /// The current parameter wizard (null when none was made yet).
    TCorRelationParaSelectorForm* Wizard() const;
    TCorRelationStatusForm& StatusForm() const { return status_; }
    /// Number of jobs whose thread objects are not released yet.
    int LiveJobs() const { return static_cast<int>(jobs_.size()); }

    void CorRelationActionExecute();
    void ConfigFileActionExecute();
    void CorRelationStatusActionExecute();
    void GenerateModalFileActionExecute();

  protected:
    /// Before the frame asks "Do you really want to Exit ?", tells the user that running jobs
    /// keep the program alive, unseen, until they have finished.
    bool eventFilter(QObject* watched, QEvent* event) override;

  signals:
    /// Emitted on the user-interface thread after a job's end was handled (beep, slot freed and
    /// any error shown); error is empty for a job that ended normally.
    void JobEnded(int slot, const QString& error);

  private:
    /// Takes the lowest free slot or throws the overload error.
    int TakeSlot() const;
    /// Starts job in its slot and binds the end handler.
    int Launch(std::unique_ptr<TCompute> job);
    /// The job-end handler: beep, free the slot, show the error of a failed job.
    void ComputeTerminate(TCompute* job);
    /// Makes a fresh parameter wizard, deleting the previous one.
    void MakeWizard();

    TMainForm& main_;
    IDialogs& dialogs_;
    TCorRelationStatusForm& status_;
    QPointer<TCorRelationParaSelectorForm> wizard_;
    std::vector<TCompute*> jobs_;
};

} // namespace corvane::ui
