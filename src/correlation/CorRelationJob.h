#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "correlation/CorRelationOptions.h"
#include "correlation/TCorRelationPara.h"

namespace corvane {

/// What one finished parameter group reports.
struct CorRelationGroupReport {
    int Group = 0;                   ///< 1-based position of the group in its file (1 for a single group)
    int Groups = 0;                  ///< groups in the file
    bool Fast = false;               ///< run in fast mode
    bool GridOnly = false;           ///< only the output grid computed: the points are grid points
    double Seconds = 0.0;            ///< wall time of the group
    std::int64_t AllPoints = 0;      ///< points of the search field (seed grid size when fast)
    std::int64_t PointsComputed = 0; ///< searched points (normal) or seeds with a result (fast)
};

/// Runs one parameter group as a correlation job does: FastCompute 1 runs the fast mode, anything
/// else the normal mode, with the y axis turned up when ChangeYaxis is 1: the engine computes, then
/// writes the result files. Throws the engine's and the writers' errors, and CorRelationCancelled
/// (nothing written) when the options' stop token asks to stop.
CorRelationGroupReport RunGroup(const TCorRelationPara& para, const CorRelationOptions& options = {});

/// Reads a configuration file and runs its groups in file order, calling onGroupStart (group, groups)
/// before and onGroupDone after each. An error ends the run: it is thrown and the later groups are
/// not run; a stop request ends it with CorRelationCancelled (the groups already done keep their
/// files, the group stopped writes none). Returns the groups run.
int RunConfigFile(const std::string& fileName,
                  const std::function<void(const CorRelationGroupReport&)>& onGroupDone = {},
                  const std::function<void(int group, int groups)>& onGroupStart = {},
                  const CorRelationOptions& options = {});

/// Runs the given groups in order, as RunConfigFile runs the groups of a file (the runners use it
/// to change every group of a file before it runs, for example to turn the refinement on).
int RunGroups(const std::vector<TCorRelationPara>& groups,
              const std::function<void(const CorRelationGroupReport&)>& onGroupDone = {},
              const std::function<void(int group, int groups)>& onGroupStart = {},
              const CorRelationOptions& options = {});

} // namespace corvane
