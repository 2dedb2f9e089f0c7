#include "correlation/CorRelationResults.h"

#include "correlation/CorRelationPool.h"
#include "correlation/CorRelationResultArrays.h"
#include "correlation/CorRelationTables.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/TGrayImage.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace corvane {

namespace {

/// Means of dx and dy over the seeds that were kept and have a result; false when none has.
bool SeedMeans(const TCorRelationResult& r, float& meanX, float& meanY) {
    double sumX = 0.0, sumY = 0.0;
    int count = 0;
    for (const TCorRelationSeed& s : r.Seeds) {
        if (s.Removed() || !InsideInitial(r, s.X, s.Y)) continue;
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

void WriteAll(const TCorRelationResult& r, bool changeY, bool fast, int lanes) {
    CheckResultArrays(r);
    const TCorRelationPara& p = r.Para;
    for (const std::string* name : {&p.XYFile, &p.ThetaRFile, &p.InfoFile})
        if (!CanCreate(*name)) throw CorvaneError(kCheckParameters);

    float meanX = 0.0f, meanY = 0.0f;
    const bool haveMeans = SeedMeans(r, meanX, meanY);
    // A grid step below 1 would never leave the search field; it is refused whether or not there
    // are records to write, and before the mask is read.
    if (!fast && (p.GridX < 1 || p.GridY < 1)) throw CorvaneError(kCheckParameters);
    const std::unique_ptr<TGrayImage> mask = haveMeans ? LoadRunMask(r.Para.MaskFile, r.W0, r.H0) : nullptr;
    if (lanes <= 0) lanes = CorRelationPool::Shared().Workers();
    // Both tables are written as they are formatted, block by block, each into a temporary file
    // that replaces its target only when whole.
    WriteFileAtomically(
        p.XYFile,
        [&](std::FILE* xy) {
            bool written = true;
            WriteFileAtomically(
                p.ThetaRFile,
                [&](std::FILE* thetaR) {
                    if (!haveMeans) return true;
                    StreamDisplacementTables(r, changeY, fast, meanX, meanY, mask.get(), lanes,
                                             [&](const std::string& a, const std::string& b) {
                                                 written =
                                                     written &&
                                                     std::fwrite(a.data(), 1, a.size(), xy) == a.size() &&
                                                     std::fwrite(b.data(), 1, b.size(), thetaR) == b.size() &&
                                                     StartWriteback(xy) && StartWriteback(thetaR);
                                             });
                    return written;
                },
                kCheckParameters);
            return written;
        },
        kCheckParameters);
    AtomicTextFile info(p.InfoFile);
    info.Write(FormatRunReport(r, changeY, fast, haveMeans, meanX, meanY));
    info.Commit(kCheckParameters);
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

void WriteResults(const TCorRelationResult& result, bool changeY, int lanes) {
    WriteAll(result, changeY, false, lanes);
}

void WriteFastResults(const TCorRelationResult& result, bool changeY, int lanes) {
    WriteAll(result, changeY, true, lanes);
}

} // namespace corvane
