#pragma once
#include "shell/TToolForm.h"

#include "image/ColourMap.h"

#include <QImage>
#include <QString>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSlider;

namespace corvane {
class TFloatImage;
class TGrayImage;
} // namespace corvane

namespace corvane::ui {

/// "Colour Map": a float map (displacement, strain, phase) in colour with its colour bar, optionally
/// over a picture of the map's size, the value under the mouse in the frame's status bar, saved as a
/// PNG picture. The "Colour Map..." command opens the map of the active document window when it
/// holds one (an opened FLT map, a strain result) or its caption names an FLT file, and otherwise
/// asks for one. Created once; closing hides it.
class TColourMapForm : public TToolForm {
    Q_OBJECT
  public:
    /// Builds the window as a tool of mainForm and connects ColourMapAction.
    explicit TColourMapForm(TMainForm& mainForm);
    ~TColourMapForm() override;

    QLineEdit* MapFileEdit = nullptr; ///< the FLT file shown
    QPushButton* OpenMapButton = nullptr;
    QLineEdit* PictureEdit = nullptr; ///< the picture under the map, empty without one
    QPushButton* PictureBrowseButton = nullptr;
    QPushButton* NoPictureButton = nullptr;
    QSlider* OpacityTrackBar = nullptr; ///< the map's opacity in percent
    QLabel* OpacityLabel = nullptr;
    QCheckBox* AutoRangeCheckBox = nullptr; ///< the map's own range; the edits show it
    QLineEdit* LowEdit = nullptr;
    QLineEdit* HighEdit = nullptr;
    QComboBox* TableComboBox = nullptr; ///< "Auto", "Viridis", "Diverging"
    QScrollArea* ColourMapScrollBox = nullptr;
    QLabel* ColourMapImage = nullptr; ///< the picture, one pixel per map point
    QPushButton* SavePngButton = nullptr;

    /// The command: the active document window's FLT map, or one chosen; then the tool is shown.
    void ColourMapActionExecute();
    void OpenMapButtonClick();
    void PictureBrowseButtonClick();
    void NoPictureButtonClick();
    /// Renders the map again with the controls' settings.
    void Redraw();
    /// Asks for a name and saves the picture shown as PNG.
    void SavePngButtonClick();

    /// Reads an FLT map and shows it; a picture of another size is dropped.
    void LoadMap(const QString& fileName);
    /// Shows a copy of a map held elsewhere (a document window's), named name in the map edit.
    void ShowMap(const TFloatImage& map, const QString& name);
    /// The status-bar text for map point (x, y): position and value, or "" outside the map.
    QString ValueHint(int x, int y) const;
    /// The picture shown (empty before a map is opened).
    const ColourMapPicture& Picture() const { return picture_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    ColourMapOptions OptionsFromControls() const;
    void ShowMapOwned(std::unique_ptr<TFloatImage> map, const QString& name);

    std::unique_ptr<TFloatImage> map_;
    std::unique_ptr<TGrayImage> under_;
    ColourMapPicture picture_;
    QString refusedRange_; ///< the low and high texts of the range refused last
};

} // namespace corvane::ui
