#include "correlation/ui/TCorRelationStatusForm.h"

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {
const QString kIdle = QStringLiteral("idle");
constexpr int kTimeColumn = 1;
constexpr int kStartColumn = 2;
constexpr int kDoneColumn = 3;
constexpr int kCancelColumn = 4;
} // namespace

QString DurationText(qint64 seconds) {
    if (seconds < 0) seconds = 0;
    const qint64 h = seconds / 3600;
    const qint64 m = (seconds % 3600) / 60;
    const qint64 s = seconds % 60;
    return QStringLiteral("%1:%2:%3")
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(s, 2, 10, QLatin1Char('0'));
}

TCorRelationStatusForm::TCorRelationStatusForm(TMainForm& mainForm)
    : TToolForm(mainForm, {.Name = "CorRelationStatusForm",
                           .Title = QStringLiteral("CorRelation Status"),
                           .HasCloseButton = false}) {

    FindAnimate = new QProgressBar(this);
    FindAnimate->setObjectName(QStringLiteral("FindAnimate"));
    FindAnimate->setTextVisible(false);
    FindAnimate->setFixedHeight(12);

    Job2Label = new QLabel(QStringLiteral("Running Jobs"), this);
    Job2Label->setObjectName(QStringLiteral("Job2Label"));

    RunningJobsLabel = new QLabel(QStringLiteral("0"), this);
    RunningJobsLabel->setObjectName(QStringLiteral("RunningJobsLabel"));
    QFont bold = RunningJobsLabel->font();
    bold.setBold(true);
    RunningJobsLabel->setFont(bold);
    RunningJobsLabel->setStyleSheet(QStringLiteral("color: red;"));

    ComputeThreadsStringGrid = new QTableWidget(SlotCount, 5, this);
    ComputeThreadsStringGrid->setObjectName(QStringLiteral("ComputeThreadsStringGrid"));
    ComputeThreadsStringGrid->setHorizontalHeaderLabels(
        {QString(), QStringLiteral("Time"), QStringLiteral("Start"), QStringLiteral("Done"), QString()});
    ComputeThreadsStringGrid->verticalHeader()->hide();
    ComputeThreadsStringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ComputeThreadsStringGrid->setSelectionMode(QAbstractItemView::NoSelection);
    ComputeThreadsStringGrid->setColumnWidth(0, 32);
    ComputeThreadsStringGrid->setColumnWidth(kTimeColumn, 64);
    ComputeThreadsStringGrid->setColumnWidth(kStartColumn, 64);
    ComputeThreadsStringGrid->setColumnWidth(kDoneColumn, 44);
    ComputeThreadsStringGrid->setColumnWidth(kCancelColumn, 60);
    ComputeThreadsStringGrid->verticalHeader()->setDefaultSectionSize(20);
    // The grid is as high as its header and ten rows, no more.
    ComputeThreadsStringGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ComputeThreadsStringGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ComputeThreadsStringGrid->setFixedHeight(
        ComputeThreadsStringGrid->horizontalHeader()->sizeHint().height() + SlotCount * 20 +
        2 * ComputeThreadsStringGrid->frameWidth());

    // FormCreate: slot numbers, every slot idle, animation remembered as stopped.
    for (int row = 0; row < SlotCount; ++row) {
        SetCell(row, 0, QString::number(row + 1));
        SetCell(row, kTimeColumn, kIdle);
        SetCell(row, kStartColumn, kIdle);
        SetCell(row, kDoneColumn, QString());
        const int slot = row + 1;
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), ComputeThreadsStringGrid);
        cancel->setObjectName(QStringLiteral("CancelButton%1").arg(slot));
        cancel->setEnabled(false);
        connect(cancel, &QPushButton::clicked, this, [this, slot] {
            if (SlotBusy(slot)) emit CancelRequested(slot);
        });
        ComputeThreadsStringGrid->setCellWidget(row, kCancelColumn, cancel);
        CancelButtons[static_cast<std::size_t>(row)] = cancel;
    }
    SetAnimation(false);
    rememberedPlaying_ = false;

    ThreadsMangerTimer = new QTimer(this);
    ThreadsMangerTimer->setObjectName(QStringLiteral("ThreadsMangerTimer"));
    ThreadsMangerTimer->setInterval(1000);
    Bind(ThreadsMangerTimer, &QTimer::timeout, &TCorRelationStatusForm::ThreadsMangerTimerTimer);

    ResultsLabel = new QLabel(this);
    ResultsLabel->setObjectName(QStringLiteral("ResultsLabel"));
    ResultsLabel->setWordWrap(true);
    ResultsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    OpenResultsButton = new QPushButton(QStringLiteral("Open Results"), this);
    OpenResultsButton->setObjectName(QStringLiteral("OpenResultsButton"));
    OpenResultsButton->setEnabled(false);
    OpenResultsButton->setToolTip(QStringLiteral("Opens the float maps of the last finished job"));
    Bind(OpenResultsButton, &QPushButton::clicked, &TCorRelationStatusForm::OpenResultsButtonClick);

    auto* top = new QHBoxLayout;
    top->addWidget(Job2Label);
    top->addWidget(RunningJobsLabel);
    top->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FindAnimate);
    layout->addLayout(top);
    layout->addWidget(ComputeThreadsStringGrid);
    layout->addWidget(ResultsLabel);
    layout->addWidget(OpenResultsButton);
    resize(300, sizeHint().height());
}

TCorRelationStatusForm::~TCorRelationStatusForm() = default;

int TCorRelationStatusForm::ClampSlot(int slot) {
    return std::clamp(slot, 1, static_cast<int>(SlotCount));
}

void TCorRelationStatusForm::SetCell(int row, int column, const QString& text) {
    QTableWidgetItem* item = ComputeThreadsStringGrid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        ComputeThreadsStringGrid->setItem(row, column, item);
    }
    item->setText(text);
}

void TCorRelationStatusForm::SetAnimation(bool play) {
    playing_ = play;
    // A progress bar without a range shows the moving busy indicator; with a range it stands still.
    if (play)
        FindAnimate->setRange(0, 0);
    else {
        FindAnimate->setRange(0, 1);
        FindAnimate->setValue(0);
    }
}

int TCorRelationStatusForm::FindFreeSlot() const {
    for (int i = 0; i < SlotCount; ++i)
        if (!busy_[i]) return i + 1;
    return -1;
}

bool TCorRelationStatusForm::SlotBusy(int slot) const {
    return slot >= 1 && slot <= SlotCount && busy_[slot - 1];
}

int TCorRelationStatusForm::BusyCount() const {
    return static_cast<int>(std::count(busy_.begin(), busy_.end(), true));
}

void TCorRelationStatusForm::StartSlot(int slot) {
    const int row = ClampSlot(slot) - 1;
    busy_[row] = true;
    clocks_[row].start();
    SetCell(row, kStartColumn, QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    SetCell(row, kTimeColumn, QStringLiteral("00:00:00"));
    SetCell(row, kDoneColumn, QStringLiteral("0%"));
    CancelButtons[static_cast<std::size_t>(row)]->setEnabled(true);
}

void TCorRelationStatusForm::SetSlotProgress(int slot, int percent) {
    const int row = ClampSlot(slot) - 1;
    if (!busy_[row]) return; // a late report of a job that has ended
    SetCell(row, kDoneColumn, QStringLiteral("%1%").arg(std::clamp(percent, 0, 100)));
}

void TCorRelationStatusForm::EndSlot(int slot) {
    const int row = ClampSlot(slot) - 1;
    busy_[row] = false;
    clocks_[row].invalidate();
    SetCell(row, kTimeColumn, kIdle);
    SetCell(row, kStartColumn, kIdle);
    SetCell(row, kDoneColumn, QString());
    CancelButtons[static_cast<std::size_t>(row)]->setEnabled(false);
}

void TCorRelationStatusForm::ThreadsMangerTimerTimer() {
    // Running times come from a monotonic clock per slot, so they do not wrap at midnight.
    for (int row = 0; row < SlotCount; ++row)
        if (busy_[row] && clocks_[row].isValid())
            SetCell(row, kTimeColumn, DurationText(clocks_[row].elapsed() / 1000));
    const int busy = BusyCount();
    RunningJobsLabel->setText(QString::number(busy));
    SetAnimation(busy > 0);
}

void TCorRelationStatusForm::ShowResults(int slot, const TJobResults& results) {
    results_ = results;
    if (results.Files.isEmpty())
        ResultsLabel->setText(QStringLiteral("Job %1 finished.").arg(slot));
    else
        ResultsLabel->setText(QStringLiteral("Job %1 finished; its files are in %2: %3")
                                  .arg(slot)
                                  .arg(results.Folder, results.Files.join(QStringLiteral(", "))));
    OpenResultsButton->setEnabled(!results.FloatMaps.isEmpty());
    // The window grows with the text rather than letting it run over the grid.
    const int needed =
        layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width()) : sizeHint().height();
    resize(width(), std::max(height(), needed));
}

void TCorRelationStatusForm::ShowNoResults(int slot, const QString& why) {
    const int row = ClampSlot(slot) - 1;
    if (!busy_[row]) SetCell(row, kDoneColumn, why.section(QLatin1Char(' '), -1));
    results_ = {};
    ResultsLabel->setText(QStringLiteral("Job %1 %2; Open Results has nothing to open.").arg(slot).arg(why));
    OpenResultsButton->setEnabled(false);
}

void TCorRelationStatusForm::OpenResultsButtonClick() {
    for (const QString& map : results_.FloatMaps)
        main_.OpenFloatMap(map);
}

void TCorRelationStatusForm::FormShow() {
    SetAnimation(rememberedPlaying_);
    ThreadsMangerTimer->start();
}

void TCorRelationStatusForm::FormHide() {
    rememberedPlaying_ = playing_;
    SetAnimation(false);
    ThreadsMangerTimer->stop();
}

} // namespace corvane::ui
