// Writes the seed corpora of the fuzz targets: small valid files of every form the writers and the
// tests make, one folder per target. Usage: make_corpus FOLDER (normally fuzz/corpus).
#include "correlation/CorRelationConfig.h"
#include "dotgrid/CodeFile.h"
#include "image/BmpFile.h"
#include "image/ByteOrder.h"
#include "image/FltFile.h"
#include "image/RawFile.h"
#include "support/BmpBuilder.h"
#include "support/HandMadePictures.h"
#include "support/TiffPngPictures.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

using namespace corvane;
namespace fs = std::filesystem;

namespace {

fs::path root;

void Put(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(root / target);
    std::ofstream(root / target / name, std::ios::binary) << bytes;
}

std::string FromFile(const std::function<bool(std::FILE*)>& write) {
    std::FILE* f = std::tmpfile();
    if (!f || !write(f)) std::exit(1);
    std::string bytes(static_cast<std::size_t>(std::ftell(f)), '\0');
    std::rewind(f);
    if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::exit(1);
    std::fclose(f);
    return bytes;
}

std::vector<std::uint32_t> Ramp(unsigned n) {
    std::vector<std::uint32_t> palette;
    for (unsigned i = 0; i < n; ++i)
        palette.push_back((i * 255 / (n - 1)) * 0x010101u);
    return palette;
}

std::vector<std::uint32_t> Indices(std::size_t n, unsigned colours) {
    std::vector<std::uint32_t> v;
    for (std::size_t i = 0; i < n; ++i)
        v.push_back(static_cast<std::uint32_t>(i * 7 + i / 3) % colours);
    return v;
}

void Bmps() {
    const std::vector<std::uint8_t> grey = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    Put("bmp", "grey24.bmp", FromFile([&](std::FILE* f) { return WriteGrayBmp(f, grey.data(), 4, 3); }));
    const std::vector<std::uint8_t> rgb = {10, 20, 31, 255, 0, 0, 0, 0, 255, 1, 2, 3};
    Put("bmp", "rgb24.bmp", FromFile([&](std::FILE* f) { return WriteRgbBmp(f, rgb.data(), 6, 2, 2); }));
    for (std::uint16_t bits : {1, 2, 4, 8})
        for (std::int32_t height : {3, -3})
            Put("bmp", "pal" + std::to_string(bits) + (height < 0 ? "-topdown" : "") + ".bmp",
                test::BuildBmp({.Width = 5,
                                .Height = height,
                                .Bits = bits,
                                .Palette = Ramp(1u << bits),
                                .Pixels = Indices(15, 1u << bits)}));
    Put("bmp", "core1.bmp",
        test::BuildBmp({.Width = 9,
                        .Height = 2,
                        .Bits = 1,
                        .HeaderSize = 12,
                        .Palette = {0, 0xFFFFFF},
                        .Pixels = Indices(18, 2)}));
    Put("bmp", "os2-24.bmp",
        test::BuildBmp(
            {.Width = 3, .Height = 1, .HeaderSize = 16, .Pixels = {0x0A141F, 0x010101, 0xFEFEFE}}));
    Put("bmp", "rgb555.bmp",
        test::BuildBmp({.Width = 3, .Height = 1, .Bits = 16, .Pixels = {0x7FFF, 0x1F, 0x200}}));
    Put("bmp", "rgb565-masks.bmp",
        test::BuildBmp({.Width = 3,
                        .Height = 2,
                        .Bits = 16,
                        .Compression = 3,
                        .Masks = {0xF800, 0x7E0, 0x1F},
                        .MasksAfterHeader = true,
                        .Pixels = {0xFFFF, 0x7E0, 0xF81F, 0, 1, 2}}));
    Put("bmp", "rgb32.bmp",
        test::BuildBmp(
            {.Width = 2, .Height = 2, .Bits = 32, .Pixels = {0xEE0A141F, 0xFF, 0x00FF00, 0xFF0000}}));
    Put("bmp", "rgb32-v5-topdown.bmp",
        test::BuildBmp({.Width = 2,
                        .Height = -2,
                        .Bits = 32,
                        .HeaderSize = 124,
                        .Compression = 3,
                        .Masks = {0xFF000000, 0xFF0000, 0xFF00},
                        .Pixels = {0x0A141F00, 0xFF0000FF, 1, 2}}));
    Put("bmp", "rle8.bmp",
        test::BuildBmp(
            {.Width = 5,
             .Height = 3,
             .Bits = 8,
             .Compression = 1,
             .Palette = Ramp(16),
             .PixelBytes = std::string(
                 "\x02\x01\x00\x03\x02\x03\x04\x00\x00\x00\x00\x02\x01\x01\x03\x05\x00\x01", 18)}));
    Put("bmp", "rle4.bmp",
        test::BuildBmp({.Width = 10,
                        .Height = 1,
                        .Bits = 4,
                        .Compression = 2,
                        .Palette = Ramp(16),
                        .PixelBytes = std::string("\x03\x12\x00\x05\x34\x56\x70\x00\x09\x77\x00\x01", 12)}));
}

void Raws() {
    auto raw = [](std::int32_t header, std::int32_t width, std::int32_t height, const std::string& file) {
        std::string bytes(12, '\0');
        WriteU32LE(reinterpret_cast<std::uint8_t*>(bytes.data()), static_cast<std::uint32_t>(header));
        WriteU32LE(reinterpret_cast<std::uint8_t*>(bytes.data()) + 4, static_cast<std::uint32_t>(width));
        WriteU32LE(reinterpret_cast<std::uint8_t*>(bytes.data()) + 8, static_cast<std::uint32_t>(height));
        return bytes + file;
    };
    const std::vector<std::uint8_t> pixels = {1, 2, 3, 4, 5, 6};
    auto written = [&](std::int32_t header) {
        return FromFile([&](std::FILE* f) { return WriteRaw(f, header, pixels.data(), pixels.size()); });
    };
    Put("raw", "plain.raw", raw(0, 3, 2, written(0)));
    Put("raw", "header4.raw", raw(4, 2, 3, written(4)));
    Put("raw", "short.raw", raw(6, 3, 3, written(4)));
    Put("raw", "square.raw", raw(0, 16, 16, std::string(256, '\x80')));
}

void Flts() {
    auto flt = [](FltHeader h, const std::vector<float>& values) {
        const std::vector<std::uint8_t> bytes = EncodeFlt(h, values.data());
        return std::string(bytes.begin(), bytes.end());
    };
    Put("flt", "pair.flt", flt({2, 1}, {1.0f, -2.5f}));
    Put("flt", "phase.flt",
        flt({.Width = 3, .Height = 2, .ScaleX = 0.5f, .ScaleY = 2.0f},
            {-3.14159f, 0.0f, 3.14159f, 1000.0f, 1e-20f, -0.0f}));
    const float inf = std::numeric_limits<float>::infinity();
    Put("flt", "special.flt",
        flt({.Width = 2, .Height = 2, .ValueScale = 3.0f, .Reserved = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
            {std::nanf(""), inf, -inf, std::numeric_limits<float>::denorm_min()}) +
            "trailing bytes");
}

void Configs() {
    const fs::path file = root / "config" / "default.cor";
    fs::create_directories(file.parent_path());
    GenerateConfigFile(file.string());
    TCorRelationPara p = ReadConfigFile(file.string())[0];
    p.FastCompute = 1;
    p.OutputBin = p.OutputGray = 1;
    p.GrayXFile = "dx.bmp";
    p.BinYFile = "dy.flt";
    p.SeedPrecision = 0.125f;
    p.ScaleX = 0.0125f;
    const std::string one = ConfigFileText(p);
    Put("config", "written.cor", one);
    std::string three = "HowManyGroup =3\n";
    for (int k = 0; k < 3; ++k)
        three += one.substr(one.find('\n') + 1);
    Put("config", "three-groups.cor", three);
    std::string crlf;
    for (char c : one)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Put("config", "crlf.cor", crlf);
}

void CodeFiles() {
    TCodeFile file;
    file.Width = 64;
    file.Height = 48;
    file.MaxX = 50;
    file.MaxY = 50;
    file.ImageName = "grid.bmp";
    const std::vector<TCodeRow> rows = {{0, 10.5f, 12.25f, 0, 0, 21},
                                        {1, 20.5f, 12.0f, 1, 0, 20},
                                        {3, 10.0f, 22.75f, 0, -1, 19},
                                        {4, 20.25f, 22.5f, 1, -1, 22}};
    Put("codefile", "four.cod", CodeFileText(file, rows));
    file.ScaleX = 0.01f;
    file.ScaleY = 0.02f;
    file.Background = 255;
    file.MaxX = file.MaxY = 3;
    file.ImageName = "/data/black grid.bmp";
    Put("codefile", "scaled-black.cod", CodeFileText(file, {{7, 1.0f, 2.0f, -3, 3, 5}}));
    Put("codefile", "empty.cod", CodeFileText(file, {}));
}

// TIFF and PNG written by the system's libraries: 8 and 16 bits, grey and colour, each TIFF
// compression, strips and tiles, planar, two pages; PNG grey, colour, 16-bit and interlaced.
void TiffAndPngPictures() {
    using test::MakeSamplePicture;
    fs::create_directories(root / "tiff");
    fs::create_directories(root / "png");
    const auto grey8 = MakeSamplePicture(7, 5, 8, 1, [](int x, int y, int) { return x * 30 + y * 7; });
    const auto grey16 = MakeSamplePicture(6, 4, 16, 1, [](int x, int y, int) { return x * 9000 + y * 129; });
    const auto rgb8 =
        MakeSamplePicture(5, 3, 8, 3, [](int x, int y, int c) { return (x * 50 + y * 20 + c * 80) % 256; });
    const auto rgb16 =
        MakeSamplePicture(4, 3, 16, 3, [](int x, int y, int c) { return x * 16000 + y * 300 + c; });
    const auto file = [&](const char* target, const char* name) { return (root / target / name).string(); };
    test::WriteTiffPicture(file("tiff", "grey8-none.tif"), grey8);
    test::WriteTiffPicture(file("tiff", "grey16-lzw.tif"), grey16, {.Compression = 5});
    test::WriteTiffPicture(file("tiff", "rgb8-deflate.tif"), rgb8, {.Compression = 8});
    test::WriteTiffPicture(file("tiff", "grey8-packbits-white.tif"), grey8,
                           {.Compression = 32773, .MinIsWhite = true});
    test::WriteTiffPicture(file("tiff", "rgb16-planar-tiled.tif"), rgb16, {.Planar = true, .Tiled = true});
    test::WriteTiffPicture(file("tiff", "grey8-two-pages.tif"), grey8, {.Pages = 2});
    test::WritePngPicture(file("png", "grey8.png"), grey8);
    test::WritePngPicture(file("png", "grey16.png"), grey16);
    test::WritePngPicture(file("png", "rgb8-interlaced.png"), rgb8, true);
    test::WritePngPicture(file("png", "rgb16.png"), rgb16);
}

// Files that claim more than they hold, and kinds read by unpacking samples: the shapes an
// oversized allocation or a refused valid file came from. All of them a few hundred bytes.
void HandMadeTiffAndPng() {
    using test::BuildTiff;
    using test::PngChunk;
    using test::PngStart;
    const std::string end = PngChunk("IEND", "");
    const std::string idat = PngChunk("IDAT", std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8));
    Put("png", "huge-width.png", PngStart(0x7FFFFFFF, 1, 8, 0) + idat + end);
    Put("png", "row-at-limit.png", PngStart(1u << 30, 1, 16, 2) + idat + end);
    Put("png", "huge-text-chunk.png",
        PngStart(5, 3, 8, 0) + std::string("\x7F\xFF\xFF\xF0tEXt", 8) + std::string(12, 'a') + end);
    Put("png", "huge-profile-chunk.png",
        PngStart(5, 3, 8, 0) + std::string("\x50\x00\x00\x00iCCP", 8) + std::string(12, 'a') + end);

    auto field = [](std::uint16_t tag, std::uint32_t v) { return test::TiffField{tag, 4, {v}}; };
    // 2048 x 2048 uncompressed in 1100 bytes; a 10 x 10 picture in a 65536 x 65536 tile.
    std::vector<test::TiffField> tall = test::StripFields(2048, 2048, 8, 1, 1u << 22);
    tall.push_back(field(262, 1));
    Put("tiff", "uncompressed-overclaim.tif", BuildTiff(tall, std::string(1100, '\x40')));
    Put("tiff", "huge-tile.tif",
        BuildTiff({field(256, 10), field(257, 10), field(258, 8), field(259, 1), field(262, 1),
                   field(322, 65536), field(323, 65536), field(324, 8), field(325, 100)},
                  std::string(100, '\x11')));
    // 20 x 18 pictures in 16 x 16 tiles of 1, 2 and 4 bits (the 2-bit one turned), and of a 4-bit palette.
    const auto value = [](std::uint32_t x, std::uint32_t y) { return x * 7 + y * 3 + x * y; };
    for (const std::uint16_t bits : {1, 2, 4})
        Put("tiff", "grey" + std::to_string(bits) + "-tiles.tif",
            test::PackedTiff(20, 18, bits, 16,
                             [&](std::uint32_t x, std::uint32_t y) { return value(x, y) % (1u << bits); },
                             {field(262, 1), field(274, bits == 2 ? 6 : 1)}));
    std::vector<std::uint32_t> map(48);
    for (std::uint32_t i = 0; i < 48; ++i)
        map[i] = i * 1361 % 65536;
    Put("tiff", "palette4-tiles.tif",
        test::PackedTiff(20, 18, 4, 16, [&](std::uint32_t x, std::uint32_t y) { return value(x, y) % 16; },
                         {field(262, 3), {320, 3, map}}));
    // Signed 16-bit grey, turned by its orientation.
    std::vector<test::TiffField> signedGrey = test::StripFields(3, 2, 16, 1, 12);
    signedGrey.insert(signedGrey.end(), {field(262, 1), field(274, 8), {339, 3, {2}}});
    Put("tiff", "signed16-left-bottom.tif",
        BuildTiff(signedGrey, std::string("\x00\x80\xff\xff\x00\x00\xff\x7f\x01\x00\x34\x12", 12)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus FOLDER\n");
        return 2;
    }
    root = argv[1];
    Bmps();
    Raws();
    Flts();
    Configs();
    CodeFiles();
    TiffAndPngPictures();
    HandMadeTiffAndPng();
    return 0;
}
