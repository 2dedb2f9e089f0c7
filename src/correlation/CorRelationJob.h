#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "correlation/TCorRelationPara.h"

namespace corvane {

/// What one finished parameter group reports.
struct CorRelationGroupReport {
    int Group = 0;                   ///< 1-based position of the group in its file (1 for a single group)
    int Groups = 0;                  ///< groups in the file
    bool Fast = false;               ///< run in fast mode
    double Seconds = 0.0;            ///< wall time of the group
    std::int64_t AllPoints = 0;      ///< points of the search field (seed grid size when fast)
    std::int64_t PointsComputed = 0; ///< searched points (normal) or seeds with a result (fast)
};

/// Runs one parameter group as a correlation job does: FastCompute 1 runs the fast mode, anything
/// else the normal mode, with the y axis turned up when ChangeYaxis is 1. The result files are
/// written by the engine. Throws the engine's and the writers' errors.
CorRelationGroupReport RunGroup(const TCorRelationPara& para);

/// Reads a configuration file and runs its groups in file order, calling onGroupStart (group, groups)
/// before and onGroupDone after each. An error ends the run: it is thrown and the later groups are
/// not run. Returns the groups run.
int RunConfigFile(const std::string& fileName,
                  const std::function<void(const CorRelationGroupReport&)>& onGroupDone = {},
                  const std::function<void(int group, int groups)>& onGroupStart = {});

/// Runs the given groups in order, as RunConfigFile runs the groups of a file (the runners use it
/// to change every group of a file before it runs, for example to turn the refinement on).
int RunGroups(const std::vector<TCorRelationPara>& groups,
              const std::function<void(const CorRelationGroupReport&)>& onGroupDone = {},
              const std::function<void(int group, int groups)>& onGroupStart = {});

} // namespace corvane
