#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace corvane {

/// The one message of the correlation run for parameters it cannot work with (and for result files
/// it cannot write).
inline constexpr const char* kCheckParameters = "Check your computing parameters, then start again";

/// The parameter record of one correlation run; its text form is the configuration file.
struct TCorRelationPara {
    std::string InitialFile;
    std::string DeformedFile;
    std::string XYFile;
    std::string ThetaRFile;
    std::string MaskFile;
    std::string GrayXFile;
    std::string GrayYFile;
    std::string BinXFile;
    std::string BinYFile;
    std::string InfoFile;
    std::int32_t WinMoveX = 0, WinMoveY = 0;     ///< "WinMoving Range": seed search area side
    std::int32_t LargeWinX = 0, LargeWinY = 0;   ///< correlation window at seeds
    std::int32_t SearchWinX = 0, SearchWinY = 0; ///< correlation window of the whole-field search
    std::int32_t SeedNumX = 0, SeedNumY = 0;
    std::int32_t SeedDispX = 0, SeedDispY = 0;
    float SeedPrecision = 0.0f;
    std::int32_t Left = 0, Up = 0, Right = 0, Bottom = 0;
    float Amplitude = 0.0f;
    std::int32_t GridX = 0, GridY = 0;
    std::int32_t OutLeft = 0, OutUp = 0;
    float ScaleX = 0.0f, ScaleY = 0.0f;
    std::int32_t FilterType = 0; ///< 0 none, 1 average with threshold, 2 median
    std::int32_t FilterSizeX = 0, FilterSizeY = 0;
    float AverageThreshold = 0.0f;
    std::int32_t FastCompute = 0;
    std::int32_t ChangeYaxis = 0;
    std::int32_t OutputGray = 0;
    std::int32_t OutputBin = 0;
    /// Sub-pixel refinement after the whole-field search: 1 = inverse-compositional Gauss-Newton,
    /// anything else none. Kept in the configuration file only when 1.
    std::int32_t SubpixelRefinement = 0;
    /// 1 = compute only the points of the output grid (Left + i GridX, Up + j GridY) instead of
    /// every point of the search field; anything else every point. Kept in the configuration file
    /// only when 1.
    std::int32_t GridOnly = 0;
    /// Lowest zero-normalised correlation a point keeps: points below it, and points whose
    /// refinement diverged, are marked not computed in the maps and left out of the tables.
    /// 0 keeps every point; kept in the configuration file only when not 0.
    float MinCorrelation = 0.0f;

    bool operator==(const TCorRelationPara&) const = default;

    /// A member holding a file name.
    using FileNameField = std::string TCorRelationPara::*;
    /// The ten file-name members, in the order of their lines in the configuration file: initial,
    /// deformed, xy, theta-r, information, mask, grey x, grey y, bin x, bin y. Everything that
    /// treats the names alike (folders put in front or taken off) walks this list.
    static constexpr std::array<FileNameField, 10> FileNameFields() {
        return {&TCorRelationPara::InitialFile, &TCorRelationPara::DeformedFile, &TCorRelationPara::XYFile,
                &TCorRelationPara::ThetaRFile,  &TCorRelationPara::InfoFile,     &TCorRelationPara::MaskFile,
                &TCorRelationPara::GrayXFile,   &TCorRelationPara::GrayYFile,    &TCorRelationPara::BinXFile,
                &TCorRelationPara::BinYFile};
    }
};

} // namespace corvane
