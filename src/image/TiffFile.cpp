#include "image/TiffFile.h"

#include "image/CorvaneError.h"
#include "image/ImageSize.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace corvane {

namespace {

/// A file whose pixels would need more than this many bytes per byte of the file is refused
/// before anything is allocated: no codec of the library packs ordinary pictures tighter.
constexpr std::uint64_t kMaxExpansion = 4096;
/// The largest single allocation the library may make for one file (a strip or tile buffer).
constexpr tmsize_t kMaxLibraryAllocation = tmsize_t{1} << 30;

/// The file bytes the library reads through its client procedures.
struct MemorySource {
    const std::uint8_t* Data;
    std::uint64_t Size;
    std::uint64_t Position;
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t count) {
    auto* source = static_cast<MemorySource*>(handle);
    if (count <= 0 || source->Position >= source->Size) return 0;
    const std::uint64_t n =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(count), source->Size - source->Position);
    std::memcpy(buffer, source->Data + source->Position, n);
    source->Position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    auto* source = static_cast<MemorySource*>(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = source->Position;
    else if (whence == SEEK_END)
        base = source->Size;
    source->Position = base + offset;
    return source->Position;
}

int CloseProc(thandle_t) {
    return 0;
}

toff_t SizeProc(thandle_t handle) {
    return static_cast<MemorySource*>(handle)->Size;
}

int MapProc(thandle_t, void**, toff_t*) {
    return 0;
}

void UnmapProc(thandle_t, void*, toff_t) {}

/// The last error the library reported for one file; warnings are dropped.
struct LibraryMessage {
    char Text[200];
};

int ErrorHandler(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* message = static_cast<LibraryMessage*>(user);
    std::vsnprintf(message->Text, sizeof message->Text, format, args);
    return 1; // handled: the library's global handler, which prints, is not called
}

int WarningHandler(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

/// Errors raised before a file has its own handlers go to the global ones, which print on
/// standard error by default; they are silenced once for the whole process.
void SilenceGlobalHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

/// One open TIFF file over memory, closed when it goes.
class TiffReader {
  public:
    TiffReader(const std::uint8_t* bytes, std::size_t size, const std::string& fileName)
        : source_{bytes, size, 0}, fileName_(fileName) {
        message_.Text[0] = '\0';
        if (!LooksLikeTiff(bytes, size)) throw CorvaneError(fileName + ": not a TIFF file");
        SilenceGlobalHandlers();
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        if (options == nullptr) throw std::bad_alloc();
        TIFFOpenOptionsSetErrorHandlerExtR(options, ErrorHandler, &message_);
        TIFFOpenOptionsSetWarningHandlerExtR(options, WarningHandler, nullptr);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxLibraryAllocation);
        tif_ = TIFFClientOpenExt(fileName.c_str(), "rm", &source_, ReadProc, WriteProc, SeekProc, CloseProc,
                                 SizeProc, MapProc, UnmapProc, options);
        TIFFOpenOptionsFree(options);
        if (tif_ == nullptr) throw Damaged();
    }
    ~TiffReader() {
        if (tif_ != nullptr) TIFFClose(tif_);
    }
    TiffReader(const TiffReader&) = delete;
    TiffReader& operator=(const TiffReader&) = delete;

    TIFF* Tif() const { return tif_; }
    std::uint64_t FileSize() const { return source_.Size; }

    /// "<name>: damaged TIFF file (<the library's last message>)".
    CorvaneError Damaged() const {
        std::string text = fileName_ + ": damaged TIFF file";
        if (message_.Text[0] != '\0') text += std::string(" (") + message_.Text + ")";
        return CorvaneError(text);
    }
    CorvaneError Fail(const std::string& why) const { return CorvaneError(fileName_ + ": " + why); }

  private:
    MemorySource source_;
    std::string fileName_;
    LibraryMessage message_;
    TIFF* tif_ = nullptr;
};

/// The first directory's fields that decide how its pixels are read.
struct Layout {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint16_t Bits = 1;
    std::uint16_t SamplesPerPixel = 1;
    std::uint16_t Photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t Planar = PLANARCONFIG_CONTIG;
    std::uint16_t SampleFormat = SAMPLEFORMAT_UINT;
    bool HasPhotometric = false;
};

Layout ReadLayout(const TiffReader& reader) {
    TIFF* tif = reader.Tif();
    Layout l;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.Width) ||
        !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.Height))
        throw reader.Damaged();
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.Bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.SamplesPerPixel);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.Planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &l.SampleFormat);
    l.HasPhotometric = TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.Photometric) != 0;
    if (!l.HasPhotometric) l.Photometric = l.SamplesPerPixel >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    if (l.Width == 0 || l.Height == 0 || l.SamplesPerPixel == 0)
        throw reader.Fail("damaged TIFF file (empty picture)");
    if (static_cast<std::uint64_t>(l.Width) * l.Height > static_cast<std::uint64_t>(kMaxPicturePixels))
        throw reader.Fail("picture too large (" + SizeText(l.Width, l.Height) + ")");
    return l;
}

/// Grey or RGB samples of 8 or 16 bits, read sample by sample; everything else of at most 8 bits
/// goes through the library's RGBA reader.
bool ReadsSamplesDirectly(const Layout& l) {
    if (l.SampleFormat != SAMPLEFORMAT_UINT || (l.Bits != 8 && l.Bits != 16)) return false;
    if (l.Photometric == PHOTOMETRIC_MINISBLACK || l.Photometric == PHOTOMETRIC_MINISWHITE) return true;
    return l.Photometric == PHOTOMETRIC_RGB && l.SamplesPerPixel >= 3;
}

/// Adds the grey or colour samples of decoded rows into the per-pixel channel sums.
class SampleSums {
  public:
    SampleSums(const Layout& l, std::vector<std::uint32_t>& sums)
        : width_(l.Width), bits_(l.Bits), channels_(l.Photometric == PHOTOMETRIC_RGB ? 3 : 1),
          samplesPerPixel_(l.SamplesPerPixel), separate_(l.Planar == PLANARCONFIG_SEPARATE), sums_(sums) {}

    /// count pixels of row y from column x0, read from buffer; plane is the sample of a planar file.
    void AddRow(std::uint32_t y, std::uint32_t x0, std::uint32_t count, const std::uint8_t* buffer,
                int plane) {
        std::uint32_t* out = sums_.data() + static_cast<std::size_t>(y) * width_ + x0;
        if (separate_) {
            if (plane >= channels_) return;
            for (std::uint32_t x = 0; x < count; ++x)
                out[x] += Sample(buffer, x);
            return;
        }
        for (std::uint32_t x = 0; x < count; ++x) {
            const std::size_t first = static_cast<std::size_t>(x) * samplesPerPixel_;
            for (int c = 0; c < channels_; ++c)
                out[x] += Sample(buffer, first + static_cast<std::size_t>(c));
        }
    }
    /// Bytes of one pixel in a decoded chunky buffer, or of one sample in a planar one.
    std::size_t PixelBytes() const { return (separate_ ? 1u : samplesPerPixel_) * (bits_ / 8u); }
    int Planes() const { return separate_ ? samplesPerPixel_ : 1; }
    int Channels() const { return channels_; }

  private:
    std::uint32_t Sample(const std::uint8_t* buffer, std::size_t index) const {
        if (bits_ == 8) return buffer[index];
        std::uint16_t v; // the library hands 16-bit samples over in the machine's byte order
        std::memcpy(&v, buffer + 2 * index, 2);
        return v;
    }
    std::uint32_t width_;
    unsigned bits_;
    int channels_;
    unsigned samplesPerPixel_;
    bool separate_;
    std::vector<std::uint32_t>& sums_;
};

void ReadStrips(const TiffReader& reader, const Layout& l, SampleSums& sums) {
    TIFF* tif = reader.Tif();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(TIFFScanlineSize64(tif)));
    if (row.size() < l.Width * sums.PixelBytes()) throw reader.Damaged();
    // Plane by plane, rows in order, so that compressed strips are decoded once each.
    for (int plane = 0; plane < sums.Planes(); ++plane) {
        if (plane >= sums.Channels()) break;
        for (std::uint32_t y = 0; y < l.Height; ++y) {
            if (TIFFReadScanline(tif, row.data(), y, static_cast<std::uint16_t>(plane)) < 0)
                throw reader.Damaged();
            sums.AddRow(y, 0, l.Width, row.data(), plane);
        }
    }
}

void ReadTiles(const TiffReader& reader, const Layout& l, SampleSums& sums) {
    TIFF* tif = reader.Tif();
    std::uint32_t tileWidth = 0;
    std::uint32_t tileHeight = 0;
    if (!TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth) ||
        !TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight) || tileWidth == 0 || tileHeight == 0)
        throw reader.Damaged();
    const tmsize_t tileSize = TIFFTileSize(tif);
    const std::size_t rowBytes = tileWidth * sums.PixelBytes();
    if (tileSize <= 0 ||
        static_cast<std::uint64_t>(tileSize) < static_cast<std::uint64_t>(rowBytes) * tileHeight)
        throw reader.Damaged();
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(tileSize));
    for (int plane = 0; plane < std::min(sums.Planes(), sums.Channels()); ++plane) {
        for (std::uint32_t y0 = 0; y0 < l.Height; y0 += tileHeight) {
            for (std::uint32_t x0 = 0; x0 < l.Width; x0 += tileWidth) {
                if (TIFFReadTile(tif, tile.data(), x0, y0, 0, static_cast<std::uint16_t>(plane)) < 0)
                    throw reader.Damaged();
                const std::uint32_t columns = std::min(tileWidth, l.Width - x0);
                const std::uint32_t rows = std::min(tileHeight, l.Height - y0);
                for (std::uint32_t r = 0; r < rows; ++r)
                    sums.AddRow(y0 + r, x0, columns, tile.data() + r * rowBytes, plane);
            }
        }
    }
}

PictureSamples ReadDirectly(const TiffReader& reader, const Layout& l) {
    const std::size_t pixels = static_cast<std::size_t>(l.Width) * l.Height;
    std::vector<std::uint32_t> sumValues(pixels, 0);
    SampleSums sums(l, sumValues);
    if (TIFFIsTiled(reader.Tif()))
        ReadTiles(reader, l, sums);
    else
        ReadStrips(reader, l, sums);
    PictureSamples samples;
    samples.Width = static_cast<std::int32_t>(l.Width);
    samples.Height = static_cast<std::int32_t>(l.Height);
    samples.Bits = l.Bits;
    samples.Values.resize(pixels);
    const std::uint32_t white = l.Bits == 8 ? 255u : 65535u;
    const bool inverted = l.Photometric == PHOTOMETRIC_MINISWHITE;
    const bool colour = sums.Channels() == 3;
    for (std::size_t i = 0; i < pixels; ++i) {
        std::uint32_t v = colour ? GrayOfChannelSum(sumValues[i]) : sumValues[i];
        samples.Values[i] = static_cast<std::uint16_t>(inverted ? white - v : v);
    }
    return samples;
}

PictureSamples ReadThroughRgba(const TiffReader& reader, const Layout& l) {
    char why[1024] = "";
    if (l.Bits > 8 || !TIFFRGBAImageOK(reader.Tif(), why)) {
        std::string detail = why[0] != '\0' ? why : std::to_string(l.Bits) + " bits per sample";
        throw reader.Fail("unsupported TIFF picture (" + detail + ")");
    }
    const std::size_t pixels = static_cast<std::size_t>(l.Width) * l.Height;
    std::vector<std::uint32_t> abgr(pixels);
    if (!TIFFReadRGBAImageOriented(reader.Tif(), l.Width, l.Height, abgr.data(), ORIENTATION_TOPLEFT, 1))
        throw reader.Damaged();
    PictureSamples samples;
    samples.Width = static_cast<std::int32_t>(l.Width);
    samples.Height = static_cast<std::int32_t>(l.Height);
    samples.Bits = 8;
    samples.Values.resize(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint32_t p = abgr[i];
        samples.Values[i] =
            static_cast<std::uint16_t>(GrayOfChannelSum(TIFFGetR(p) + TIFFGetG(p) + TIFFGetB(p)));
    }
    return samples;
}

} // namespace

bool LooksLikeTiff(const std::uint8_t* bytes, std::size_t size) {
    if (size < 4) return false;
    const bool little =
        bytes[0] == 'I' && bytes[1] == 'I' && (bytes[2] == 42 || bytes[2] == 43) && bytes[3] == 0;
    const bool big =
        bytes[0] == 'M' && bytes[1] == 'M' && bytes[2] == 0 && (bytes[3] == 42 || bytes[3] == 43);
    return little || big;
}

PictureSamples DecodeTiffSamples(const std::uint8_t* bytes, std::size_t size, const std::string& fileName) {
    const TiffReader reader(bytes, size, fileName);
    const Layout l = ReadLayout(reader);
    // The uncompressed size of the pixels, in bits first so that bilevel pictures count right.
    const std::uint64_t claimed = static_cast<std::uint64_t>(l.Width) * l.Height * l.SamplesPerPixel *
                                  std::max<std::uint16_t>(l.Bits, 1) / 8;
    if (claimed / kMaxExpansion > reader.FileSize())
        throw reader.Fail("damaged TIFF file (" + SizeText(l.Width, l.Height) + " pixels in " +
                          std::to_string(reader.FileSize()) + " bytes)");
    return ReadsSamplesDirectly(l) ? ReadDirectly(reader, l) : ReadThroughRgba(reader, l);
}

GrayRaster DecodeTiffGray(const std::uint8_t* bytes, std::size_t size, const std::string& fileName,
                          SixteenBitScaling scaling) {
    return ToGrayRaster(DecodeTiffSamples(bytes, size, fileName), scaling);
}

PictureInfo ProbeTiff(const std::uint8_t* bytes, std::size_t size, const std::string& fileName) {
    const TiffReader reader(bytes, size, fileName);
    const Layout l = ReadLayout(reader);
    PictureInfo info;
    info.Width = static_cast<std::int32_t>(l.Width);
    info.Height = static_cast<std::int32_t>(l.Height);
    info.Bits = ReadsSamplesDirectly(l) ? l.Bits : 8;
    // A damaged later directory still leaves the first page readable; it counts as the last page.
    info.Pages = std::max<int>(1, TIFFNumberOfDirectories(reader.Tif()));
    return info;
}

} // namespace corvane
