#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

namespace corvane::ui {

/// The about window: program name, version and one line about the workbench.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;
};

} // namespace corvane::ui
