// The readers when memory runs out, and how often they allocate a whole picture. This test program
// replaces the global allocation functions: a test can make every allocation from a given size on
// fail, or count them.
#include "image/FltFile.h"
#include "image/TGrayImage.h"
#include "support/BmpBuilder.h"
#include "support/ErrorText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> gFailFrom{0};  ///< allocations of at least this size fail; 0: none
std::atomic<std::size_t> gCountFrom{0}; ///< allocations of at least this size are counted; 0: none
std::atomic<int> gCounted{0};

void* Allocate(std::size_t n) noexcept {
    const std::size_t failFrom = gFailFrom.load(std::memory_order_relaxed);
    if (failFrom != 0 && n >= failFrom) return nullptr;
    const std::size_t countFrom = gCountFrom.load(std::memory_order_relaxed);
    if (countFrom != 0 && n >= countFrom) gCounted.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(n == 0 ? 1 : n);
}

void* AllocateOrThrow(std::size_t n) {
    if (void* p = Allocate(n)) return p;
    throw std::bad_alloc();
}

/// Sets a threshold for the lifetime of the guard.
struct Threshold {
    std::atomic<std::size_t>& value;
    Threshold(std::atomic<std::size_t>& v, std::size_t n) : value(v) { value = n; }
    ~Threshold() { value = 0; }
};

} // namespace

void* operator new(std::size_t n) {
    return AllocateOrThrow(n);
}
void* operator new[](std::size_t n) {
    return AllocateOrThrow(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

using namespace corvane;

namespace {

constexpr std::int32_t kWidth = 400, kHeight = 300;
constexpr std::size_t kPixels = static_cast<std::size_t>(kWidth) * kHeight;

/// A run-length coded 400 x 300 picture of under 3 KB: each row two runs and an end of line.
std::string SmallCodedBmp() {
    std::string codes;
    for (std::int32_t y = 0; y < kHeight; ++y)
        codes += std::string("\xFF\x01\x91\x02\x00\x00", 6);
    return test::BuildBmp({.Width = kWidth,
                           .Height = kHeight,
                           .Bits = 8,
                           .Compression = 1,
                           .Palette = {0, 0x404040, 0x808080},
                           .PixelBytes = codes + std::string("\x00\x01", 2)});
}

} // namespace

TEST(ReaderMemoryTest, EveryReaderSaysNotEnoughMemoryInOneWording) {
    test::TempDir dir;
    const std::string bmp = dir.File("coded.bmp"), raw = dir.File("p.raw"), flt = dir.File("m.flt");
    test::WriteFileBytes(bmp, SmallCodedBmp());
    test::WriteFileBytes(raw, std::string(kPixels, '\x10'));
    std::vector<float> values(kPixels, 1.5f);
    WriteFltFile(flt, {kWidth, kHeight}, values.data());
    ASSERT_EQ(TGrayImage(bmp).GetPixel(kWidth - 1, 0), 0x80);

    const Threshold fail(gFailFrom, kPixels); // the file bytes still fit; no whole picture does
    EXPECT_EQ(test::ErrorText([&] { TGrayImage{bmp}; }), bmp + ": not enough memory");
    EXPECT_EQ(test::ErrorText([&] {
                  TGrayImage(TGrayImage::RawDescription{raw, 0, kWidth, kHeight});
              }),
              raw + ": not enough memory");
    EXPECT_EQ(test::ErrorText([&] { ReadFltFile(flt); }), flt + ": not enough memory");
}

TEST(ReaderMemoryTest, ALoadedBmpIsHeldInTheDecodersBufferNotCopied) {
    test::TempDir dir;
    const std::string bmp = dir.File("coded.bmp");
    test::WriteFileBytes(bmp, SmallCodedBmp());
    TGrayImage image;
    {
        const Threshold count(gCountFrom, kPixels);
        gCounted = 0;
        image.LoadBmp(bmp);
        EXPECT_EQ(gCounted.load(), 1);
    }
    EXPECT_EQ(image.Size, static_cast<std::int32_t>(kPixels));
    EXPECT_EQ(image.GetPixel(254, 7), 0x40);
    EXPECT_EQ(image.GetPixel(255, 7), 0x80);
    image.SetWidth(3); // the image's own buffer again
    EXPECT_EQ(image.Size, 3 * kHeight);
    EXPECT_EQ(image.GetPixel(2, kHeight - 1), 0);
}
