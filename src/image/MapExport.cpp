#include "image/MapExport.h"

#include "image/ByteOrder.h"
#include "image/ColourMap.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/TFloatImage.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace corvane {

namespace {

std::string FailMessage(const std::string& fileName) {
    return "Can not export the map to " + fileName;
}

/// The map's values with every point not computed as NaN.
std::vector<float> ExportValues(const TFloatImage& map) {
    std::vector<float> values(map.Data, map.Data + map.PixelCount());
    for (float& v : values)
        if (IsMissingMapValue(v)) v = std::numeric_limits<float>::quiet_NaN();
    return values;
}

/// A growing in-memory file the library writes the TIFF into.
struct MemorySink {
    std::vector<std::uint8_t> Bytes;
    std::uint64_t Position = 0;
};

tmsize_t SinkRead(thandle_t handle, void* buffer, tmsize_t count) {
    auto* sink = static_cast<MemorySink*>(handle);
    if (count <= 0 || sink->Position >= sink->Bytes.size()) return 0;
    const std::uint64_t n =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(count), sink->Bytes.size() - sink->Position);
    std::memcpy(buffer, sink->Bytes.data() + sink->Position, n);
    sink->Position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t SinkWrite(thandle_t handle, void* buffer, tmsize_t count) {
    auto* sink = static_cast<MemorySink*>(handle);
    if (count <= 0) return 0;
    const std::uint64_t end = sink->Position + static_cast<std::uint64_t>(count);
    if (end > sink->Bytes.size()) sink->Bytes.resize(end);
    std::memcpy(sink->Bytes.data() + sink->Position, buffer, static_cast<std::size_t>(count));
    sink->Position = end;
    return count;
}

toff_t SinkSeek(thandle_t handle, toff_t offset, int whence) {
    auto* sink = static_cast<MemorySink*>(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = sink->Position;
    else if (whence == SEEK_END)
        base = sink->Bytes.size();
    sink->Position = base + offset;
    return sink->Position;
}

int SinkClose(thandle_t) {
    return 0;
}

toff_t SinkSize(thandle_t handle) {
    return static_cast<MemorySink*>(handle)->Bytes.size();
}

int SinkMap(thandle_t, void**, toff_t*) {
    return 0;
}

void SinkUnmap(thandle_t, void*, toff_t) {}

int QuietHandler(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

std::vector<std::uint8_t> EncodeFloatTiff(const TFloatImage& map, const std::string& fileName) {
    MemorySink sink;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) throw std::bad_alloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, QuietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, QuietHandler, nullptr);
    TIFF* tif = TIFFClientOpenExt(fileName.c_str(), "w", &sink, SinkRead, SinkWrite, SinkSeek, SinkClose,
                                  SinkSize, SinkMap, SinkUnmap, options);
    TIFFOpenOptionsFree(options);
    if (tif == nullptr) throw CorvaneError(FailMessage(fileName));
    const std::uint32_t width = static_cast<std::uint32_t>(map.Width);
    const std::uint32_t height = static_cast<std::uint32_t>(map.Height);
    // Strips of about 64 KiB, as readers expect.
    const auto rowsPerStrip =
        static_cast<std::uint32_t>(std::max<std::uint64_t>(1, 65536 / (std::uint64_t{width} * 4)));
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 32) && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1) &&
              TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    if (ok && map.ScaleX > 0.0f && map.ScaleY > 0.0f && std::isfinite(map.ScaleX) &&
        std::isfinite(map.ScaleY))
        ok = TIFFSetField(tif, TIFFTAG_XRESOLUTION, 1.0 / map.ScaleX) &&
             TIFFSetField(tif, TIFFTAG_YRESOLUTION, 1.0 / map.ScaleY) &&
             TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_NONE);
    std::vector<float> values = ExportValues(map);
    for (std::uint32_t y = 0; ok && y < height; ++y)
        ok = TIFFWriteScanline(tif, values.data() + static_cast<std::size_t>(y) * width, y, 0) == 1;
    ok = ok && TIFFWriteDirectory(tif);
    TIFFClose(tif);
    if (!ok) throw CorvaneError(FailMessage(fileName));
    return std::move(sink.Bytes);
}

} // namespace

MapExportKind MapExportKindOf(const std::string& fileName) {
    const std::string extension = LowerExtension(fileName);
    if (extension == ".tif" || extension == ".tiff") return MapExportKind::FloatTiff;
    if (extension == ".csv") return MapExportKind::Csv;
    if (extension == ".npy") return MapExportKind::Npy;
    throw CorvaneError(fileName + ": export a map as .tif, .csv or .npy");
}

void SaveMapFloatTiff(const TFloatImage& map, const std::string& fileName) {
    const std::vector<std::uint8_t> bytes = EncodeFloatTiff(map, fileName);
    WriteFileAtomically(fileName, bytes.data(), bytes.size(), FailMessage(fileName));
}

void SaveMapCsv(const TFloatImage& map, const std::string& fileName) {
    AtomicTextFile file(fileName);
    file.Write("x,y,value\n");
    const std::vector<float> values = ExportValues(map);
    std::size_t i = 0;
    for (std::int32_t y = 0; y < map.Height; ++y)
        for (std::int32_t x = 0; x < map.Width; ++x, ++i) {
            const double px = static_cast<double>(x) * map.ScaleX, py = static_cast<double>(y) * map.ScaleY;
            if (std::isnan(values[i]))
                file.Printf("%.9g,%.9g,nan\n", px, py);
            else
                file.Printf("%.9g,%.9g,%.9g\n", px, py, static_cast<double>(values[i]));
        }
    file.Commit(FailMessage(fileName));
}

void SaveMapNpy(const TFloatImage& map, const std::string& fileName) {
    std::string header = "{'descr': '<f4', 'fortran_order': False, 'shape': (" + std::to_string(map.Height) +
                         ", " + std::to_string(map.Width) + "), }";
    // Magic (6), version (2) and length (2), then the header padded with blanks and ended by a
    // newline so that the data starts on a multiple of 64 bytes.
    const std::size_t total = (10 + header.size() + 1 + 63) / 64 * 64;
    header.append(total - 10 - header.size() - 1, ' ');
    header += '\n';
    const std::vector<float> values = ExportValues(map);
    std::vector<std::uint8_t> bytes(total + values.size() * 4);
    const char magic[] = "\x93NUMPY\x01\x00";
    std::memcpy(bytes.data(), magic, 8);
    WriteU16LE(bytes.data() + 8, static_cast<std::uint16_t>(header.size()));
    std::memcpy(bytes.data() + 10, header.data(), header.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        WriteF32LE(bytes.data() + total + i * 4, values[i]);
    WriteFileAtomically(fileName, bytes.data(), bytes.size(), FailMessage(fileName));
}

void ExportFloatMap(const TFloatImage& map, const std::string& fileName) {
    const MapExportKind kind = MapExportKindOf(fileName);
    if (!map.Data || map.PixelCount() == 0) throw CorvaneError("the map holds no points");
    switch (kind) {
    case MapExportKind::FloatTiff:
        SaveMapFloatTiff(map, fileName);
        break;
    case MapExportKind::Csv:
        SaveMapCsv(map, fileName);
        break;
    case MapExportKind::Npy:
        SaveMapNpy(map, fileName);
        break;
    }
}

} // namespace corvane
