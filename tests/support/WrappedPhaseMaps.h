#pragma once
#include <cmath>
#include <cstddef>
#include <map>
#include <numbers>
#include <random>
#include <vector>

namespace corvane::test {

/// A smooth phase surface of known values and its wrapped form, row by row.
struct WrappedPhaseMap {
    int Width = 0, Height = 0;
    std::vector<float> Truth;   ///< unwrapped phase without noise
    std::vector<float> Noisy;   ///< Truth plus the Gaussian noise, not wrapped
    std::vector<float> Wrapped; ///< Noisy wrapped into (-pi, pi]
};

/// phi wrapped into (-pi, pi], in double and rounded once.
inline float WrapPhase(double phi) {
    const double twoPi = 2.0 * std::numbers::pi;
    double w = phi - twoPi * std::floor((phi + std::numbers::pi) / twoPi);
    if (w <= -std::numbers::pi) w += twoPi;
    return static_cast<float>(w);
}

/// A tilted bowl: phi = 0.2 x + 0.1 y + 0.15 ((x - 0.4 w)^2 + (y - 0.55 h)^2) / w, whose slope stays
/// below 0.4 rad per pixel (so even the residue test's 0.5 rad threshold sees no residue in the
/// clean map), plus Gaussian phase noise of the given sigma.
inline WrappedPhaseMap MakeWrappedPhaseMap(int width, int height, double noiseSigma = 0.0,
                                           unsigned seed = 1) {
    WrappedPhaseMap map{width, height, {}, {}, {}};
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double dx = x - 0.4 * width, dy = y - 0.55 * height;
            const double phi = 0.2 * x + 0.1 * y + 0.15 * (dx * dx + dy * dy) / width - 30.0;
            const double noisy = phi + (noiseSigma > 0.0 ? noiseSigma * noise(rng) : 0.0);
            map.Truth.push_back(static_cast<float>(phi));
            map.Noisy.push_back(static_cast<float>(noisy));
            map.Wrapped.push_back(WrapPhase(noisy));
        }
    return map;
}

/// The fraction of pixels whose value lies within tolerance of the truth, after the one global
/// shift by 2 pi k that fits the most pixels.
inline double FractionWithin(const float* unwrapped, const std::vector<float>& truth, double tolerance) {
    const double twoPi = 2.0 * std::numbers::pi;
    std::map<long, std::size_t> votes;
    for (std::size_t i = 0; i < truth.size(); ++i)
        ++votes[std::lround((double{unwrapped[i]} - truth[i]) / twoPi)];
    long best = 0;
    std::size_t most = 0;
    for (const auto& [k, n] : votes)
        if (n > most) best = k, most = n;
    std::size_t within = 0;
    for (std::size_t i = 0; i < truth.size(); ++i)
        within += std::fabs(double{unwrapped[i]} - truth[i] - twoPi * static_cast<double>(best)) <= tolerance;
    return truth.empty() ? 0.0 : static_cast<double>(within) / static_cast<double>(truth.size());
}

} // namespace corvane::test
