#pragma once
#include "image/PictureSamples.h"

#include <QString>

class QSettings;

namespace corvane::ui {

/// The workbench's persistent settings: the store's organisation and application names, its keys,
/// and the defaults written when a group does not exist yet.
///   "Image Scale":       "scalex", "scaley" (lengths per pixel, default 1.0)
///   "Encode Coordinate": "Max X", "Max Y"   (grid extents of new document windows, default 50)
///   "Picture Files":     "Sixteen Bit"      (the 16-bit rule last chosen: "range" or "full")
class TWorkbenchSettings {
  public:
    static const QString Organisation; ///< "Halvorn Lab."
    static const QString Application;  ///< "Corvane"
    static constexpr int DefaultEncodeMax = 50;

    explicit TWorkbenchSettings(QSettings& store) : store_(store) {}

    /// Writes the defaults of every group that does not exist yet.
    void EnsureDefaults();
    /// The image scale, (1.0, 1.0) when not stored.
    void ReadImageScale(double& scaleX, double& scaleY) const;
    void WriteImageScale(double scaleX, double scaleY);
    /// The encode coordinate range, writing the defaults first when the group is missing.
    void ReadEncodeCoordinate(int& maxX, int& maxY);
    void WriteEncodeCoordinate(int maxX, int maxY);
    /// The 16-bit rule last chosen when a 16-bit picture was opened; the default rule when none was.
    SixteenBitScaling ReadSixteenBitScaling() const;
    void WriteSixteenBitScaling(SixteenBitScaling scaling);

    QSettings& Store() const { return store_; }

  private:
    /// Writes the default encode coordinate range when the store has none yet; true when it wrote.
    bool EnsureEncodeDefaults();
    QSettings& store_;
};

} // namespace corvane::ui
