#include "dotgrid/CodeFile.h"

#include "dotgrid/TDotGridEncoder.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"

#include <cctype>
#include <charconv>
#include <new>

namespace corvane {

namespace {

/// The few scanf conversions the code file uses, over the file's text: each skips leading
/// white space and fails (consuming nothing more) when no number or word follows.
class CodeScanner {
  public:
    explicit CodeScanner(const std::vector<std::uint8_t>& text)
        : at_(reinterpret_cast<const char*>(text.data())), end_(at_ + text.size()) {}

    bool Word(std::string& word) {
        SkipSpace();
        const char* start = at_;
        while (at_ < end_ && !std::isspace(static_cast<unsigned char>(*at_)))
            ++at_;
        if (at_ == start) return false;
        word.assign(start, at_);
        return true;
    }
    bool Int(std::int32_t& value) {
        SkipSpace();
        const char* first = at_;
        if (first < end_ && *first == '+') ++first;
        auto [ptr, ec] = std::from_chars(first, end_, value);
        if (ec != std::errc()) return false;
        at_ = ptr;
        return true;
    }
    bool Float(float& value) {
        SkipSpace();
        const char* first = at_;
        if (first < end_ && *first == '+') ++first;
        auto [ptr, ec] = std::from_chars(first, end_, value);
        if (ec != std::errc() && ec != std::errc::result_out_of_range) return false;
        at_ = ptr;
        return true;
    }
    std::size_t Remaining() const { return static_cast<std::size_t>(end_ - at_); }

  private:
    const char* at_;
    const char* end_;
    void SkipSpace() {
        while (at_ < end_ && std::isspace(static_cast<unsigned char>(*at_)))
            ++at_;
    }
};

/// The shortest a dot row can be: six one-character fields and the blanks between them.
constexpr std::size_t kShortestRow = 11;
/// The largest coordinate table a code file may declare (cells of 4 bytes): half ranges of about
/// 2000 both ways, far beyond any lattice a picture holds.
constexpr std::int64_t kLargestTable = std::int64_t{1} << 24;

} // namespace

TCodeFile ReadCodeFile(const std::string& name) {
    const std::vector<std::uint8_t> text = ReadWholeFile(name, "Can not open the  code file: \n" + name);
    const std::string readError = "Read data error from code file: \n" + name;
    CodeScanner in(text);
    TCodeFile file;
    file.FileName = name;
    std::string magic;
    if (!in.Word(magic) || magic.compare(0, 7, "TAVM-FS") != 0 || magic.size() < 7)
        throw CorvaneError(name + "is not a code file!");
    if (!in.Int(file.Count) || !in.Int(file.Width) || !in.Int(file.Height) || !in.Int(file.MaxX) ||
        !in.Int(file.MaxY) || !in.Float(file.ScaleX) || !in.Float(file.ScaleY) || !in.Int(file.Background))
        throw CorvaneError(readError);
    // Nothing is allocated for counts or ranges the file cannot hold.
    if (file.Count < 0 || static_cast<std::size_t>(file.Count) > in.Remaining() / kShortestRow)
        throw CorvaneError(readError);
    if (file.MaxX < 0 || file.MaxY < 0 ||
        (2 * static_cast<std::int64_t>(file.MaxX) + 1) * (2 * static_cast<std::int64_t>(file.MaxY) + 1) >
            kLargestTable)
        throw CorvaneError(readError);
    try {
        file.Dots.resize(static_cast<std::size_t>(file.Count));
        file.Coordinates = std::make_unique<TCoordinateSystem>(file.MaxX, file.MaxY);
    } catch (const std::bad_alloc&) {
        throw CorvaneError("No enought memory to allocate dotinfo and coordinate");
    } catch (const CorvaneError&) {
        throw CorvaneError("No enought memory to allocate dotinfo and coordinate");
    }

    std::int32_t read = 0;
    for (std::int32_t k = 0; k < file.Count; ++k) {
        std::int32_t number = 0, nx = 0, ny = 0, area = 0;
        float x = 0.0f, y = 0.0f;
        if (!in.Int(number) || !in.Float(x) || !in.Float(y) || !in.Int(nx) || !in.Int(ny) || !in.Int(area))
            break;
        file.Coordinates->Set(nx, ny, k);
        TDotInfo& dot = file.Dots[static_cast<std::size_t>(k)];
        dot.Nx = nx;
        dot.Ny = ny;
        dot.Area = area;
        dot.Neted = dot.Coded = true;
        dot.X = x * file.ScaleX;
        dot.Y = y * file.ScaleY;
        ++read;
    }
    if (read < file.Count) throw CorvaneError(readError);
    in.Word(file.ImageName);
    return file;
}

void TDotGridEncoder::WriteCodeFile(const std::string& name) const {
    std::int32_t coded = 0;
    for (std::int32_t k = 0; k < FDotSum; ++k)
        if (FDotInfo[static_cast<std::size_t>(k)].Coded) ++coded;
    AtomicTextFile out(name);
    out.Printf("TAVM-FS\n%d %d %d\n", coded, WorkImage->Width, WorkImage->Height);
    out.Printf("%d  %d  %f  %f  %d\n", MaxX, MaxY, static_cast<double>(ScaleX), static_cast<double>(ScaleY),
               static_cast<int>(Background));
    for (std::int32_t k = 0; k < FDotSum; ++k) {
        const TDotInfo& dot = FDotInfo[static_cast<std::size_t>(k)];
        if (!dot.Coded) continue;
        out.Printf("%3d   %8.3f  %8.3f   %3d  %3d  %3d\n", k, static_cast<double>(dot.X),
                   static_cast<double>(dot.Y), dot.Nx, dot.Ny, dot.Area);
    }
    out.Printf("%s\n", WorkImage->FileName.c_str());
    out.Commit("file open error:Can create file " + name);
}

} // namespace corvane
