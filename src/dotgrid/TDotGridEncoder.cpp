#include "dotgrid/TDotGridEncoder.h"

#include "dotgrid/TPixelCanvas.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace corvane {

namespace {

/// Uninitialised bytes: every buffer here is written whole before it is read.
std::unique_ptr<std::uint8_t[]> RawBuffer(std::int32_t size, const char* failMessage) {
    try {
        return std::unique_ptr<std::uint8_t[]>(new std::uint8_t[static_cast<std::size_t>(std::max(size, 1))]);
    } catch (const std::bad_alloc&) {
        throw CorvaneError(failMessage);
    }
}

std::unique_ptr<std::uint8_t[]> CopyOf(const TGrayImage& image) {
    auto pixels = RawBuffer(image.Size, "the grayimage is NULL");
    if (image.Size > 0) std::memcpy(pixels.get(), image.Data, static_cast<std::size_t>(image.Size));
    return pixels;
}

/// Position of the first byte of p[0..n) that differs from bg, n when none does. Eight bytes
/// are compared at a time: most of a dot picture is background.
std::int32_t FindOther(const std::uint8_t* p, std::int32_t from, std::int32_t n, std::uint8_t bg) {
    const std::uint64_t pattern = 0x0101010101010101ull * bg;
    std::int32_t x = from;
    for (; x + 8 <= n; x += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + x, 8);
        if (word != pattern) break;
    }
    for (; x < n; ++x)
        if (p[x] != bg) return x;
    return n;
}

} // namespace

TDotGridEncoder::TDotGridEncoder(const TGrayImage& image, const TDotGridEncoderOptions& options)
    : WorkPixels(CopyOf(image)),
      WorkImage(std::make_unique<TGrayImage>(WorkPixels.get(), image.Width, image.Height)),
      Backup(RawBuffer(image.Size, "Can not allocate backup image buffer")),
      Background(options.WhiteGrid ? 0 : 255), DrawFlag(options.DrawFlag), MaxX(options.MaxX),
      MaxY(options.MaxY), fill_(WorkImage->Data, WorkImage->Width, WorkImage->Height, Background) {
    Coordinates = std::make_unique<TCoordinateSystem>(MaxX, MaxY);
    // The code file names the picture the copy was made from.
    WorkImage->FileName = image.FileName;
}

TDotGridEncoder::~TDotGridEncoder() = default;

void TDotGridEncoder::SaveBackup() {
    if (!Backup) throw CorvaneError("Cannot allocate more memory for BackupImage");
    std::memcpy(Backup.get(), WorkImage->Data, static_cast<std::size_t>(WorkImage->Size));
}

void TDotGridEncoder::RestoreBackup() {
    if (!Backup) throw CorvaneError("Have not  allocated memory for BackupImage");
    std::memcpy(WorkImage->Data, Backup.get(), static_cast<std::size_t>(WorkImage->Size));
}

void TDotGridEncoder::FillAt(std::int32_t x, std::int32_t y) {
    fill_.SetCanvas(DrawFlag ? Canvas : nullptr);
    const TComponentStats s = fill_.Fill(x, y);
    Area = s.Area;
    SumWX = s.SumWX;
    SumWY = s.SumWY;
    SumW = s.SumW;
    MaxArea = std::max(MaxArea, Area);
}

template <class Visit> void TDotGridEncoder::ScanComponents(Visit visit) {
    const std::int32_t width = WorkImage->Width;
    for (std::int32_t y = 0; y < WorkImage->Height; ++y) {
        const std::uint8_t* row =
            WorkImage->Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (std::int32_t x = FindOther(row, 0, width, Background); x < width;
             x = FindOther(row, x + 1, width, Background))
            visit(x, y);
    }
}

void TDotGridEncoder::ClearBorderDots() {
    const std::int32_t width = WorkImage->Width, height = WorkImage->Height;
    if (width == 0 || height == 0) return;
    const std::uint8_t* data = WorkImage->Data;
    auto at = [&](std::int32_t x, std::int32_t y) {
        return data[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                    static_cast<std::size_t>(x)];
    };
    for (std::int32_t x = 0; x < width; ++x) {
        if (at(x, 0) != Background) FillAt(x, 0);
        if (at(x, height - 1) != Background) FillAt(x, height - 1);
    }
    for (std::int32_t y = 0; y < height; ++y) {
        if (at(0, y) != Background) FillAt(0, y);
        if (at(width - 1, y) != Background) FillAt(width - 1, y);
    }
}

void TDotGridEncoder::CountDots() {
    FDotSum = 0;
    MaxArea = 0;
    TotalArea = 0;
    ScanComponents([&](std::int32_t x, std::int32_t y) {
        Area = 0;
        FillAt(x, y);
        ++FDotSum;
        TotalArea += Area;
    });
}

std::int32_t TDotGridEncoder::AutoEvaluate() {
    ClearBorderDots();
    SaveBackup();
    CountDots();
    RestoreBackup();
    // An empty picture has no mean area; 0 keeps every component instead of dividing by zero.
    NoiseThreshold = FDotSum > 0 ? TotalArea / FDotSum : 0;
    return NoiseThreshold;
}

void TDotGridEncoder::RemoveNoise(TPixelCanvas* canvas) {
    Canvas = canvas;
    if (NoiseThreshold < 0) NoiseThreshold = 10;
    // One pass on the backup both counts the components and notes where each one too small
    // starts, in raster order.
    struct Start {
        std::int32_t X, Y;
    };
    std::vector<Start> small;
    SaveBackup();
    FDotSum = 0;
    MaxArea = 0;
    TotalArea = 0;
    ScanComponents([&](std::int32_t x, std::int32_t y) {
        FillAt(x, y);
        ++FDotSum;
        TotalArea += Area;
        if (Area < NoiseThreshold) small.push_back({x, y});
    });
    RestoreBackup();
    for (const Start& s : small) {
        FillAt(s.X, s.Y);
        --FDotSum;
    }
    if (canvas) canvas->DrawImage(*WorkImage);
    if (FDotSum < 1)
        throw CorvaneError("No dots in this image\nmay be you should give a small noise threshold");
}

void TDotGridEncoder::BuildDotTable(TPixelCanvas* canvas) {
    Canvas = canvas;
    try {
        FDotInfo.assign(static_cast<std::size_t>(std::max(FDotSum, 0)) + 1, TDotInfo{});
    } catch (const std::bad_alloc&) {
        throw CorvaneError("No more memory for FDotInfo");
    }
    FDotIndex = 0;
    SaveBackup();
    bool tooMany = false;
    ScanComponents([&](std::int32_t x, std::int32_t y) {
        if (tooMany) return;
        FillAt(x, y);
        if (Area < NoiseThreshold) return;
        TDotInfo& dot = FDotInfo[static_cast<std::size_t>(FDotIndex)];
        dot.X = WeightedCentre(SumWX, SumW);
        dot.Y = WeightedCentre(SumWY, SumW);
        dot.Area = Area;
        dot.Neted = dot.Coded = false;
        ++FDotIndex;
        if (FDotIndex > FDotSum) tooMany = true;
    });
    // The work image is put back even when the table overflows, so a later run starts clean.
    RestoreBackup();
    if (tooMany) throw CorvaneError("May be some dots are error, because FDotIndex > FDotSum");
    if (canvas) canvas->DrawImage(*WorkImage);
}

} // namespace corvane
