#pragma once
#include <QString>
#include <QThread>

#include <functional>
#include <stop_token>
#include <string>

#include "correlation/TCorRelationPara.h"

namespace corvane::ui {

/// One correlation job: a worker thread that builds the correlation engine from one parameter
/// group (group mode) or from every group of a configuration file (file mode), runs it and ends.
/// The job shares nothing with the user-interface thread while it runs: it holds its own copy of
/// the group, loads its own pictures and writes its own files. An error raised by the work is
/// caught on the worker and kept as text (ErrorText), so the end handler can show it.
///
/// The engine runs on the shared correlation pool; the job reports the percentage of points done
/// (ProgressChanged) and can be cancelled (Cancel), which ends it soon without writing its files.
///
/// The creator connects QThread::finished (delivered queued on the user-interface thread) and
/// then calls start().
class TCompute : public QThread {
    Q_OBJECT
  public:
    /// File mode: runs every group of the configuration file, in file order.
    TCompute(int slot, const QString& configFile, QObject* parent = nullptr);
    /// Group mode: runs a copy of group, taken now.
    TCompute(int slot, const TCorRelationPara& group, QObject* parent = nullptr);
    /// A job whose work is the given function (used to drive the slot machinery with work the
    /// caller controls).
    TCompute(int slot, std::function<void()> work, QObject* parent = nullptr);
    ~TCompute() override;

    std::string ConfigFile; ///< file mode: the configuration file to run
    bool FromGroup = false; ///< false: file mode; true: group mode
    TCorRelationPara Group; ///< group mode: the job's own copy of the group
    int Slot = 0;           ///< slot in the status window, 1 to 10

    /// Empty when the work ended normally, else the error's message. Read it after finished.
    QString ErrorText() const { return error_; }
    /// True when the work ended with an error. Read it after finished.
    bool Failed() const { return failed_; }
    /// Asks the running engine to stop; the job then ends without writing the files of the group
    /// it was computing (groups of a file finished before keep theirs). Any thread.
    void Cancel() { stop_.request_stop(); }
    /// True when the work ended because it was cancelled. Read it after finished.
    bool WasCancelled() const { return cancelled_; }

  signals:
    /// Emitted from the worker when the whole percentage of points done in the group being run
    /// changes (0 ... 100).
    void ProgressChanged(int slot, int percent);

  protected:
    /// Runs the work on the worker thread; never throws.
    void run() override;

  private:
    /// The body of the job; throws what the engine or the configuration reader throws.
    void Execute();
    std::function<void()> work_;
    std::stop_source stop_;
    QString error_;
    bool failed_ = false;
    bool cancelled_ = false;
    int percent_ = -1;
};

} // namespace corvane::ui
