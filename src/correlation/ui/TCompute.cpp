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
    if (FromGroup)
        RunGroup(Group);
    else
        RunConfigFile(ConfigFile); // an error in one group ends the job; later groups are not run
}

void TCompute::run() {
    try {
        Execute();
    } catch (...) {
        // The same words the workbench's guard and the command-line runners use for the failure.
        failed_ = true;
        error_ = QString::fromStdString(DescribeCurrentError());
    }
}

} // namespace corvane::ui
