#include "dotgrid/CodeFile.h"

#include "dotgrid/TDotGridEncoder.h"
#include "image/CFormat.h"
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
    CodeScanner(const std::uint8_t* text, std::size_t size)
        : at_(reinterpret_cast<const char*>(text)), end_(at_ + size) {}

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
    /// The rest of the line after leading white space, trailing white space left out.
    bool RestOfLine(std::string& text) {
        SkipSpace();
        const char* start = at_;
        while (at_ < end_ && *at_ != '\n')
            ++at_;
        const char* last = at_;
        while (last > start && std::isspace(static_cast<unsigned char>(last[-1])))
            --last;
        if (last == start) return false;
        text.assign(start, last);
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
    return ParseCodeFile(text.data(), text.size(), name);
}

TCodeFile ParseCodeFile(const std::uint8_t* bytes, std::size_t size, const std::string& name,
                        std::vector<TCodeRow>* rows) {
    const std::string readError = "Read data error from code file: \n" + name;
    CodeScanner in(bytes, size);
    TCodeFile file;
    file.FileName = name;
    std::string magic;
    if (!in.Word(magic) || magic.compare(0, 7, "TAVM-FS") != 0 || magic.size() < 7)
        throw CorvaneError(name + " is not a code file!");
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
        if (rows) rows->push_back({number, x, y, nx, ny, area});
        ++read;
    }
    if (read < file.Count) throw CorvaneError(readError);
    // The picture's name is the whole last line: a name with blanks is kept whole.
    in.RestOfLine(file.ImageName);
    return file;
}

std::string CodeFileText(const TCodeFile& file, const std::vector<TCodeRow>& rows) {
    std::string text = FormatC("TAVM-FS\n%d %d %d\n", static_cast<int>(rows.size()), file.Width, file.Height);
    AppendFormatC(text, "%d  %d  %f  %f  %d\n", file.MaxX, file.MaxY, static_cast<double>(file.ScaleX),
                  static_cast<double>(file.ScaleY), file.Background);
    for (const TCodeRow& row : rows)
        AppendFormatC(text, "%3d   %8.3f  %8.3f   %3d  %3d  %3d\n", row.Number, static_cast<double>(row.X),
                      static_cast<double>(row.Y), row.Nx, row.Ny, row.Area);
    // The name as it is, not through "%s": a NUL in it would cut it.
    text += file.ImageName;
    text += '\n';
    return text;
}

TCodeFile TDotGridEncoder::CodeFileHeader(std::vector<TCodeRow>& rows) const {
    TCodeFile file;
    file.Width = WorkImage->Width;
    file.Height = WorkImage->Height;
    file.MaxX = MaxX;
    file.MaxY = MaxY;
    file.ScaleX = ScaleX;
    file.ScaleY = ScaleY;
    file.Background = Background;
    file.ImageName = WorkImage->FileName;
    rows.clear();
    for (std::int32_t k = 0; k < FDotSum; ++k) {
        const TDotInfo& dot = FDotInfo[static_cast<std::size_t>(k)];
        if (dot.Coded) rows.push_back({k, dot.X, dot.Y, dot.Nx, dot.Ny, dot.Area});
    }
    return file;
}

void TDotGridEncoder::WriteCodeFile(const std::string& name) const {
    std::vector<TCodeRow> rows;
    const TCodeFile file = CodeFileHeader(rows);
    AtomicTextFile out(name);
    out.Write(CodeFileText(file, rows));
    out.Commit("file open error:Can create file " + name);
}

} // namespace corvane
