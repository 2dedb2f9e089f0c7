#pragma once
#include <cstdint>
#include <vector>

namespace corvane {

/// The map from grid index (nx, ny) to dot number over -MaxX..MaxX x -MaxY..MaxY; every cell is
/// -1 (no dot) at creation.
class TCoordinateSystem {
  public:
    std::int32_t MaxX = 0, MaxY = 0;

    /// Throws "No enough memory to allocate Coordinate System" when the table cannot be made
    /// (negative half ranges included).
    TCoordinateSystem(std::int32_t maxX, std::int32_t maxY);

    /// Dot number at (nx, ny); throws "(nx ,ny) not in the range" outside.
    std::int32_t Get(std::int32_t nx, std::int32_t ny) const;
    /// Stores the dot number at (nx, ny); throws "(nx , ny) not in the range" outside.
    void Set(std::int32_t nx, std::int32_t ny, std::int32_t dot);

  private:
    std::vector<std::int32_t> cells_;
    bool Inside(std::int32_t nx, std::int32_t ny) const;
    std::size_t IndexOf(std::int32_t nx, std::int32_t ny) const;
};

} // namespace corvane
