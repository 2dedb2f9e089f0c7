#include "correlation/CorRelationResults.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <locale.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace corvane {

namespace {

const char* const kCannotWrite = "Check your computing parameters, then start again";
constexpr double kPi = 3.14159265358979323846;

struct Point {
    std::int32_t x, y;
};

/// The arrays must cover the initial picture; anything else is a run that cannot be written.
void CheckArrays(const TCorRelationResult& r) {
    const auto n = static_cast<std::size_t>(r.W0 > 0 && r.H0 > 0 ? std::int64_t(r.W0) * r.H0 : 0);
    if (n == 0 || r.dx.size() != n || r.dy.size() != n) throw CorvaneError(kCannotWrite);
}

bool Inside(const TCorRelationResult& r, std::int32_t x, std::int32_t y) {
    return x >= 0 && y >= 0 && x < r.W0 && y < r.H0;
}

/// Means of dx and dy over the seeds that were kept and have a result; false when none has.
bool SeedMeans(const TCorRelationResult& r, float& meanX, float& meanY) {
    double sumX = 0.0, sumY = 0.0;
    int count = 0;
    for (const TCorRelationSeed& s : r.Seeds) {
        if (s.Removed() || !Inside(r, s.X, s.Y)) continue;
        const std::size_t i = static_cast<std::size_t>(s.Y) * r.W0 + s.X;
        if (r.dx[i] < kNotComputed && r.dy[i] < kNotComputed) {
            sumX += r.dx[i];
            sumY += r.dy[i];
            ++count;
        }
    }
    if (count == 0) return false;
    meanX = static_cast<float>(sumX / count);
    meanY = static_cast<float>(sumY / count);
    return true;
}

/// Points offered to the displacement files, all inside the picture: the output grid over the
/// search field (normal run) or the kept seeds in seed order (fast run).
std::vector<Point> CandidatePoints(const TCorRelationResult& r, bool fast) {
    std::vector<Point> points;
    if (fast) {
        for (const TCorRelationSeed& s : r.Seeds)
            if (!s.Removed() && Inside(r, s.X, s.Y)) points.push_back({s.X, s.Y});
        return points;
    }
    const TCorRelationPara& p = r.Para;
    // A grid step below 1 would never leave the search field.
    if (p.GridX < 1 || p.GridY < 1) throw CorvaneError(kCannotWrite);
    // Grid points outside the picture have no value; the grid is walked only where it meets the
    // picture, so a search field far larger than the picture costs nothing.
    auto firstInside = [](std::int64_t start, std::int64_t step) {
        return start >= 0 ? start : start + (-start + step - 1) / step * step;
    };
    const std::int64_t right = std::min<std::int64_t>(p.Right, r.W0 - 1);
    const std::int64_t bottom = std::min<std::int64_t>(p.Bottom, r.H0 - 1);
    for (std::int64_t y = firstInside(p.Up, p.GridY); y <= bottom; y += p.GridY)
        for (std::int64_t x = firstInside(p.Left, p.GridX); x <= right; x += p.GridX)
            points.push_back({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)});
    return points;
}

/// Direction of the displacement (sx, sy) in (-pi, pi]; with the y axis turned up the angle
/// changes sign (pi becomes -pi, 0 becomes -0).
double Theta(float sx, float sy, bool changeY) {
    double theta;
    if (sx != 0.0f && sy != 0.0f)
        theta = std::atan2(static_cast<double>(sy), static_cast<double>(sx));
    else if (sy == 0.0f)
        theta = sx < 0.0f ? kPi : 0.0;
    else
        theta = sy > 0.0f ? kPi / 2.0 : -kPi / 2.0;
    if (changeY) theta = -theta;
    return theta;
}

/// Switches this thread to the "C" numeric conventions while it lives.
class CNumericLocale {
  public:
    CNumericLocale() : previous_(uselocale(CLocale())) {}
    ~CNumericLocale() { uselocale(previous_); }
    CNumericLocale(const CNumericLocale&) = delete;
    CNumericLocale& operator=(const CNumericLocale&) = delete;

  private:
    static locale_t CLocale() {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        return c;
    }
    locale_t previous_;
};

/// One record of a displacement table: a line break first, a blank at the end.
void AppendRecord(std::string& out, double a, double b, double c, double d) {
    char line[512]; // four floats in %f take at most 47 characters each
    const int n = std::snprintf(line, sizeof line, "\n %8.3f  %8.3f  %6.3f  %6.3f ", a, b, c, d);
    if (n > 0) out.append(line, std::min(static_cast<std::size_t>(n), sizeof line - 1));
}

bool CanCreate(const std::string& name) {
    namespace fs = std::filesystem;
    if (name.empty()) return false;
    std::error_code ec;
    fs::path target(name);
    if (fs::is_directory(target, ec)) return false;
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

void WriteReport(AtomicTextFile& f, const TCorRelationResult& r, bool changeY, bool fast, bool haveMeans,
                 float meanX, float meanY) {
    const TCorRelationPara& p = r.Para;
    const std::int64_t used = static_cast<std::int64_t>(std::time(nullptr) - r.StartTime);
    if (fast)
        f.Printf(" \n  Correlation Computation Information \n \t Fast Computing\n");
    else
        f.Printf(" \n  Correlation Computation Information \n ");
    f.Printf(" \n     Used time : %s\n ", UsedTimeText(used).c_str());
    if (changeY)
        f.Printf(" Y axis has been changed to up direction\n");
    else
        f.Printf(" Y axis still have the down direction\n");
    f.Printf(" \n Initial Image File: %s ", p.InitialFile.c_str());
    f.Printf(" \n    Width: %d   Height: %d ", r.W0, r.H0);
    f.Printf(" \n Deformed Image File: %s ", p.DeformedFile.c_str());
    f.Printf(" \n    Width: %d   Height: %d \n ", r.W1, r.H1);
    f.Printf(" \n Whole Image Searching Field: (%d,%d)-->>(%d,%d)", p.Left, p.Up, p.Right, p.Bottom);
    if (fast)
        f.Printf(" \n\n Fine Image step : 0.25  ");
    else
        f.Printf(" \n\n Fine Image step : 0.125  ");
    f.Printf(" \n Fine step around seed: %f ", static_cast<double>(p.SeedPrecision));
    f.Printf(" \n Seed Searching Field: ");
    f.Printf(" \n       Width: %d   Height: %d   ", p.WinMoveX, p.WinMoveY);
    f.Printf(" \n    Large Window Size:  ");
    f.Printf(" \n       Width: %d   Height: %d ", p.LargeWinX, p.LargeWinY);
    f.Printf(" \n    Small Window Size:  ");
    f.Printf(" \n       Width: %d   Height: %d ", p.SearchWinX, p.SearchWinY);
    f.Printf(" \n The Displacement (x, y)    file is :  %s ", p.XYFile.c_str());
    f.Printf(" \n       Format(xy): x  y displacement_x  displacement_y \n");
    f.Printf(" \n The Displacement (theta, r) file is : %s ", p.ThetaRFile.c_str());
    f.Printf(" \n       Format(r):  x  y displacement_theta(-PI, PI)  displacement_r \n");
    if (!fast) {
        f.Printf(" \n Output Displacement Grid  : Gridx = %d , Gridy = %d ", p.GridX, p.GridY);
        f.Printf(" \n Output Displacement Mask File: %s ", p.MaskFile.c_str());
    }
    f.Printf(" \n\n Actual postion of the Image (LeftUp corner) : ( %d, %d )pixels", p.OutLeft, p.OutUp);
    f.Printf(" \n Output Scale: x: %8.3f  y:%8.3f ", static_cast<double>(p.ScaleX),
             static_cast<double>(p.ScaleY));
    const long long successful = fast ? 0 : r.SuccessfulPoints;
    const long long notSearched = fast ? 0 : r.NotSearchedPoints;
    f.Printf(
        " \n All searching:%lld Steps,\n     Successful Searching: %lld Steps \n     Not Searching: %lld ",
        static_cast<long long>(r.AllPoints), successful, notSearched);
    // Without any seed result there is no mean; the not-computed marker says so.
    if (!haveMeans) meanX = meanY = kNotComputed;
    f.Printf(" \n The average seed displacement is (%6.3f , %6.3f ),the Amplitude is %7.3f ",
             static_cast<double>(meanX), static_cast<double>(meanY), static_cast<double>(p.Amplitude));
    if (fast)
        f.Printf(" \n\n There are(is) %d points(pixels) in the image have been computed:",
                 int(r.Seeds.size()));
    else
        f.Printf(" \n\n There are(is) %d Seeds in the image:", int(r.Seeds.size()));
    int number = 0;
    for (const TCorRelationSeed& s : r.Seeds) {
        f.Printf(" \n Seed No.%d Initial(%d,%d)-->> Deformed (%d,%d)", ++number, s.X, s.Y, s.EstX, s.EstY);
        f.Printf(" \n    Whole Searching Field:( %d ,%d ) -->> (%d , %d ) ", s.Left, s.Up, s.Right, s.Bottom);
    }
}

void WriteAll(const TCorRelationResult& r, bool changeY, bool fast) {
    CheckArrays(r);
    const TCorRelationPara& p = r.Para;
    for (const std::string* name : {&p.XYFile, &p.ThetaRFile, &p.InfoFile})
        if (!CanCreate(*name)) throw CorvaneError(kCannotWrite);

    float meanX = 0.0f, meanY = 0.0f;
    const bool haveMeans = SeedMeans(r, meanX, meanY);
    const std::vector<Point> candidates = CandidatePoints(r, fast);
    const std::unique_ptr<TGrayImage> mask = haveMeans ? LoadRunMask(r.Para.MaskFile, r.W0, r.H0) : nullptr;

    // One record per point in each table, formatted straight into memory under the "C" numeric
    // locale: a whole field at grid 1 is a million records.
    std::string xyText, thetaRText;
    if (haveMeans) {
        CNumericLocale numbers;
        for (const Point& pt : candidates) {
            const std::size_t i = static_cast<std::size_t>(pt.y) * r.W0 + pt.x;
            const float dx = r.dx[i], dy = r.dy[i];
            if (!(std::fabs(dx - meanX) < p.Amplitude && std::fabs(dy - meanY) < p.Amplitude)) continue;
            if (mask && mask->Data[i] != 255) continue;
            const float X = static_cast<float>(std::int64_t{p.OutLeft} + pt.x) * p.ScaleX;
            const float Y = changeY ? static_cast<float>(r.H0 - (std::int64_t{p.OutUp} + pt.y)) * p.ScaleY
                                    : static_cast<float>(std::int64_t{p.OutUp} + pt.y) * p.ScaleY;
            const float sx = dx * p.ScaleX, sy = dy * p.ScaleY;
            const double radius = std::sqrt(static_cast<double>(sx) * sx + static_cast<double>(sy) * sy);
            AppendRecord(xyText, X, Y, sx, sy);
            AppendRecord(thetaRText, X, Y, Theta(sx, sy, changeY), radius);
        }
    }
    AtomicTextFile xy(p.XYFile), thetaR(p.ThetaRFile), info(p.InfoFile);
    xy.Write(xyText);
    thetaR.Write(thetaRText);
    WriteReport(info, r, changeY, fast, haveMeans, meanX, meanY);
    xy.Commit(kCannotWrite);
    thetaR.Commit(kCannotWrite);
    info.Commit(kCannotWrite);
}

/// Marks every point outside the mask, and every point marked in one array in the other too.
void MaskArrays(TCorRelationResult& r) {
    CheckArrays(r);
    const std::unique_ptr<TGrayImage> mask = LoadRunMask(r.Para.MaskFile, r.W0, r.H0);
    const std::uint8_t* m = mask ? mask->Data : nullptr;
    float* dx = r.dx.data();
    float* dy = r.dy.data();
    const std::size_t n = r.dx.size();
    for (std::size_t i = 0; i < n; ++i) {
        if ((m && m[i] != 255) || dx[i] == kNotComputed || dy[i] == kNotComputed) {
            dx[i] = kNotComputed;
            dy[i] = kNotComputed;
        }
    }
}

} // namespace

std::unique_ptr<TGrayImage> LoadRunMask(const std::string& maskFile, std::int32_t w0, std::int32_t h0) {
    if (!FileExists(maskFile)) return nullptr;
    auto mask = std::make_unique<TGrayImage>(maskFile);
    if (mask->Width != w0 || mask->Height != h0 || mask->Data == nullptr)
        throw CorvaneError("The mask picture " + maskFile + " is " + std::to_string(mask->Width) + " x " +
                           std::to_string(mask->Height) + " pixels, not the initial picture's " +
                           std::to_string(w0) + " x " + std::to_string(h0));
    return mask;
}

std::string UsedTimeText(std::int64_t seconds) {
    if (seconds < 0) seconds = 0;
    const std::int64_t h = seconds / 3600;
    const std::int64_t m = (seconds - 3600 * h) / 60;
    const std::int64_t s = seconds - 3600 * h - 60 * m;
    char text[64];
    std::snprintf(text, sizeof text, "%2lld:%2lld:%2lld", static_cast<long long>(h),
                  static_cast<long long>(m), static_cast<long long>(s));
    return text;
}

void WriteResults(const TCorRelationResult& result, bool changeY) {
    WriteAll(result, changeY, false);
}

void WriteFastResults(const TCorRelationResult& result, bool changeY) {
    WriteAll(result, changeY, true);
}

void WriteGrayFiles(TCorRelationResult& result) {
    MaskArrays(result);
    const std::size_t n = result.dx.size();
    const float* dx = result.dx.data();
    const float* dy = result.dy.data();
    float low = 1000000.0f, high = -100000.0f;
    for (const float* a : {dx, dy})
        for (std::size_t i = 0; i < n; ++i)
            if (a[i] != kNotComputed) {
                if (a[i] < low) low = a[i];
                if (a[i] > high) high = a[i];
            }
    float range = high - low;
    if (range < 1e-20f) range = 1.0f;

    TGrayImage grayX(nullptr, result.W0, result.H0);
    TGrayImage grayY(nullptr, result.W0, result.H0);
    for (auto [a, out] : {std::pair{dx, grayX.Data}, std::pair{dy, grayY.Data}})
        for (std::size_t i = 0; i < n; ++i) {
            if (a[i] == kNotComputed) {
                out[i] = 0;
                continue;
            }
            out[i] = GrayLevelOf((a[i] - low) * 255.0f / range);
        }
    grayX.SaveToFile(result.Para.GrayXFile);
    grayY.SaveToFile(result.Para.GrayYFile);
}

void WriteBinFiles(TCorRelationResult& result) {
    MaskArrays(result);
    const TCorRelationPara& p = result.Para;
    // Scaled copies, so that a scaled value never meets the marker in the run's own arrays.
    std::vector<float> sx(result.dx), sy(result.dy);
    for (std::size_t i = 0; i < sx.size(); ++i)
        if (sx[i] != kNotComputed) {
            sx[i] *= p.ScaleX;
            sy[i] *= p.ScaleY;
        }
    TFloatImage mapX(sx.data(), result.W0, result.H0);
    mapX.ScaleX = p.ScaleX;
    mapX.ScaleY = p.ScaleY;
    mapX.ValueScale = p.ScaleX;
    mapX.SaveFlt(p.BinXFile);
    TFloatImage mapY(sy.data(), result.W0, result.H0);
    mapY.ScaleX = p.ScaleX;
    mapY.ScaleY = p.ScaleY;
    mapY.ValueScale = p.ScaleY;
    mapY.SaveFlt(p.BinYFile);
}

} // namespace corvane
