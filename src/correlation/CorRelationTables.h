#pragma once
#include <functional>
#include <string>

#include "correlation/TCorRelationResult.h"

namespace corvane {

class TGrayImage;

/// The text of the two displacement tables of a run.
struct DisplacementTables {
    std::string XY;     ///< records of x, y, displacement_x, displacement_y
    std::string ThetaR; ///< records of x, y, displacement_theta (-pi, pi], displacement_r
};

/// One record per point, each "\n %8.3f  %8.3f  %6.3f  %6.3f " with a '.' decimal point: the output
/// grid over the search field clipped to the picture, row by row (normal run), or the kept seeds in
/// seed order (fast run). Points whose dx or dy lies an Amplitude or more from the seed mean
/// (meanX, meanY), points outside the mask (when there is one, W0 x H0) and points below the run's
/// minimum correlation (BelowMinimumCorrelation) are left out.
/// Positions are shifted by OutLeft, OutUp and scaled; with changeY the y axis points up.
/// Throws "Check your computing parameters, then start again" for a grid step below 1.
DisplacementTables FormatDisplacementTables(const TCorRelationResult& r, bool changeY, bool fast, float meanX,
                                            float meanY, const TGrayImage* mask);

/// Receives the tables block by block, in file order: the records of the xy table and the same
/// records of the theta-r table.
using TableBlockSink = std::function<void(const std::string& xy, const std::string& thetaR)>;

/// The same records, formatted in blocks on up to lanes lanes of the shared pool and handed to sink
/// in order, a few blocks at a time (memory stays bounded whatever the table's length). The sink is
/// called once at a time, from a lane of the pool while the next blocks are formatted.
void StreamDisplacementTables(const TCorRelationResult& r, bool changeY, bool fast, float meanX, float meanY,
                              const TGrayImage* mask, int lanes, const TableBlockSink& sink);

} // namespace corvane
