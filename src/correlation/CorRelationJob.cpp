#include "correlation/CorRelationJob.h"

#include "correlation/CorRelationConfig.h"
#include "correlation/OutputGrid.h"
#include "correlation/TCorRelation.h"

#include <chrono>
#include <vector>

namespace corvane {

CorRelationGroupReport RunGroup(const TCorRelationPara& para, const CorRelationOptions& options) {
    CorRelationGroupReport report;
    report.Group = 1;
    report.Groups = 1;
    report.Fast = para.FastCompute == 1;
    report.GridOnly = !report.Fast && ComputesGridOnly(para);
    const auto start = std::chrono::steady_clock::now();
    const bool changeY = para.ChangeYaxis == 1;
    if (report.Fast) {
        TCorRelation engine(para, TCorRelation::Mode::Fast, options);
        engine.Compute();
        if (options.Stop.stop_requested()) throw CorRelationCancelled();
        engine.WriteFiles(changeY);
        const TCorRelationResult& r = engine.Result();
        for (const TCorRelationSeed& s : r.Seeds) {
            if (s.Removed() || s.X < 0 || s.Y < 0 || s.X >= r.W0 || s.Y >= r.H0) continue;
            const std::size_t i = static_cast<std::size_t>(s.Y) * static_cast<std::size_t>(r.W0) + s.X;
            ++report.AllPoints;
            if (i < r.dx.size() && i < r.dy.size() && r.dx[i] < kNotComputed && r.dy[i] < kNotComputed)
                ++report.PointsComputed;
        }
    } else {
        TCorRelation engine(para, TCorRelation::Mode::Normal, options);
        engine.Compute();
        if (options.Stop.stop_requested()) throw CorRelationCancelled();
        engine.WriteFiles(changeY);
        report.AllPoints = engine.Result().AllPoints;
        report.PointsComputed = engine.Result().SuccessfulPoints;
    }
    report.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return report;
}

int RunConfigFile(const std::string& fileName,
                  const std::function<void(const CorRelationGroupReport&)>& onGroupDone,
                  const std::function<void(int group, int groups)>& onGroupStart,
                  const CorRelationOptions& options) {
    return RunGroups(ReadConfigFile(fileName), onGroupDone, onGroupStart, options);
}

int RunGroups(const std::vector<TCorRelationPara>& groups,
              const std::function<void(const CorRelationGroupReport&)>& onGroupDone,
              const std::function<void(int group, int groups)>& onGroupStart,
              const CorRelationOptions& options) {
    const int count = static_cast<int>(groups.size());
    int done = 0;
    for (const TCorRelationPara& para : groups) {
        if (onGroupStart) onGroupStart(done + 1, count);
        CorRelationGroupReport report = RunGroup(para, options);
        report.Group = ++done;
        report.Groups = count;
        if (onGroupDone) onGroupDone(report);
    }
    return done;
}

} // namespace corvane
