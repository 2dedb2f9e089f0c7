#include "tools/ui/TReSetCoordinateForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/Convert.h"
#include "shell/Platform.h"
#include "shell/TWorkbenchSettings.h"
#include "tools/ui/OkCancelButtons.h"

namespace corvane::ui {

namespace {
QLineEdit* MakeEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(QString::number(TWorkbenchSettings::DefaultEncodeMax), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaximumWidth(90);
    return edit;
}
} // namespace

TReSetCoordinateForm::TReSetCoordinateForm(IDialogs& dialogs, TWorkbenchSettings& settings, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), settings_(settings) {
    setObjectName(QStringLiteral("ReSetCoordinateForm"));
    setWindowTitle(QStringLiteral("Resize the Encode Coordinate System"));

    MaxNxEdit = MakeEdit("MaxNxEdit", this);
    MaxNyEdit = MakeEdit("MaxNyEdit", this);
    int maxX = TWorkbenchSettings::DefaultEncodeMax;
    int maxY = TWorkbenchSettings::DefaultEncodeMax;
    settings_.ReadEncodeCoordinate(maxX, maxY);
    MaxNxEdit->setText(QString::number(maxX));
    MaxNyEdit->setText(QString::number(maxY));

    Label3 = new QLabel(QStringLiteral("Only effect new created windows"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    const OkCancelButtons okCancel = MakeOkCancelButtons(this);
    BitBtn1 = okCancel.Ok;
    BitBtn2 = okCancel.Cancel;

    auto* fields = new QGridLayout;
    auto* labelX = new QLabel(QStringLiteral("Maximum X"), this);
    labelX->setBuddy(MaxNxEdit);
    auto* labelY = new QLabel(QStringLiteral("Maximum Y"), this);
    labelY->setBuddy(MaxNyEdit);
    fields->addWidget(labelX, 0, 0);
    fields->addWidget(MaxNxEdit, 0, 1);
    fields->addWidget(labelY, 1, 0);
    fields->addWidget(MaxNyEdit, 1, 1);
    fields->setColumnMinimumWidth(1, 260); // room for the whole caption in the title bar
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(Label3);
    layout->addLayout(okCancel.Row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this,
            [this] { RunGuarded(dialogs_, [this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TReSetCoordinateForm::BitBtn1Click() {
    // Both are converted before either is written, so a bad entry stores nothing.
    const int maxX = StrToInt(MaxNxEdit);
    const int maxY = StrToInt(MaxNyEdit);
    settings_.WriteEncodeCoordinate(maxX, maxY);
    accept();
}

} // namespace corvane::ui
