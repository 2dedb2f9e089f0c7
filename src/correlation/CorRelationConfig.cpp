#include "correlation/CorRelationConfig.h"

#include "image/CFormat.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <variant>

namespace corvane {

namespace {

const char* const kReadError = "Read CorRelation Config file ERROR!!!";

// The count line and the 28 lines of one group, in file order. The same text is the printf format
// of the writer and the scan pattern of the reader, so the two cannot drift apart.
const char* const kCountLine = "HowManyGroup =%d\n";
constexpr std::array<const char*, 28> kGroupLines = {
    "FastCompute(0=no, 1=yes) =%d\n",
    "ChangeYaxis(0=no, 1=change) =%d\n",
    "Initial File =%s\n",
    "Deformed File =%s\n",
    "x and y Displacement File =%s\n",
    "theta and r Displacement File =%s\n",
    "General Information File =%s\n",
    "Mask Special Area File =%s\n",
    "???Output Gray files of dx and dy(0=not, 1=yes) =%d\n",
    "???x-direction displace save as gray file=%s\n",
    "???y-direction displace save as gray file=%s\n",
    "???Output Bin float files of dx and dy(0=not, 1=yes) =%d\n",
    "???x-direction displace save as bin file=%s\n",
    "???y-direction displace save as bin file=%s\n",
    "WinMoving Range x, y =%d  %d\n",
    "Large Window Size x, y =%d  %d\n",
    "???Searching Window Size x, y =%d  %d\n",
    "Seed Number in x and y direction =%d  %d\n",
    "Seed About Displacement x, y =%d %d\n",
    "Seed searching precision =%f\n",
    "Searching Range Left, Up, Right, Bottom =%d %d  %d  %d\n",
    "Displacement Amplitude(Limited) =%f \n",
    "???Output Grid x, y=%d %d\n",
    "Output data's Left and up coordinate(x  y) =%d  %d\n",
    "Scale x, y =%f  %f\n",
    "???Filter type(0=none, 1=average,  2=medium) =%d\n",
    "???Average Threshold =%f\n",
    "???Filter size x ,y =%d %d\n",
};

bool IsBlank(char c) {
    // White space as the C library sees it in the "C" locale; '\r' included, so a file
    // written with CR LF line ends reads like any other.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

using ScanTarget = std::variant<std::int32_t*, float*, std::string*>;

/// A scanf-like matcher over the whole text of a file: literal characters must be present exactly,
/// white space in a pattern matches any run of white space (none included), %d and %f (or %g) skip
/// white space before the number, %s takes one token up to the next white space, whatever its length.
class PatternScanner {
  public:
    explicit PatternScanner(std::string_view text) : text_(text) {}

    /// Applies one pattern at the cursor; false when the text does not match it, with the cursor
    /// left where the pattern started.
    bool Scan(std::string_view pattern, std::initializer_list<ScanTarget> targets) {
        const std::size_t start = pos_;
        if (ScanFrom(pattern, targets)) return true;
        pos_ = start;
        return false;
    }

    /// True when the text after the white space at the cursor starts with prefix.
    bool StartsWith(std::string_view prefix) const {
        std::size_t at = pos_;
        while (at < text_.size() && IsBlank(text_[at]))
            ++at;
        return text_.substr(at).starts_with(prefix);
    }

    /// Line number (from 1) of the first character that is not white space at or after the cursor.
    /// Counted only when a line does not match, so reading stays linear in the file size.
    std::size_t LineOfNextItem() const {
        std::size_t at = pos_;
        while (at < text_.size() && IsBlank(text_[at]))
            ++at;
        return 1 + static_cast<std::size_t>(std::count(text_.begin(), text_.begin() + at, '\n'));
    }

  private:
    bool ScanFrom(std::string_view pattern, std::initializer_list<ScanTarget> targets) {
        auto target = targets.begin();
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            char p = pattern[i];
            if (IsBlank(p)) {
                SkipBlanks();
            } else if (p == '%' && i + 1 < pattern.size()) {
                char kind = pattern[++i];
                if (target == targets.end()) return false;
                SkipBlanks();
                bool ok = false;
                if (kind == 'd')
                    ok = ReadInt(std::get<std::int32_t*>(*target));
                else if (kind == 'f' || kind == 'g')
                    ok = ReadFloat(std::get<float*>(*target));
                else if (kind == 's')
                    ok = ReadToken(std::get<std::string*>(*target));
                if (!ok) return false;
                ++target;
            } else {
                if (pos_ >= text_.size() || text_[pos_] != p) return false;
                ++pos_;
            }
        }
        return true;
    }

    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_]))
            ++pos_;
    }

    bool ReadInt(std::int32_t* out) {
        std::size_t at = pos_;
        bool negative = false;
        if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) negative = text_[at++] == '-';
        const char* first = text_.data() + at;
        const char* last = text_.data() + text_.size();
        std::int64_t magnitude = 0;
        auto [end, ec] = std::from_chars(first, last, magnitude);
        if (ec != std::errc() || (end > first && *first == '-')) return false;
        std::int64_t value = negative ? -magnitude : magnitude;
        if (value < std::numeric_limits<std::int32_t>::min() ||
            value > std::numeric_limits<std::int32_t>::max())
            return false;
        *out = static_cast<std::int32_t>(value);
        pos_ = static_cast<std::size_t>(end - text_.data());
        return true;
    }

    bool ReadFloat(float* out) {
        std::size_t at = pos_;
        if (at < text_.size() && text_[at] == '+') {
            ++at;
            if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) return false;
        }
        float value = 0.0f;
        auto [end, ec] = std::from_chars(text_.data() + at, text_.data() + text_.size(), value);
        if (ec != std::errc()) return false;
        *out = value;
        pos_ = static_cast<std::size_t>(end - text_.data());
        return true;
    }

    /// A file name: one token without control characters. A NUL or another control character
    /// makes no name a user can give, and the writer could not put it back (a NUL would cut it).
    bool ReadToken(std::string* out) {
        std::size_t start = pos_;
        while (pos_ < text_.size() && !IsBlank(text_[pos_])) {
            const auto c = static_cast<unsigned char>(text_[pos_]);
            if (c < 0x20 || c == 0x7F) return false;
            ++pos_;
        }
        if (pos_ == start) return false;
        out->assign(text_.substr(start, pos_ - start));
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// The optional lines after the 28 fixed ones of a group, in the order the writer puts them. Each
// is written only when its feature is on, so files without them (every file written before they
// existed) read and write the same bytes as ever. A reader takes them in any order, each at most
// once per group; a line that starts with a key must match its pattern. Adding a line is one entry.
struct OptionalLine {
    const char* Pattern; ///< printf format of the writer and scan pattern of the reader
    const char* Key;     ///< the words that start the line
    std::variant<std::int32_t TCorRelationPara::*, float TCorRelationPara::*> Field;
    bool (*Written)(const TCorRelationPara&);
    /// Why the value read cannot be used, or "" when it can.
    std::string (*Fault)(const TCorRelationPara&);
};

const OptionalLine kOptionalLines[] = {
    {"Subpixel Refinement(0=none, 1=gauss-newton) =%d\n", "Subpixel Refinement",
     &TCorRelationPara::SubpixelRefinement,
     [](const TCorRelationPara& p) { return p.SubpixelRefinement == 1; },
     [](const TCorRelationPara& p) {
         return p.SubpixelRefinement == 0 || p.SubpixelRefinement == 1
                    ? std::string()
                    : " Subpixel Refinement =" + std::to_string(p.SubpixelRefinement) +
                          " is neither 0 (none) nor 1 (gauss-newton)";
     }},
    {"Compute Only Output Grid(0=no, 1=yes) =%d\n", "Compute Only Output Grid", &TCorRelationPara::GridOnly,
     [](const TCorRelationPara& p) { return p.GridOnly == 1; },
     [](const TCorRelationPara& p) {
         return p.GridOnly == 0 || p.GridOnly == 1
                    ? std::string()
                    : " Compute Only Output Grid =" + std::to_string(p.GridOnly) +
                          " is neither 0 (no) nor 1 (yes)";
     }},
    {"Minimum Correlation(0=keep every point) =%g\n", "Minimum Correlation",
     &TCorRelationPara::MinCorrelation, [](const TCorRelationPara& p) { return p.MinCorrelation != 0.0f; },
     [](const TCorRelationPara& p) {
         return p.MinCorrelation >= 0.0f && p.MinCorrelation <= 1.0f
                    ? std::string()
                    : " Minimum Correlation =" + FormatC("%g", static_cast<double>(p.MinCorrelation)) +
                          " is not a correlation from 0 to 1";
     }},
};

std::int32_t ToPrintf(std::int32_t v) {
    return v;
}
double ToPrintf(float v) {
    return v;
}

std::string KeyOf(std::string_view pattern) {
    return std::string(pattern.substr(0, pattern.find('%')));
}

/// The fewest characters one group can take: every literal character of its lines and one
/// character per value. A count of groups the file cannot hold is refused before allocating.
std::size_t MinimumGroupLength() {
    std::size_t n = 0;
    for (std::string_view line : kGroupLines)
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '%') ++i; // the conversion and the one character its value needs at least
            if (!IsBlank(line[i])) ++n;
        }
    return n;
}

/// Folder part of the configuration file name with its trailing separator. A name without any
/// folder gives "", so that its names stay relative to the working folder instead of the root.
std::string FolderOf(const std::string& fileName) {
    auto slash = fileName.find_last_of('/');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

} // namespace

std::vector<TCorRelationPara> ReadConfigFile(const std::string& fileName) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(fileName, kReadError);
    return ReadConfigText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                          fileName);
}

std::vector<TCorRelationPara> ReadConfigText(std::string_view text, const std::string& fileName) {
    PatternScanner scanner(text);

    auto scan = [&](const char* pattern, std::initializer_list<ScanTarget> targets) {
        if (!scanner.Scan(pattern, targets))
            throw CorvaneError(std::string(kReadError) + " line " + std::to_string(scanner.LineOfNextItem()) +
                               " does not match: " + KeyOf(pattern));
    };

    std::int32_t count = 0;
    scan(kCountLine, {&count});
    if (count < 0)
        throw CorvaneError(std::string(kReadError) + " HowManyGroup =" + std::to_string(count) +
                           " is not a number of groups");
    if (static_cast<std::uint64_t>(count) > text.size() / MinimumGroupLength())
        throw CorvaneError(std::string(kReadError) + " HowManyGroup =" + std::to_string(count) +
                           " is more groups than the file holds");

    const std::string folder = FolderOf(fileName);
    std::vector<TCorRelationPara> groups(static_cast<std::size_t>(count));
    for (TCorRelationPara& p : groups) {
        const auto& L = kGroupLines;
        scan(L[0], {&p.FastCompute});
        scan(L[1], {&p.ChangeYaxis});
        scan(L[2], {&p.InitialFile});
        scan(L[3], {&p.DeformedFile});
        scan(L[4], {&p.XYFile});
        scan(L[5], {&p.ThetaRFile});
        scan(L[6], {&p.InfoFile});
        scan(L[7], {&p.MaskFile});
        scan(L[8], {&p.OutputGray});
        scan(L[9], {&p.GrayXFile});
        scan(L[10], {&p.GrayYFile});
        scan(L[11], {&p.OutputBin});
        scan(L[12], {&p.BinXFile});
        scan(L[13], {&p.BinYFile});
        for (const auto field : TCorRelationPara::FileNameFields())
            p.*field = folder + p.*field;
        scan(L[14], {&p.WinMoveX, &p.WinMoveY});
        scan(L[15], {&p.LargeWinX, &p.LargeWinY});
        scan(L[16], {&p.SearchWinX, &p.SearchWinY});
        scan(L[17], {&p.SeedNumX, &p.SeedNumY});
        scan(L[18], {&p.SeedDispX, &p.SeedDispY});
        scan(L[19], {&p.SeedPrecision});
        scan(L[20], {&p.Left, &p.Up, &p.Right, &p.Bottom});
        scan(L[21], {&p.Amplitude});
        scan(L[22], {&p.GridX, &p.GridY});
        scan(L[23], {&p.OutLeft, &p.OutUp});
        scan(L[24], {&p.ScaleX, &p.ScaleY});
        scan(L[25], {&p.FilterType});
        scan(L[26], {&p.AverageThreshold});
        scan(L[27], {&p.FilterSizeX, &p.FilterSizeY});
        std::array<bool, std::size(kOptionalLines)> seen{};
        for (;;) {
            const auto line = std::find_if(std::begin(kOptionalLines), std::end(kOptionalLines),
                                           [&](const OptionalLine& o) { return scanner.StartsWith(o.Key); });
            if (line == std::end(kOptionalLines)) break;
            bool& once = seen[static_cast<std::size_t>(line - std::begin(kOptionalLines))];
            if (once)
                throw CorvaneError(std::string(kReadError) + " line " +
                                   std::to_string(scanner.LineOfNextItem()) + ": " + line->Key +
                                   " is given twice in one group");
            once = true;
            std::visit([&](auto field) { scan(line->Pattern, {&(p.*field)}); }, line->Field);
            if (const std::string fault = line->Fault(p); !fault.empty())
                throw CorvaneError(std::string(kReadError) + fault);
        }
    }
    return groups;
}

std::string ConfigFileText(const TCorRelationPara& p) {
    const auto& L = kGroupLines;
    std::string f;
    AppendFormatC(f, kCountLine, 1);
    AppendFormatC(f, L[0], p.FastCompute);
    AppendFormatC(f, L[1], p.ChangeYaxis);
    AppendFormatC(f, L[2], p.InitialFile.c_str());
    AppendFormatC(f, L[3], p.DeformedFile.c_str());
    AppendFormatC(f, L[4], p.XYFile.c_str());
    AppendFormatC(f, L[5], p.ThetaRFile.c_str());
    AppendFormatC(f, L[6], p.InfoFile.c_str());
    AppendFormatC(f, L[7], p.MaskFile.c_str());
    AppendFormatC(f, L[8], p.OutputGray);
    AppendFormatC(f, L[9], p.GrayXFile.c_str());
    AppendFormatC(f, L[10], p.GrayYFile.c_str());
    AppendFormatC(f, L[11], p.OutputBin);
    AppendFormatC(f, L[12], p.BinXFile.c_str());
    AppendFormatC(f, L[13], p.BinYFile.c_str());
    AppendFormatC(f, L[14], p.WinMoveX, p.WinMoveY);
    AppendFormatC(f, L[15], p.LargeWinX, p.LargeWinY);
    AppendFormatC(f, L[16], p.SearchWinX, p.SearchWinY);
    AppendFormatC(f, L[17], p.SeedNumX, p.SeedNumY);
    AppendFormatC(f, L[18], p.SeedDispX, p.SeedDispY);
    AppendFormatC(f, L[19], static_cast<double>(p.SeedPrecision));
    AppendFormatC(f, L[20], p.Left, p.Up, p.Right, p.Bottom);
    AppendFormatC(f, L[21], static_cast<double>(p.Amplitude));
    AppendFormatC(f, L[22], p.GridX, p.GridY);
    AppendFormatC(f, L[23], p.OutLeft, p.OutUp);
    AppendFormatC(f, L[24], static_cast<double>(p.ScaleX), static_cast<double>(p.ScaleY));
    AppendFormatC(f, L[25], p.FilterType);
    AppendFormatC(f, L[26], static_cast<double>(p.AverageThreshold));
    AppendFormatC(f, L[27], p.FilterSizeX, p.FilterSizeY);
    for (const OptionalLine& line : kOptionalLines)
        if (line.Written(p))
            std::visit([&](auto field) { AppendFormatC(f, line.Pattern, ToPrintf(p.*field)); }, line.Field);
    return f;
}

void WriteConfigFile(const std::string& fileName, const TCorRelationPara& para) {
    const std::string text = ConfigFileText(para);
    WriteFileAtomically(fileName, text.data(), text.size(), "write CorRelation Config file ERROR!!!");
}

void GenerateConfigFile(const std::string& fileName) {
    AtomicTextFile f(fileName);
    f.Write("HowManyGroup =1\n"
            "FastCompute(0=no, 1=yes) =0\n"
            "ChangeYaxis(0=no, 1=change) =1\n"
            "Initial File =test0.bmp\n"
            "Deformed File =test2.bmp\n"
            "x and y Displacement File =xy.dat\n"
            "theta and r Displacement File =thetar.dat\n"
            "General Information File =info.inf\n"
            "Mask Special Area File =mask.bmp\n"
            "???Output Gray files of dx and dy(0=not, 1=yes) =0\n"
            "???x-direction displace save as gray file=none\n"
            "???y-direction displace save as gray file=none\n"
            "???Output Bin float files of dx and dy(0=not, 1=yes) =0\n"
            "???x-direction displace save as bin file=none\n"
            "???y-direction displace save as bin file=none\n"
            "WinMoving Range x, y =33   33\n"
            "Large Window Size x, y =15   15\n"
            "???Searching Window Size x, y =13   13\n"
            "Seed Number in x and y direction =2   2\n"
            "Seed About Displacement x, y =0    0\n"
            "Seed searching precision =0.1\n"
            "Searching Range Left, Up, Right, Bottom =20  20  70  70\n"
            "Displacement Amplitude(Limited) = 20\n"
            "???Output Grid x, y=5  5\n"
            "Output data's Left and up coordinate(x  y) =0    0\n"
            "Scale x, y =1.0  1.0\n"
            "???Filter type(0=none, 1=average,  2=medium) =2\n"
            "???Average Threshold =0.5\n"
            "???Filter size x ,y =3   3\n");
    f.Commit("Generate CorRelation Config file ERROR!!!");
}

} // namespace corvane
