#pragma once
#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include <chrono>
#include <functional>
#include <latch>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "correlation/ui/TCorRelationCommands.h"
#include "correlation/ui/TCorRelationStatusForm.h"
#include "shell/TMainForm.h"
#include "support/ui/ScriptedDialogs.h"
#include "support/ui/TestMainForm.h"

namespace corvane::test {

/// Runs the event loop until cond holds or timeoutMs passed; true when cond holds.
inline bool WaitUntil(const std::function<bool()>& cond, int timeoutMs = 60000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

/// A shown main frame on scripted dialogs with the workbench's tool windows; jobs that block
/// until the test opens their gate; the ends of jobs as the frame reported them. Every gate is
/// opened and every job waited for before the frame goes.
class CorRelationUiFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = MakeTestMainForm();
        ui::CreateToolWindows(*frame_->Form);
        commands_ = frame_->Form->findChild<ui::TCorRelationCommands*>();
        ASSERT_NE(commands_, nullptr);
        QObject::connect(commands_, &ui::TCorRelationCommands::JobEnded, commands_,
                         [this](int slot, const QString& error) {
                             EndedSlots.push_back(slot);
                             EndedErrors.push_back(error);
                         });
    }
    void TearDown() override
    {
        for (const auto& gate : gates_)
            if (!gate->try_wait())
                gate->count_down();
        WaitUntil([&] { return commands_->LiveJobs() == 0; });
        frame_->Destroy();
    }

    ui::TMainForm& Main() const { return *frame_->Form; }
    ui::TCorRelationCommands& Commands() const { return *commands_; }
    ui::TCorRelationStatusForm& Status() const { return commands_->StatusForm(); }
    ScriptedDialogs& Dialogs() const { return frame_->Dialogs; }
    QStringList Errors() const { return frame_->Dialogs.Errors(); }
    /// The next file dialog answers name.
    void QueueFile(const std::string& name) const { frame_->Dialogs.QueueFile(QString::fromStdString(name)); }

    /// Starts a job that blocks until Release(n) for the n-th such job (from 0); returns its slot.
    int StartBlocked()
    {
        auto gate = std::make_shared<std::latch>(1);
        gates_.push_back(gate);
        return commands_->StartWorkJob([gate] { gate->wait(); });
    }
    void Release(std::size_t n) { gates_.at(n)->count_down(); }
    /// Waits until count jobs have ended in all.
    bool WaitForEnds(int count, int timeoutMs = 60000)
    {
        return WaitUntil([&] { return static_cast<int>(EndedSlots.size()) >= count; }, timeoutMs);
    }

    std::vector<int> EndedSlots;
    QStringList EndedErrors;

private:
    std::unique_ptr<TestMainForm> frame_;
    ui::TCorRelationCommands* commands_ = nullptr;
    std::vector<std::shared_ptr<std::latch>> gates_;
};

} // namespace corvane::test
