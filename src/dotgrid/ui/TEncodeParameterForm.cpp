#include "dotgrid/ui/TEncodeParameterForm.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstdlib>
#include <memory>

#include "dotgrid/DotExtraction.h"
#include "dotgrid/DotGridEncode.h"
#include "dotgrid/ui/EncodeWindow.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "shell/Convert.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

TToolSetup ToolSpec() {
    TToolSetup setup;
    setup.Name = "EncodeParameterForm";
    setup.Title = QStringLiteral("Encode Parameter");
    // Shown by its own handler of "Encoding", which needs a picture to be open.
    return setup;
}

enum Page { EncodePage = 0, ViewPage = 1, SetOriginPage = 2, SetDxDyPage = 3 };

QLineEdit* Edit(QWidget* parent, const QString& text, bool readOnly = false) {
    auto* edit = new QLineEdit(text, parent);
    edit->setReadOnly(readOnly);
    return edit;
}

QString Decimal(float value) {
    return QString::number(static_cast<double>(value), 'f', 3);
}

} // namespace

TEncodeParameterForm::TEncodeParameterForm(TMainForm& mainForm) : TToolForm(mainForm, ToolSpec()) {
    PageControl = Named(new QTabWidget(this), "PageControl");

    // "Encode"
    auto* encodePage = new QWidget;
    AreaThresholdEdit = Named(Edit(encodePage, QStringLiteral("100")), "AreaThresholdEdit");
    ChooseOriginMethodComboBox = Named(new QComboBox(encodePage), "ChooseOriginMethodComboBox");
    ChooseOriginMethodComboBox->addItems({QStringLiteral("Max Area"), QStringLiteral("Center Index Dot"),
                                          QStringLiteral("Center Grid Dot"),
                                          QStringLiteral("Center Image Dot")});
    ChooseOriginMethodComboBox->setCurrentIndex(static_cast<int>(TOriginMethod::CenterGridDot));
    AutoEvaluateSpeedButton =
        Named(new QPushButton(QStringLiteral("Auto"), encodePage), "AutoEvaluateSpeedButton");
    AutoEvaluateSpeedButton->setToolTip(QStringLiteral("Set Black or White Grid First!!!"));
    AutoEvaluateSpeedButton->setStatusTip(QStringLiteral("Set Black or White Grid First!!!"));
    WhiteGridCheckBox = Named(new QCheckBox(QStringLiteral("White Grid"), encodePage), "WhiteGridCheckBox");
    WhiteGridCheckBox->setChecked(true);
    EncodeButton = Named(new QPushButton(QStringLiteral("Encode"), encodePage), "EncodeButton");
    PleaseWaitLabel = Named(new QLabel(QStringLiteral("Waiting a Minute"), encodePage), "PleaseWaitLabel");
    PleaseWaitLabel->setVisible(false);
    {
        auto* layout = new QGridLayout(encodePage);
        layout->addWidget(new QLabel(QStringLiteral("The Least Grid Area"), encodePage), 0, 0);
        layout->addWidget(AreaThresholdEdit, 0, 1);
        layout->addWidget(AutoEvaluateSpeedButton, 0, 2);
        layout->addWidget(new QLabel(QStringLiteral("Automatic Choose Origin Method"), encodePage), 1, 0, 1,
                          3);
        layout->addWidget(ChooseOriginMethodComboBox, 2, 0, 1, 3);
        layout->addWidget(WhiteGridCheckBox, 3, 0);
        layout->addWidget(PleaseWaitLabel, 4, 0, 1, 2);
        layout->addWidget(EncodeButton, 4, 2);
        layout->setRowStretch(5, 1);
    }
    PageControl->addTab(encodePage, QStringLiteral("Encode"));

    // "View  && Modify"
    auto* viewPage = new QWidget;
    IndexEdit = Named(Edit(viewPage, QStringLiteral("-1"), true), "IndexEdit");
    FxEdit = Named(Edit(viewPage, QString(), true), "FxEdit");
    FyEdit = Named(Edit(viewPage, QString(), true), "FyEdit");
    AreaEdit = Named(Edit(viewPage, QString(), true), "AreaEdit");
    NxEdit = Named(Edit(viewPage, QString()), "NxEdit");
    NyEdit = Named(Edit(viewPage, QString()), "NyEdit");
    CodedCheckBox = Named(new QCheckBox(QStringLiteral("Coded"), viewPage), "CodedCheckBox");
    NetedCheckBox = Named(new QCheckBox(QStringLiteral("Neted"), viewPage), "NetedCheckBox");
    ModifyOriginButton =
        Named(new QPushButton(QStringLiteral("Modify  Origin"), viewPage), "ModifyOriginButton");
    SetCoordinateButton =
        Named(new QPushButton(QStringLiteral("Modify Coord."), viewPage), "SetCoordinateButton");
    ViewModeRadioGroup = Named(new QGroupBox(QStringLiteral("View Mode"), viewPage), "ViewModeRadioGroup");
    PassViewRadioButton =
        Named(new QRadioButton(QStringLiteral("Pass View"), ViewModeRadioGroup), "PassViewRadioButton");
    ClickViewRadioButton =
        Named(new QRadioButton(QStringLiteral("Click  View"), ViewModeRadioGroup), "ClickViewRadioButton");
    ClickViewRadioButton->setChecked(true);
    {
        auto* modes = new QVBoxLayout(ViewModeRadioGroup);
        modes->addWidget(PassViewRadioButton);
        modes->addWidget(ClickViewRadioButton);
        auto* layout = new QGridLayout(viewPage);
        layout->addWidget(new QLabel(QStringLiteral("Index"), viewPage), 0, 0);
        layout->addWidget(IndexEdit, 0, 1);
        layout->addWidget(new QLabel(QStringLiteral("Area"), viewPage), 0, 2);
        layout->addWidget(AreaEdit, 0, 3);
        layout->addWidget(new QLabel(QStringLiteral("x"), viewPage), 1, 0);
        layout->addWidget(FxEdit, 1, 1);
        layout->addWidget(new QLabel(QStringLiteral("y"), viewPage), 1, 2);
        layout->addWidget(FyEdit, 1, 3);
        layout->addWidget(new QLabel(QStringLiteral("nx"), viewPage), 2, 0);
        layout->addWidget(NxEdit, 2, 1);
        layout->addWidget(new QLabel(QStringLiteral("ny"), viewPage), 2, 2);
        layout->addWidget(NyEdit, 2, 3);
        layout->addWidget(CodedCheckBox, 3, 0, 1, 2);
        layout->addWidget(NetedCheckBox, 3, 2, 1, 2);
        layout->addWidget(ModifyOriginButton, 4, 0, 1, 2);
        layout->addWidget(SetCoordinateButton, 4, 2, 1, 2);
        layout->addWidget(ViewModeRadioGroup, 5, 0, 1, 4);
    }
    PageControl->addTab(viewPage, QStringLiteral("View  && Modify"));

    // "Set Origin"
    auto* originPage = new QWidget;
    slotButtons_ = new QButtonGroup(this);
    slotButtons_->setExclusive(true);
    const auto slotButton = [&](const QString& caption, const char* name, int slot) {
        auto* button = Named(new QPushButton(caption, originPage), name);
        button->setCheckable(true);
        slotButtons_->addButton(button, slot);
        Bind(button, &QPushButton::clicked, &TEncodeParameterForm::OriginSpeedButtonClick);
        return button;
    };
    OriginSpeedButton = slotButton(QStringLiteral("Origin"), "OriginSpeedButton", 0);
    N0SpeedButton = slotButton(QStringLiteral("Right"), "N0SpeedButton", 1);
    N1SpeedButton = slotButton(QStringLiteral("down"), "N1SpeedButton", 2);
    N2SpeedButton = slotButton(QStringLiteral("Left"), "N2SpeedButton", 3);
    N3SpeedButton = slotButton(QStringLiteral("Up"), "N3SpeedButton", 4);
    OriginSpeedButton->setChecked(true);
    DirectSetOriginEdit = Named(Edit(originPage, QStringLiteral("-1")), "DirectSetOriginEdit");
    SetIndexButton = Named(new QPushButton(QStringLiteral("Set"), originPage), "SetIndexButton");
    SetOriginNxEdit = Named(Edit(originPage, QStringLiteral("0")), "SetOriginNxEdit");
    SetOriginNyEdit = Named(Edit(originPage, QStringLiteral("0")), "SetOriginNyEdit");
    ReEncodeDirectOriginButton = Named(new QPushButton(QStringLiteral("Start Encode Again"), originPage),
                                       "ReEncodeDirectOriginButton");
    {
        // The five slots laid out as the lattice around the origin.
        auto* cross = new QGridLayout;
        cross->addWidget(N3SpeedButton, 0, 1);
        cross->addWidget(N2SpeedButton, 1, 0);
        cross->addWidget(OriginSpeedButton, 1, 1);
        cross->addWidget(N0SpeedButton, 1, 2);
        cross->addWidget(N1SpeedButton, 2, 1);
        auto* index = new QHBoxLayout;
        index->addWidget(new QLabel(QStringLiteral("Grid Index"), originPage));
        index->addWidget(DirectSetOriginEdit);
        index->addWidget(SetIndexButton);
        auto* indices = new QHBoxLayout;
        indices->addWidget(new QLabel(QStringLiteral("nx"), originPage));
        indices->addWidget(SetOriginNxEdit);
        indices->addWidget(new QLabel(QStringLiteral("ny"), originPage));
        indices->addWidget(SetOriginNyEdit);
        auto* layout = new QVBoxLayout(originPage);
        layout->addLayout(cross);
        layout->addLayout(index);
        layout->addLayout(indices);
        layout->addWidget(ReEncodeDirectOriginButton, 0, Qt::AlignRight);
        layout->addStretch(1);
    }
    PageControl->addTab(originPage, QStringLiteral("Set Origin"));

    // "Set dx dy"
    auto* pitchPage = new QWidget;
    DxEdit = Named(Edit(pitchPage, QStringLiteral("0")), "DxEdit");
    DyEdit = Named(Edit(pitchPage, QStringLiteral("0")), "DyEdit");
    ReEncodeButton =
        Named(new QPushButton(QStringLiteral("Start Encode Again"), pitchPage), "ReEncodeButton");
    {
        auto* layout = new QGridLayout(pitchPage);
        layout->addWidget(new QLabel(QStringLiteral("Give the interval of the grid image "), pitchPage), 0, 0,
                          1, 4);
        layout->addWidget(new QLabel(QStringLiteral("dx"), pitchPage), 1, 0);
        layout->addWidget(DxEdit, 1, 1);
        layout->addWidget(new QLabel(QStringLiteral("dy"), pitchPage), 1, 2);
        layout->addWidget(DyEdit, 1, 3);
        layout->addWidget(ReEncodeButton, 2, 2, 1, 2);
        layout->setRowStretch(3, 1);
    }
    PageControl->addTab(pitchPage, QStringLiteral("Set dx dy"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);

    QAction* command = mainForm.RequireAction("EncodingAction");
    command->setEnabled(true);
    connect(command, &QAction::triggered, this, [this] { Guarded([&] { EncodingActionExecute(); }); });
    Bind(EncodeButton, &QPushButton::clicked, &TEncodeParameterForm::EncodeButtonClick);
    Bind(ReEncodeButton, &QPushButton::clicked, &TEncodeParameterForm::ReEncodeButtonClick);
    Bind(ReEncodeDirectOriginButton, &QPushButton::clicked,
         &TEncodeParameterForm::ReEncodeDirectOriginButtonClick);
    Bind(AutoEvaluateSpeedButton, &QPushButton::clicked, &TEncodeParameterForm::AutoEvaluateSpeedButtonClick);
    Bind(ModifyOriginButton, &QPushButton::clicked, &TEncodeParameterForm::ModifyOriginButtonClick);
    Bind(SetCoordinateButton, &QPushButton::clicked, &TEncodeParameterForm::SetCoordinateButtonClick);
    Bind(SetIndexButton, &QPushButton::clicked, &TEncodeParameterForm::SetIndexButtonClick);
}

TEncodeParameterForm::~TEncodeParameterForm() = default;

void TEncodeParameterForm::EncodingActionExecute() {
    if (main_.MDIChildCount() == 0) throw CorvaneError("Open Image File First!!!");
    ChooseOriginMethodComboBox->setCurrentIndex(static_cast<int>(TOriginMethod::CenterGridDot));
    ShowTool();
}

void TEncodeParameterForm::FormShow() {
    PageControl->setCurrentIndex(EncodePage);
}

int TEncodeParameterForm::ChosenSlot() const {
    const int slot = slotButtons_->checkedId();
    return slot < 0 ? 0 : slot;
}

TEncodeOptions TEncodeParameterForm::Options(const TMDIChildForm& window, std::int32_t mode) const {
    // Only the edits the mode reads are converted, so a stray entry on another page stops nothing.
    TEncodeOptions options;
    options.WhiteGrid = WhiteGridCheckBox->isChecked();
    options.Method = static_cast<TOriginMethod>(ChooseOriginMethodComboBox->currentIndex());
    options.MaxX = window.MaxX;
    options.MaxY = window.MaxY;
    options.LeastArea = StrToInt(AreaThresholdEdit);
    if (mode == static_cast<std::int32_t>(TOriginMode::FromPitch)) {
        options.PitchX = static_cast<float>(StrToFloat(DxEdit));
        options.PitchY = static_cast<float>(StrToFloat(DyEdit));
    } else if (mode == static_cast<std::int32_t>(TOriginMode::Direct)) {
        options.OriginNx = StrToInt(SetOriginNxEdit);
        options.OriginNy = StrToInt(SetOriginNyEdit);
    }
    return options;
}

void TEncodeParameterForm::RunEncode(std::int32_t mode) {
    TMDIChildForm* window = main_.ActiveMDIChild();
    if (!window || window->Bitmap().isNull()) return;
    TEncodeOptions options = Options(*window, mode);
    TEncodeSession& session = EncodeSessionOf(*window);
    // The dots of a reused table keep the grid colour they were extracted with.
    if (mode != static_cast<std::int32_t>(TOriginMode::Automatic) && session.Encoder)
        options.WhiteGrid = session.Encoder->Background == 0;
    session.Mode = static_cast<TOriginMode>(mode);
    std::unique_ptr<TGrayImage> picture = EncodeSourcePicture(*window);

    PleaseWaitLabel->setVisible(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore {
        TEncodeParameterForm* form;
        ~Restore() {
            QApplication::restoreOverrideCursor();
            form->PleaseWaitLabel->setVisible(false);
        }
    } restore{this};
    try {
        const TCodeView view = Encode(session, *picture, options);
        ShowCodeView(*window, view);
    } catch (...) {
        // A failed origin search moved the mode on: the window turns to the page that continues.
        if (session.Mode != static_cast<TOriginMode>(mode) ||
            mode == static_cast<std::int32_t>(TOriginMode::Direct)) {
            ShowTool();
            if (session.Mode == TOriginMode::FromPitch) PageControl->setCurrentIndex(SetDxDyPage);
            if (session.Mode == TOriginMode::Direct) PageControl->setCurrentIndex(SetOriginPage);
        }
        throw;
    }
}

void TEncodeParameterForm::EncodeButtonClick() {
    RunEncode(static_cast<std::int32_t>(TOriginMode::Automatic));
}

void TEncodeParameterForm::ReEncodeButtonClick() {
    RunEncode(static_cast<std::int32_t>(TOriginMode::FromPitch));
}

void TEncodeParameterForm::ReEncodeDirectOriginButtonClick() {
    RunEncode(static_cast<std::int32_t>(TOriginMode::Direct));
}

void TEncodeParameterForm::AutoEvaluateSpeedButtonClick() {
    TMDIChildForm* window = main_.ActiveMDIChild();
    if (!window || window->Bitmap().isNull()) return;
    const std::unique_ptr<TGrayImage> picture = EncodeSourcePicture(*window);
    AreaThresholdEdit->setText(QString::number(EvaluateLeastArea(*picture, WhiteGridCheckBox->isChecked())));
}

void TEncodeParameterForm::ModifyOriginButtonClick() {
    TMDIChildForm* window = main_.ActiveMDIChild();
    if (!window) return;
    TEncodeSession* session = FindEncodeSession(*window);
    if (!session || !session->Encoder) return;
    ShowCodeView(*window, session->Encoder->MoveOrigin(StrToInt(IndexEdit)));
}

void TEncodeParameterForm::SetCoordinateButtonClick() {
    TMDIChildForm* window = main_.ActiveMDIChild();
    if (!window) return;
    TEncodeSession* session = FindEncodeSession(*window);
    if (!session || !session->Encoder || session->Encoder->Selected < 0) return;
    const int nx = StrToInt(NxEdit);
    const int ny = StrToInt(NyEdit);
    ShowCodeView(*window, session->Encoder->ModifyCoordinate(nx, ny, NetedCheckBox->isChecked()));
}

void TEncodeParameterForm::SelectDot(std::int32_t k) {
    TMDIChildForm* window = main_.ActiveMDIChild();
    if (!window) return;
    TEncodeSession* session = FindEncodeSession(*window);
    if (!session || !session->Encoder || k < 0 || k >= session->Encoder->FDotSum) return;
    TCodeView view;
    if (session->Encoder->SelectDot(k, &view)) ShowCodeView(*window, view);
}

void TEncodeParameterForm::OriginSpeedButtonClick() {
    TMDIChildForm* window = main_.ActiveMDIChild();
    if (!window) return;
    const std::int32_t dot = EncodeSessionOf(*window).Slots[static_cast<std::size_t>(ChosenSlot())];
    DirectSetOriginEdit->setText(QString::number(dot));
    if (dot >= 0) SelectDot(dot);
}

void TEncodeParameterForm::SetIndexButtonClick() {
    TMDIChildForm* window = main_.ActiveMDIChild();
    if (!window) return;
    const std::int32_t dot = StrToInt(DirectSetOriginEdit);
    EncodeSessionOf(*window).Slots[static_cast<std::size_t>(ChosenSlot())] = dot;
    if (dot >= 0) SelectDot(dot);
}

void TEncodeParameterForm::DocumentDragged(TMDIChildForm&, int x1, int y1, int x2, int y2) {
    DxEdit->setText(QString::number(std::abs(x2 - x1) + 1));
    DyEdit->setText(QString::number(std::abs(y2 - y1) + 1));
}

void TEncodeParameterForm::DocumentMouseMoved(TMDIChildForm& child, int x, int y) {
    if (PassViewRadioButton->isChecked()) Pick(child, x, y);
}

void TEncodeParameterForm::DocumentClicked(TMDIChildForm& child, int x, int y) {
    if (ClickViewRadioButton->isChecked()) Pick(child, x, y);
}

void TEncodeParameterForm::Pick(TMDIChildForm& child, int x, int y) {
    TEncodeSession* session = FindEncodeSession(child);
    if (!session || !session->Encoded || !session->Encoder) return;
    TDotGridEncoder& encoder = *session->Encoder;
    TCodeView view;
    if (!encoder.Pick(x, y, &view)) return;
    ShowCodeView(child, view);
    const std::int32_t k = encoder.Selected;
    if (k < 0) return;
    const TDotInfo& dot = encoder.FDotInfo[static_cast<std::size_t>(k)];
    IndexEdit->setText(QString::number(k));
    FxEdit->setText(Decimal(dot.X));
    FyEdit->setText(Decimal(dot.Y));
    NxEdit->setText(QString::number(dot.Nx));
    NyEdit->setText(QString::number(dot.Ny));
    AreaEdit->setText(QString::number(dot.Area));
    CodedCheckBox->setChecked(dot.Coded);
    NetedCheckBox->setChecked(dot.Neted);
    DirectSetOriginEdit->setText(QString::number(k));
    session->Slots[static_cast<std::size_t>(ChosenSlot())] = k;
}

} // namespace corvane::ui
