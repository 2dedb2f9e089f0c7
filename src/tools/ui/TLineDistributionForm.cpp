#include "tools/ui/TLineDistributionForm.h"

#include <QAction>
#include <QButtonGroup>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "image/CorvaneError.h"
#include "image/LineProfile.h"
#include "shell/BitmapOps.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {
const QString kPictureFilter = QStringLiteral("Bitmaps (*.bmp)|*.bmp|All files(*.*)|*.*");
const QString kDataFilter = QStringLiteral("Data file(*.dat)|*.dat;*.data|All files(*.*)|*.*");
const QString kNone = QStringLiteral("none");

RgbBitmapView ViewOf(const QImage& rgb) {
    RgbBitmapView view;
    view.Data = rgb.constBits();
    view.Width = rgb.width();
    view.Height = rgb.height();
    view.Stride = static_cast<std::size_t>(rgb.bytesPerLine());
    view.BytesPerPixel = 3; // QImage::Format_RGB888: red, green, blue
    return view;
}
} // namespace

TLineDistributionForm::TLineDistributionForm(TMainForm& mainForm)
    : TToolForm(mainForm, {.Name = "LineDistributionForm",
                           .Title = QStringLiteral("Section"),
                           .ShowCommand = "LineDistributionAction",
                           .LockedCommands = {},
                           .GuardsDocuments = false,
                           .RoleWindows = {},
                           .CloseRolesOnHide = false,
                           .HasCloseButton = false}) {
    LineDistributionImage = Named(new QLabel(this), "LineDistributionImage");
    LineDistributionImage->setFixedSize(PlotWidth, PlotHeight);
    LineDistributionImage->setFrameShape(QFrame::Box);
    LineDistributionImage->setContextMenuPolicy(Qt::CustomContextMenu);

    DirectionRadioGroup = Named(new QGroupBox(QStringLiteral("Direction"), this), "DirectionRadioGroup");
    DirectionRadioGroup->setToolTip(QStringLiteral("Direction"));
    HorizontalRadioButton =
        Named(new QRadioButton(QStringLiteral("Horizontal"), DirectionRadioGroup), "HorizontalRadioButton");
    VerticalRadioButton =
        Named(new QRadioButton(QStringLiteral("Vertical"), DirectionRadioGroup), "VerticalRadioButton");
    HorizontalRadioButton->setChecked(true);
    auto* directions = new QButtonGroup(DirectionRadioGroup);
    directions->addButton(HorizontalRadioButton, 0);
    directions->addButton(VerticalRadioButton, 1);
    auto* directionLayout = new QHBoxLayout(DirectionRadioGroup);
    directionLayout->addWidget(HorizontalRadioButton);
    directionLayout->addWidget(VerticalRadioButton);

    PosEdit = Named(new QLineEdit(kNone, this), "PosEdit");
    PosEdit->setReadOnly(true);
    PosEdit->setMaximumWidth(90);

    AddPopupMenu();
    SaveAsImageMenuItem = Named(PopupMenu->addAction(QStringLiteral("Save As Image")), "SaveAsImageMenuItem");
    SaveAsData = Named(PopupMenu->addAction(QStringLiteral("Save As Data")), "SaveAsData");
    connect(LineDistributionImage, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(LineDistributionImage->mapToGlobal(pos)); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LineDistributionImage);
    auto* controls = new QHBoxLayout;
    controls->addWidget(DirectionRadioGroup);
    controls->addStretch(1);
    controls->addWidget(new QLabel(QStringLiteral("Position:"), this));
    controls->addWidget(PosEdit);
    layout->addLayout(controls);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Bind(directions, &QButtonGroup::idClicked, &TLineDistributionForm::DirectionRadioGroupClick);
    Bind(SaveAsImageMenuItem, &QAction::triggered, &TLineDistributionForm::SaveAsImageMenuItemClick);
    Bind(SaveAsData, &QAction::triggered, &TLineDistributionForm::SaveAsDataClick);
    ClearPlot();
}

int TLineDistributionForm::DirectionIndex() const {
    return VerticalRadioButton->isChecked() ? 1 : 0;
}

void TLineDistributionForm::ClearPlot() {
    plot_ = QImage(PlotWidth, PlotHeight, QImage::Format_RGB888);
    plot_.fill(Qt::white);
    LineDistributionImage->setPixmap(QPixmap::fromImage(plot_));
}

void TLineDistributionForm::SetProfile(const std::vector<float>& values) {
    samples_ = values;
    // One column per sample at the plot's height, stretched into the plot afterwards.
    const int count = static_cast<int>(values.size());
    QImage offscreen(std::max(count, 1), PlotHeight, QImage::Format_RGB888);
    if (offscreen.isNull()) throw CorvaneError("Now more memory to allocate for repaint");
    offscreen.fill(Qt::white);
    const std::vector<std::int32_t> rows = ProfilePlotRows(values, PlotHeight);
    QPainter painter(&offscreen);
    painter.setPen(QColor(0, 0, 160));
    QPoint from(0, PlotHeight - 1);
    for (int i = 0; i < count; ++i) {
        const QPoint to(i, rows[static_cast<std::size_t>(i)]);
        painter.drawLine(from, to);
        from = to;
    }
    painter.end();
    plot_ = offscreen.size() == QSize(PlotWidth, PlotHeight)
                ? offscreen
                : offscreen.scaled(PlotWidth, PlotHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    LineDistributionImage->setPixmap(QPixmap::fromImage(plot_));
}

void TLineDistributionForm::TakeProfile(TMDIChildForm& child, QPoint at) {
    const QImage& bitmap = child.Bitmap();
    if (bitmap.isNull()) return;
    const bool horizontal = DirectionIndex() == 0;
    const int position = horizontal ? at.y() : at.x();
    std::vector<float> values = LineProfile(
        ViewOf(bitmap), horizontal ? ProfileDirection::Horizontal : ProfileDirection::Vertical, position);
    PosEdit->setText(QString::number(position));
    // The marker box of the line: two pixels thick, along the whole row or column.
    if (horizontal)
        child.SetSecondMarquee({0, at.y(), bitmap.width() - 1, at.y() + 2});
    else
        child.SetSecondMarquee({at.x(), 0, at.x() + 2, bitmap.height() - 1});
    SetProfile(values);
}

void TLineDistributionForm::DocumentClicked(TMDIChildForm& child, int x, int y) {
    std::erase_if(clicks_, [&](const auto& click) { return !click.first || click.first == &child; });
    clicks_.emplace_back(&child, QPoint(x, y));
    TakeProfile(child, {x, y});
}

void TLineDistributionForm::DirectionRadioGroupClick() {
    PosEdit->setText(kNone);
    samples_.clear();
    ClearPlot();
    TMDIChildForm* active = main_.ActiveMDIChild();
    if (!active) return;
    for (const auto& [window, point] : clicks_)
        if (window == active) {
            TakeProfile(*active, point);
            return;
        }
}

void TLineDistributionForm::FormHide() {
    for (int i = 0; i < main_.MDIChildCount(); ++i)
        if (TMDIChildForm* child = main_.MDIChild(i)) child->SetSecondMarquee({});
}

std::optional<QString> TLineDistributionForm::AskSaveName(const QString& filter, const QString& defaultExt) {
    FileDialogRequest request;
    request.Filter = filter;
    request.FilterIndex = 1;
    request.DefaultExt = defaultExt;
    request.ConfirmOverwrite = true;
    const auto chosen = dialogs_.SaveFile(request);
    if (!chosen) return std::nullopt;
    // The data filter lists two patterns ("*.dat;*.data"), for which the dialog adds no extension
    // of its own; a bare name chosen under the first filter still gets the default one.
    if (chosen->FilterIndex == 1 && QFileInfo(chosen->FileName).suffix().isEmpty())
        return chosen->FileName + defaultExt.mid(1);
    return chosen->FileName;
}

void TLineDistributionForm::SaveAsDataClick() {
    if (samples_.empty()) throw CorvaneError(" no data ");
    const auto name = AskSaveName(kDataFilter, QStringLiteral("*.dat"));
    if (!name) return;
    SaveProfileData(QFile::encodeName(*name).toStdString(), samples_);
}

void TLineDistributionForm::SaveAsImageMenuItemClick() {
    if (samples_.empty()) throw CorvaneError(" no image ");
    const auto name = AskSaveName(kPictureFilter, QStringLiteral("*.bmp"));
    if (!name) return;
    SaveBitmapAsBmp(plot_, QFile::encodeName(*name).toStdString());
}

} // namespace corvane::ui
