#include "dotgrid/ui/TSegmentParameterForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "dotgrid/ModifySegment.h"
#include "dotgrid/TThresholdSegment.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "shell/Convert.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

TToolSetup ToolSpec() {
    TToolSetup setup;
    setup.Name = "SegmentParameterForm";
    setup.Title = QStringLiteral("Segment  Parameter");
    setup.ShowCommand = "MultiSegmentAction";
    return setup;
}

} // namespace

TSegmentParameterForm::TSegmentParameterForm(TMainForm& mainForm) : TToolForm(mainForm, ToolSpec()) {
    SegmentWinSizeEdit = Named(new QLineEdit(QStringLiteral("150"), this), "SegmentWinSizeEdit");
    AdjustThresholdEdit = Named(new QLineEdit(QStringLiteral("0"), this), "AdjustThresholdEdit");
    AdjustThresholdEdit->setToolTip(QStringLiteral("Simple segment use this as  the Threshold"));
    WinSizeLessThanLabel =
        Named(new QLabel(QStringLiteral("No Larger Than  000 "), this), "WinSizeLessThanLabel");
    WhiteSpeckleCheckBox =
        Named(new QCheckBox(QStringLiteral("White Speckle"), this), "WhiteSpeckleCheckBox");
    WhiteSpeckleCheckBox->setChecked(true);
    SegmentButton = Named(new QPushButton(QStringLiteral("Segment"), this), "SegmentButton");
    LeftEdit = Named(new QLineEdit(QStringLiteral("0"), this), "LeftEdit");
    TopEdit = Named(new QLineEdit(QStringLiteral("0"), this), "TopEdit");
    RightEdit = Named(new QLineEdit(QStringLiteral("0"), this), "RightEdit");
    BottomEdit = Named(new QLineEdit(QStringLiteral("0"), this), "BottomEdit");
    ModifySegmentButton = Named(new QPushButton(QStringLiteral("Modify"), this), "ModifySegmentButton");
    ModifySegmentButton->setToolTip(QStringLiteral("Use the current Grid attributes"));

    auto* layout = new QVBoxLayout(this);
    auto* segmentGroup = new QGroupBox(this);
    auto* segmentGrid = new QGridLayout(segmentGroup);
    segmentGrid->addWidget(new QLabel(QStringLiteral("Win.  Size"), this), 0, 0);
    segmentGrid->addWidget(SegmentWinSizeEdit, 0, 1);
    segmentGrid->addWidget(WinSizeLessThanLabel, 0, 2);
    segmentGrid->addWidget(new QLabel(QStringLiteral("Adjust"), this), 1, 0);
    segmentGrid->addWidget(AdjustThresholdEdit, 1, 1);
    segmentGrid->addWidget(WhiteSpeckleCheckBox, 2, 0, 1, 2);
    segmentGrid->addWidget(SegmentButton, 2, 2);
    layout->addWidget(segmentGroup);

    auto* modifyGroup = new QGroupBox(this);
    modifyGroup->setToolTip(QStringLiteral("if speckle is white, use black color to fill the area"));
    auto* modifyGrid = new QGridLayout(modifyGroup);
    modifyGrid->addWidget(new QLabel(QStringLiteral("Left"), this), 0, 0);
    modifyGrid->addWidget(LeftEdit, 0, 1);
    modifyGrid->addWidget(new QLabel(QStringLiteral("Top"), this), 0, 2);
    modifyGrid->addWidget(TopEdit, 0, 3);
    modifyGrid->addWidget(new QLabel(QStringLiteral("Right"), this), 1, 0);
    modifyGrid->addWidget(RightEdit, 1, 1);
    modifyGrid->addWidget(new QLabel(QStringLiteral("Bottom"), this), 1, 2);
    modifyGrid->addWidget(BottomEdit, 1, 3);
    modifyGrid->addWidget(ModifySegmentButton, 2, 3);
    layout->addWidget(modifyGroup);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);

    Bind(SegmentButton, &QPushButton::clicked, &TSegmentParameterForm::SegmentButtonClick);
    Bind(ModifySegmentButton, &QPushButton::clicked, &TSegmentParameterForm::ModifySegmentButtonClick);
}

TSegmentParameterForm::~TSegmentParameterForm() = default;

void TSegmentParameterForm::FormHide() {
    segmented_.reset();
}

void TSegmentParameterForm::SegmentButtonClick() {
    TMDIChildForm* source = main_.ActiveMDIChild();
    if (!source) throw CorvaneError("Open an file and then segment");
    segmented_.reset();
    TAdaptiveSegmentOptions options;
    options.WindowSize = StrToInt(SegmentWinSizeEdit);
    options.Adjust = StrToInt(AdjustThresholdEdit);
    options.WhiteDots = WhiteSpeckleCheckBox->isChecked();
    const QString caption = source->Caption();
    std::unique_ptr<TGrayImage> gray;
    source->GetGrayImage(gray);
    SegmentAdaptive(*gray, options);
    segmented_ = std::move(gray);
    ShowInRole(caption + QStringLiteral(":Segment"), *segmented_);
}

void TSegmentParameterForm::ModifySegmentButtonClick() {
    TMDIChildForm* window = main_.ActiveMDIChild();
    if (!window) throw CorvaneError("Open an file and then modify");
    const int left = StrToInt(LeftEdit);
    const int top = StrToInt(TopEdit);
    const int right = StrToInt(RightEdit);
    const int bottom = StrToInt(BottomEdit);
    std::unique_ptr<TGrayImage> gray;
    window->GetGrayImage(gray);
    ModifySegment(*gray, left, top, right, bottom, WhiteSpeckleCheckBox->isChecked());
    DrawGrayImage(*gray, *window);
}

void TSegmentParameterForm::SetRectangle(int x1, int y1, int x2, int y2) {
    LeftEdit->setText(QString::number(std::min(x1, x2)));
    RightEdit->setText(QString::number(std::max(x1, x2)));
    TopEdit->setText(QString::number(std::min(y1, y2)));
    BottomEdit->setText(QString::number(std::max(y1, y2)));
}

void TSegmentParameterForm::DocumentDragged(TMDIChildForm& /*child*/, int x1, int y1, int x2, int y2) {
    SetRectangle(x1, y1, x2, y2);
}

void TSegmentParameterForm::FormShow() {
    ShowWindowSizeLimit(main_.ActiveMDIChild());
}

void TSegmentParameterForm::ShowWindowSizeLimit(const TMDIChildForm* picture) {
    if (!picture || picture->Bitmap().isNull()) return;
    const int limit = TThresholdSegment::MaxWindowSize(picture->Bitmap().width(), picture->Bitmap().height());
    WinSizeLessThanLabel->setText(QStringLiteral("No Larger Than  %1 ").arg(limit));
}

void TSegmentParameterForm::DocumentActivated(TMDIChildForm& child) {
    ShowWindowSizeLimit(&child);
    // Only a shown marquee is a selection; a window never dragged in has none to offer.
    if (!child.MarqueeShown()) return;
    const TSelectionRect selection = child.GetSelection();
    SetRectangle(selection.Left, selection.Top, selection.Right - 1, selection.Bottom - 1);
}

} // namespace corvane::ui
