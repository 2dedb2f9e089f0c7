#include "image/PngWriter.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/ImageSize.h"

#include <csetjmp>
#include <png.h>

namespace corvane {

namespace {

// The library reports an error by calling this, which must not return: it jumps back to the
// setjmp point of the encoder. Warnings are dropped so nothing is printed on standard error.
[[noreturn]] void PngErrorHandler(png_structp png, png_const_charp /*message*/) {
    png_longjmp(png, 1);
}
void PngWarningHandler(png_structp /*png*/, png_const_charp /*message*/) {}

struct PngSink {
    std::vector<std::uint8_t>* bytes;
    bool outOfMemory;
};

void PngWriteBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    try {
        sink->bytes->insert(sink->bytes->end(), data, data + length);
    } catch (...) {
        sink->outOfMemory = true;
    }
    // Jump out only after the catch block has ended, so no exception object is left behind.
    if (sink->outOfMemory) png_error(png, kNotEnoughMemory);
}

void PngFlush(png_structp /*png*/) {}

// Only trivially destructible state lives between setjmp and a possible longjmp.
bool EncodeRows(int width, int height, int channels, const std::uint8_t* pixels, PngSink* sink) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngErrorHandler, PngWarningHandler);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    const int colourType = channels == 1   ? PNG_COLOR_TYPE_GRAY
                           : channels == 3 ? PNG_COLOR_TYPE_RGB
                                           : PNG_COLOR_TYPE_RGB_ALPHA;
    png_set_write_fn(png, sink, PngWriteBytes, PngFlush);
    // The format's own limits, as the reader's: libpng refuses more than a million rows or columns
    // by default, and a line-scan picture has more.
    png_set_user_limits(png, 0x7fffffffu, 0x7fffffffu);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
    for (int y = 0; y < height; ++y) {
        png_write_row(png, pixels + stride * static_cast<std::size_t>(y));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodePng(int width, int height, PngPixels layout, const std::uint8_t* pixels) {
    if (width <= 0 || height <= 0 || CheckedPixelCount(width, height) < 0) {
        throw CorvaneError("cannot write a " + SizeText(width, height) + " picture as PNG");
    }
    std::vector<std::uint8_t> bytes;
    PngSink sink{&bytes, false};
    if (!EncodeRows(width, height, static_cast<int>(layout), pixels, &sink)) {
        throw CorvaneError(sink.outOfMemory ? kNotEnoughMemory : "PNG encoding failed");
    }
    return bytes;
}

void WritePngFile(const std::string& name, int width, int height, PngPixels layout,
                  const std::uint8_t* pixels, const std::string& failMessage) {
    const std::vector<std::uint8_t> bytes = EncodePng(width, height, layout, pixels);
    WriteFileAtomically(name, bytes.data(), bytes.size(), failMessage);
}

} // namespace corvane
