#pragma once
#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace corvane::ui {

/// "Select Result Type": the column layout of a match result file and whether its y axis points up
/// the picture. A modal dialog made each time "Save Match" runs.
class TMatchResultForm : public QDialog {
    Q_OBJECT
  public:
    explicit TMatchResultForm(QWidget* parent = nullptr);

    QComboBox* MatchResultTypeComboBox = nullptr; ///< the eight layouts, the first chosen
    QCheckBox* ChangeYaxisCheckBox = nullptr;     ///< "Change Y axis", checked
    QPushButton* BitBtn1 = nullptr;               ///< OK
    QPushButton* BitBtn2 = nullptr;               ///< Cancel
};

} // namespace corvane::ui
