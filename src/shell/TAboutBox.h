#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

namespace corvane::ui {

/// The about window: program name, version, one line about the workbench, the copyright and
/// a mail link.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Comments = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* MailLabel = nullptr;
    /// Where the mail link of the about window writes to.
    static constexpr const char* kMailAddress = "corvane@halvorn-lab.example";
    QPushButton* OKButton = nullptr;
};

} // namespace corvane::ui
