// TIFF and PNG files that claim far more than they hold, or are damaged: each is refused with its own
// message, and (outside the sanitizer builds, whose shadow memory fills the address space) within a 256 MiB
// address-space limit, so that no allocation the file cannot fill is ever made, by our code or the
// libraries'.
#include "image/LargeBuffer.h"
#include "image/PictureFile.h"
#include "support/HandMadePictures.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CORVANE_SHADOW_MEMORY 1
#endif

using namespace corvane;
using test::BuildTiff;
using test::PngChunk;
using test::PngStart;
using test::StripFields;

namespace {

struct Hostile {
    std::string Name, Bytes, Message;
    bool OnlyUnderLimit = false; ///< it would allocate gigabytes without the limit
};

std::string Outcome(const Hostile& file) {
    try {
        DecodePictureGray(reinterpret_cast<const std::uint8_t*>(file.Bytes.data()), file.Bytes.size(),
                          file.Name, SixteenBitScaling::Range);
        return "decoded";
    } catch (const std::exception& e) {
        return e.what();
    }
}

std::vector<Hostile> HostileFiles() {
    std::vector<Hostile> files;
    const std::string end = PngChunk("IEND", "");
    const std::string idat = PngChunk("IDAT", std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8));
    // 65 bytes: one row of 2^31 - 1 grey pixels.
    files.push_back({"wide.png", PngStart(0x7FFFFFFF, 1, 8, 0) + idat + end,
                     "wide.png: picture too large (2147483647 x 1)"});
    // Exactly at the picture limit: one row of 2^30 16-bit RGB pixels, 6 GiB of row.
    const std::string row = PngStart(1u << 30, 1, 16, 2) + idat + end;
    files.push_back(
        {"row.png", row,
         "row.png: damaged PNG file (1073741824 x 1 pixels in " + std::to_string(row.size()) + " bytes)"});
    // 65 bytes whose text or profile chunk claims 2 GiB.
    for (const char* type : {"tEXt", "iCCP"}) {
        const std::string claim = std::string("\x7F\xFF\xFF\xF0", 4) + type + std::string(12, 'a');
        files.push_back({std::string(type) + ".png", PngStart(5, 3, 8, 0) + claim + end,
                         std::string(type) + ".png: damaged PNG file (chunk " + type +
                             " runs past the end of the file)"});
    }
    // A 32768 x 32768 16-bit RGB header padded with a private chunk to the size that could hold its
    // rows: it passes every check, and the 6 GiB of pixels are not to be had.
    files.push_back(
        {"limit.png",
         PngStart(32768, 32768, 16, 2) + PngChunk("prVt", std::string(6'300'000, '\0')) + idat + end,
         "limit.png: not enough memory", true});

    // 300 KB of uncompressed data for a 32768 x 32768 picture that needs 1 GiB of it.
    std::vector<test::TiffField> fields = StripFields(32768, 32768, 8, 1, 1u << 30);
    fields.push_back({262, 3, {1}});
    const std::string tall = BuildTiff(fields, std::string(300'000, '\0'));
    files.push_back(
        {"tall.tif", tall,
         "tall.tif: damaged TIFF file (32768 x 32768 pixels in " + std::to_string(tall.size()) + " bytes)"});
    // A 10 x 10 picture in one 65536 x 65536 tile, and one in 4096 x 16 deflate-coded tiles.
    for (const auto [tileWidth, tileHeight, compression] :
         {std::array<std::uint32_t, 3>{65536, 65536, 1}, {4096, 16, 8}}) {
        const std::vector<test::TiffField> fields = {
            {256, 4, {10}},          {257, 4, {10}}, {258, 3, {8}},
            {259, 3, {compression}}, {262, 3, {1}},  {322, 4, {tileWidth}},
            {323, 4, {tileHeight}},  {324, 4, {8}},  {325, 4, {100}}};
        const std::string tiled = BuildTiff(fields, std::string(100, '\0'));
        files.push_back({"tile.tif", tiled,
                         "tile.tif: damaged TIFF file (" + std::to_string(tileWidth) + " x " +
                             std::to_string(tileHeight) + " tiles in a 10 x 10 picture of " +
                             std::to_string(tiled.size()) + " bytes)"});
    }
    // Messages name the file once, and say what kinds are read.
    std::vector<test::TiffField> badPlanar = StripFields(3, 2, 8, 1, 6);
    badPlanar.push_back({284, 3, {9}});
    files.push_back({"/d/p.tif", BuildTiff(badPlanar, "abcdef"),
                     "/d/p.tif: damaged TIFF file (Bad value 9 for \"PlanarConfiguration\" tag)"});
    std::string signature = PngStart(3, 2, 8, 0);
    signature[4] = '\n'; // line ends changed in transfer
    files.push_back({"/d/p.png", signature, "/d/p.png: not a BMP, TIFF or PNG picture"});
    return files;
}

/// The files whose outcome is not their message, one line each.
std::string Mismatches(bool underLimit) {
    std::string text;
    for (const Hostile& file : HostileFiles())
        if (underLimit || !file.OnlyUnderLimit) {
            const std::string outcome = Outcome(file);
            if (outcome != file.Message) text += file.Name + ": " + outcome + "\n";
        }
    return text;
}

#ifndef CORVANE_SHADOW_MEMORY
/// In a child process: limits the address space to 256 MiB above what it uses now, decodes every
/// file, prints those whose outcome is not their message and exits with 0 when there were none.
[[noreturn]] void DecodeUnderLimitAndExit() {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t bound =
        static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{256} << 20);
    const rlimit limit{bound, bound};
    setrlimit(RLIMIT_AS, &limit);
    const std::string text = Mismatches(true);
    std::fputs(text.c_str(), stderr);
    std::exit(text.empty() ? 0 : 1);
}
#endif

} // namespace

TEST(PictureReaderBounds, FilesClaimingMoreThanTheyHoldAreRefusedBeforeAllocating) {
#ifdef CORVANE_SHADOW_MEMORY
    EXPECT_EQ(Mismatches(false), "");
#else
    EXPECT_EXIT(DecodeUnderLimitAndExit(), testing::ExitedWithCode(0), "");
#endif
}

TEST(PictureReaderBounds, AMapBufferWhoseRoundedSizeWrapsIsRefused) {
    // SIZE_MAX / 4 floats are SIZE_MAX - 3 bytes, which round up past SIZE_MAX to a few bytes.
    for (const std::size_t count : {SIZE_MAX / 4, SIZE_MAX / 4 - 100, SIZE_MAX / 2})
        EXPECT_THROW(AllocateLargeFloats(count), std::bad_alloc) << count;
}
