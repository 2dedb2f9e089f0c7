#include "image/TGrayImage.h"
#include "image/CorvaneError.h"
#include "image/RawFile.h"
#include "support/BmpBuilder.h"
#include "support/BubbleMedian.h"
#include "support/ErrorText.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <tuple>

using namespace corvane;
using test::ErrorText;
namespace fs = std::filesystem;
using Grey = std::vector<std::uint8_t>;
using Raw = TGrayImage::RawDescription;

TEST(TGrayImageTest, ConstructionsSizesAndPixelAccess) {
    EXPECT_EQ(TGrayImage().FileName, "MemoryPointer");
    TGrayImage owned(nullptr, 4, 3);
    EXPECT_EQ(owned.FileName, "MemoryData.raw");
    EXPECT_EQ(test::Levels(owned), Grey(12, 0));

    Grey buffer(6, 9);
    TGrayImage(buffer.data(), 3, 2).SetPixel(2, 1, 77); // the sanitizer build checks that the buffer stays
    EXPECT_EQ(buffer[5], 77);

    EXPECT_EQ(ErrorText([&] { owned.GetPixel(4, 0); }), "(4,0) not in the gray image");
    EXPECT_EQ(ErrorText([&] { owned.SetPixel(-1, 3, 5); }), "(-1,3) not in the gray image");
    EXPECT_EQ(ErrorText([] { TGrayImage(nullptr, 65536, 65536); }), "bad gray image size 65536 x 65536");

    owned.SetWidth(7);
    EXPECT_EQ(owned.Size, 21);
    owned.SetHeight(-2);
    EXPECT_EQ(std::pair(owned.Height, owned.Size), std::pair(0, 0));

    test::TempDir dir;
    const std::string missing = dir.File("none.bmp");
    EXPECT_EQ(ErrorText([&] { TGrayImage{missing}; }), missing + ": not exists");
    EXPECT_EQ(ErrorText([&] { TGrayImage(Raw{missing, 0, 4, 4}); }), missing + ": not exists");
}

TEST(TGrayImageTest, RawFilesWithHeaderAndShortFiles) {
    test::TempDir dir;
    const std::string a = dir.File("a.raw");
    Grey v = {1, 2, 3, 4, 5, 6};
    TGrayImage image(v.data(), 3, 2);
    image.SetHeader(4);
    image.SaveRaw(a);
    EXPECT_EQ(test::ReadFileBytes(a), std::string("FFFF\1\2\3\4\5\6", 10));
    EXPECT_EQ(test::Levels(TGrayImage(Raw{a, 4, 3, 2})), v);
    // Described larger than the file: the missing pixels are black.
    EXPECT_EQ(test::Levels(TGrayImage(Raw{a, 6, 3, 3})), (Grey{3, 4, 5, 6, 0, 0, 0, 0, 0}));
    EXPECT_EQ(test::Levels(TGrayImage(Raw{a, 1000, 2, 1})), (Grey{0, 0}));

    std::string square(512 * 512, '\0');
    for (std::size_t i = 0; i < square.size(); ++i)
        square[i] = static_cast<char>(i % 251);
    test::WriteFileBytes(dir.File("sq.raw"), square);
    EXPECT_EQ(TGrayImage(Raw{dir.File("sq.raw"), 0, 512, 512}).GetPixel(511, 511), (512 * 512 - 1) % 251);
}

TEST(TGrayImageTest, BmpFilesByExtensionAndPalette) {
    test::TempDir dir;
    test::BmpLayout layout{.Width = 3,
                           .Height = 2,
                           .Bits = 8,
                           .ColorsUsed = 3,
                           .Palette = {0x101010, 0x808080, 0xFEFEFE},
                           .Pixels = {0, 1, 2, 2, 1, 0}};
    test::WriteFileBytes(dir.File("pal.bmp"), test::BuildBmp(layout));
    TGrayImage image(dir.File("pal.bmp"));
    EXPECT_EQ(test::Levels(image), (Grey{16, 128, 254, 254, 128, 16}));

    image.SaveToFile(dir.File("UP.BMP")); // written as the 24-bit grey form
    EXPECT_EQ(test::ReadFileBytes(dir.File("UP.BMP"))[28], 24);
    EXPECT_EQ(test::Levels(TGrayImage(dir.File("UP.BMP"))), test::Levels(image));
    image.SaveToFile(dir.File("x.Raw"));
    EXPECT_EQ(test::ReadFileBytes(dir.File("x.Raw")), "\x10\x80\xFE\xFE\x80\x10");
    for (const char* name : {"p.png", "noext", "x.bmp.txt"}) {
        EXPECT_EQ(ErrorText([&] { image.SaveToFile(dir.File(name)); }), "only support raw and bmp files");
        EXPECT_FALSE(fs::exists(dir.File(name))) << name;
    }
}

TEST(TGrayImageTest, FailedLoadsAndSavesChangeNothing) {
    test::TempDir dir;
    std::string huge = test::BuildBmp({.Width = 2, .Height = 1, .Pixels = {0, 0}});
    test::Put32At(huge, test::bmpfield::kHeight, 30000);
    test::WriteFileBytes(dir.File("bad.bmp"), huge);
    TGrayImage loaded(nullptr, 2, 2);
    loaded.FillRect(42, 0, 0, 1, 1);
    const std::uint8_t* data = loaded.Data;
    EXPECT_THROW(loaded.LoadBmp(dir.File("bad.bmp")), CorvaneError);
    EXPECT_EQ(std::tuple(loaded.FileName, loaded.Width, loaded.Height, loaded.Data),
              std::tuple(std::string("MemoryData.raw"), 2, 2, data));
    EXPECT_EQ(test::Levels(loaded), Grey(4, 42));

    // The name is a folder, or in a missing folder: refused.
    TGrayImage image(nullptr, 2, 2);
    fs::create_directory(dir.File("pic.bmp"));
    EXPECT_EQ(ErrorText([&] { image.SaveToFile(dir.File("pic.bmp")); }),
              dir.File("pic.bmp") + ": can not write the file");
    EXPECT_EQ(ErrorText([&] { image.SaveRaw(dir.File("no/a.raw")); }),
              dir.File("no/a.raw") + ": can not write the file");
}

TEST(TGrayImageFilterTest, MedianMatchesTheBubbleReference) {
    std::mt19937 rng(1);
    for (unsigned levels : {2, 5, 256}) { // few levels give many ties
        for (auto [w, h] :
             {std::pair{1, 1}, {3, 3}, {4, 4}, {2, 6}, {7, 3}, {0, -2}, {11, 9}, {21, 1}, {40, 2}}) {
            const int width = 23, height = 17;
            Grey original(width * height);
            for (auto& p : original)
                p = static_cast<std::uint8_t>(rng() % levels * (255 / (levels - 1)));
            Grey v = original;
            TGrayImage(v.data(), width, height).MedianFilter(w, h);
            test::BubbleMedian(original, width, 0, 0, width - 1, height - 1, w, h);
            EXPECT_EQ(v, original) << w << " x " << h << ", levels " << levels;
        }
    }
}

TEST(TGrayImageFilterTest, AverageAlongRowsAndDownColumns) {
    // Length 2 is raised to 3; quotients are truncated (sums of 2 and 5 give 0 and 1, not 1 and 2).
    Grey v = {0, 1, 1, 3, 20, //
              9, 0, 0, 0, 9};
    TGrayImage(v.data(), 5, 2).AverageFilter(2, false);
    EXPECT_EQ(v, (Grey{0, 0, 1, 8, 20, 9, 3, 0, 3, 9}));

    Grey c = {0, 5, 1, 6, 1, 7, 3, 8, 250, 9}; // 2 x 5
    TGrayImage(c.data(), 2, 5).AverageFilter(3, true);
    EXPECT_EQ(c, (Grey{0, 5, 0, 6, 1, 7, 84, 8, 250, 9}));

    Grey w = {1, 2, 3};
    TGrayImage narrow(w.data(), 3, 1);
    narrow.AverageFilter(5, false), narrow.AverageFilter(3, true); // longer than the line: nothing changes
    EXPECT_EQ(w, (Grey{1, 2, 3}));
}

TEST(ReaderLimitsTest, RawDescriptionsFarLargerThanTheFileOrWithoutPixelsAreRefused) {
    test::TempDir dir;
    const std::string a = dir.File("a.raw");
    test::WriteFileBytes(a, std::string(34, '\x7F'));
    const std::string tooShort = a + ": the file is too short for a RAW picture of ";
    // A file may lack as many bytes as it holds, and at least 64 KiB: 34 + 65536 pixels read, one more not.
    EXPECT_EQ(TGrayImage(Raw{a, 0, 65570, 1}).GetPixel(33, 0), 0x7F);
    const std::pair<Raw, std::string> refused[] = {
        {{a, 0, 8192, 8192}, tooShort + "8192 x 8192 (34 bytes after a header of 0)"},
        {{a, 1000, 300, 300}, tooShort + "300 x 300 (0 bytes after a header of 1000)"},
        {{a, 0, 1, 65571}, tooShort + "1 x 65571 (34 bytes after a header of 0)"},
        {{a, 0, 151584768, 8}, a + ": bad RAW image size 151584768 x 8"},
        {{a, 0, 0, 5}, a + ": bad RAW image size 0 x 5"},
        {{a, 0, 7, 0}, a + ": bad RAW image size 7 x 0"},
        {{a, 0, -3, 2}, a + ": bad RAW image size -3 x 2"},
        {{a, 0, 70000, 70000}, a + ": bad RAW image size 70000 x 70000"},
        {{a, -1, 2, 2}, a + ": bad RAW header size -1"},
    };
    for (const auto& [raw, message] : refused)
        EXPECT_EQ(ErrorText([&] { TGrayImage{raw}; }), message);
    // The bytes in memory are checked alike.
    EXPECT_EQ(ErrorText([&] { DecodeRaw(nullptr, 0, "m.raw", 0, 1, 65537); }),
              "m.raw: the file is too short for a RAW picture of 1 x 65537 (0 bytes after a header of 0)");
}
