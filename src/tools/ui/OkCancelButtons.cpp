#include "tools/ui/OkCancelButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace corvane::ui {

OkCancelButtons MakeOkCancelButtons(QDialog* dialog) {
    OkCancelButtons buttons;
    buttons.Ok = new QPushButton(QStringLiteral("OK"), dialog);
    buttons.Ok->setObjectName(QStringLiteral("BitBtn1"));
    buttons.Ok->setDefault(true);
    buttons.Cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    buttons.Cancel->setObjectName(QStringLiteral("BitBtn2"));
    buttons.Row = new QHBoxLayout;
    buttons.Row->addStretch(1);
    buttons.Row->addWidget(buttons.Ok);
    buttons.Row->addWidget(buttons.Cancel);
    return buttons;
}

} // namespace corvane::ui
