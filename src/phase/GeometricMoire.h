#pragma once
#include <memory>

#include "image/TGrayImage.h"

namespace corvane {

/// Multiplicative moire of two grid pictures: m(x, y) = trunc(sqrt(A(x, y) * B(x, y))), over A's
/// size. A larger B is read over A's extent only. Throws CorvaneError naming both sizes when B is
/// narrower or lower than A; nothing is made then.
std::unique_ptr<TGrayImage> GeometricMoire(const TGrayImage& a, const TGrayImage& b);

/// The same in place: a(x, y) = trunc(sqrt(a(x, y) * b(x, y))) over a's size; throws as above
/// before a changes.
void MultiplyMoireInPlace(TGrayImage& a, const TGrayImage& b);

} // namespace corvane
