#pragma once
#include <QCoreApplication>
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

/// Gates that hold test jobs until released; every gate still closed is opened on destruction,
/// so no job outlives a test.
class JobGates {
public:
    ~JobGates() { ReleaseAll(); }
    /// Work that blocks until gate index is released.
    std::function<void()> Blocking()
    {
        auto gate = std::make_shared<std::latch>(1);
        gates_.push_back(gate);
        return [gate] { gate->wait(); };
    }
    void Release(std::size_t index)
    {
        if (index < gates_.size() && gates_[index]->try_wait() == false)
            gates_[index]->count_down();
    }
    void ReleaseAll()
    {
        for (std::size_t i = 0; i < gates_.size(); ++i)
            Release(i);
    }

private:
    std::vector<std::shared_ptr<std::latch>> gates_;
};

/// A shown main frame on scripted dialogs with the workbench's tool windows, and the
/// correlation commands and status window found in it.
class CorRelationUiFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = MakeTestMainForm();
        ui::CreateToolWindows(*frame_->Form);
        commands_ = frame_->Form->findChild<ui::TCorRelationCommands*>();
        ASSERT_NE(commands_, nullptr);
    }
    void TearDown() override { frame_->Destroy(); }

    ui::TMainForm& Main() const { return *frame_->Form; }
    ui::TCorRelationCommands& Commands() const { return *commands_; }
    ui::TCorRelationStatusForm& Status() const { return commands_->StatusForm(); }
    /// The next file dialog answers name.
    void QueueFile(const std::string& name) { frame_->Dialogs.QueueFile(QString::fromStdString(name)); }
    QStringList ErrorsShown() const { return frame_->Dialogs.Errors(); }
    int BeepCount() const { return frame_->Dialogs.Count(ScriptedDialogs::Kind::Beep); }
    QString LastFileDialogTitle() const
    {
        const auto requests = frame_->Dialogs.FileRequests();
        return requests.empty() ? QString() : requests.back().Title;
    }

private:
    std::unique_ptr<TestMainForm> frame_;
    ui::TCorRelationCommands* commands_ = nullptr;
};

} // namespace corvane::test
