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
/// The largest single allocation the library may make for one file (a strip or tile buffer): what
/// the file can fill at kMaxExpansion, at least 16 MiB (its own tables) and at most 1 GiB.
tmsize_t MaxLibraryAllocation(std::uint64_t fileSize) {
    return static_cast<tmsize_t>(std::clamp<std::uint64_t>(fileSize * kMaxExpansion, 16u << 20, 1u << 30));
}

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

/// The name the library knows the file by. Many of its messages start with it ("<name>: ..."); the
/// handler takes it out again, since our message names the file already.
constexpr char kLibraryName[] = "\x01";

int ErrorHandler(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* message = static_cast<LibraryMessage*>(user);
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    std::size_t n = 0;
    for (const char* c = text; *c != '\0' && n + 1 < sizeof message->Text; ++c) {
        if (*c == kLibraryName[0]) {
            if (c[1] == ':' && c[2] == ' ') c += 2;
            continue;
        }
        message->Text[n++] = *c;
    }
    message->Text[n] = '\0';
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
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, MaxLibraryAllocation(size));
        tif_ = TIFFClientOpenExt(kLibraryName, "rm", &source_, ReadProc, WriteProc, SeekProc, CloseProc,
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
    std::uint16_t Compression = COMPRESSION_NONE;
    std::uint16_t Orientation = ORIENTATION_TOPLEFT;
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
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &l.Compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &l.Orientation);
    if (l.Orientation < ORIENTATION_TOPLEFT || l.Orientation > ORIENTATION_LEFTBOT)
        l.Orientation = ORIENTATION_TOPLEFT;
    l.HasPhotometric = TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.Photometric) != 0;
    if (!l.HasPhotometric) l.Photometric = l.SamplesPerPixel >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    if (l.Width == 0 || l.Height == 0 || l.SamplesPerPixel == 0)
        throw reader.Fail("damaged TIFF file (empty picture)");
    if (static_cast<std::uint64_t>(l.Width) * l.Height > static_cast<std::uint64_t>(kMaxPicturePixels))
        throw reader.Fail("picture too large (" + SizeText(l.Width, l.Height) + ")");
    return l;
}

/// Orientations 5 to 8 store the picture's columns as rows.
bool Transposed(const Layout& l) {
    return l.Orientation >= ORIENTATION_LEFTTOP;
}

/// Grey or RGB samples of 8 or 16 bits, read sample by sample; signed ones are offset to unsigned.
bool ReadsSamplesDirectly(const Layout& l) {
    if ((l.SampleFormat != SAMPLEFORMAT_UINT && l.SampleFormat != SAMPLEFORMAT_INT) ||
        (l.Bits != 8 && l.Bits != 16))
        return false;
    if (l.Photometric == PHOTOMETRIC_MINISBLACK || l.Photometric == PHOTOMETRIC_MINISWHITE) return true;
    return l.Photometric == PHOTOMETRIC_RGB && l.SamplesPerPixel >= 3;
}

/// One-sample pictures packed below 8 bits per pixel, and palette pictures of up to 8 bits, which
/// are unpacked here through a table of grey values.
bool ReadsPackedSamples(const Layout& l) {
    if (l.SampleFormat != SAMPLEFORMAT_UINT || l.SamplesPerPixel != 1) return false;
    if (l.Photometric == PHOTOMETRIC_PALETTE) return l.Bits == 1 || l.Bits == 2 || l.Bits == 4 || l.Bits == 8;
    return (l.Photometric == PHOTOMETRIC_MINISBLACK || l.Photometric == PHOTOMETRIC_MINISWHITE) &&
           (l.Bits == 1 || l.Bits == 2 || l.Bits == 4);
}

/// Adds the grey or colour samples of decoded rows into the per-pixel channel sums.
class SampleSums {
  public:
    SampleSums(const Layout& l, std::vector<std::uint32_t>& sums)
        : width_(l.Width), bits_(l.Bits), channels_(l.Photometric == PHOTOMETRIC_RGB ? 3 : 1),
          samplesPerPixel_(l.SamplesPerPixel), separate_(l.Planar == PLANARCONFIG_SEPARATE),
          signBit_(l.SampleFormat == SAMPLEFORMAT_INT ? 1u << (l.Bits - 1) : 0u), sums_(sums) {}

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
    /// Bytes of count pixels in a decoded chunky buffer, or of count samples in a planar one.
    std::uint64_t RowBytes(std::uint32_t count) const {
        return std::uint64_t{count} * (separate_ ? 1u : samplesPerPixel_) * (bits_ / 8u);
    }
    int Planes() const { return separate_ ? std::min<int>(samplesPerPixel_, channels_) : 1; }
    int Channels() const { return channels_; }

  private:
    /// A sample as unsigned: signed ones are offset by half the range (the sign bit flipped), so
    /// that -128 becomes 0 and 127 becomes 255 and the grey order is kept.
    std::uint32_t Sample(const std::uint8_t* buffer, std::size_t index) const {
        if (bits_ == 8) return buffer[index] ^ signBit_;
        std::uint16_t v; // the library hands 16-bit samples over in the machine's byte order
        std::memcpy(&v, buffer + 2 * index, 2);
        return v ^ signBit_;
    }
    std::uint32_t width_;
    unsigned bits_;
    int channels_;
    unsigned samplesPerPixel_;
    bool separate_;
    std::uint32_t signBit_;
    std::vector<std::uint32_t>& sums_;
};

/// Unpacks 1-, 2- or 4-bit grey or palette indices (first pixel in the high bits) to 8-bit grey
/// through a table, with the values the library's RGBA reader gives: v * 255 / (2^bits - 1) for
/// grey (inverted for min-is-white), the mean of a palette entry's channels, taken as 8-bit when
/// no entry exceeds 255 and as 16-bit (the high byte) otherwise.
class PackedGrey {
  public:
    PackedGrey(const TiffReader& reader, const Layout& l, std::vector<std::uint16_t>& out)
        : width_(l.Width), bits_(l.Bits), out_(out) {
        const unsigned entries = 1u << l.Bits;
        const unsigned range = entries - 1;
        if (l.Photometric != PHOTOMETRIC_PALETTE) {
            for (unsigned v = 0; v < entries; ++v)
                table_[v] = static_cast<std::uint8_t>(
                    (l.Photometric == PHOTOMETRIC_MINISWHITE ? range - v : v) * 255 / range);
            return;
        }
        std::uint16_t* map[3] = {};
        if (!TIFFGetField(reader.Tif(), TIFFTAG_COLORMAP, &map[0], &map[1], &map[2]))
            throw reader.Fail("damaged TIFF file (palette picture without a colour map)");
        bool sixteen = false;
        for (unsigned v = 0; v < entries; ++v)
            sixteen = sixteen || map[0][v] > 255 || map[1][v] > 255 || map[2][v] > 255;
        const unsigned shift = sixteen ? 8 : 0;
        for (unsigned v = 0; v < entries; ++v)
            table_[v] = static_cast<std::uint8_t>(
                GrayOfChannelSum((map[0][v] >> shift) + (map[1][v] >> shift) + (map[2][v] >> shift)));
    }

    void AddRow(std::uint32_t y, std::uint32_t x0, std::uint32_t count, const std::uint8_t* buffer, int) {
        std::uint16_t* out = out_.data() + static_cast<std::size_t>(y) * width_ + x0;
        const unsigned perByte = 8 / bits_;
        const unsigned mask = (1u << bits_) - 1;
        for (std::uint32_t x = 0; x < count; ++x) {
            const unsigned shift = 8 - bits_ * (x % perByte + 1);
            out[x] = table_[(buffer[x / perByte] >> shift) & mask];
        }
    }
    std::uint64_t RowBytes(std::uint32_t count) const { return (std::uint64_t{count} * bits_ + 7) / 8; }
    int Planes() const { return 1; }

  private:
    std::uint32_t width_;
    unsigned bits_;
    std::uint8_t table_[256] = {};
    std::vector<std::uint16_t>& out_;
};

template <class Sink> void ReadStrips(const TiffReader& reader, const Layout& l, Sink& sink) {
    TIFF* tif = reader.Tif();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(TIFFScanlineSize64(tif)));
    if (row.size() < sink.RowBytes(l.Width)) throw reader.Damaged();
    // Plane by plane, rows in order, so that compressed strips are decoded once each.
    for (int plane = 0; plane < sink.Planes(); ++plane) {
        for (std::uint32_t y = 0; y < l.Height; ++y) {
            if (TIFFReadScanline(tif, row.data(), y, static_cast<std::uint16_t>(plane)) < 0)
                throw reader.Damaged();
            sink.AddRow(y, 0, l.Width, row.data(), plane);
        }
    }
}

template <class Sink> void ReadTiles(const TiffReader& reader, const Layout& l, Sink& sink) {
    TIFF* tif = reader.Tif();
    std::uint32_t tileWidth = 0;
    std::uint32_t tileHeight = 0;
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight);
    const std::uint64_t tileSize = TIFFTileSize64(tif);
    const std::uint64_t rowBytes = sink.RowBytes(tileWidth);
    if (tileSize == 0 || tileSize < rowBytes * tileHeight) throw reader.Damaged();
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(tileSize));
    for (int plane = 0; plane < sink.Planes(); ++plane) {
        for (std::uint32_t y0 = 0; y0 < l.Height; y0 += tileHeight) {
            for (std::uint32_t x0 = 0; x0 < l.Width; x0 += tileWidth) {
                if (TIFFReadTile(tif, tile.data(), x0, y0, 0, static_cast<std::uint16_t>(plane)) < 0)
                    throw reader.Damaged();
                const std::uint32_t columns = std::min(tileWidth, l.Width - x0);
                const std::uint32_t rows = std::min(tileHeight, l.Height - y0);
                for (std::uint32_t r = 0; r < rows; ++r)
                    sink.AddRow(y0 + r, x0, columns, tile.data() + r * rowBytes, plane);
            }
        }
    }
}

template <class Sink> void ReadRows(const TiffReader& reader, const Layout& l, Sink& sink) {
    if (TIFFIsTiled(reader.Tif()))
        ReadTiles(reader, l, sink);
    else
        ReadStrips(reader, l, sink);
}

PictureSamples EmptySamples(const Layout& l, int bits) {
    PictureSamples samples;
    samples.Width = static_cast<std::int32_t>(l.Width);
    samples.Height = static_cast<std::int32_t>(l.Height);
    samples.Bits = bits;
    samples.Values.resize(static_cast<std::size_t>(l.Width) * l.Height);
    return samples;
}

PictureSamples ReadDirectly(const TiffReader& reader, const Layout& l) {
    const std::size_t pixels = static_cast<std::size_t>(l.Width) * l.Height;
    std::vector<std::uint32_t> sumValues(pixels, 0);
    SampleSums sums(l, sumValues);
    ReadRows(reader, l, sums);
    PictureSamples samples = EmptySamples(l, l.Bits);
    const std::uint32_t white = l.Bits == 8 ? 255u : 65535u;
    const bool inverted = l.Photometric == PHOTOMETRIC_MINISWHITE;
    const bool colour = sums.Channels() == 3;
    for (std::size_t i = 0; i < pixels; ++i) {
        std::uint32_t v = colour ? GrayOfChannelSum(sumValues[i]) : sumValues[i];
        samples.Values[i] = static_cast<std::uint16_t>(inverted ? white - v : v);
    }
    return samples;
}

PictureSamples ReadPacked(const TiffReader& reader, const Layout& l) {
    PictureSamples samples = EmptySamples(l, 8);
    PackedGrey grey(reader, l, samples.Values);
    ReadRows(reader, l, grey);
    return samples;
}

PictureSamples ReadThroughRgba(const TiffReader& reader, const Layout& l) {
    char why[1024] = "";
    if (l.SampleFormat == SAMPLEFORMAT_INT)
        throw reader.Fail("unsupported TIFF picture (signed " + std::to_string(l.Bits) + "-bit samples)");
    if (l.Bits > 8 || !TIFFRGBAImageOK(reader.Tif(), why)) {
        std::string detail = why[0] != '\0' ? why : std::to_string(l.Bits) + " bits per sample";
        throw reader.Fail("unsupported TIFF picture (" + detail + ")");
    }
    const std::size_t pixels = static_cast<std::size_t>(l.Width) * l.Height;
    std::vector<std::uint32_t> abgr(pixels);
    // Asking for the file's own orientation gives the rows as stored; they are turned below, as
    // every other kind is.
    if (!TIFFReadRGBAImageOriented(reader.Tif(), l.Width, l.Height, abgr.data(), l.Orientation, 1))
        throw reader.Damaged();
    PictureSamples samples = EmptySamples(l, 8);
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint32_t p = abgr[i];
        samples.Values[i] =
            static_cast<std::uint16_t>(GrayOfChannelSum(TIFFGetR(p) + TIFFGetG(p) + TIFFGetB(p)));
    }
    return samples;
}

/// The stored samples turned upright by the Orientation tag: 2 to 4 mirror them, 5 to 8 also
/// exchange rows and columns.
void Orient(PictureSamples& samples, std::uint16_t orientation) {
    if (orientation == ORIENTATION_TOPLEFT) return;
    const std::size_t w = static_cast<std::size_t>(samples.Width);
    const std::size_t h = static_cast<std::size_t>(samples.Height);
    const bool transposed = orientation >= ORIENTATION_LEFTTOP;
    // Whether the displayed columns count from the right, and the displayed rows from the bottom.
    const bool flipColumns = orientation == ORIENTATION_TOPRIGHT || orientation == ORIENTATION_BOTRIGHT ||
                             orientation == ORIENTATION_RIGHTTOP || orientation == ORIENTATION_RIGHTBOT;
    const bool flipRows = orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT ||
                          orientation == ORIENTATION_RIGHTBOT || orientation == ORIENTATION_LEFTBOT;
    const std::size_t outWidth = transposed ? h : w;
    const std::size_t outHeight = transposed ? w : h;
    std::vector<std::uint16_t> turned(samples.Values.size());
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint16_t* in = samples.Values.data() + y * w;
        for (std::size_t x = 0; x < w; ++x) {
            // A stored row runs down the picture when transposed (5 to 8).
            std::size_t across = transposed ? y : x, down = transposed ? x : y;
            if (flipColumns) across = outWidth - 1 - across;
            if (flipRows) down = outHeight - 1 - down;
            turned[down * outWidth + across] = in[x];
        }
    }
    samples.Values = std::move(turned);
    if (transposed) std::swap(samples.Width, samples.Height);
}

/// The bytes of the strips or tiles that lie inside the file.
std::uint64_t StoredBytesInFile(const TiffReader& reader) {
    TIFF* tif = reader.Tif();
    std::uint64_t total = 0;
    const std::uint32_t count = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t offset = TIFFGetStrileOffset(tif, i);
        if (offset < reader.FileSize())
            total += std::min<std::uint64_t>(TIFFGetStrileByteCount(tif, i), reader.FileSize() - offset);
    }
    return total;
}

/// Refuses a file whose strips or tiles cannot hold the picture it claims, and tiles that could not
/// be filled by the file or are far larger than the picture, before any pixel buffer is allocated.
void CheckFileCanHoldPicture(const TiffReader& reader, const Layout& l) {
    // The uncompressed size of the pixels, in bits first so that bilevel pictures count right.
    const std::uint64_t claimed = static_cast<std::uint64_t>(l.Width) * l.Height * l.SamplesPerPixel *
                                  std::max<std::uint16_t>(l.Bits, 1) / 8;
    const bool uncompressed = l.Compression == COMPRESSION_NONE;
    // Subsampled YCbCr stores as little as 18 bytes for 16 pixels of three samples (4 x 4 blocks).
    const std::uint64_t stored = l.Photometric == PHOTOMETRIC_YCBCR ? claimed / 3 : claimed;
    // Uncompressed pixels take their own bytes of the file: strips that share bytes (all pointing at
    // the same few) do not make a small file hold a large picture.
    if (uncompressed ? stored > std::min(StoredBytesInFile(reader), reader.FileSize())
                     : claimed / kMaxExpansion > reader.FileSize())
        throw reader.Fail("damaged TIFF file (" + SizeText(l.Width, l.Height) + " pixels in " +
                          std::to_string(reader.FileSize()) + " bytes)");
    if (!TIFFIsTiled(reader.Tif())) return;
    std::uint32_t tileWidth = 0;
    std::uint32_t tileHeight = 0;
    if (!TIFFGetField(reader.Tif(), TIFFTAG_TILEWIDTH, &tileWidth) ||
        !TIFFGetField(reader.Tif(), TIFFTAG_TILELENGTH, &tileHeight) || tileWidth == 0 || tileHeight == 0)
        throw reader.Damaged();
    // A tile may overhang the picture (writers round tiles up to a fixed size), but not by more
    // than its own side or 1024 pixels, whichever is more.
    auto tooLong = [](std::uint64_t tile, std::uint64_t side) {
        return tile > std::max(2 * side, side + 1024);
    };
    const std::uint64_t tileBytes = TIFFTileSize64(reader.Tif());
    if (std::uint64_t{tileWidth} * tileHeight > static_cast<std::uint64_t>(kMaxPicturePixels) ||
        tooLong(tileWidth, l.Width) || tooLong(tileHeight, l.Height) || tileBytes == 0 ||
        tileBytes > (uncompressed ? reader.FileSize() : reader.FileSize() * kMaxExpansion))
        throw reader.Fail("damaged TIFF file (" + SizeText(tileWidth, tileHeight) + " tiles in a " +
                          SizeText(l.Width, l.Height) + " picture of " + std::to_string(reader.FileSize()) +
                          " bytes)");
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
    CheckFileCanHoldPicture(reader, l);
    PictureSamples samples = AllocateForReader(fileName, [&] {
        if (ReadsSamplesDirectly(l)) return ReadDirectly(reader, l);
        return ReadsPackedSamples(l) ? ReadPacked(reader, l) : ReadThroughRgba(reader, l);
    });
    AllocateForReader(fileName, [&] { Orient(samples, l.Orientation); });
    return samples;
}

GrayRaster DecodeTiffGray(const std::uint8_t* bytes, std::size_t size, const std::string& fileName,
                          SixteenBitScaling scaling) {
    return ToGrayRaster(DecodeTiffSamples(bytes, size, fileName), scaling);
}

PictureInfo ProbeTiff(const std::uint8_t* bytes, std::size_t size, const std::string& fileName) {
    const TiffReader reader(bytes, size, fileName);
    const Layout l = ReadLayout(reader);
    PictureInfo info;
    info.Width = static_cast<std::int32_t>(Transposed(l) ? l.Height : l.Width);
    info.Height = static_cast<std::int32_t>(Transposed(l) ? l.Width : l.Height);
    info.Bits = ReadsSamplesDirectly(l) ? l.Bits : 8;
    // A damaged later directory still leaves the first page readable; it counts as the last page.
    info.Pages = std::max<int>(1, TIFFNumberOfDirectories(reader.Tif()));
    return info;
}

} // namespace corvane
