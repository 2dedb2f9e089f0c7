#include "image/PngWriter.h"
#include "image/ColourMap.h"
#include "image/CorvaneError.h"
#include "image/TFloatImage.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <vector>

namespace corvane {
namespace {

// Decodes with libpng's own simplified reader, independent of the writer's code path.
std::vector<std::uint8_t> Decode(const std::vector<std::uint8_t>& bytes, std::uint32_t format,
                                 png_image& image) {
    image = {};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_NE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()), 0);
    image.format = format;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    EXPECT_NE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr), 0);
    return pixels;
}

TEST(PngWriter, GreyAndColourPicturesDecodeToTheSamePixelsWithTheirSizeNotTransposed) {
    const int width = 5, height = 3; // not square, odd stride
    std::vector<std::uint8_t> grey(width * height), rgba(width * height * 4);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<std::uint8_t>(i * 17);
    for (std::size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = static_cast<std::uint8_t>(255 - i * 3);

    png_image image;
    EXPECT_EQ(Decode(EncodePng(width, height, PngPixels::Gray, grey.data()), PNG_FORMAT_GRAY, image), grey);
    EXPECT_EQ(image.width, 5u);
    EXPECT_EQ(image.height, 3u);
    EXPECT_EQ(Decode(EncodePng(width, height, PngPixels::Rgba, rgba.data()), PNG_FORMAT_RGBA, image), rgba);
}

TEST(PngWriter, AnEmptyPictureIsRefused) {
    const std::uint8_t pixel = 0;
    EXPECT_THROW(EncodePng(0, 4, PngPixels::Gray, &pixel), CorvaneError);
    EXPECT_THROW(EncodePng(4, -1, PngPixels::Rgb, &pixel), CorvaneError);
}

TEST(PngWriter, TheSavedColourMapDecodesToTheRenderedPixels) {
    test::TempDir dir;
    auto map = test::MakeFloatMap(300, 220, [](int x, int y) { return std::sin(0.05 * x) * 0.002 * y; });
    map->SetPixel(10, 10, kNotComputedMarker);
    const ColourMapPicture p = RenderColourMap(*map, {});
    SaveColourMapPng(p, dir.File("map.png"));
    const std::string bytes = test::ReadFileBytes(dir.File("map.png"));
    png_image image;
    EXPECT_EQ(Decode({bytes.begin(), bytes.end()}, PNG_FORMAT_RGBA, image), p.Rgba);
    EXPECT_EQ(std::pair(static_cast<int>(image.width), static_cast<int>(image.height)),
              std::pair(p.Width, p.Height));
}

} // namespace
} // namespace corvane
