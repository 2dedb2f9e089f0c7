#pragma once
#include "image/PictureSamples.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>
#include <string>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace corvane {
class TGrayImage;
}

namespace corvane::ui {

class IDialogs;
class TWorkbenchSettings;

/// "16-Bit Picture": how a 16-bit TIFF or PNG picture becomes the workbench's 8-bit grey, asked
/// when one is opened. Offers the picture's own minimum to maximum or the full 16-bit range.
class TSixteenBitOptionForm : public QDialog {
    Q_OBJECT
  public:
    /// fileName is the full name; the dialog shows it without its folder, with the picture's size.
    TSixteenBitOptionForm(IDialogs& dialogs, const QString& fileName, const PictureInfo& info,
                          SixteenBitScaling initial, QWidget* parent = nullptr);

    /// The rule the radio buttons show.
    SixteenBitScaling Scaling() const;

    QLabel* DescribeLabel = nullptr;
    QLabel* SizeLabel = nullptr;
    QGroupBox* RuleGroupBox = nullptr;
    QRadioButton* RangeRadioButton = nullptr;
    QRadioButton* FullRadioButton = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    /// OK: closes with Accepted.
    void Button1Click();
    /// Cancel: closes with Rejected.
    void Button2Click();

  private:
    IDialogs& dialogs_;
};

/// A TIFF or PNG picture as File Open reads it, and the caption of its window (the full name, with
/// " (first page of N)" after it when the file holds N > 1 pages).
struct TOpenedPicture {
    std::unique_ptr<TGrayImage> Image; ///< null when the 16-bit dialog was cancelled
    QString Caption;
};

/// Reads the file when its content is TIFF or PNG, whatever its extension: a 16-bit picture after
/// "16-Bit Picture" asked for the rule (offering the one remembered in the settings, and
/// remembering the one chosen). Nothing when the file is neither (BMP and RAW keep their paths).
/// Throws the readers' messages for a damaged file.
std::optional<TOpenedPicture> OpenTiffOrPng(IDialogs& dialogs, TWorkbenchSettings& settings,
                                            const QString& name, const std::string& path, QWidget* parent);

} // namespace corvane::ui
