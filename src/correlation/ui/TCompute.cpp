#include "correlation/ui/TCompute.h"

#include "image/CorvaneError.h"

#include <exception>
#include <new>
#include <utility>

#include "correlation/CorRelationJob.h"

namespace corvane::ui {

TCompute::TCompute(int slot, const QString& configFile, QObject* parent)
    : QThread(parent), ConfigFile(configFile.toStdString()), FromGroup(false), Slot(slot) {}

TCompute::TCompute(int slot, const TCorRelationPara& group, QObject* parent)
    : QThread(parent), FromGroup(true), Group(group), Slot(slot) {}

TCompute::TCompute(int slot, std::function<void()> work, QObject* parent)
    : QThread(parent), FromGroup(true), Slot(slot), work_(std::move(work)) {}

TCompute::~TCompute() {
    // A job object is released only after its thread has ended; waiting here keeps a late
    // release (program exit with jobs still running) from destroying a running thread.
    wait();
}

void TCompute::Execute() {
    if (work_) {
        work_();
        return;
    }
    CorRelationOptions options;
    options.Stop = stop_.get_token();
    options.Progress = [this](std::int64_t done, std::int64_t all) {
        const int percent = all > 0 ? static_cast<int>(100 * done / all) : 0;
        if (percent == percent_) return;
        percent_ = percent;
        emit ProgressChanged(Slot, percent);
    };
    if (FromGroup)
        RunGroup(Group, options);
    else
        RunConfigFile(ConfigFile, {}, {},
                      options); // an error in one group ends the job; later groups are not run
}

void TCompute::run() {
    try {
        Execute();
    } catch (const CorRelationCancelled&) {
        cancelled_ = true;
    } catch (...) {
        // The same words the workbench's guard and the command-line runners use for the failure.
        failed_ = true;
        error_ = QString::fromStdString(DescribeCurrentError());
    }
}

} // namespace corvane::ui
