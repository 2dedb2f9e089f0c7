#include "shell/TAboutBox.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane::ui {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    ProductName = new QLabel(QStringLiteral("Corvane"), this);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont big = ProductName->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    ProductName->setFont(big);
    Version = new QLabel(QStringLiteral("Version " CORVANE_VERSION), this);
    Version->setObjectName(QStringLiteral("Version"));
    Comments = new QLabel(QStringLiteral("Image analysis for optical experimental mechanics: correlation, "
                                         "moire and fringe phase, strain."),
                          this);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setWordWrap(true);
    Copyright = new QLabel(QStringLiteral("Copyright (C) Halvorn Lab."), this);
    Copyright->setObjectName(QStringLiteral("Copyright"));
    // The mail link opens in the user's default mail program.
    MailLabel =
        new QLabel(QStringLiteral("<a href=\"mailto:%1\">%1</a>").arg(QLatin1String(kMailAddress)), this);
    MailLabel->setObjectName(QStringLiteral("MailLabel"));
    MailLabel->setTextFormat(Qt::RichText);
    MailLabel->setTextInteractionFlags(Qt::TextBrowserInteraction);
    MailLabel->setOpenExternalLinks(true);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProductName);
    layout->addWidget(Version);
    layout->addWidget(Comments);
    layout->addWidget(Copyright);
    layout->addWidget(MailLabel);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    setMinimumWidth(360);
}

} // namespace corvane::ui
