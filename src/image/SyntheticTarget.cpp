#include "image/SyntheticTarget.h"

#include "image/CorvaneError.h"
#include "image/ImageSize.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace corvane {

namespace {

struct Centre {
    double X;
    double Y;
    double Amplitude;
};

// A uniform value in [0, 1) from the generator's raw output, the same on every platform (the standard
// fixes mt19937's sequence, not the distributions').
double Uniform(std::mt19937& random) {
    return static_cast<double>(random()) / 4294967296.0;
}

std::vector<Centre> SpeckleCentres(const SyntheticTargetOptions& o, double margin) {
    std::mt19937 random(o.Seed);
    const double w = o.Width + 2 * margin;
    const double h = o.Height + 2 * margin;
    const auto count = static_cast<std::size_t>(o.SpeckleDensity * w * h);
    std::vector<Centre> centres(count);
    for (Centre& c : centres) {
        c.X = Uniform(random) * w - margin;
        c.Y = Uniform(random) * h - margin;
        c.Amplitude = 0.45 + 0.55 * Uniform(random);
    }
    return centres;
}

std::vector<Centre> DotCentres(const SyntheticTargetOptions& o, double margin) {
    std::vector<Centre> centres;
    const double p = o.DotPitch;
    // The lattice is centred on the picture, so the stretch leaves the middle dot in place.
    const double x0 = o.Width / 2.0 - std::ceil((o.Width / 2.0 + margin) / p) * p;
    const double y0 = o.Height / 2.0 - std::ceil((o.Height / 2.0 + margin) / p) * p;
    for (double y = y0; y < o.Height + margin; y += p)
        for (double x = x0; x < o.Width + margin; x += p)
            centres.push_back({x, y, 1.0});
    return centres;
}

// Adds every centre's footprint, moved by the deformation, to the sum.
void Draw(const SyntheticTargetOptions& o, const std::vector<Centre>& centres, bool deformed,
          std::vector<double>& sum) {
    const bool dots = o.DotPitch > 0.0;
    const double radius = dots ? o.DotPitch * 0.3 : o.SpeckleRadius;
    const double reach = dots ? radius + 1.0 : 3.5 * radius;
    const double inverse = 1.0 / (radius * radius);
    for (const Centre& c : centres) {
        double cx = c.X;
        double cy = c.Y;
        if (deformed) {
            cx += o.StretchX * (c.X - o.Width / 2.0) + o.ShiftX;
            cy += o.StretchY * (c.Y - o.Height / 2.0) + o.ShiftY;
        }
        const int x1 = std::min(o.Width - 1, static_cast<int>(std::ceil(cx + reach)));
        const int y1 = std::min(o.Height - 1, static_cast<int>(std::ceil(cy + reach)));
        for (int y = std::max(0, static_cast<int>(std::floor(cy - reach))); y <= y1; ++y) {
            for (int x = std::max(0, static_cast<int>(std::floor(cx - reach))); x <= x1; ++x) {
                const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                // A dot is a disc with a one-pixel soft edge; a speckle a Gaussian.
                const double value = dots ? std::clamp(radius + 0.5 - std::sqrt(d2), 0.0, 1.0)
                                          : c.Amplitude * std::exp(-d2 * inverse);
                sum[static_cast<std::size_t>(y) * static_cast<std::size_t>(o.Width) +
                    static_cast<std::size_t>(x)] += value;
            }
        }
    }
}

std::unique_ptr<TGrayImage> Render(const SyntheticTargetOptions& o, const std::vector<Centre>& centres,
                                   bool deformed) {
    std::vector<double> sum(static_cast<std::size_t>(o.Width) * static_cast<std::size_t>(o.Height), 0.0);
    Draw(o, centres, deformed, sum);
    auto image = std::make_unique<TGrayImage>(nullptr, o.Width, o.Height);
    const bool dots = o.DotPitch > 0.0;
    for (std::size_t i = 0; i < sum.size(); ++i) {
        const double grey = dots ? 20.0 + 215.0 * std::min(sum[i], 1.0) : 25.0 + 180.0 * sum[i];
        image->Data[i] = static_cast<std::uint8_t>(std::clamp(std::lround(grey), 0L, 255L));
    }
    return image;
}

} // namespace

SyntheticTargetPair MakeSyntheticTargetPair(const SyntheticTargetOptions& o) {
    if (o.Width < 16 || o.Height < 16 || CheckedPixelCount(o.Width, o.Height) < 0)
        throw CorvaneError("the target needs a size of 16 x 16 or more");
    if (!(std::fabs(o.StretchX) <= 0.2 && std::fabs(o.StretchY) <= 0.2))
        throw CorvaneError("the stretch lies between -0.2 and 0.2");
    if (!(std::fabs(o.ShiftX) <= o.Width && std::fabs(o.ShiftY) <= o.Height))
        throw CorvaneError("the shift lies within the picture's size");
    const bool dots = o.DotPitch > 0.0;
    if (dots && !(o.DotPitch >= 6.0 && o.DotPitch <= std::min(o.Width, o.Height)))
        throw CorvaneError("the dot pitch lies between 6 pixels and the picture's smaller side");
    if (!dots && !(o.SpeckleRadius >= 0.5 && o.SpeckleRadius <= 8.0))
        throw CorvaneError("the speckle radius lies between 0.5 and 8");
    if (!dots && !(o.SpeckleDensity >= 0.01 && o.SpeckleDensity <= 1.0))
        throw CorvaneError("the speckle density lies between 0.01 and 1");
    // Centres also fall outside the picture, so that content moved in is patterned as well.
    const double margin = 8.0 * (dots ? o.DotPitch : o.SpeckleRadius) + std::fabs(o.ShiftX) +
                          std::fabs(o.ShiftY) +
                          (std::fabs(o.StretchX) * o.Width + std::fabs(o.StretchY) * o.Height) / 2.0;
    const std::vector<Centre> centres = dots ? DotCentres(o, margin) : SpeckleCentres(o, margin);
    return {Render(o, centres, false), Render(o, centres, true)};
}

} // namespace corvane
