#include "phase/GeometricMoire.h"

#include "image/CorvaneError.h"

#include <array>
#include <cmath>
#include <cstring>

namespace corvane {

namespace {

/// trunc(sqrt(p)) of every product p of two grey levels; p = i * j, i, j in 0..255, at most 65025.
const std::array<std::uint8_t, 255 * 255 + 1>& RootOfProduct() {
    static const auto table = [] {
        std::array<std::uint8_t, 255 * 255 + 1> t{};
        for (std::size_t p = 0; p < t.size(); ++p)
            t[p] = static_cast<std::uint8_t>(std::sqrt(static_cast<double>(p)));
        return t;
    }();
    return table;
}

void CheckCovers(const TGrayImage& a, const TGrayImage& b) {
    if (b.Width < a.Width || b.Height < a.Height)
        throw CorvaneError("the second image (" + std::to_string(b.Width) + " x " + std::to_string(b.Height) +
                           ") is smaller than the first (" + std::to_string(a.Width) + " x " +
                           std::to_string(a.Height) + ")");
}

void Multiply(const TGrayImage& a, const TGrayImage& b, TGrayImage& out) {
    const auto& root = RootOfProduct();
    const std::size_t width = static_cast<std::size_t>(a.Width);
    for (std::int32_t y = 0; y < a.Height; ++y) {
        const std::uint8_t* pa = a.Data + static_cast<std::size_t>(y) * width;
        const std::uint8_t* pb = b.Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(b.Width);
        std::uint8_t* po = out.Data + static_cast<std::size_t>(y) * width;
        for (std::size_t x = 0; x < width; ++x)
            po[x] = root[std::size_t{pa[x]} * pb[x]];
    }
}

} // namespace

std::unique_ptr<TGrayImage> GeometricMoire(const TGrayImage& a, const TGrayImage& b) {
    CheckCovers(a, b);
    auto out = std::make_unique<TGrayImage>(nullptr, a.Width, a.Height);
    Multiply(a, b, *out);
    return out;
}

void MultiplyMoireInPlace(TGrayImage& a, const TGrayImage& b) {
    CheckCovers(a, b);
    Multiply(a, b, a);
}

} // namespace corvane
