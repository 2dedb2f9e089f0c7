#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "support/BmpBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <unistd.h>

namespace corvane {
namespace {

namespace fs = std::filesystem;

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CorvaneError& e) {
        return e.what();
    }
    return "no error";
}

std::vector<std::uint8_t> Pixels(const TGrayImage& image) {
    return std::vector<std::uint8_t>(image.Data, image.Data + image.Size);
}

std::vector<std::uint8_t> RandomPixels(std::size_t n, int levels, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> value(0, levels - 1);
    std::vector<std::uint8_t> v(n);
    for (auto& p : v) p = static_cast<std::uint8_t>(value(rng) * (255 / std::max(levels - 1, 1)));
    return v;
}

TEST(TGrayImageTest, TheFourConstructions) {
    TGrayImage empty;
    EXPECT_EQ(empty.FileName, "MemoryPointer");
    EXPECT_EQ(empty.Width + empty.Height + empty.Size + empty.Header, 0);
    EXPECT_EQ(empty.Data, nullptr);

    TGrayImage owned(nullptr, 4, 3);
    EXPECT_EQ(owned.FileName, "MemoryData.raw");
    EXPECT_EQ(owned.Size, 12);
    EXPECT_TRUE(owned.OwnsData);
    EXPECT_EQ(Pixels(owned), std::vector<std::uint8_t>(12, 0));

    std::vector<std::uint8_t> buffer(6, 9);
    {
        TGrayImage borrowed(buffer.data(), 3, 2);
        EXPECT_FALSE(borrowed.OwnsData);
        borrowed.SetPixel(2, 1, 77); // writes through to the caller's buffer
    }
    EXPECT_EQ(buffer[5], 77); // and the buffer outlived the image (the sanitizer build checks the free)

    EXPECT_EQ(ErrorOf([] { TGrayImage(nullptr, -1, 5); }), "bad gray image size -1 x 5");
    EXPECT_EQ(ErrorOf([] { TGrayImage(nullptr, 65536, 65536); }), "bad gray image size 65536 x 65536");

    test::TempDir dir;
    const std::string missing = dir.File("none.bmp");
    EXPECT_EQ(ErrorOf([&] { TGrayImage{missing}; }), missing + ": not exists");
    EXPECT_EQ(ErrorOf([&] { TGrayImage(TGrayImage::RawDescription{missing, 0, 4, 4}); }), missing + ": not exists");
    EXPECT_EQ(ErrorOf([&] { TGrayImage{dir.Path().string()}; }), dir.Path().string() + ": not exists");
}

TEST(TGrayImageTest, PixelAccessOutsideTheImageIsRefused) {
    TGrayImage image(nullptr, 3, 2);
    image.SetPixel(2, 1, 200);
    EXPECT_EQ(image.GetPixel(2, 1), 200);
    EXPECT_EQ(image.Data[5], 200); // row-major, no padding
    EXPECT_EQ(ErrorOf([&] { image.GetPixel(3, 0); }), "(3,0) not in the gray image");
    EXPECT_EQ(ErrorOf([&] { image.GetPixel(0, 2); }), "(0,2) not in the gray image");
    EXPECT_EQ(ErrorOf([&] { image.SetPixel(-1, 1, 5); }), "(-1,1) not in the gray image");
    EXPECT_EQ(ErrorOf([&] { image.SetPixel(1, -7, 5); }), "(1,-7) not in the gray image");
    EXPECT_EQ(ErrorOf([] { TGrayImage().GetPixel(0, 0); }), "(0,0) not in the gray image");
}

TEST(TGrayImageTest, SetWidthAndHeightKeepSizeInStep) {
    TGrayImage image;
    image.SetWidth(7);
    EXPECT_EQ(image.Size, 0);
    image.SetHeight(5);
    EXPECT_EQ(image.Size, 35);
    image.SetPixel(6, 4, 1);
    image.SetWidth(-4);
    EXPECT_EQ(image.Width, 0);
    EXPECT_EQ(image.Size, 0);
    image.SetHeader(12);
    EXPECT_EQ(image.Header, 12);

    std::vector<std::uint8_t> buffer(4);
    TGrayImage borrowed(buffer.data(), 2, 2);
    borrowed.SetWidth(3); // a new buffer of its own, the caller's stays untouched
    EXPECT_TRUE(borrowed.OwnsData);
    EXPECT_NE(borrowed.Data, buffer.data());
    EXPECT_EQ(borrowed.Size, 6);
}

TEST(TGrayImageTest, FillRectClipsToTheImage) {
    TGrayImage image(nullptr, 4, 3);
    image.FillRect(5, 2, 1, 100, 1); // x2 beyond the right edge fills to the last column
    EXPECT_EQ(Pixels(image), (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 5, 5, 0, 0, 0, 0}));
    image.FillRect(9, -3, -3, 0, 0); // negative corners start at 0
    EXPECT_EQ(image.GetPixel(0, 0), 9);
    const auto before = Pixels(image);
    image.FillRect(7, 3, 0, 1, 2); // x1 > x2
    image.FillRect(7, 0, 2, 3, 1); // y1 > y2
    image.FillRect(7, 4, 0, 9, 2); // wholly to the right
    EXPECT_EQ(Pixels(image), before);
}

TEST(TGrayImageTest, SumRectAddsTheCornersAndClips) {
    std::vector<std::uint8_t> v = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}; // 4 x 3
    TGrayImage image(v.data(), 4, 3);
    EXPECT_EQ(image.SumRect(1, 1, 2, 2), 6u + 7 + 10 + 11);
    EXPECT_EQ(image.SumRect(0, 0, 99, 99), 78u);
    EXPECT_EQ(image.SumRect(3, 2, 3, 2), 12u);
    EXPECT_EQ(image.SumRect(0, 2, 3, 1), 0u);
    EXPECT_EQ(image.SumRect(2, 0, 1, 2), 0u);
    EXPECT_EQ(image.SumRect(-5, -5, 0, 0), 1u);
}

TEST(TGrayImageTest, RawFilesWithHeaderShortFilesAndBadSizes) {
    test::TempDir dir;
    std::vector<std::uint8_t> v = {1, 2, 3, 4, 5, 6};
    TGrayImage image(v.data(), 3, 2);
    image.SetHeader(4);
    image.SaveRaw(dir.File("a.raw"));
    EXPECT_EQ(test::ReadFileBytes(dir.File("a.raw")), std::string("FFFF\1\2\3\4\5\6", 10));

    TGrayImage back(TGrayImage::RawDescription{dir.File("a.raw"), 4, 3, 2});
    EXPECT_EQ(back.FileName, dir.File("a.raw"));
    EXPECT_EQ(back.Header, 4);
    EXPECT_EQ(Pixels(back), v);

    // Described larger than the file: the missing pixels are black, the read ones kept.
    TGrayImage longer(TGrayImage::RawDescription{dir.File("a.raw"), 6, 3, 3});
    EXPECT_EQ(Pixels(longer), (std::vector<std::uint8_t>{3, 4, 5, 6, 0, 0, 0, 0, 0}));
    TGrayImage pastEnd(TGrayImage::RawDescription{dir.File("a.raw"), 1000, 2, 2});
    EXPECT_EQ(Pixels(pastEnd), std::vector<std::uint8_t>(4, 0));

    // The default RAW description fills exactly from a file of 512 * 512 bytes.
    std::string square(512 * 512, '\0');
    for (std::size_t i = 0; i < square.size(); ++i) square[i] = static_cast<char>(i % 251);
    test::WriteFileBytes(dir.File("sq.raw"), square);
    TGrayImage sq(TGrayImage::RawDescription{dir.File("sq.raw"), 0, 512, 512});
    EXPECT_EQ(sq.GetPixel(511, 511), (512 * 512 - 1) % 251);
    EXPECT_EQ(sq.GetPixel(7, 1), (512 + 7) % 251);

    const std::string a = dir.File("a.raw");
    EXPECT_EQ(ErrorOf([&] { TGrayImage(TGrayImage::RawDescription{a, 0, -3, 2}); }), a + ": bad RAW image size -3 x 2");
    EXPECT_EQ(ErrorOf([&] { TGrayImage(TGrayImage::RawDescription{a, 0, 70000, 70000}); }),
              a + ": bad RAW image size 70000 x 70000");
    EXPECT_EQ(ErrorOf([&] { TGrayImage(TGrayImage::RawDescription{a, -1, 2, 2}); }), a + ": bad RAW header size -1");
}

TEST(TGrayImageTest, SaveToFileChoosesTheFormatByExtension) {
    test::TempDir dir;
    std::vector<std::uint8_t> v = {10, 20, 30, 40};
    TGrayImage image(v.data(), 2, 2);
    image.SaveToFile(dir.File("UP.BMP"));
    EXPECT_EQ(test::ReadFileBytes(dir.File("UP.BMP")).substr(0, 2), "BM");
    EXPECT_EQ(Pixels(TGrayImage(dir.File("UP.BMP"))), v);
    image.SaveToFile(dir.File("x.Raw"));
    EXPECT_EQ(test::ReadFileBytes(dir.File("x.Raw")), std::string("\x0A\x14\x1E\x28"));
    for (const char* name : {"p.png", "noext", "x.bmp.txt", "x.rawx"}) {
        EXPECT_EQ(ErrorOf([&] { image.SaveToFile(dir.File(name)); }), "only support raw and bmp files") << name;
        EXPECT_FALSE(fs::exists(dir.File(name))) << name;
    }
}

TEST(TGrayImageTest, PaletteBmpLoadsAndSavesAsTwentyFourBits) {
    test::TempDir dir;
    test::BmpSpec spec{.Width = 3, .Height = 2, .Bits = 8, .ColorsUsed = 3,
                       .Palette = {0x101010, 0x808080, 0xFEFEFE}, .Pixels = {0, 1, 2, 2, 1, 0}};
    test::WriteFileBytes(dir.File("pal.bmp"), test::BuildBmp(spec));
    TGrayImage image(dir.File("pal.bmp"));
    EXPECT_EQ(image.FileName, dir.File("pal.bmp"));
    EXPECT_EQ(image.Header, 0);
    EXPECT_EQ(Pixels(image), (std::vector<std::uint8_t>{16, 128, 254, 254, 128, 16}));
    image.SaveBmp(dir.File("out.bmp"));
    EXPECT_EQ(test::ReadFileBytes(dir.File("out.bmp"))[28], 24);
    EXPECT_EQ(Pixels(TGrayImage(dir.File("out.bmp"))), Pixels(image));
}

TEST(TGrayImageTest, AFailedBmpLoadLeavesTheImageAsItWas) {
    test::TempDir dir;
    std::string good = test::BuildBmp({.Width = 2, .Height = 1, .Pixels = {0, 0}});
    std::string badPalette = test::BuildBmp(
        {.Width = 1, .Height = 1, .Bits = 8, .ColorsUsed = 1, .Palette = {0}, .Pixels = {200}});
    std::string huge = good;
    test::Put32At(huge, test::bmpfield::kWidth, 30000);
    test::Put32At(huge, test::bmpfield::kHeight, 30000);
    std::string jpeg = good;
    test::Put32At(jpeg, test::bmpfield::kCompression, 4);
    struct Case {
        std::string bytes, message;
    };
    for (const Case& c : {Case{"hello", "not a BMP file"}, Case{good.substr(0, 40), "truncated BMP file"},
                          Case{huge, "truncated BMP file"}, Case{jpeg, "compressed BMP files are not supported"},
                          Case{badPalette, "palette index out of range"}}) {
        const std::string name = dir.File("bad.bmp");
        test::WriteFileBytes(name, c.bytes);
        TGrayImage image(nullptr, 2, 2);
        image.FillRect(42, 0, 0, 1, 1);
        const std::uint8_t* data = image.Data;
        EXPECT_EQ(ErrorOf([&] { image.LoadBmp(name); }), name + ": " + c.message);
        EXPECT_EQ(image.FileName, "MemoryData.raw");
        EXPECT_EQ(image.Width * 10 + image.Height, 22);
        EXPECT_EQ(image.Data, data);
        EXPECT_EQ(Pixels(image), std::vector<std::uint8_t>(4, 42));
    }
    EXPECT_EQ(ErrorOf([&] { TGrayImage().LoadBmp(dir.Path().string()); }),
              dir.Path().string() + ": can not open the file");
}

TEST(TGrayImageTest, AFailedSaveLeavesTheOldFileWhole) {
    test::TempDir dir;
    std::vector<std::uint8_t> v = {1, 2, 3, 4};
    TGrayImage image(v.data(), 2, 2);

    // The name is a folder: it stays, with what it holds.
    fs::create_directory(dir.File("pic.bmp"));
    test::WriteFileBytes(dir.File("pic.bmp") + "/keep", "x");
    EXPECT_EQ(ErrorOf([&] { image.SaveToFile(dir.File("pic.bmp")); }), dir.File("pic.bmp") + ": can not write the file");
    EXPECT_EQ(test::ReadFileBytes(dir.File("pic.bmp") + "/keep"), "x");

    // The folder is a file, or does not exist.
    test::WriteFileBytes(dir.File("plain"), "old");
    EXPECT_THROW(image.SaveRaw(dir.File("plain") + "/a.raw"), CorvaneError);
    EXPECT_THROW(image.SaveBmp(dir.File("no/such/a.bmp")), CorvaneError);
    EXPECT_EQ(test::ReadFileBytes(dir.File("plain")), "old");

    // A folder that may not be written keeps its old file, and no temporary file is left.
    fs::create_directory(dir.File("locked"));
    const std::string old = dir.File("locked/a.raw");
    test::WriteFileBytes(old, "previous");
    fs::permissions(dir.File("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(dir.File("locked").c_str(), W_OK) == 0) {
        fs::permissions(dir.File("locked"), fs::perms::owner_all);
        GTEST_SKIP() << "folder permissions are not enforced for this user";
    }
    EXPECT_EQ(ErrorOf([&] { image.SaveRaw(old); }), old + ": can not write the file");
    EXPECT_EQ(test::ReadFileBytes(old), "previous");
    fs::permissions(dir.File("locked"), fs::perms::owner_all);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("locked")), fs::directory_iterator()), 1);
}

/// The median as the plain procedure gives it: gather the window row by row, bubble passes in
/// descending order down to the middle, take the middle element.
std::vector<std::uint8_t> BubbleMedian(std::vector<std::uint8_t> src, int width, int height, int w, int h) {
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    if (w % 2 == 0) ++w;
    if (h % 2 == 0) ++h;
    std::vector<std::uint8_t> out = src;
    const int n = w * h;
    std::vector<std::uint8_t> win(static_cast<std::size_t>(n));
    for (int y = h / 2; y <= height - h / 2 - 1; ++y) {
        for (int x = w / 2; x <= width - w / 2 - 1; ++x) {
            int k = 0;
            for (int j = y - h / 2; j <= y + h / 2; ++j)
                for (int i = x - w / 2; i <= x + w / 2; ++i) win[k++] = src[j * width + i];
            for (int pass = n - 1; pass >= n / 2; --pass)
                for (int j = 0; j < pass; ++j)
                    if (win[j] < win[j + 1]) std::swap(win[j], win[j + 1]);
            out[y * width + x] = win[n / 2];
        }
    }
    return out;
}

TEST(TGrayImageFilterTest, MedianMatchesTheBubbleReference) {
    struct Window {
        int w, h;
    };
    unsigned seed = 1;
    for (int levels : {2, 5, 256}) { // few levels give many ties
        for (Window win : {Window{1, 1}, Window{3, 3}, Window{4, 4}, Window{2, 6}, Window{7, 3}, Window{0, -2},
                           Window{11, 9}, Window{21, 1}, Window{40, 2}}) {
            const int width = 23, height = 17;
            std::vector<std::uint8_t> v = RandomPixels(width * height, levels, seed++);
            TGrayImage image(v.data(), width, height);
            image.MedianFilter(win.w, win.h);
            EXPECT_EQ(v, BubbleMedian(RandomPixels(width * height, levels, seed - 1), width, height, win.w, win.h))
                << "window " << win.w << " x " << win.h << ", levels " << levels;
        }
    }
}

TEST(TGrayImageFilterTest, EvenMedianWindowGrowsAndBordersStay) {
    // A bright 3 x 3 block survives a 3 x 3 median but not the 5 x 5 that an even 4 x 4 becomes;
    // the spike in row 1 is within half a 5 x 5 window of the border, so it stays.
    TGrayImage image(nullptr, 9, 9);
    image.FillRect(100, 0, 0, 8, 8);
    image.FillRect(255, 3, 3, 5, 5);
    image.FillRect(7, 0, 0, 8, 1);
    image.SetPixel(4, 1, 255);
    image.MedianFilter(4, 4);
    EXPECT_EQ(image.GetPixel(4, 4), 100);
    EXPECT_EQ(image.GetPixel(4, 1), 255);
    EXPECT_EQ(image.GetPixel(4, 2), 100); // 9 dark, 9 mid, 7 bright under the window

    // A 3 x 3 median leaves the outermost rows and columns as they were.
    std::vector<std::uint8_t> v = RandomPixels(8 * 6, 256, 99);
    const std::vector<std::uint8_t> before = v;
    TGrayImage noisy(v.data(), 8, 6);
    noisy.MedianFilter(3, 3);
    for (int x = 0; x < 8; ++x) EXPECT_TRUE(v[x] == before[x] && v[40 + x] == before[40 + x]) << x;
    for (int y = 0; y < 6; ++y) EXPECT_TRUE(v[y * 8] == before[y * 8] && v[y * 8 + 7] == before[y * 8 + 7]) << y;
}

TEST(TGrayImageFilterTest, AverageAlongRowsAndDownColumns) {
    std::vector<std::uint8_t> v = {0, 3, 6, 10, 20, //
                                   1, 1, 1, 1, 1,   //
                                   9, 0, 0, 0, 9};
    TGrayImage rows(v.data(), 5, 3);
    rows.AverageFilter(2, false); // length 3; quotients truncated
    EXPECT_EQ(v, (std::vector<std::uint8_t>{0, 3, 6, 12, 20, 1, 1, 1, 1, 1, 9, 3, 0, 3, 9}));

    std::vector<std::uint8_t> c = {0, 5, 1, 6, 2, 7, 3, 8, 250, 9}; // 2 x 5
    TGrayImage cols(c.data(), 2, 5);
    cols.AverageFilter(3, true);
    EXPECT_EQ(c, (std::vector<std::uint8_t>{0, 5, 1, 6, 2, 7, 85, 8, 250, 9}));

    // Random pictures against the direct sum at every pixel, both directions, several lengths.
    for (int length : {1, 2, 3, 6, 9, 17}) {
        for (bool down : {false, true}) {
            const int width = 19, height = 13;
            std::vector<std::uint8_t> img = RandomPixels(width * height, 256, 40u + static_cast<unsigned>(length));
            std::vector<std::uint8_t> expected = img;
            const int n = length % 2 == 0 ? length + 1 : length, r = n / 2;
            for (int y = down ? r : 0; y < (down ? height - r : height); ++y)
                for (int x = down ? 0 : r; x < (down ? width : width - r); ++x) {
                    int sum = 0;
                    for (int k = -r; k <= r; ++k) sum += down ? img[(y + k) * width + x] : img[y * width + x + k];
                    expected[y * width + x] = static_cast<std::uint8_t>(sum / n);
                }
            TGrayImage image(img.data(), width, height);
            image.AverageFilter(length, down);
            EXPECT_EQ(img, expected) << "length " << length << (down ? " down columns" : " along rows");
        }
    }

    std::vector<std::uint8_t> w = {1, 2, 3};
    TGrayImage narrow(w.data(), 3, 1);
    narrow.AverageFilter(5, false); // longer than the row: nothing changes
    narrow.AverageFilter(3, true);
    EXPECT_EQ(w, (std::vector<std::uint8_t>{1, 2, 3}));
}

} // namespace
} // namespace corvane
