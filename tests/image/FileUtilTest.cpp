// Files replaced atomically, numbers stored least significant byte first, C formats whatever the locale.
#include "image/FileUtil.h"
#include "image/ByteOrder.h"
#include "image/CFormat.h"
#include "image/CorvaneError.h"
#include "support/CommaDecimalLocale.h"
#include "support/ErrorText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <stdexcept>

using namespace corvane;
namespace fs = std::filesystem;

TEST(FileUtilTest, ReadsStopAtTheEndRefuseFoldersAndNumbersAreStoredLittleEndian) {
    test::TempDir dir;
    const std::string name = dir.File("data");
    test::WriteFileBytes(name, "0123456789");
    EXPECT_EQ(FileSizeOf(name), 10u);
    char buf[8] = {};
    EXPECT_EQ(ReadFileAt(name, 7, buf, 8, "e"), 3u);
    EXPECT_EQ(std::string(buf, 3), "789");
    EXPECT_EQ(ReadFileAt(name, 1u << 31, buf, 8, "e"), 0u);
    // Folders and missing files are refused with the caller's message, never read as data.
    EXPECT_FALSE(FileExists(dir.Path().string()));
    for (const std::string& bad : {dir.Path().string(), dir.File("missing")}) {
        EXPECT_EQ(test::ErrorText([&] { ReadWholeFile(bad, "e"); }), "e");
        EXPECT_THROW(ReadFileAt(bad, 0, buf, 1, "e"), CorvaneError);
    }
    using Bytes = std::array<std::uint8_t, 4>;
    Bytes b{};
    WriteU32LE(b.data(), 0x12345678u);
    EXPECT_EQ(b, (Bytes{0x78, 0x56, 0x34, 0x12}));
    WriteU16LE(b.data(), 0xBEEF);
    EXPECT_EQ(b, (Bytes{0xEF, 0xBE, 0x34, 0x12}));
    WriteF32LE(b.data(), 1.0f); // 0x3F800000: a file written here reads the same on any machine
    EXPECT_EQ(b, (Bytes{0x00, 0x00, 0x80, 0x3F}));
}

TEST(FileUtilTest, AtomicWritesReplaceWholeOrNotAtAll) {
    test::TempDir dir;
    const std::string name = dir.File("out.txt");
    WriteFileAtomically(name, "first", 5, "fail");
    AtomicTextFile text(name);
    text.Printf("%d %8.3f\n", 12, 2.5);
    text.Write("end");
    text.Commit("fail");
    EXPECT_EQ(test::ReadFileBytes(name), "12    2.500\nend");

    // A writer that fails half way, or throws, leaves the old file and no temporary file.
    auto halfThenFail = [](std::FILE* f) { return std::fputs("partial", f) >= 0 && false; };
    EXPECT_THROW(WriteFileAtomically(name, halfThenFail, "fail"), CorvaneError);
    auto throwing = [](std::FILE* f) -> bool {
        std::fputs("partial", f);
        throw std::runtime_error("writer broke");
    };
    EXPECT_THROW(WriteFileAtomically(name, throwing, "fail"), std::runtime_error);
    EXPECT_EQ(test::ReadFileBytes(name), "12    2.500\nend");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);

    // A folder as target is refused and stays; a missing folder fails.
    fs::create_directory(dir.File("sub"));
    EXPECT_THROW(WriteFileAtomically(dir.File("sub"), "x", 1, "fail"), CorvaneError);
    EXPECT_TRUE(fs::is_directory(dir.File("sub")));
    EXPECT_THROW(AtomicTextFile(dir.File("no/t.dat")).Commit("fail"), CorvaneError);

    // Through a link: the link stays and the file it names is replaced.
    fs::create_symlink(name, dir.File("link.txt"));
    WriteFileAtomically(dir.File("link.txt"), "new", 3, "fail");
    EXPECT_TRUE(fs::is_symlink(dir.File("link.txt")));
    EXPECT_EQ(test::ReadFileBytes(name), "new");
}

// Long text is neither cut nor doubled; numbers keep their decimal point under a comma locale, and
// the process locale is left as it was.
TEST(CFormatTest, LongTextAndNumbersUnderACommaLocale) {
    const std::string name(1000, 'n');
    std::string text = "head ";
    AppendFormatC(text, "[%s] %.1f", name.c_str(), 3.0);
    EXPECT_EQ(text, "head [" + name + "] 3.0");
    EXPECT_EQ(FormatC("%s", name.c_str()), name);
    EXPECT_EQ(FormatC("%s", ""), "");
    test::CommaDecimalLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale on this machine";
    EXPECT_EQ(FormatC("%8.3f|%g|%d", 1.5, 0.25, -7), "   1.500|0.25|-7");
    text = "x=";
    AppendFormatC(text, " %15.8f ", 2.0);
    EXPECT_EQ(text, "x=      2.00000000 ");
    EXPECT_EQ(*std::localeconv()->decimal_point, ',');
}
