#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "correlation/TCorRelationPara.h"

namespace corvane {

/// A parameter of a correlation group that a run cannot work with.
struct TParaFault {
    std::string Field;  ///< the TCorRelationPara member at fault, e.g. "Right" or "SeedNumY"
    std::string Reason; ///< what is wrong with its value, e.g. "150 lies beyond the last column, 119"
};

/// Width and height of the initial picture of a group.
struct TPictureExtent {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

/// The first parameter of p that a run cannot work with, nothing when all are usable. Fast mode
/// correlates with the large window, so its searching window is not looked at. With the initial
/// picture's size the compute domain is checked against it too. The correlation engine refuses a
/// group with a fault before it loads anything ("Check your computing parameters, then start
/// again"); the wizard asks first, so the user is told which field to mend.
std::optional<TParaFault> FindParaFault(const TCorRelationPara& p, bool fast,
                                        std::optional<TPictureExtent> initial = std::nullopt);

} // namespace corvane
