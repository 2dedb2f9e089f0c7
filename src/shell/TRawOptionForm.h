#pragma once
#include <QDialog>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

#include "image/TGrayImage.h"

namespace corvane::ui {

class IDialogs;

/// The proposal of "Guess" for n picture bytes: among the divisors d of n with
/// 2 <= d < floor(sqrt(n) + 2.0), the one with the smallest |d - n/d| (the first on a tie);
/// returns (width n/d, height d), or nothing when n has no such divisor.
std::optional<std::pair<std::int64_t, std::int64_t>> GuessRawDimensions(std::int64_t n);

/// "Raw Options": what the user tells about a RAW file (dimensions and header size) before it
/// is opened. Made for one file, whose size it reads at creation.
class TRawOptionForm : public QDialog {
    Q_OBJECT
  public:
    /// fileName is the full name; the dialog shows and keeps the name without its folder.
    TRawOptionForm(IDialogs& dialogs, const QString& fileName, QWidget* parent = nullptr);

    QString FileName() const { return fileName_; }
    std::uint64_t FileSize() const { return fileSize_; }

    QLabel* DescribeLabel = nullptr;
    QLabel* SizeLabel = nullptr;
    QGroupBox* DimensionsGroupBox = nullptr;
    QLineEdit* WidthEdit = nullptr;
    QLineEdit* HeightEdit = nullptr;
    QGroupBox* HeaderGroupBox = nullptr;
    QLineEdit* HeaderEdit = nullptr;
    QGroupBox* ChannelsGroupBox = nullptr;
    QLineEdit* ChannelCountEdit = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;

    /// OK: closes with Accepted.
    void Button1Click();
    /// Cancel: closes with Rejected.
    void Button2Click();
    /// Swap: exchanges the texts of WidthEdit and HeightEdit.
    void Button3Click();
    /// Guess: proposes width and height for the file size minus the header (see
    /// GuessRawDimensions); leaves both fields unchanged when there is no proposal. A header
    /// that is not an integer is reported through the dialogs.
    void Button4Click();

  private:
    IDialogs& dialogs_;
    QString fileName_;
    std::uint64_t fileSize_ = 0;
};

/// Asks through the "Raw Options" dialog how the RAW file fileName (path: the same name as the core
/// takes it) is laid out; its description, nothing when the dialog was cancelled. Sizes are passed
/// on as given: the grey image refuses bad ones with its own message.
std::optional<TGrayImage::RawDescription> AskRawDescription(IDialogs& dialogs, const QString& fileName,
                                                            const std::string& path, QWidget* parent);

} // namespace corvane::ui
