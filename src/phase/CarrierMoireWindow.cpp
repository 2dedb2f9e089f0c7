#include "phase/CarrierMoireWindow.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/CorvaneError.h"

namespace corvane {

namespace {

std::int32_t ClampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// Limit of one side: 2|c| - 3 when the request reaches 2|c|, i.e. when it would take in the zero order.
std::int32_t LimitByCarrier(std::int32_t size, std::int32_t c) {
    const std::int64_t twice = 2 * std::llabs(static_cast<std::int64_t>(c));
    return twice <= size ? ClampToInt32(twice - 3) : size;
}

// Limit of the other side: refSize - 5 when the request reaches the reference spectrum's size.
std::int32_t LimitBySize(std::int32_t size, std::int32_t refSize) {
    return refSize <= size ? refSize - 5 : size;
}

std::string PixelError(std::int64_t x, std::int64_t y) {
    std::string text(1, '(');
    text += std::to_string(x);
    text += ',';
    text += std::to_string(y);
    text += ") not in the image";
    return text;
}

// First pixel, in row order, of the block of size w x h from (x0, y0) outside a width x height map;
// false when the block lies inside (an empty block always does).
bool FirstPixelOutside(std::int64_t x0, std::int64_t y0, std::int64_t w, std::int64_t h, std::int32_t width,
                       std::int32_t height, std::int64_t& x, std::int64_t& y) {
    if (w <= 0 || h <= 0) return false;
    x = x0;
    y = y0;
    if (y0 < 0 || x0 < 0 || y0 >= height || x0 >= width) return true;
    if (x0 + w > width) {
        x = width;
        return true;
    }
    if (y0 + h > height) {
        y = height;
        return true;
    }
    return false;
}

} // namespace

TMovingWindow LimitMovingWindow(TMovingWindow requested, TCarrierOffset carrier, TCarrierMethod method,
                                TStripDirection strip, std::int32_t refWidth, std::int32_t refHeight) {
    bool carrierAlongX = strip == TStripDirection::Rows;
    if (method == TCarrierMethod::TwoImages)
        carrierAlongX = std::llabs(static_cast<std::int64_t>(carrier.Y)) <
                        std::llabs(static_cast<std::int64_t>(carrier.X));
    TMovingWindow w = requested;
    if (carrierAlongX) {
        w.Width = LimitByCarrier(w.Width, carrier.X);
        w.Height = LimitBySize(w.Height, refHeight);
    } else {
        w.Height = LimitByCarrier(w.Height, carrier.Y);
        w.Width = LimitBySize(w.Width, refWidth);
    }
    return w;
}

TMapCorners MovingWindowOutline(TMovingWindow window, TCarrierOffset carrier, std::int32_t width,
                                std::int32_t height) {
    const std::int32_t cx = width / 2 + carrier.X, cy = height / 2 + carrier.Y;
    return {cx - window.Width / 2, cy - window.Height / 2, cx + window.Width / 2, cy + window.Height / 2};
}

TMovingWindow EvenMovingWindow(TMovingWindow window) {
    auto even = [](std::int32_t v) { return v % 2 != 0 ? ClampToInt32(std::int64_t{v} + 1) : v; };
    return {even(window.Width), even(window.Height)};
}

void CheckMovingWindow(std::int32_t width, std::int32_t height, TCarrierOffset carrier,
                       TMovingWindow window) {
    const TMovingWindow even = EvenMovingWindow(window);
    const std::int64_t w = even.Width, h = even.Height;
    const std::int64_t wc = width / 2, hc = height / 2;
    std::int64_t x = 0, y = 0;
    if (FirstPixelOutside(wc + carrier.X - w / 2, hc + carrier.Y - h / 2, w, h, width, height, x, y) ||
        FirstPixelOutside(wc - w / 2, hc - h / 2, w, h, width, height, x, y))
        throw CorvaneError(PixelError(x, y));
}

void MoveCarrierWindow(TFloatImage& real, TFloatImage& imag, TCarrierOffset carrier, TMovingWindow window) {
    if (real.Width != imag.Width || real.Height != imag.Height || !real.Data || !imag.Data)
        throw CorvaneError("no data : carrier window move");
    const std::int32_t width = real.Width, height = real.Height;
    CheckMovingWindow(width, height, carrier, window);
    const TMovingWindow even = EvenMovingWindow(window);
    const std::int32_t w = std::max(even.Width, 0), h = std::max(even.Height, 0);
    const std::size_t stride = static_cast<std::size_t>(width);
    const std::int32_t sx = width / 2 + carrier.X - w / 2, sy = height / 2 + carrier.Y - h / 2;
    const std::int32_t dx = width / 2 - w / 2, dy = height / 2 - h / 2;
    std::vector<float> block(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (TFloatImage* map : {&real, &imag}) {
        for (std::int32_t j = 0; j < h; ++j) {
            const float* src = map->Data + static_cast<std::size_t>(sy + j) * stride + sx;
            std::copy(src, src + w, block.data() + static_cast<std::size_t>(j) * w);
        }
        std::fill(map->Data, map->Data + map->PixelCount(), 0.0f);
        for (std::int32_t j = 0; j < h; ++j) {
            const float* src = block.data() + static_cast<std::size_t>(j) * w;
            std::copy(src, src + w, map->Data + static_cast<std::size_t>(dy + j) * stride + dx);
        }
    }
}

TMovingWindow LargestMovingWindow(TCarrierOffset carrier, TCarrierMethod method, TStripDirection strip,
                                  std::int32_t width, std::int32_t height, std::int32_t refWidth,
                                  std::int32_t refHeight) {
    const std::int32_t widest = std::max(width, refWidth), tallest = std::max(height, refHeight);
    TMovingWindow window = LimitMovingWindow({widest, tallest}, carrier, method, strip, refWidth, refHeight);
    // Half a moved side of even size s reaches s/2 before and s/2 - 1 after its centre pixel, on
    // both the carrier block and the centred block; the odd size below an even limit moves the same.
    auto fit = [](std::int32_t size, std::int32_t mapSize, std::int32_t c) {
        const std::int64_t centre = mapSize / 2;
        const std::int64_t before = std::min(centre, centre + c);
        const std::int64_t after = std::min<std::int64_t>(mapSize - 1 - centre, mapSize - 1 - (centre + c));
        const std::int64_t largest = std::min(2 * before, 2 * after + 2);
        return static_cast<std::int32_t>(std::min<std::int64_t>(size, std::max<std::int64_t>(largest, 0)));
    };
    window.Width = fit(fit(window.Width, width, carrier.X), refWidth, carrier.X);
    window.Height = fit(fit(window.Height, height, carrier.Y), refHeight, carrier.Y);
    return window;
}

TMapRect DefaultCarrierSearch(TStripDirection strip, std::int32_t refWidth, std::int32_t refHeight) {
    constexpr std::int32_t kGuard = 3;
    if (strip == TStripDirection::Rows) return {0, 0, std::max(refWidth / 2 - kGuard, 0), refHeight};
    return {0, 0, refWidth, std::max(refHeight / 2 - kGuard, 0)};
}

} // namespace corvane
