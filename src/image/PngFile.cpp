#include "image/PngFile.h"

#include "image/CorvaneError.h"
#include "image/ImageSize.h"

#include <csetjmp>
#include <cstring>
#include <png.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace corvane {

namespace {

/// Deflate never packs more than 1032 bytes into one; a file claiming more rows than its size
/// can hold at that rate is damaged, and is refused before its rows are allocated.
constexpr std::uint64_t kMaxDeflateExpansion = 1032;

/// The file bytes and the library's last error, for one decode. Trivially destructible: it lives
/// across the library's long jumps.
struct PngSource {
    const std::uint8_t* Data;
    std::size_t Size;
    std::size_t Position;
    char Message[200];
};

[[noreturn]] void ErrorHandler(png_structp png, png_const_charp message) {
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    std::snprintf(source->Message, sizeof source->Message, "%s", message);
    png_longjmp(png, 1);
}

void WarningHandler(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->Size - source->Position) png_error(png, "the file ends too early");
    std::memcpy(data, source->Data + source->Position, length);
    source->Position += length;
}

/// The picture's header after the transforms that give 8- or 16-bit grey or RGB samples.
struct Header {
    std::uint64_t StoredRowBytes; ///< bytes of one row as the file codes it, before the transforms
    png_uint_32 Width;
    png_uint_32 Height;
    int Bits;
    int Channels;
    png_size_t RowBytes;
};

// Only trivially destructible state lives between setjmp and a possible longjmp.
/// Reads the chunks before the pixel data; nothing the size of a row is allocated yet.
bool ReadInfo(png_structp png, png_infop info, Header* header) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    header->Width = png_get_image_width(png, info);
    header->Height = png_get_image_height(png, info);
    header->StoredRowBytes = (static_cast<std::uint64_t>(header->Width) * png_get_channels(png, info) *
                                  png_get_bit_depth(png, info) +
                              7) /
                             8;
    return true;
}

/// Asks for 8- or 16-bit grey or RGB samples; the library allocates its row buffers here.
bool SetTransforms(png_structp png, png_infop info, Header* header) {
    if (setjmp(png_jmpbuf(png))) return false;
    const int colourType = png_get_color_type(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    png_set_strip_alpha(png);
    if (png_get_bit_depth(png, info) == 16) {
        const std::uint16_t one = 1;
        std::uint8_t first;
        std::memcpy(&first, &one, 1);
        if (first == 1) png_set_swap(png); // samples in the machine's byte order
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    header->Width = png_get_image_width(png, info);
    header->Height = png_get_image_height(png, info);
    header->Bits = png_get_bit_depth(png, info);
    header->Channels = png_get_channels(png, info);
    header->RowBytes = png_get_rowbytes(png, info);
    return true;
}

/// The name of the first chunk whose stated length runs past the end of the file, or "" when every
/// chunk up to the end marker (or the end of the file) fits. The library would allocate a chunk's
/// stated length before finding that the file ends early.
std::string ChunkPastTheEnd(const std::uint8_t* bytes, std::size_t size) {
    std::size_t at = 8;
    while (size - at >= 8) {
        const std::uint64_t length = std::uint64_t{bytes[at]} << 24 | std::uint64_t{bytes[at + 1]} << 16 |
                                     std::uint64_t{bytes[at + 2]} << 8 | bytes[at + 3];
        std::string type(reinterpret_cast<const char*>(bytes + at + 4), 4);
        for (char& c : type)
            if (!std::isalpha(static_cast<unsigned char>(c))) c = '?';
        if (length + 12 > size - at) return type;
        if (type == "IEND") break;
        at += static_cast<std::size_t>(length) + 12;
    }
    return "";
}

bool ReadRows(png_structp png, png_infop info, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, info);
    return true;
}

/// The library's read structures, destroyed when it goes.
struct PngReader {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    ~PngReader() { png_destroy_read_struct(&Png, &Info, nullptr); }
};

/// "<name>: damaged PNG file (<the library's message>)"; running out of memory inside the library
/// says so in the words every reader uses.
CorvaneError Damaged(const PngSource& source, const std::string& fileName) {
    if (std::strcmp(source.Message, "Out of memory") == 0)
        return CorvaneError(fileName + ": " + kNotEnoughMemory);
    std::string text = fileName + ": damaged PNG file";
    if (source.Message[0] != '\0') text += std::string(" (") + source.Message + ")";
    return CorvaneError(text);
}

/// Opens the file and reads its header; fail names the file. The picture limit and the check that
/// the file can hold the rows it claims come before the library allocates anything of a row's size.
void Open(PngReader& reader, PngSource& source, Header& header, const std::string& fileName) {
    auto fail = [&](const std::string& why) { return CorvaneError(fileName + ": " + why); };
    if (!LooksLikePng(source.Data, source.Size)) throw fail("not a PNG file");
    const std::string longChunk = ChunkPastTheEnd(source.Data, source.Size);
    if (!longChunk.empty())
        throw fail("damaged PNG file (chunk " + longChunk + " runs past the end of the file)");
    reader.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, ErrorHandler, WarningHandler);
    if (reader.Png == nullptr) throw std::bad_alloc();
    reader.Info = png_create_info_struct(reader.Png);
    if (reader.Info == nullptr) throw std::bad_alloc();
    png_set_read_fn(reader.Png, &source, ReadBytes);
    png_set_user_limits(reader.Png, 0x7fffffffu, 0x7fffffffu);
    // No chunk, nor a text or profile it inflates to, is larger than the file that holds it.
    png_set_chunk_malloc_max(reader.Png, std::max<png_alloc_size_t>(source.Size, 4096));
    if (!ReadInfo(reader.Png, reader.Info, &header)) throw Damaged(source, fileName);
    if (static_cast<std::uint64_t>(header.Width) * header.Height >
        static_cast<std::uint64_t>(kMaxPicturePixels))
        throw fail("picture too large (" + SizeText(header.Width, header.Height) + ")");
    // The rows as the file codes them are at least this many bytes (filter bytes not counted).
    if (header.StoredRowBytes * header.Height / kMaxDeflateExpansion > source.Size)
        throw fail("damaged PNG file (" + SizeText(header.Width, header.Height) + " pixels in " +
                   std::to_string(source.Size) + " bytes)");
    if (!SetTransforms(reader.Png, reader.Info, &header)) throw Damaged(source, fileName);
    if ((header.Bits != 8 && header.Bits != 16) || (header.Channels != 1 && header.Channels != 3) ||
        header.RowBytes != static_cast<png_size_t>(header.Width) * header.Channels * (header.Bits / 8))
        throw fail("unsupported PNG picture");
}

} // namespace

bool LooksLikePng(const std::uint8_t* bytes, std::size_t size) {
    return size >= 8 && png_sig_cmp(bytes, 0, 8) == 0;
}

PictureSamples DecodePngSamples(const std::uint8_t* bytes, std::size_t size, const std::string& fileName) {
    PngSource source{bytes, size, 0, {}};
    PngReader reader;
    Header header{};
    Open(reader, source, header, fileName);
    const std::size_t count = static_cast<std::size_t>(header.Width) * header.Height;
    std::vector<std::uint8_t> pixels;
    std::vector<png_bytep> rows;
    PictureSamples samples;
    AllocateForReader(fileName, [&] {
        pixels.resize(static_cast<std::size_t>(header.RowBytes) * header.Height);
        rows.resize(header.Height);
        samples.Values.resize(count);
    });
    for (png_uint_32 y = 0; y < header.Height; ++y)
        rows[y] = pixels.data() + static_cast<std::size_t>(y) * header.RowBytes;
    if (!ReadRows(reader.Png, reader.Info, rows.data())) throw Damaged(source, fileName);
    rows = {};

    samples.Width = static_cast<std::int32_t>(header.Width);
    samples.Height = static_cast<std::int32_t>(header.Height);
    samples.Bits = header.Bits;
    const std::size_t channels = static_cast<std::size_t>(header.Channels);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t sum = 0;
        for (std::size_t c = 0; c < channels; ++c) {
            if (header.Bits == 8) {
                sum += pixels[i * channels + c];
            } else {
                std::uint16_t v;
                std::memcpy(&v, pixels.data() + 2 * (i * channels + c), 2);
                sum += v;
            }
        }
        samples.Values[i] = static_cast<std::uint16_t>(channels == 3 ? GrayOfChannelSum(sum) : sum);
    }
    return samples;
}

GrayRaster DecodePngGray(const std::uint8_t* bytes, std::size_t size, const std::string& fileName,
                         SixteenBitScaling scaling) {
    return ToGrayRaster(DecodePngSamples(bytes, size, fileName), scaling);
}

PictureInfo ProbePng(const std::uint8_t* bytes, std::size_t size, const std::string& fileName) {
    PngSource source{bytes, size, 0, {}};
    PngReader reader;
    Header header{};
    Open(reader, source, header, fileName);
    PictureInfo info;
    info.Width = static_cast<std::int32_t>(header.Width);
    info.Height = static_cast<std::int32_t>(header.Height);
    info.Bits = header.Bits;
    return info;
}

} // namespace corvane
