#include "shell/TWorkbenchSettings.h"

#include <QSettings>

namespace corvane::ui {

namespace {
const QString kImageScaleGroup = QStringLiteral("Image Scale");
const QString kScaleXKey = kImageScaleGroup + QStringLiteral("/scalex");
const QString kScaleYKey = kImageScaleGroup + QStringLiteral("/scaley");
const QString kEncodeGroup = QStringLiteral("Encode Coordinate");
const QString kMaxXKey = kEncodeGroup + QStringLiteral("/Max X");
const QString kMaxYKey = kEncodeGroup + QStringLiteral("/Max Y");
const QString kSixteenBitKey = QStringLiteral("Picture Files/Sixteen Bit");
} // namespace

const QString TWorkbenchSettings::Organisation = QStringLiteral("Halvorn Lab.");
const QString TWorkbenchSettings::Application = QStringLiteral("Corvane");

bool TWorkbenchSettings::EnsureEncodeDefaults() {
    if (store_.childGroups().contains(kEncodeGroup)) return false;
    store_.setValue(kMaxXKey, DefaultEncodeMax);
    store_.setValue(kMaxYKey, DefaultEncodeMax);
    return true;
}

void TWorkbenchSettings::EnsureDefaults() {
    if (!store_.childGroups().contains(kImageScaleGroup)) {
        store_.setValue(kScaleXKey, 1.0);
        store_.setValue(kScaleYKey, 1.0);
    }
    EnsureEncodeDefaults();
    store_.sync();
}

void TWorkbenchSettings::ReadImageScale(double& scaleX, double& scaleY) const {
    scaleX = store_.value(kScaleXKey, 1.0).toDouble();
    scaleY = store_.value(kScaleYKey, 1.0).toDouble();
}

void TWorkbenchSettings::WriteImageScale(double scaleX, double scaleY) {
    store_.setValue(kScaleXKey, scaleX);
    store_.setValue(kScaleYKey, scaleY);
    store_.sync();
}

void TWorkbenchSettings::ReadEncodeCoordinate(int& maxX, int& maxY) {
    if (EnsureEncodeDefaults()) store_.sync();
    maxX = store_.value(kMaxXKey, DefaultEncodeMax).toInt();
    maxY = store_.value(kMaxYKey, DefaultEncodeMax).toInt();
}

void TWorkbenchSettings::WriteEncodeCoordinate(int maxX, int maxY) {
    store_.setValue(kMaxXKey, maxX);
    store_.setValue(kMaxYKey, maxY);
    store_.sync();
}

SixteenBitScaling TWorkbenchSettings::ReadSixteenBitScaling() const {
    const QString rule = store_.value(kSixteenBitKey).toString();
    if (rule == QStringLiteral("full")) return SixteenBitScaling::Full;
    if (rule == QStringLiteral("range")) return SixteenBitScaling::Range;
    return kDefaultSixteenBitScaling;
}

void TWorkbenchSettings::WriteSixteenBitScaling(SixteenBitScaling scaling) {
    store_.setValue(kSixteenBitKey,
                    scaling == SixteenBitScaling::Full ? QStringLiteral("full") : QStringLiteral("range"));
    store_.sync();
}

} // namespace corvane::ui
