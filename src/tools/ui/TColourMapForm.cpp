#include "tools/ui/TColourMapForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>

#include "image/CorvaneError.h"
#include "image/FloatMapDisplay.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/FileFilter.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {
const QString kFloatFilter = QStringLiteral("Float Image(*.flt)|*.flt|All files(*.*)|*.*");
const QString kPictureFilter = WithTiffPngEntry("Bitmaps (*.bmp)|*.bmp", "All files(*.*)|*.*");
const QString kPngFilter = QStringLiteral("PNG pictures(*.png)|*.png|All files(*.*)|*.*");

std::string ToPath(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QString Number(float value) {
    return QString::number(static_cast<double>(value), 'g', 7);
}

float ParseRangeEnd(const QLineEdit& edit) {
    bool ok = false;
    const double value = QLocale::c().toDouble(edit.text().trimmed(), &ok);
    if (!ok) throw CorvaneError("the colour range needs a low end below its high end");
    return static_cast<float>(value);
}
} // namespace

TColourMapForm::TColourMapForm(TMainForm& mainForm)
    : TToolForm(mainForm, {.Name = "ColourMapForm", .Title = QStringLiteral("Colour Map")}) {
    MapFileEdit = Named(new QLineEdit(this), "MapFileEdit");
    MapFileEdit->setReadOnly(true);
    OpenMapButton = Named(new QPushButton(QStringLiteral("Open Map..."), this), "OpenMapButton");
    PictureEdit = Named(new QLineEdit(this), "PictureEdit");
    PictureEdit->setReadOnly(true);
    PictureEdit->setPlaceholderText(QStringLiteral("none"));
    PictureBrowseButton = Named(new QPushButton(QStringLiteral("Browse..."), this), "PictureBrowseButton");
    NoPictureButton = Named(new QPushButton(QStringLiteral("None"), this), "NoPictureButton");
    OpacityTrackBar = Named(new QSlider(Qt::Horizontal, this), "OpacityTrackBar");
    OpacityTrackBar->setRange(0, 100);
    OpacityTrackBar->setValue(100);
    OpacityTrackBar->setStatusTip(QStringLiteral("The map's opacity over the picture"));
    OpacityLabel = Named(new QLabel(QStringLiteral("100 %"), this), "OpacityLabel");
    AutoRangeCheckBox = Named(new QCheckBox(QStringLiteral("Auto range"), this), "AutoRangeCheckBox");
    AutoRangeCheckBox->setChecked(true);
    LowEdit = Named(new QLineEdit(this), "LowEdit");
    HighEdit = Named(new QLineEdit(this), "HighEdit");
    LowEdit->setEnabled(false);
    HighEdit->setEnabled(false);
    TableComboBox = Named(new QComboBox(this), "TableComboBox");
    TableComboBox->addItems({QStringLiteral("Auto"), QStringLiteral("Viridis"), QStringLiteral("Diverging")});
    TableComboBox->setStatusTip(
        QStringLiteral("Auto: viridis for a map of one sign, diverging around 0 for a signed one"));
    ColourMapImage = Named(new QLabel, "ColourMapImage");
    ColourMapImage->setMouseTracking(true);
    ColourMapImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ColourMapImage->installEventFilter(this);
    ColourMapScrollBox = Named(new QScrollArea(this), "ColourMapScrollBox");
    ColourMapScrollBox->setWidget(ColourMapImage);
    ColourMapScrollBox->setMinimumSize(360, 240);
    SavePngButton = Named(new QPushButton(QStringLiteral("Save PNG..."), this), "SavePngButton");

    auto* form = new QFormLayout;
    auto* mapRow = new QHBoxLayout;
    mapRow->addWidget(MapFileEdit, 1);
    mapRow->addWidget(OpenMapButton);
    form->addRow(QStringLiteral("Map:"), mapRow);
    auto* pictureRow = new QHBoxLayout;
    pictureRow->addWidget(PictureEdit, 1);
    pictureRow->addWidget(PictureBrowseButton);
    pictureRow->addWidget(NoPictureButton);
    form->addRow(QStringLiteral("Over picture:"), pictureRow);
    auto* opacityRow = new QHBoxLayout;
    opacityRow->addWidget(OpacityTrackBar, 1);
    opacityRow->addWidget(OpacityLabel);
    form->addRow(QStringLiteral("Opacity:"), opacityRow);
    auto* rangeRow = new QHBoxLayout;
    rangeRow->addWidget(AutoRangeCheckBox);
    rangeRow->addWidget(new QLabel(QStringLiteral("from"), this));
    rangeRow->addWidget(LowEdit);
    rangeRow->addWidget(new QLabel(QStringLiteral("to"), this));
    rangeRow->addWidget(HighEdit);
    form->addRow(QStringLiteral("Range:"), rangeRow);
    form->addRow(QStringLiteral("Table:"), TableComboBox);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(SavePngButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(ColourMapScrollBox, 1);
    layout->addLayout(buttons);

    QAction* command = mainForm.RequireAction("ColourMapAction");
    command->setEnabled(true);
    Bind(command, &QAction::triggered, &TColourMapForm::ColourMapActionExecute);
    Bind(OpenMapButton, &QPushButton::clicked, &TColourMapForm::OpenMapButtonClick);
    Bind(PictureBrowseButton, &QPushButton::clicked, &TColourMapForm::PictureBrowseButtonClick);
    Bind(NoPictureButton, &QPushButton::clicked, &TColourMapForm::NoPictureButtonClick);
    Bind(OpacityTrackBar, &QSlider::valueChanged, &TColourMapForm::Redraw);
    Bind(AutoRangeCheckBox, &QCheckBox::toggled, &TColourMapForm::Redraw);
    Bind(LowEdit, &QLineEdit::editingFinished, &TColourMapForm::Redraw);
    Bind(HighEdit, &QLineEdit::editingFinished, &TColourMapForm::Redraw);
    Bind(TableComboBox, &QComboBox::currentIndexChanged, &TColourMapForm::Redraw);
    Bind(SavePngButton, &QPushButton::clicked, &TColourMapForm::SavePngButtonClick);
    resize(640, 560);
}

TColourMapForm::~TColourMapForm() = default;

void TColourMapForm::ColourMapActionExecute() {
    const TMDIChildForm* active = main_.ActiveMDIChild();
    const QString caption = active ? active->Caption() : QString();
    if (active && active->FloatMap()) {
        // A window that holds its values (an opened map, a strain result) is shown as it is.
        ShowMap(*active->FloatMap(), caption);
    } else if (caption.endsWith(QStringLiteral(".flt"), Qt::CaseInsensitive) && QFileInfo::exists(caption)) {
        LoadMap(caption);
    } else {
        const auto chosen = ChooseOpenFile(kFloatFilter);
        if (!chosen) return;
        LoadMap(*chosen);
    }
    ShowTool();
}

void TColourMapForm::OpenMapButtonClick() {
    if (const auto chosen = ChooseOpenFile(kFloatFilter)) LoadMap(*chosen);
}

void TColourMapForm::LoadMap(const QString& fileName) {
    ShowMapOwned(std::make_unique<TFloatImage>(ToPath(fileName)), fileName);
}

void TColourMapForm::ShowMap(const TFloatImage& map, const QString& name) {
    ShowMapOwned(CopyFloatMap(map), name);
}

void TColourMapForm::ShowMapOwned(std::unique_ptr<TFloatImage> map, const QString& name) {
    map_ = std::move(map);
    MapFileEdit->setText(name);
    if (under_ && (under_->Width != map_->Width || under_->Height != map_->Height)) {
        under_.reset();
        PictureEdit->clear();
    }
    picture_ = {};
    ColourMapImage->clear();
    Redraw();
}

void TColourMapForm::PictureBrowseButtonClick() {
    const auto chosen = ChooseOpenFile(kPictureFilter);
    if (!chosen) return;
    auto picture = std::make_unique<TGrayImage>(ToPath(*chosen));
    if (map_ && (picture->Width != map_->Width || picture->Height != map_->Height)) {
        throw CorvaneError("the picture is " + std::to_string(picture->Width) + " x " +
                           std::to_string(picture->Height) + ", the map is " + std::to_string(map_->Width) +
                           " x " + std::to_string(map_->Height));
    }
    under_ = std::move(picture);
    PictureEdit->setText(*chosen);
    Redraw();
}

void TColourMapForm::NoPictureButtonClick() {
    under_.reset();
    PictureEdit->clear();
    Redraw();
}

ColourMapOptions TColourMapForm::OptionsFromControls() const {
    ColourMapOptions options;
    if (TableComboBox->currentIndex() == 1) options.Table = ColourTable::Viridis;
    if (TableComboBox->currentIndex() == 2) options.Table = ColourTable::Diverging;
    if (!AutoRangeCheckBox->isChecked())
        options.Range = ColourRange{ParseRangeEnd(*LowEdit), ParseRangeEnd(*HighEdit)};
    options.Over = under_.get();
    options.Opacity = OpacityTrackBar->value() / 100.0;
    return options;
}

void TColourMapForm::Redraw() {
    const bool automatic = AutoRangeCheckBox->isChecked();
    LowEdit->setEnabled(!automatic);
    HighEdit->setEnabled(!automatic);
    OpacityLabel->setText(QString::number(OpacityTrackBar->value()) + QStringLiteral(" %"));
    if (!map_) return;
    // A refused range is reported once, not again each time the same texts are left or redrawn.
    const QString range = automatic ? QString() : LowEdit->text() + QLatin1Char('|') + HighEdit->text();
    ColourMapPicture picture;
    try {
        picture = RenderColourMap(*map_, OptionsFromControls());
    } catch (const CorvaneError&) {
        if (!range.isEmpty() && range == refusedRange_) return;
        refusedRange_ = range;
        throw;
    }
    refusedRange_.clear();
    picture_ = std::move(picture);
    if (automatic) {
        LowEdit->setText(Number(picture_.Range.Low));
        HighEdit->setText(Number(picture_.Range.High));
    }
    const QImage shown(picture_.Rgba.data(), picture_.Width, picture_.Height, picture_.Width * 4,
                       QImage::Format_RGBA8888);
    ColourMapImage->setPixmap(QPixmap::fromImage(shown.copy()));
    ColourMapImage->resize(picture_.Width, picture_.Height);
}

void TColourMapForm::SavePngButtonClick() {
    if (picture_.Rgba.empty()) {
        dialogs_.Information(QStringLiteral("Open a float map first"));
        return;
    }
    const auto name = ChooseSaveFile(kPngFilter, QStringLiteral("*.png"));
    if (!name) return;
    SaveColourMapPng(picture_, ToPath(*name));
}

QString TColourMapForm::ValueHint(int x, int y) const {
    if (!map_ || x < 0 || y < 0 || x >= map_->Width || y >= map_->Height) return {};
    const float value = map_->Data[static_cast<std::size_t>(y) * static_cast<std::size_t>(map_->Width) +
                                   static_cast<std::size_t>(x)];
    const QString shown = IsMissingMapValue(value) ? QStringLiteral("not computed") : Number(value);
    return QStringLiteral("Position(%1,%2),value=%3").arg(x).arg(y).arg(shown);
}

bool TColourMapForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ColourMapImage && event->type() == QEvent::MouseMove) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        const QString hint = ValueHint(at.x(), at.y());
        if (!hint.isEmpty()) main_.ShowStatusHint(hint);
    }
    return TToolForm::eventFilter(watched, event);
}

} // namespace corvane::ui
