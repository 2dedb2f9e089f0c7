#include "phase/ui/TPseudoColorForm.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstring>

#include "image/CorvaneError.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "phase/PseudoColor.h"
#include "phase/ui/PhaseShiftSteps.h"
#include "shell/FileFilter.h"
#include "shell/Platform.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {
const QString kPhaseRole = QStringLiteral("Pseudo Color Display Phase");
const QString kMaskRole = QStringLiteral("Pseudo Color Mask");
const QString kNoneMask = QStringLiteral("none mask");
const QString kMaskFilter = WithTiffPngEntry("Bitmaps (*.bmp)|*.bmp", "All Files(*.*)|*.*");
const QString kPhaseFilter = QStringLiteral("Float Phase File(*.flt)|*.flt|All files(*.*)|*.*");

QLineEdit* ReadOnlyEdit(QWidget* parent, const char* name, const QString& text) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    return edit;
}

QToolButton* SpeedButton(QWidget* parent, const char* name, const QString& text, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(hint);
    return button;
}

/// The colour picture as a 24-bit bitmap, row by row.
QImage ToBitmap(const RgbPicture& picture) {
    QImage bitmap(picture.Width, picture.Height, QImage::Format_RGB888);
    if (bitmap.isNull() && picture.Width > 0 && picture.Height > 0) throw CorvaneError(kNoMemoryForRepaint);
    const std::size_t row = static_cast<std::size_t>(picture.Width) * 3;
    for (int y = 0; y < picture.Height; ++y)
        std::memcpy(bitmap.scanLine(y), picture.Pixels.data() + row * static_cast<std::size_t>(y), row);
    return bitmap;
}
} // namespace

TPseudoColorForm::TPseudoColorForm(TMainForm& mainForm)
    : TToolForm(mainForm, TToolSetup{.Name = "PseudoColorForm",
                                     .Title = QStringLiteral("PseudoColor Display"),
                                     .ShowCommand = "PseudoColorAction",
                                     .LockedCommands = {},
                                     .GuardsDocuments = false,
                                     .RoleWindows = {},
                                     .CloseRolesOnHide = false,
                                     .HasCloseButton = false}) {
    BitBtn1 = Named(new QPushButton(QStringLiteral("Open"), this), "BitBtn1");
    auto* files = new QGroupBox(QStringLiteral("Phase and Mask Files"), this);
    PhaseFileNameEdit = ReadOnlyEdit(files, "PhaseFileNameEdit", QString());
    MaskFileNameEdit = ReadOnlyEdit(files, "MaskFileNameEdit", QString());
    auto* info = new QGroupBox(QStringLiteral("  Fringe Information"), this);
    FringeLevelEdit = ReadOnlyEdit(info, "FringeLevelEdit", QStringLiteral("0"));
    PosXEdit = ReadOnlyEdit(info, "PosXEdit", QStringLiteral("0"));
    PosYEdit = ReadOnlyEdit(info, "PosYEdit", QStringLiteral("0"));
    Multiple2SpeedButton =
        SpeedButton(this, "Multiple2SpeedButton", QStringLiteral("x2"), QString::fromUtf8("倍增"));
    Div2SpeedButton = SpeedButton(this, "Div2SpeedButton", QStringLiteral("/2"), QString::fromUtf8("倍减"));
    WorkingDirLabel = Named(new QLabel(QDir::currentPath(), this), "WorkingDirLabel");
    WorkingDirLabel->hide();

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(BitBtn1);
    top->addWidget(Multiple2SpeedButton);
    top->addWidget(Div2SpeedButton);
    top->addStretch();
    layout->addLayout(top);
    auto* fileGrid = new QGridLayout(files);
    fileGrid->addWidget(new QLabel(QStringLiteral("Phase"), files), 0, 0);
    fileGrid->addWidget(PhaseFileNameEdit, 0, 1);
    fileGrid->addWidget(new QLabel(QStringLiteral("Mask"), files), 1, 0);
    fileGrid->addWidget(MaskFileNameEdit, 1, 1);
    layout->addWidget(files);
    auto* infoGrid = new QGridLayout(info);
    infoGrid->addWidget(new QLabel(QStringLiteral("Fringe Level"), info), 0, 0);
    infoGrid->addWidget(FringeLevelEdit, 0, 1);
    infoGrid->addWidget(new QLabel(QStringLiteral("X"), info), 1, 0);
    infoGrid->addWidget(PosXEdit, 1, 1);
    infoGrid->addWidget(new QLabel(QStringLiteral("Y"), info), 2, 0);
    infoGrid->addWidget(PosYEdit, 2, 1);
    layout->addWidget(info);

    // The legend: orders 0..7, -1..-6 and the background, each beside its colour.
    auto* legend = new QGridLayout;
    const auto& table = PseudoColorTable();
    const int orders[] = {0, 1, 2, 3, 4, 5, 6, 7, -1, -2, -3, -4, -5, -6};
    for (int i = 0; i < 15; ++i) {
        const bool background = i == 14;
        const int entry = background ? kPseudoColorBackground : orders[i] + 7;
        auto* shape = new QFrame(this);
        shape->setObjectName(QStringLiteral("Shape%1").arg(i + 1));
        shape->setFixedSize(24, 14);
        shape->setFrameShape(QFrame::Box);
        shape->setAutoFillBackground(true);
        QPalette palette = shape->palette();
        const PseudoColorEntry& c = table[static_cast<std::size_t>(entry)];
        palette.setColor(QPalette::Window, QColor(c.Red, c.Green, c.Blue));
        shape->setPalette(palette);
        const QString text = background      ? QStringLiteral("Background")
                             : orders[i] < 0 ? QString::number(orders[i])
                                             : QStringLiteral(" %1").arg(orders[i]);
        const int column = (i / 8) * 2;
        legend->addWidget(shape, i % 8, column);
        legend->addWidget(new QLabel(text, this), i % 8, column + 1);
    }
    layout->addLayout(legend);
    layout->addWidget(WorkingDirLabel);

    pleaseWait_ = new QLabel(QStringLiteral("  Please wait ...  "), this, Qt::Tool | Qt::FramelessWindowHint);
    pleaseWait_->setObjectName(QStringLiteral("PleaseWaitLabel"));
    pleaseWait_->setFrameShape(QFrame::Panel);
    pleaseWait_->hide();

    Bind(BitBtn1, &QPushButton::clicked, &TPseudoColorForm::BitBtn1Click);
    Bind(Multiple2SpeedButton, &QToolButton::clicked, &TPseudoColorForm::Multiple2SpeedButtonClick);
    Bind(Div2SpeedButton, &QToolButton::clicked, &TPseudoColorForm::Div2SpeedButtonClick);
}

TPseudoColorForm::~TPseudoColorForm() = default;

void TPseudoColorForm::FormShow() {
    WorkingDirLabel->setText(QDir::currentPath());
}

void TPseudoColorForm::BitBtn1Click() {
    FileDialogRequest maskRequest;
    maskRequest.Title = QStringLiteral("Open Mask File");
    maskRequest.Filter = kMaskFilter;
    maskRequest.InitialDir = WorkingDirLabel->text();
    const auto maskChoice = dialogs_.OpenFile(maskRequest);
    const QString maskName = maskChoice ? maskChoice->FileName : kNoneMask;

    FileDialogRequest phaseRequest;
    phaseRequest.Title = QStringLiteral("Open Phase File");
    phaseRequest.Filter = kPhaseFilter;
    phaseRequest.DefaultExt = QStringLiteral("*.flt");
    phaseRequest.InitialDir = WorkingDirLabel->text();
    const auto phaseChoice = dialogs_.OpenFile(phaseRequest);
    if (!phaseChoice) return;

    // Both files are read before anything is replaced, so a file that cannot be read leaves the
    // map, the mask and the names shown as they were.
    const QFileInfo phaseFile(phaseChoice->FileName);
    auto phase = std::make_unique<TFloatImage>(ToFilePath(phaseFile.absoluteFilePath()));
    std::unique_ptr<TGrayImage> mask;
    if (maskName != kNoneMask) {
        mask = std::make_unique<TGrayImage>(ToFilePath(maskName));
        if (!PseudoColorMaskFits(*phase, mask.get())) mask.reset();
    }
    PhaseFileNameEdit->setText(phaseFile.fileName());
    MaskFileNameEdit->setText(maskName == kNoneMask ? kNoneMask : QFileInfo(maskName).fileName());
    WorkingDirLabel->setText(phaseFile.absolutePath());
    QDir::setCurrent(phaseFile.absolutePath());
    phase_ = std::move(phase);
    mask_ = std::move(mask);

    Render();
    if (mask_) main_.ShowInRole(kMaskRole, *mask_);
    const int index = main_.FindMDIChild(kPhaseRole);
    if (TMDIChildForm* window = index < 0 ? nullptr : main_.MDIChild(index))
        if (QMdiSubWindow* sub = window->SubWindow()) main_.MdiArea()->setActiveSubWindow(sub);
}

void TPseudoColorForm::Render() {
    // The busy indication is painted before the render starts and goes when it ends, also on error.
    struct PleaseWait {
        QLabel* label;
        explicit PleaseWait(QLabel* l) : label(l) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            label->adjustSize();
            label->move(mapToGlobalCentre(label));
            label->show();
            label->repaint();
        }
        ~PleaseWait() {
            label->hide();
            QApplication::restoreOverrideCursor();
        }
        static QPoint mapToGlobalCentre(QLabel* l) {
            const QWidget* owner = l->parentWidget();
            return owner->mapToGlobal(owner->rect().center()) - QPoint(l->width() / 2, l->height() / 2);
        }
    } wait(pleaseWait_);
    ++renders_;
    const QImage bitmap = ToBitmap(RenderPseudoColor(*phase_, mask_.get()));
    int index = main_.PrepareMDIChild(kPhaseRole, bitmap.width(), bitmap.height());
    if (index < 0) {
        main_.CreateMDIChild(kPhaseRole);
        index = main_.PrepareMDIChild(kPhaseRole, bitmap.width(), bitmap.height());
    }
    if (TMDIChildForm* window = main_.MDIChild(index)) window->ReplacePixels(bitmap);
}

void TPseudoColorForm::Multiple2SpeedButtonClick() {
    if (!phase_) return;
    DoublePseudoColorFringes(*phase_);
    Render();
}

void TPseudoColorForm::Div2SpeedButtonClick() {
    if (!phase_) return;
    HalvePseudoColorFringes(*phase_);
    Render();
}

void TPseudoColorForm::DocumentMouseMoved(TMDIChildForm& child, int x, int y) {
    if (!phase_ || child.Caption() != kPhaseRole) return;
    PosXEdit->setText(QString::number(x));
    PosYEdit->setText(QString::number(y));
    FringeLevelEdit->setText(QString::fromStdString(PseudoColorFringeLevel(*phase_, mask_.get(), x, y)));
}

} // namespace corvane::ui
