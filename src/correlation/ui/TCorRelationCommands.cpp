#include "correlation/ui/TCorRelationCommands.h"

#include <QAction>
#include <QDir>
#include <QEvent>

#include <algorithm>
#include <utility>

#include "correlation/CorRelationConfig.h"
#include "correlation/ui/JobResults.h"
#include "correlation/ui/TCompute.h"
#include "correlation/ui/TCorRelationParaSelectorForm.h"
#include "correlation/ui/TCorRelationStatusForm.h"
#include "image/CorvaneError.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {
const char* const kOverload = "System overload, Wait for other threads terminate";
const QString kConfigFilter =
    QStringLiteral("CorRelation Config Files(*.cor)|*.cor|Float Image(*.flt)|*.flt|Codes File( *.cod "
                   ")|*.cod|All files(*.*)|*.*");
} // namespace

TCorRelationCommands::TCorRelationCommands(TMainForm& mainForm, TCorRelationStatusForm& statusForm)
    : QObject(&mainForm), main_(mainForm), dialogs_(mainForm.Dialogs()), status_(statusForm) {
    setObjectName(QStringLiteral("CorRelationCommands"));
    const auto bind = [this](const char* name, void (TCorRelationCommands::*handler)()) {
        QAction* action = main_.RequireAction(name);
        connect(action, &QAction::triggered, this, handler);
        action->setEnabled(true);
    };
    bind("CorRelationAction", &TCorRelationCommands::CorRelationActionExecute);
    bind("ConfigFileAction", &TCorRelationCommands::ConfigFileActionExecute);
    bind("CorRelationStatusAction", &TCorRelationCommands::CorRelationStatusActionExecute);
    bind("GenerateModalFileAction", &TCorRelationCommands::GenerateModalFileActionExecute);
    connect(&status_, &TCorRelationStatusForm::CancelRequested, this, &TCorRelationCommands::CancelJob);
    // The wizard exists from start-up, hidden, like every tool window.
    MakeWizard();
    main_.installEventFilter(this);
}

TCorRelationCommands::~TCorRelationCommands() {
    // A running job cannot be interrupted inside the engine; let it finish its files.
    for (TCompute* job : jobs_) {
        disconnect(job, nullptr, this, nullptr);
        job->wait();
        delete job;
    }
    jobs_.clear();
}

TCorRelationParaSelectorForm* TCorRelationCommands::Wizard() const {
    return wizard_.data();
}

int TCorRelationCommands::TakeSlot() const {
    const int slot = status_.FindFreeSlot();
    if (slot < 0) throw CorvaneError(kOverload);
    return slot;
}

int TCorRelationCommands::Launch(std::unique_ptr<TCompute> job) {
    TCompute* raw = job.release();
    jobs_.push_back(raw);
    connect(
        raw, &QThread::finished, this, [this, raw] { ComputeTerminate(raw); }, Qt::QueuedConnection);
    connect(raw, &TCompute::ProgressChanged, &status_, &TCorRelationStatusForm::SetSlotProgress,
            Qt::QueuedConnection);
    status_.StartSlot(raw->Slot);
    raw->start();
    return raw->Slot;
}

int TCorRelationCommands::StartGroupJob(const TCorRelationPara& group) {
    const int slot = TakeSlot();
    return Launch(std::make_unique<TCompute>(slot, group));
}

int TCorRelationCommands::StartConfigFileJob(const QString& configFile) {
    const int slot = TakeSlot();
    return Launch(std::make_unique<TCompute>(slot, configFile));
}

int TCorRelationCommands::StartWorkJob(std::function<void()> work) {
    const int slot = TakeSlot();
    return Launch(std::make_unique<TCompute>(slot, std::move(work)));
}

void TCorRelationCommands::CancelJob(int slot) {
    for (TCompute* job : jobs_)
        if (job->Slot == slot && job->isRunning()) job->Cancel();
}

void TCorRelationCommands::ComputeTerminate(TCompute* job) {
    const auto it = std::find(jobs_.begin(), jobs_.end(), job);
    if (it == jobs_.end()) return;
    jobs_.erase(it);
    job->wait(); // finished was emitted from the thread's last moments
    const int slot = job->Slot;
    const QString error = job->ErrorText();
    job->deleteLater();
    RunGuarded(dialogs_, [&] {
        dialogs_.Beep();
        status_.EndSlot(slot);
        // A failed run must not look like a successful one: show why it ended. A cancelled one
        // ended as asked and wrote nothing; a finished one tells where its files are.
        if (job->WasCancelled())
            status_.ShowNoResults(slot, QStringLiteral("was cancelled"));
        else if (!error.isEmpty())
            status_.ShowNoResults(slot, QStringLiteral("failed"));
        else
            status_.ShowResults(slot, ResultsOf(*job));
        if (!error.isEmpty() && !job->WasCancelled()) dialogs_.Error(error);
    });
    emit JobEnded(slot, error);
}

void TCorRelationCommands::MakeWizard() {
    if (wizard_) {
        // Hiding first closes the wizard's picture windows, as closing it would.
        wizard_->hide();
        delete wizard_.data();
    }
    wizard_ = new TCorRelationParaSelectorForm(
        main_, [this](const TCorRelationPara& group) { StartGroupJob(group); });
}

void TCorRelationCommands::CorRelationActionExecute() {
    RunGuarded(dialogs_, [&] {
        MakeWizard();
        status_.show();
        wizard_->show();
        wizard_->raise();
    });
}

void TCorRelationCommands::ConfigFileActionExecute() {
    RunGuarded(dialogs_, [&] {
        FileDialogRequest request;
        request.Filter = kConfigFilter;
        request.FilterIndex = 1;
        request.DefaultExt = QStringLiteral("*.cor");
        request.InitialDir = QDir::currentPath();
        request.MustExist = true;
        const auto chosen = dialogs_.OpenFile(request);
        if (!chosen) return;
        StartConfigFileJob(chosen->FileName);
        status_.show();
    });
}

void TCorRelationCommands::CorRelationStatusActionExecute() {
    RunGuarded(dialogs_, [&] {
        QAction* action = main_.Action(QStringLiteral("CorRelationStatusAction"));
        if (status_.isVisible()) {
            status_.hide();
            if (action) action->setText(QStringLiteral("Show Status"));
        } else {
            status_.show();
            if (action) action->setText(QStringLiteral("Hide Status"));
        }
    });
}

void TCorRelationCommands::GenerateModalFileActionExecute() {
    RunGuarded(dialogs_, [&] {
        FileDialogRequest request;
        request.Title = QStringLiteral("Generate a modal file used by CorRelation");
        request.Filter = kConfigFilter;
        request.FilterIndex = 1;
        request.DefaultExt = QStringLiteral("*.cor");
        request.InitialDir = QDir::currentPath();
        // The frame's open dialog, which also takes the name of a file that does not exist yet.
        request.MustExist = false;
        const auto chosen = dialogs_.OpenFile(request);
        if (!chosen) return;
        GenerateConfigFile(chosen->FileName.toStdString());
    });
}

bool TCorRelationCommands::eventFilter(QObject* watched, QEvent* event) {
    // A job cannot be interrupted inside the engine, so after Exit the program ends only when the
    // last job has written its files; the frame is gone by then, so say so while it is still shown.
    if (watched == &main_ && event->type() == QEvent::Close && !jobs_.empty()) {
        const int running = static_cast<int>(jobs_.size());
        RunGuarded(dialogs_, [&] {
            dialogs_.Information(QStringLiteral("%1 correlation job(s) still running: after Exit the program "
                                                "ends only when they have finished.")
                                     .arg(running));
        });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace corvane::ui
