#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace corvane {
namespace {

namespace fs = std::filesystem;

std::size_t EntriesIn(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(FileUtilTest, NamesAndExistence) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("a.BMP"), "x");
    EXPECT_TRUE(FileExists(dir.File("a.BMP")));
    EXPECT_FALSE(FileExists(dir.File("b.bmp")));
    EXPECT_FALSE(FileExists(dir.Path().string())); // a folder is not a picture file
    EXPECT_FALSE(FileExists(""));

    EXPECT_EQ(LowerExtension("C/pics/A.BMP"), ".bmp");
    EXPECT_EQ(LowerExtension("x.tar.GZ"), ".gz");
    EXPECT_EQ(LowerExtension("noext"), "");
    EXPECT_EQ(LowerExtension("folder.d/noext"), "");
    EXPECT_EQ(FileSizeOf(dir.File("a.BMP")), 1u);
    EXPECT_THROW(FileSizeOf(dir.File("b.bmp")), CorvaneError);
}

TEST(FileUtilTest, ReadingWholeFilesAndRanges) {
    test::TempDir dir;
    const std::string name = dir.File("data");
    test::WriteFileBytes(name, "0123456789");
    EXPECT_EQ(ReadWholeFile(name, "e").size(), 10u);
    EXPECT_EQ(ReadWholeFile(name, "e")[9], '9');

    char buf[8] = {};
    EXPECT_EQ(ReadFileAt(name, 2, buf, 3, "e"), 3u);
    EXPECT_EQ(std::string(buf, 3), "234");
    EXPECT_EQ(ReadFileAt(name, 7, buf, 8, "e"), 3u); // stops at the end of the file
    EXPECT_EQ(std::string(buf, 3), "789");
    EXPECT_EQ(ReadFileAt(name, 10, buf, 8, "e"), 0u);
    EXPECT_EQ(ReadFileAt(name, 1u << 31, buf, 8, "e"), 0u);

    // Folders and missing files are refused with the caller's message, never read as data.
    for (const std::string& bad : {dir.Path().string(), dir.File("missing")}) {
        EXPECT_THROW(ReadWholeFile(bad, "e"), CorvaneError);
        EXPECT_THROW(ReadFileAt(bad, 0, buf, 1, "e"), CorvaneError);
    }
}

TEST(FileUtilTest, AtomicWritesReplaceWholeOrNotAtAll) {
    test::TempDir dir;
    const std::string name = dir.File("out.txt");
    WriteFileAtomically(name, "first", 5, "fail");
    WriteFileAtomically(name, "second!", 7, "fail");
    EXPECT_EQ(test::ReadFileBytes(name), "second!");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);

    // A writer that fails half way, or throws, leaves the old file and no temporary file.
    auto halfThenFail = [](std::FILE* f) { return std::fputs("partial", f) >= 0 && false; };
    EXPECT_THROW(WriteFileAtomically(name, halfThenFail, "fail"), CorvaneError);
    auto throwing = [](std::FILE* f) -> bool {
        std::fputs("partial", f);
        throw std::runtime_error("writer broke");
    };
    EXPECT_THROW(WriteFileAtomically(name, throwing, "fail"), std::runtime_error);
    EXPECT_EQ(test::ReadFileBytes(name), "second!");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);

    // The target is a folder: refused, the folder untouched.
    fs::create_directory(dir.File("sub"));
    EXPECT_THROW(WriteFileAtomically(dir.File("sub"), "x", 1, "fail"), CorvaneError);
    EXPECT_TRUE(fs::is_directory(dir.File("sub")));
}

TEST(FileUtilTest, AtomicWriteThroughALinkKeepsTheLink) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("real.raw"), "old");
    fs::create_symlink(dir.File("real.raw"), dir.File("link.raw"));
    WriteFileAtomically(dir.File("link.raw"), "new", 3, "fail");
    EXPECT_TRUE(fs::is_symlink(dir.File("link.raw")));
    EXPECT_EQ(test::ReadFileBytes(dir.File("real.raw")), "new");
}

TEST(FileUtilTest, AtomicTextFileFormatsAndCommits) {
    test::TempDir dir;
    AtomicTextFile file(dir.File("t.dat"));
    file.Printf("%d %8.3f\n", 12, 2.5);
    file.Write("end");
    file.Printf("%s", "");
    EXPECT_EQ(file.Text(), "12    2.500\nend");
    file.Commit("fail");
    EXPECT_EQ(test::ReadFileBytes(dir.File("t.dat")), "12    2.500\nend");
    AtomicTextFile intoMissing(dir.File("no/t.dat"));
    EXPECT_THROW(intoMissing.Commit("fail"), CorvaneError);
}

} // namespace
} // namespace corvane
