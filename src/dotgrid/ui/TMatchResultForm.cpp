#include "dotgrid/ui/TMatchResultForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "dotgrid/MatchResultFile.h"

namespace corvane::ui {

TMatchResultForm::TMatchResultForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("MatchResultForm"));
    setWindowTitle(QStringLiteral("Select Result Type"));

    MatchResultTypeComboBox = new QComboBox(this);
    MatchResultTypeComboBox->setObjectName(QStringLiteral("MatchResultTypeComboBox"));
    for (const char* name : kMatchResultLayoutNames)
        MatchResultTypeComboBox->addItem(QString::fromLatin1(name));
    MatchResultTypeComboBox->setCurrentIndex(0);
    MatchResultTypeComboBox->setMinimumWidth(260); // room for the whole caption in the title bar
    ChangeYaxisCheckBox = new QCheckBox(QStringLiteral("Change Y axis"), this);
    ChangeYaxisCheckBox->setObjectName(QStringLiteral("ChangeYaxisCheckBox"));
    ChangeYaxisCheckBox->setChecked(true);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MatchResultTypeComboBox);
    layout->addWidget(ChangeYaxisCheckBox);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace corvane::ui
