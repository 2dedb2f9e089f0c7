#include "dotgrid/ui/TSpeckleAnalysisParaForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "dotgrid/SpeckleTableFile.h"
#include "dotgrid/TSpeckleStatistics.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "shell/Convert.h"
#include "shell/Platform.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

TToolSetup ToolSpec() {
    TToolSetup setup;
    setup.Name = "SpeckleAnalysisParaForm";
    setup.Title = QStringLiteral("Speckle Analysis");
    setup.ShowCommand = "SpeckleAnalysisAction";
    return setup;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const char* text) {
    auto* edit = new QLineEdit(QString::fromLatin1(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

} // namespace

TSpeckleAnalysisParaForm::TSpeckleAnalysisParaForm(TMainForm& mainForm) : TToolForm(mainForm, ToolSpec()) {
    PageControl = Named(new QTabWidget(this), "PageControl");
    AnalysisPage = Named(new QWidget(PageControl), "AnalysisPage");
    OutputPage = Named(new QWidget(PageControl), "OutputPage");
    PageControl->addTab(AnalysisPage, QStringLiteral("Analysis"));
    PageControl->addTab(OutputPage, QStringLiteral("Output"));

    MinPixelxEdit = MakeEdit(AnalysisPage, "MinPixelxEdit", "2");
    MaxPixelxEdit = MakeEdit(AnalysisPage, "MaxPixelxEdit", "30");
    MinPixelyEdit = MakeEdit(AnalysisPage, "MinPixelyEdit", "2");
    MaxPixelyEdit = MakeEdit(AnalysisPage, "MaxPixelyEdit", "30");
    WhiteSpeckleCheckBox =
        Named(new QCheckBox(QStringLiteral("White Speckle"), AnalysisPage), "WhiteSpeckleCheckBox");
    WhiteSpeckleCheckBox->setChecked(true);
    LeftEdit = MakeEdit(AnalysisPage, "LeftEdit", "1");
    TopEdit = MakeEdit(AnalysisPage, "TopEdit", "1");
    RightEdit = MakeEdit(AnalysisPage, "RightEdit", "0");
    BottomEdit = MakeEdit(AnalysisPage, "BottomEdit", "0");
    AnalysisButton = Named(new QPushButton(QStringLiteral("Analysis"), AnalysisPage), "AnalysisButton");

    auto* analysis = new QVBoxLayout(AnalysisPage);
    auto* sizeGroup = new QGroupBox(AnalysisPage);
    sizeGroup->setToolTip(QStringLiteral("Double Click in the image window to get full area"));
    auto* sizes = new QGridLayout(sizeGroup);
    sizes->addWidget(new QLabel(QStringLiteral("Min (Pixel)"), sizeGroup), 0, 1);
    sizes->addWidget(new QLabel(QStringLiteral("Max (Pixel)"), sizeGroup), 0, 2);
    sizes->addWidget(new QLabel(QStringLiteral("X"), sizeGroup), 1, 0);
    sizes->addWidget(MinPixelxEdit, 1, 1);
    sizes->addWidget(MaxPixelxEdit, 1, 2);
    sizes->addWidget(new QLabel(QStringLiteral("Y"), sizeGroup), 2, 0);
    sizes->addWidget(MinPixelyEdit, 2, 1);
    sizes->addWidget(MaxPixelyEdit, 2, 2);
    sizes->addWidget(WhiteSpeckleCheckBox, 3, 0, 1, 3);
    analysis->addWidget(sizeGroup);
    auto* rangeGroup = new QGroupBox(QStringLiteral("Image Range to Analysis"), AnalysisPage);
    rangeGroup->setToolTip(QStringLiteral("Double Click in the image window to get full area"));
    auto* range = new QGridLayout(rangeGroup);
    range->addWidget(new QLabel(QStringLiteral("Left"), rangeGroup), 0, 0);
    range->addWidget(LeftEdit, 0, 1);
    range->addWidget(new QLabel(QStringLiteral("Top"), rangeGroup), 0, 2);
    range->addWidget(TopEdit, 0, 3);
    range->addWidget(new QLabel(QStringLiteral("Right"), rangeGroup), 1, 0);
    range->addWidget(RightEdit, 1, 1);
    range->addWidget(new QLabel(QStringLiteral("Bottom"), rangeGroup), 1, 2);
    range->addWidget(BottomEdit, 1, 3);
    analysis->addWidget(rangeGroup);
    analysis->addWidget(AnalysisButton, 0, Qt::AlignRight);

    OutputTypeComboBox = Named(new QComboBox(OutputPage), "OutputTypeComboBox");
    OutputTypeComboBox->addItems({QStringLiteral("x_size  y_size  how_many"),
                                  QStringLiteral("area       how_many"), QStringLiteral("x_size    how_many"),
                                  QStringLiteral("y_size    how_many")});
    OutputTypeComboBox->setCurrentIndex(0);
    SaveButton = Named(new QPushButton(QStringLiteral("Save"), OutputPage), "SaveButton");
    auto* output = new QVBoxLayout(OutputPage);
    output->addWidget(OutputTypeComboBox);
    output->addWidget(SaveButton, 0, Qt::AlignRight);
    output->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);

    Bind(AnalysisButton, &QPushButton::clicked, &TSpeckleAnalysisParaForm::AnalysisButtonClick);
    Bind(SaveButton, &QPushButton::clicked, &TSpeckleAnalysisParaForm::SaveButtonClick);
}

TSpeckleAnalysisParaForm::~TSpeckleAnalysisParaForm() {
    Release();
}

void TSpeckleAnalysisParaForm::Release() {
    statistics_.reset();
    image_.reset();
}

void TSpeckleAnalysisParaForm::FormShow() {
    PageControl->setCurrentWidget(AnalysisPage);
}

void TSpeckleAnalysisParaForm::FormHide() {
    Release();
}

void TSpeckleAnalysisParaForm::AnalysisButtonClick() {
    TMDIChildForm* source = main_.ActiveMDIChild();
    if (!source) throw CorvaneError("Open an file and then analysis");
    Release();
    TSpeckleAnalysisOptions options;
    options.MinX = StrToInt(MinPixelxEdit);
    options.MaxX = StrToInt(MaxPixelxEdit);
    options.MinY = StrToInt(MinPixelyEdit);
    options.MaxY = StrToInt(MaxPixelyEdit);
    options.WhiteSpeckle = WhiteSpeckleCheckBox->isChecked();
    options.Left = StrToInt(LeftEdit);
    options.Top = StrToInt(TopEdit);
    options.Right = StrToInt(RightEdit);
    options.Bottom = StrToInt(BottomEdit);
    std::unique_ptr<TGrayImage> gray;
    source->GetGrayImage(gray);
    statistics_ = AnalyseSpeckles(*gray, options);
    image_ = std::move(gray);
}

void TSpeckleAnalysisParaForm::SaveButtonClick() {
    if (!statistics_) throw CorvaneError("Analysis first");
    FileDialogRequest request;
    request.Filter = QStringLiteral("data file(*.dat)|*.dat|All files( *.*)|*.*");
    request.DefaultExt = QStringLiteral("*.dat");
    request.ConfirmOverwrite = true;
    const auto chosen = dialogs_.SaveFile(request);
    if (!chosen) return;
    WriteSpeckleTable(chosen->FileName.toStdString(), *statistics_,
                      static_cast<TSpeckleOutputType>(OutputTypeComboBox->currentIndex()));
}

void TSpeckleAnalysisParaForm::SetRectangle(int x1, int y1, int x2, int y2) {
    LeftEdit->setText(QString::number(std::min(x1, x2)));
    RightEdit->setText(QString::number(std::max(x1, x2)));
    TopEdit->setText(QString::number(std::min(y1, y2)));
    BottomEdit->setText(QString::number(std::max(y1, y2)));
}

void TSpeckleAnalysisParaForm::DocumentDragged(TMDIChildForm& /*child*/, int x1, int y1, int x2, int y2) {
    SetRectangle(x1, y1, x2, y2);
}

void TSpeckleAnalysisParaForm::DocumentDoubleClicked(TMDIChildForm& child) {
    const QImage& picture = child.Bitmap();
    SetRectangle(0, 0, picture.width() - 1, picture.height() - 1);
}

} // namespace corvane::ui
