#include "image/CorvaneError.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <vector>

using corvane::CorvaneError;
using corvane::TFloatImage;
using corvane::TGrayImage;
using corvane::test::ReadFileBytes;
using corvane::test::TempDir;
using corvane::test::WriteFileBytes;

namespace {

std::string Int32Bytes(std::int32_t v) {
    std::string s(4, '\0');
    std::memcpy(s.data(), &v, 4);
    return s;
}

std::string FloatBytes(float v) {
    std::string s(4, '\0');
    std::memcpy(s.data(), &v, 4);
    return s;
}

/// An FLT file written byte by byte: header, then the values.
std::string FltBytes(std::int32_t w, std::int32_t h, const std::vector<float>& values,
                     const std::string& reserved = std::string(10, '\0')) {
    std::string s = Int32Bytes(w) + Int32Bytes(h) + FloatBytes(0.5f) + FloatBytes(0.25f) + FloatBytes(2.0f) + reserved;
    for (float v : values) s += FloatBytes(v);
    return s;
}

/// A map of the given size whose pixel (x, y) holds f(x, y).
template <class F>
std::unique_ptr<TFloatImage> MakeMap(int w, int h, F f) {
    auto map = std::make_unique<TFloatImage>(nullptr, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) map->SetPixel(x, y, static_cast<float>(f(x, y)));
    return map;
}

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CorvaneError& e) {
        return e.what();
    }
    return "(no error)";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

/// Writes a grey BMP whose pixel (x, y) holds f(x, y).
template <class F>
void WriteMask(const std::string& name, int w, int h, F f) {
    TGrayImage mask(nullptr, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) mask.SetPixel(x, y, static_cast<std::uint8_t>(f(x, y)));
    mask.SaveBmp(name);
}

} // namespace

TEST(TFloatImageFile, SavedMapReadsBackBitForBitHeaderIncluded) {
    TempDir dir;
    const std::string reserved = "R\x01\x02\x03\x04\x05\x06\x07\x08\xff";
    const std::string original = FltBytes(3, 2, {1.5f, -2.0f, 3.25f, 0.0f, -0.0f, 1e30f}, reserved);
    WriteFileBytes(dir.File("in.flt"), original + "trailing bytes are ignored");

    TFloatImage map(dir.File("in.flt"));
    EXPECT_EQ(map.Width, 3);
    EXPECT_EQ(map.Height, 2);
    EXPECT_EQ(map.ScaleX, 0.5f);
    EXPECT_EQ(map.ScaleY, 0.25f);
    EXPECT_EQ(map.ValueScale, 2.0f);
    EXPECT_EQ(map.FileName, dir.File("in.flt"));
    EXPECT_EQ(map.GetPixel(2, 0), 3.25f);
    EXPECT_EQ(map.GetPixel(2, 1), 1e30f);
    map.SaveFlt(dir.File("out.flt"));
    EXPECT_EQ(ReadFileBytes(dir.File("out.flt")), original);

    // A map made in memory writes zeros into the reserved bytes; 2 x 1 is 38 bytes.
    TFloatImage small(nullptr, 2, 1);
    small.SetPixel(1, 0, 7.0f);
    small.SaveFlt(dir.File("small.flt"));
    std::string expected = Int32Bytes(2) + Int32Bytes(1) + FloatBytes(1.0f) + FloatBytes(1.0f) + FloatBytes(1.0f) +
                           std::string(10, '\0') + FloatBytes(0.0f) + FloatBytes(7.0f);
    EXPECT_EQ(ReadFileBytes(dir.File("small.flt")), expected);
    EXPECT_EQ(expected.size(), 38u);
}

TEST(TFloatImageFile, DamagedFilesAreRefusedAndLeaveTheMapAsItWas) {
    TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"short.flt", std::string(29, '\0'), "shorter than its 30-byte header"},
        {"negative.flt", FltBytes(-2, 1, {1.0f, 2.0f}), "invalid float image size -2 x 1"},
        {"overflow.flt", FltBytes(0x7fffffff, 0x7fffffff, {}), "invalid float image size"},
        {"huge.flt", FltBytes(65536, 65536, {}), "invalid float image size"},
        {"truncated.flt", FltBytes(3, 2, {1, 2, 3, 4, 5}), "fewer values than a float image of 3 x 2"},
    };
    auto map = MakeMap(2, 2, [](int x, int y) { return x + 10 * y; });
    map->FileName = "kept.flt";
    for (const Case& c : cases) {
        WriteFileBytes(dir.File(c.name), c.bytes);
        const std::string message = MessageOf([&] { map->LoadFlt(dir.File(c.name)); });
        EXPECT_NE(message.find(c.message), std::string::npos) << c.name << ": " << message;
        EXPECT_EQ(map->Width, 2);
        EXPECT_EQ(map->Height, 2);
        EXPECT_EQ(map->FileName, "kept.flt");
        EXPECT_EQ(map->GetPixel(1, 1), 11.0f);
    }
    EXPECT_EQ(MessageOf([&] { TFloatImage missing(dir.File("none.flt")); }),
              dir.File("none.flt") + ": can not open the file");
}

TEST(TFloatImageFile, FailedSaveIsReported) {
    TempDir dir;
    auto map = MakeMap(2, 1, [](int x, int) { return x; });
    EXPECT_EQ(MessageOf([&] { map->SaveFlt(dir.File("no/such/map.flt")); }),
              "Can not save the float image to " + dir.File("no/such/map.flt"));
}

TEST(TFloatImage, PixelAccessOutsideTheMapIsRefused) {
    TFloatImage map(nullptr, 2, 1);
    EXPECT_EQ(MessageOf([&] { map.GetPixel(-1, 0); }), "(-1,0) not in the image");
    EXPECT_EQ(MessageOf([&] { map.SetPixel(2, 0, 1.0f); }), "(2,0) not in the image");
    EXPECT_EQ(MessageOf([&] { map.GetPixel(0, 1); }), "(0,1) not in the image");
}

TEST(TFloatImageGray, MinMaxScalingAndItsTwoRestrictedForms) {
    std::unique_ptr<TGrayImage> gray;
    auto constant = MakeMap(3, 2, [](int, int) { return 4.5; });
    constant->ToGrayImage(gray);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(gray->Data[i], 0);

    const float pi = 3.14159265f;
    auto phase = MakeMap(3, 1, [pi](int x, int) { return (x - 1) * pi; });
    phase->ToGrayImage(gray);
    EXPECT_EQ(gray->Width, 3);
    EXPECT_EQ(gray->GetPixel(0, 0), 0);
    EXPECT_EQ(gray->GetPixel(1, 0), 127);
    EXPECT_EQ(gray->GetPixel(2, 0), 255);

    // -100 is the background: it takes no part and shows black.
    auto background = MakeMap(4, 1, [](int x, int) { return x == 0 ? -100.0 : x * 10.0; });
    background->ToGrayImage(gray, -100.0f);
    EXPECT_EQ(gray->GetPixel(0, 0), 0);
    EXPECT_EQ(gray->GetPixel(1, 0), 0);
    EXPECT_EQ(gray->GetPixel(2, 0), 127);
    EXPECT_EQ(gray->GetPixel(3, 0), 255);

    TGrayImage mask(nullptr, 4, 1);
    mask.SetPixel(1, 0, 255);
    mask.SetPixel(2, 0, 255);
    mask.SetPixel(3, 0, 254);
    background->ToGrayImage(gray, mask);
    EXPECT_EQ(gray->GetPixel(0, 0), 0);
    EXPECT_EQ(gray->GetPixel(1, 0), 0);
    EXPECT_EQ(gray->GetPixel(2, 0), 255);
    EXPECT_EQ(gray->GetPixel(3, 0), 0);

    TGrayImage wrongMask(nullptr, 3, 1);
    TGrayImage* before = gray.get();
    EXPECT_THROW(background->ToGrayImage(gray, wrongMask), CorvaneError);
    EXPECT_EQ(gray.get(), before);
}

TEST(TFloatImageFill, RectanglesAndCirclesInsideAndOutside) {
    auto map = MakeMap(4, 3, [](int, int) { return 1.0; });
    map->FillRect(9.0f, -5, -5, 10, 10, false);
    EXPECT_EQ(map->SumRect(0, 0, 3, 2), 12.0f);

    map->FillRect(2.0f, 2, 1, 99, 1, true); // clipped at the right edge
    EXPECT_EQ(map->SumRect(0, 1, 3, 1), 1.0f + 1.0f + 2.0f + 2.0f);
    map->FillRect(0.0f, 1, 0, 2, 1, false);
    EXPECT_EQ(map->SumRect(0, 0, 3, 2), 1.0f + 1.0f + 1.0f + 2.0f);
    EXPECT_EQ(map->GetPixel(0, 0), 0.0f);
    EXPECT_EQ(map->GetPixel(3, 2), 0.0f);
    EXPECT_EQ(map->SumRect(0, 2, 3, 1), 0.0f);

    auto disc = MakeMap(5, 5, [](int, int) { return 0.0; });
    disc->FillCircle(1.0f, 2, 2, 0.0, true);
    EXPECT_EQ(disc->SumRect(0, 0, 4, 4), 1.0f);
    EXPECT_EQ(disc->GetPixel(2, 2), 1.0f);
    disc->FillCircle(3.0f, 2, 2, 1.0, false); // distance above 1: everything but the plus sign
    EXPECT_EQ(disc->SumRect(0, 0, 4, 4), 1.0f + 20 * 3.0f);
    disc->FillCircle(5.0f, -3, -3, 0.0, true); // centre raised to (0, 0)
    EXPECT_EQ(disc->GetPixel(0, 0), 5.0f);
}

TEST(TFloatImageListing, StepsClippingAndMask) {
    TempDir dir;
    auto map = MakeMap(5, 5, [](int x, int y) { return x + 0.5 * y; });
    map->ScaleX = 0.5f;
    map->ScaleY = 2.0f;
    map->Output3DDat(dir.File("all.dat"), dir.File("nomask.bmp"), 0, 0, 4, 4, 2, 2);
    std::vector<std::string> lines = Lines(ReadFileBytes(dir.File("all.dat")));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "      0.00000000       0.00000000       0.00000000 ");
    EXPECT_EQ(lines[1], "      1.00000000       0.00000000       2.00000000 ");
    EXPECT_EQ(lines[3], "      0.00000000       4.00000000       1.00000000 ");
    EXPECT_FALSE(map->HasMask);

    map->Output3DDat(dir.File("clip.dat"), "", 3, 4, 100, 100, 1, 1);
    lines = Lines(ReadFileBytes(dir.File("clip.dat")));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "      2.00000000       8.00000000       6.00000000 ");

    WriteMask(dir.File("mask.bmp"), 5, 5, [](int x, int y) { return x == y ? 255 : 128; });
    map->Output3DDat(dir.File("mask.dat"), dir.File("mask.bmp"), 0, 0, 4, 4, 1, 1);
    EXPECT_EQ(Lines(ReadFileBytes(dir.File("mask.dat"))).size(), 5u);
    EXPECT_TRUE(map->HasMask);
    EXPECT_EQ(map->MaskFileName, dir.File("mask.bmp"));

    WriteMask(dir.File("small.bmp"), 4, 5, [](int, int) { return 255; });
    EXPECT_THROW(map->Output3DDat(dir.File("bad.dat"), dir.File("small.bmp"), 0, 0, 4, 4, 1, 1), CorvaneError);
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.dat")));

    EXPECT_EQ(MessageOf([&] { map->Output3DDat(dir.File("no/such/dir.dat"), "", 0, 0, 1, 1, 1, 1); }),
              "Can not output 3d dat to " + dir.File("no/such/dir.dat"));
}

TEST(TFloatImageListing, DecimalPointUnderACommaLocale) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE"))
        GTEST_SKIP() << "no comma-decimal locale installed";
    TempDir dir;
    auto map = MakeMap(1, 1, [](int, int) { return 1.25; });
    map->Output3DDat(dir.File("de.dat"), "", 0, 0, 0, 0, 1, 1);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(ReadFileBytes(dir.File("de.dat")), "      0.00000000       0.00000000       1.25000000 \n");
}

TEST(TFloatImageShift, FringeOrderValueShiftAndScale) {
    const double twoPi = 2 * 3.1415926535899;
    auto map = MakeMap(2, 1, [](int x, int) { return x == 0 ? 7.0 : -4.0; });
    map->SetFringeOrder(0, 0, 0);
    EXPECT_FLOAT_EQ(map->GetPixel(0, 0), static_cast<float>(7.0 - twoPi));
    EXPECT_FLOAT_EQ(map->GetPixel(1, 0), static_cast<float>(-4.0 - twoPi));

    auto other = MakeMap(2, 1, [](int x, int) { return x == 0 ? 7.0 : -4.0; });
    other->SetFringeOrder(1, 0, 0);
    EXPECT_FLOAT_EQ(other->GetPixel(1, 0), static_cast<float>(-4.0 + twoPi));
    other->SetFringeOrder(1, 0, 2); // from order 0 to order 2
    EXPECT_FLOAT_EQ(other->GetPixel(1, 0), static_cast<float>(-4.0 + 3 * twoPi));

    other->ShiftToValue(1, 0, 1.0f);
    EXPECT_EQ(other->GetPixel(1, 0), 1.0f);
    EXPECT_NEAR(other->GetPixel(0, 0), 12.0f, 1e-5);

    other->Multiply(-2.0f);
    other->Multiply(3.0f);
    EXPECT_NEAR(other->GetPixel(0, 0), -72.0f, 1e-4);
    EXPECT_EQ(other->ValueScale, -6.0f);
    EXPECT_THROW(other->SetFringeOrder(2, 0, 0), CorvaneError);
}

TEST(TFloatImageBlock, MoveBlockCentresTheBlockAndAFailingMoveChangesNothing) {
    auto map = MakeMap(7, 5, [](int x, int y) { return 1 + x + 10 * y; });
    map->MoveBlock(1, 1, 2, 3, 4, 2); // width 2 becomes 3
    EXPECT_EQ(map->SumRect(0, 0, 6, 4), map->SumRect(3, 1, 5, 3));
    EXPECT_EQ(map->GetPixel(3, 1), 1.0f);
    EXPECT_EQ(map->GetPixel(5, 3), 23.0f);
    EXPECT_EQ(map->GetPixel(0, 0), 0.0f);

    auto kept = MakeMap(7, 5, [](int x, int y) { return 1 + x + 10 * y; });
    EXPECT_EQ(MessageOf([&] { kept->MoveBlock(3, 2, 3, 3, 6, 2); }), "(7,1) not in the image");
    EXPECT_EQ(MessageOf([&] { kept->MoveBlock(0, 2, 3, 3, 3, 2); }), "(-1,1) not in the image");
    EXPECT_EQ(kept->GetPixel(0, 0), 1.0f);
}

TEST(TFloatImageMask, ApplyMaskFileSetsTheBlackPartAndRefusesAnotherSize) {
    TempDir dir;
    WriteMask(dir.File("mask.bmp"), 3, 2, [](int x, int) { return x == 1 ? 0 : 255; });
    auto map = MakeMap(3, 2, [](int x, int y) { return x + 3 * y; });
    map->ApplyMaskFile(-1.0f, dir.File("mask.bmp"));
    EXPECT_TRUE(map->HasMask);
    EXPECT_EQ(map->MaskValue, -1.0f);
    EXPECT_EQ(map->GetPixel(1, 0), -1.0f);
    EXPECT_EQ(map->GetPixel(1, 1), -1.0f);
    EXPECT_EQ(map->GetPixel(2, 1), 5.0f);

    auto other = MakeMap(2, 2, [](int, int) { return 3.0; });
    EXPECT_THROW(other->ApplyMaskFile(0.0f, dir.File("mask.bmp")), CorvaneError);
    EXPECT_FALSE(other->HasMask);
    EXPECT_EQ(other->SumRect(0, 0, 1, 1), 12.0f);
}
