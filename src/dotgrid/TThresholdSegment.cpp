#include "dotgrid/TThresholdSegment.h"

#include "dotgrid/TPixelCanvas.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <string>

namespace corvane {

namespace {

/// Thresholds count pixels of a row against one level.
void ThresholdRow(std::uint8_t* row, std::int32_t count, std::int32_t level, bool whiteDots) {
    if (whiteDots) {
        for (std::int32_t x = 0; x < count; ++x)
            if (row[x] < level) row[x] = 0;
    } else {
        for (std::int32_t x = 0; x < count; ++x)
            if (row[x] > level) row[x] = 255;
    }
}

void PaintRow(TPixelCanvas* canvas, const std::uint8_t* row, std::int32_t x0, std::int32_t y,
              std::int32_t count) {
    for (std::int32_t x = 0; x < count; ++x)
        canvas->PaintGrey(x0 + x, y, row[x]);
}

} // namespace

TThresholdSegment::TThresholdSegment(TGrayImage& image, bool drawEach)
    : WinWidth(image.Width / 4), WinHeight(image.Width / 4), DrawEach(drawEach), Width(image.Width),
      Height(image.Height), image_(image) {}

TThresholdSegment::TThresholdSegment(std::unique_ptr<TGrayImage> image, bool drawEach)
    : TThresholdSegment(*image, drawEach) {
    owned_ = std::move(image);
}

TThresholdSegment::~TThresholdSegment() = default;

std::int32_t TThresholdSegment::MaxWindowSize(std::int32_t width, std::int32_t height) {
    return std::max(std::min(width, height) / 2, 0);
}

void TThresholdSegment::SetRegion(std::int32_t left, std::int32_t top, std::int32_t right,
                                  std::int32_t bottom) {
    Left = std::clamp(left, 0, image_.Width);
    Top = std::clamp(top, 0, image_.Height);
    right = std::min(right, image_.Width - 1);
    bottom = std::min(bottom, image_.Height - 1);
    Width = std::max(right - Left + 1, 0);
    Height = std::max(bottom - Top + 1, 0);
}

void TThresholdSegment::SimpleThreshold(TPixelCanvas* canvas, std::int32_t level) {
    SimpleThreshold(canvas, level, 0, 0, image_.Width - 1, image_.Height - 1);
}

void TThresholdSegment::SimpleThreshold(TPixelCanvas* canvas, std::int32_t level, std::int32_t left,
                                        std::int32_t top, std::int32_t right, std::int32_t bottom) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, image_.Width - 1);
    bottom = std::min(bottom, image_.Height - 1);
    if (left > right || top > bottom) return;
    const std::int32_t count = right - left + 1;
    for (std::int32_t y = top; y <= bottom; ++y) {
        std::uint8_t* row =
            image_.Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(image_.Width) + left;
        ThresholdRow(row, count, level, WhiteDots);
        if (DrawEach && canvas) PaintRow(canvas, row, left, y, count);
    }
}

void TThresholdSegment::AdaptiveThreshold(TPixelCanvas* canvas) {
    const std::int32_t maxSize = MaxWindowSize(Width, Height);
    if (WinWidth < 1 || WinHeight < 1 || WinWidth > Width / 2 || WinHeight > Height / 2)
        throw CorvaneError("The window size must be between 1 and " + std::to_string(maxSize) +
                           " pixels, so that two windows fit across and down the picture");
    Nx = Width / WinWidth;
    Ny = Height / WinHeight;
    const std::int32_t offX = (Width - Nx * WinWidth) / 2;
    const std::int32_t offY = (Height - Ny * WinHeight) / 2;
    const std::size_t stride = static_cast<std::size_t>(image_.Width);
    const std::size_t nx = static_cast<std::size_t>(Nx), ny = static_cast<std::size_t>(Ny);

    // The window thresholds: trunc(mean) + Adjust, kept in 0..255.
    std::vector<std::int64_t> sums;
    try {
        ThresholdGrid.assign(nx * ny, 0);
        sums.assign(nx, 0);
    } catch (const std::bad_alloc&) {
        throw CorvaneError("Not Allocate memory for threshold");
    }
    const std::int64_t windowArea = static_cast<std::int64_t>(WinWidth) * WinHeight;
    for (std::size_t j = 0; j < ny; ++j) {
        std::fill(sums.begin(), sums.end(), 0);
        for (std::int32_t r = 0; r < WinHeight; ++r) {
            const std::size_t y = static_cast<std::size_t>(Top + offY) +
                                  j * static_cast<std::size_t>(WinHeight) + static_cast<std::size_t>(r);
            const std::uint8_t* p = image_.Data + y * stride + static_cast<std::size_t>(Left + offX);
            for (std::size_t i = 0; i < nx; ++i) {
                std::int64_t s = 0;
                for (std::int32_t c = 0; c < WinWidth; ++c)
                    s += p[c];
                sums[i] += s;
                p += WinWidth;
            }
        }
        for (std::size_t i = 0; i < nx; ++i)
            ThresholdGrid[j * nx + i] =
                std::clamp(static_cast<std::int32_t>(sums[i] / windowArea) + Adjust, 0, 255);
    }

    FirstCentreX = offX + WinWidth / 2;
    LastCentreX = FirstCentreX + (Nx - 1) * WinWidth;
    FirstCentreY = offY + WinHeight / 2;
    LastCentreY = FirstCentreY + (Ny - 1) * WinHeight;

    // The lattice extended by one node on every side: column 0 is the left image edge, column
    // Nx + 1 the right edge, likewise for rows. Edge nodes are extrapolated from the two nearest
    // windows over the size of the cell they close; the four image corners are the mean of the
    // other three corners of their cell.
    auto G = [&](std::int32_t i, std::int32_t j) {
        return ThresholdGrid[static_cast<std::size_t>(j) * nx + i];
    };
    const std::int32_t ex = Nx + 2, ey = Ny + 2;
    std::vector<std::int32_t> ext(static_cast<std::size_t>(ex) * static_cast<std::size_t>(ey));
    auto E = [&](std::int32_t i, std::int32_t j) -> std::int32_t& {
        return ext[static_cast<std::size_t>(j) * static_cast<std::size_t>(ex) + static_cast<std::size_t>(i)];
    };
    const std::int32_t wLeft = FirstCentreX, wRight = Width - LastCentreX;
    const std::int32_t hTop = FirstCentreY, hBottom = Height - LastCentreY;
    for (std::int32_t j = 0; j < Ny; ++j)
        for (std::int32_t i = 0; i < Nx; ++i)
            E(i + 1, j + 1) = G(i, j);
    for (std::int32_t i = 0; i < Nx; ++i) {
        E(i + 1, 0) = G(i, 0) - (G(i, 1) - G(i, 0)) * hTop / WinHeight;
        E(i + 1, Ny + 1) = G(i, Ny - 1) + (G(i, Ny - 1) - G(i, Ny - 2)) * hBottom / WinHeight;
    }
    for (std::int32_t j = 0; j < Ny; ++j) {
        E(0, j + 1) = G(0, j) - (G(1, j) - G(0, j)) * wLeft / WinWidth;
        E(Nx + 1, j + 1) = G(Nx - 1, j) + (G(Nx - 1, j) - G(Nx - 2, j)) * wRight / WinWidth;
    }
    E(0, 0) = (E(1, 0) + E(0, 1) + E(1, 1)) / 3;
    E(Nx + 1, 0) = (E(Nx, 0) + E(Nx, 1) + E(Nx + 1, 1)) / 3;
    E(0, Ny + 1) = (E(0, Ny) + E(1, Ny) + E(1, Ny + 1)) / 3;
    E(Nx + 1, Ny + 1) = (E(Nx, Ny) + E(Nx + 1, Ny) + E(Nx, Ny + 1)) / 3;

    // Node positions: the region edges and the window centres.
    std::vector<std::int32_t> xs(static_cast<std::size_t>(ex)), ys(static_cast<std::size_t>(ey));
    xs[0] = 0;
    for (std::int32_t i = 0; i < Nx; ++i)
        xs[static_cast<std::size_t>(i) + 1] = FirstCentreX + i * WinWidth;
    xs[static_cast<std::size_t>(Nx) + 1] = Width;
    ys[0] = 0;
    for (std::int32_t j = 0; j < Ny; ++j)
        ys[static_cast<std::size_t>(j) + 1] = FirstCentreY + j * WinHeight;
    ys[static_cast<std::size_t>(Ny) + 1] = Height;

    // Per row of cells, the horizontal interpolations along the cell's top and bottom edges are
    // the same for every row of pixels: top = ((w - dx) T00 + dx T10) / w in single precision.
    const std::size_t width = static_cast<std::size_t>(Width);
    std::vector<float> topEdge(width), bottomEdge(width);
    std::vector<std::int32_t> level(width);
    for (std::int32_t cy = 0; cy <= Ny; ++cy) {
        const std::int32_t y0 = ys[static_cast<std::size_t>(cy)],
                           h = ys[static_cast<std::size_t>(cy) + 1] - y0;
        if (h <= 0) continue;
        for (std::int32_t cx = 0; cx <= Nx; ++cx) {
            const std::int32_t x0 = xs[static_cast<std::size_t>(cx)],
                               w = xs[static_cast<std::size_t>(cx) + 1] - x0;
            const std::int32_t t00 = E(cx, cy), t10 = E(cx + 1, cy), t01 = E(cx, cy + 1),
                               t11 = E(cx + 1, cy + 1);
            for (std::int32_t dx = 0; dx < w; ++dx) {
                const std::size_t X = static_cast<std::size_t>(x0 + dx);
                topEdge[X] = static_cast<float>((w - dx) * t00 + dx * t10) / static_cast<float>(w);
                bottomEdge[X] = static_cast<float>((w - dx) * t01 + dx * t11) / static_cast<float>(w);
            }
        }
        const float hf = static_cast<float>(h);
        for (std::int32_t dy = 0; dy < h; ++dy) {
            const float a = static_cast<float>(h - dy), b = static_cast<float>(dy);
            const float* top = topEdge.data();
            const float* bottom = bottomEdge.data();
            std::int32_t* lv = level.data();
            for (std::size_t X = 0; X < width; ++X)
                lv[X] = static_cast<std::int32_t>((a * top[X] + b * bottom[X]) / hf);
            const std::int32_t y = Top + y0 + dy;
            std::uint8_t* row =
                image_.Data + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(Left);
            if (WhiteDots) {
                for (std::size_t X = 0; X < width; ++X)
                    row[X] = row[X] < lv[X] ? std::uint8_t{0} : row[X];
            } else {
                for (std::size_t X = 0; X < width; ++X)
                    row[X] = row[X] > lv[X] ? std::uint8_t{255} : row[X];
            }
            if (DrawEach && canvas) PaintRow(canvas, row, Left, y, Width);
        }
    }
}

void SegmentSimple(TGrayImage& image, const TSimpleSegmentOptions& options) {
    TThresholdSegment segment(image, false);
    segment.WhiteDots = options.WhiteDots;
    segment.SimpleThreshold(nullptr, options.Level);
}

void SegmentAdaptive(TGrayImage& image, const TAdaptiveSegmentOptions& options) {
    TThresholdSegment segment(image, false);
    segment.WinWidth = segment.WinHeight = options.WindowSize;
    segment.Adjust = options.Adjust;
    segment.WhiteDots = options.WhiteDots;
    segment.AdaptiveThreshold(nullptr);
}

} // namespace corvane
