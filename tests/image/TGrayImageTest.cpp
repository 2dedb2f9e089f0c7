#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "support/BmpBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <unistd.h>

namespace corvane {
namespace {

namespace fs = std::filesystem;
using Grey = std::vector<std::uint8_t>;
using Raw = TGrayImage::RawDescription;

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CorvaneError& e) {
        return e.what();
    }
    return "no error";
}

Grey Pixels(const TGrayImage& image) { return Grey(image.Data, image.Data + image.Size); }

Grey RandomPixels(std::size_t n, int levels, unsigned seed) {
    std::mt19937 rng(seed);
    Grey v(n);
    for (auto& p : v) p = static_cast<std::uint8_t>(static_cast<int>(rng() % static_cast<unsigned>(levels)) * (255 / std::max(levels - 1, 1)));
    return v;
}

TEST(TGrayImageTest, ConstructionsSizesAndPixelAccess) {
    TGrayImage empty;
    EXPECT_EQ(empty.FileName, "MemoryPointer");
    EXPECT_EQ(empty.Size, 0);
    TGrayImage owned(nullptr, 4, 3);
    EXPECT_EQ(owned.FileName, "MemoryData.raw");
    EXPECT_EQ(Pixels(owned), Grey(12, 0));

    Grey buffer(6, 9);
    {
        TGrayImage borrowed(buffer.data(), 3, 2);
        borrowed.SetPixel(2, 1, 77);
        EXPECT_EQ(borrowed.GetPixel(2, 1), 77);
    } // the sanitizer build checks that the borrowed buffer is not freed here
    EXPECT_EQ(buffer[5], 77);

    EXPECT_EQ(ErrorOf([&] { owned.GetPixel(4, 0); }), "(4,0) not in the gray image");
    EXPECT_EQ(ErrorOf([&] { owned.SetPixel(-1, 2, 5); }), "(-1,2) not in the gray image");
    EXPECT_EQ(ErrorOf([&] { owned.SetPixel(0, 3, 5); }), "(0,3) not in the gray image");
    EXPECT_EQ(ErrorOf([] { TGrayImage(nullptr, 65536, 65536); }), "bad gray image size 65536 x 65536");

    owned.SetWidth(7);
    EXPECT_EQ(owned.Size, 21);
    owned.SetHeight(-2);
    EXPECT_EQ(owned.Height, 0);
    EXPECT_EQ(owned.Size, 0);

    test::TempDir dir;
    const std::string missing = dir.File("none.bmp");
    EXPECT_EQ(ErrorOf([&] { TGrayImage{missing}; }), missing + ": not exists");
    EXPECT_EQ(ErrorOf([&] { TGrayImage(Raw{missing, 0, 4, 4}); }), missing + ": not exists");
}

TEST(TGrayImageTest, FillRectAndSumRectClip) {
    Grey v = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}; // 4 x 3
    TGrayImage image(v.data(), 4, 3);
    EXPECT_EQ(image.SumRect(1, 1, 2, 2), 6u + 7 + 10 + 11);
    EXPECT_EQ(image.SumRect(0, 0, 99, 99), 78u);
    EXPECT_EQ(image.SumRect(0, 2, 3, 1), 0u);

    image.FillRect(0, 2, 1, 100, 1); // x2 beyond the right edge fills to the last column
    EXPECT_EQ(v, (Grey{1, 2, 3, 4, 5, 6, 0, 0, 9, 10, 11, 12}));
    image.FillRect(0, -3, -3, 0, 0);
    EXPECT_EQ(v[0], 0);
    const Grey before = v;
    image.FillRect(99, 3, 0, 1, 2); // x1 > x2
    image.FillRect(99, 0, 2, 3, 1); // y1 > y2
    EXPECT_EQ(v, before);
}

TEST(TGrayImageTest, RawFilesHeaderShortFilesAndBadSizes) {
    test::TempDir dir;
    const std::string a = dir.File("a.raw");
    Grey v = {1, 2, 3, 4, 5, 6};
    TGrayImage image(v.data(), 3, 2);
    image.SetHeader(4);
    image.SaveRaw(a);
    EXPECT_EQ(test::ReadFileBytes(a), std::string("FFFF\1\2\3\4\5\6", 10));
    EXPECT_EQ(Pixels(TGrayImage(Raw{a, 4, 3, 2})), v);
    // Described larger than the file: the missing pixels are black.
    EXPECT_EQ(Pixels(TGrayImage(Raw{a, 6, 3, 3})), (Grey{3, 4, 5, 6, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Pixels(TGrayImage(Raw{a, 1000, 2, 1})), (Grey{0, 0}));

    std::string square(512 * 512, '\0');
    for (std::size_t i = 0; i < square.size(); ++i) square[i] = static_cast<char>(i % 251);
    test::WriteFileBytes(dir.File("sq.raw"), square);
    TGrayImage sq(Raw{dir.File("sq.raw"), 0, 512, 512});
    EXPECT_EQ(sq.GetPixel(511, 511), (512 * 512 - 1) % 251);

    EXPECT_EQ(ErrorOf([&] { TGrayImage(Raw{a, 0, -3, 2}); }), a + ": bad RAW image size -3 x 2");
    EXPECT_EQ(ErrorOf([&] { TGrayImage(Raw{a, 0, 70000, 70000}); }), a + ": bad RAW image size 70000 x 70000");
    EXPECT_EQ(ErrorOf([&] { TGrayImage(Raw{a, -1, 2, 2}); }), a + ": bad RAW header size -1");
}

TEST(TGrayImageTest, BmpFilesByExtensionAndPalette) {
    test::TempDir dir;
    test::BmpSpec spec{.Width = 3, .Height = 2, .Bits = 8, .ColorsUsed = 3,
                       .Palette = {0x101010, 0x808080, 0xFEFEFE}, .Pixels = {0, 1, 2, 2, 1, 0}};
    test::WriteFileBytes(dir.File("pal.bmp"), test::BuildBmp(spec));
    TGrayImage image(dir.File("pal.bmp"));
    EXPECT_EQ(image.FileName, dir.File("pal.bmp"));
    EXPECT_EQ(Pixels(image), (Grey{16, 128, 254, 254, 128, 16}));

    image.SaveToFile(dir.File("UP.BMP")); // written as the 24-bit grey form
    EXPECT_EQ(test::ReadFileBytes(dir.File("UP.BMP"))[28], 24);
    EXPECT_EQ(Pixels(TGrayImage(dir.File("UP.BMP"))), Pixels(image));
    image.SaveToFile(dir.File("x.Raw"));
    EXPECT_EQ(test::ReadFileBytes(dir.File("x.Raw")), "\x10\x80\xFE\xFE\x80\x10");
    for (const char* name : {"p.png", "noext", "x.bmp.txt"}) {
        EXPECT_EQ(ErrorOf([&] { image.SaveToFile(dir.File(name)); }), "only support raw and bmp files");
        EXPECT_FALSE(fs::exists(dir.File(name))) << name;
    }
}

TEST(TGrayImageTest, FailedLoadsAndSavesChangeNothing) {
    test::TempDir dir;
    const std::string bad = dir.File("bad.bmp");
    std::string huge = test::BuildBmp({.Width = 2, .Height = 1, .Pixels = {0, 0}});
    test::Put32At(huge, test::bmpfield::kHeight, 30000);
    for (const std::string& bytes : {std::string("hello"), huge}) {
        test::WriteFileBytes(bad, bytes);
        TGrayImage image(nullptr, 2, 2);
        image.FillRect(42, 0, 0, 1, 1);
        const std::uint8_t* data = image.Data;
        EXPECT_THROW(image.LoadBmp(bad), CorvaneError);
        EXPECT_EQ(image.FileName, "MemoryData.raw");
        EXPECT_EQ(image.Width * 10 + image.Height, 22);
        EXPECT_EQ(image.Data, data);
        EXPECT_EQ(Pixels(image), Grey(4, 42));
    }

    Grey v = {1, 2, 3, 4};
    TGrayImage image(v.data(), 2, 2);
    // The name is a folder: refused, the folder and its content stay.
    fs::create_directory(dir.File("pic.bmp"));
    test::WriteFileBytes(dir.File("pic.bmp/keep"), "x");
    EXPECT_EQ(ErrorOf([&] { image.SaveToFile(dir.File("pic.bmp")); }), dir.File("pic.bmp") + ": can not write the file");
    EXPECT_EQ(test::ReadFileBytes(dir.File("pic.bmp/keep")), "x");
    EXPECT_THROW(image.SaveBmp(dir.File("no/such/a.bmp")), CorvaneError);

    // A folder that may not be written keeps its old file, and no temporary file is left.
    fs::create_directory(dir.File("locked"));
    const std::string old = dir.File("locked/a.raw");
    test::WriteFileBytes(old, "previous");
    fs::permissions(dir.File("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    const bool enforced = ::access(dir.File("locked").c_str(), W_OK) != 0;
    if (enforced) {
        EXPECT_EQ(ErrorOf([&] { image.SaveRaw(old); }), old + ": can not write the file");
        EXPECT_EQ(test::ReadFileBytes(old), "previous");
    }
    fs::permissions(dir.File("locked"), fs::perms::owner_all);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("locked")), fs::directory_iterator()), 1);
    if (!enforced) GTEST_SKIP() << "folder permissions are not enforced for this user";
}

/// The median as the plain procedure gives it: the window gathered row by row, bubble passes in
/// descending order down to the middle, the middle element taken.
Grey BubbleMedian(Grey src, int width, int height, int w, int h) {
    w = std::max(w, 1) | 1;
    h = std::max(h, 1) | 1;
    Grey out = src, win(static_cast<std::size_t>(w * h));
    const int n = w * h;
    for (int y = h / 2; y <= height - h / 2 - 1; ++y)
        for (int x = w / 2; x <= width - w / 2 - 1; ++x) {
            int k = 0;
            for (int j = y - h / 2; j <= y + h / 2; ++j)
                for (int i = x - w / 2; i <= x + w / 2; ++i) win[k++] = src[j * width + i];
            for (int pass = n - 1; pass >= n / 2; --pass)
                for (int j = 0; j < pass; ++j)
                    if (win[j] < win[j + 1]) std::swap(win[j], win[j + 1]);
            out[y * width + x] = win[n / 2];
        }
    return out;
}

TEST(TGrayImageFilterTest, MedianMatchesTheBubbleReference) {
    unsigned seed = 1;
    for (int levels : {2, 5, 256}) { // few levels give many ties
        for (auto [w, h] : {std::pair{1, 1}, {3, 3}, {4, 4}, {2, 6}, {7, 3}, {0, -2}, {11, 9}, {21, 1}, {40, 2}}) {
            const int width = 23, height = 17;
            const Grey original = RandomPixels(width * height, levels, seed++);
            Grey v = original;
            TGrayImage(v.data(), width, height).MedianFilter(w, h);
            EXPECT_EQ(v, BubbleMedian(original, width, height, w, h)) << w << " x " << h << ", levels " << levels;
        }
    }
    // A bright 3 x 3 block survives a 3 x 3 median but not the 5 x 5 an even 4 x 4 becomes;
    // the spike in row 1 is nearer the border than half a 5 x 5 window, so it stays.
    TGrayImage image(nullptr, 9, 9);
    image.FillRect(100, 0, 0, 8, 8);
    image.FillRect(255, 3, 3, 5, 5);
    image.SetPixel(4, 1, 255);
    image.MedianFilter(4, 4);
    EXPECT_EQ(image.GetPixel(4, 4), 100);
    EXPECT_EQ(image.GetPixel(4, 1), 255);
}

TEST(TGrayImageFilterTest, AverageAlongRowsAndDownColumns) {
    Grey v = {0, 3, 6, 10, 20, //
              9, 0, 0, 0, 9};
    TGrayImage(v.data(), 5, 2).AverageFilter(2, false); // length 3; quotients truncated
    EXPECT_EQ(v, (Grey{0, 3, 6, 12, 20, 9, 3, 0, 3, 9}));

    Grey c = {0, 5, 1, 6, 2, 7, 3, 8, 250, 9}; // 2 x 5
    TGrayImage(c.data(), 2, 5).AverageFilter(3, true);
    EXPECT_EQ(c, (Grey{0, 5, 1, 6, 2, 7, 85, 8, 250, 9}));

    Grey w = {1, 2, 3};
    TGrayImage narrow(w.data(), 3, 1);
    narrow.AverageFilter(5, false); // longer than the row: nothing changes
    narrow.AverageFilter(3, true);
    EXPECT_EQ(w, (Grey{1, 2, 3}));
}

} // namespace
} // namespace corvane
