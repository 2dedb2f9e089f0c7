#include "dotgrid/TCoordinateSystem.h"

#include "image/CorvaneError.h"

#include <cstdio>
#include <new>

namespace corvane {

namespace {

// Larger half ranges than any lattice a picture can hold; keeps the table size inside 32 bits.
constexpr std::int32_t kLargestHalfRange = 16383;

} // namespace

TCoordinateSystem::TCoordinateSystem(std::int32_t maxX, std::int32_t maxY) : MaxX(maxX), MaxY(maxY) {
    if (maxX < 0 || maxY < 0 || maxX > kLargestHalfRange || maxY > kLargestHalfRange)
        throw CorvaneError("No enough memory to allocate Coordinate System");
    try {
        cells_.assign(static_cast<std::size_t>(2 * maxX + 1) * static_cast<std::size_t>(2 * maxY + 1), -1);
    } catch (const std::bad_alloc&) {
        throw CorvaneError("No enough memory to allocate Coordinate System");
    }
}

bool TCoordinateSystem::Inside(std::int32_t nx, std::int32_t ny) const {
    return nx >= -MaxX && nx <= MaxX && ny >= -MaxY && ny <= MaxY;
}

std::size_t TCoordinateSystem::IndexOf(std::int32_t nx, std::int32_t ny) const {
    return static_cast<std::size_t>(ny + MaxY) * static_cast<std::size_t>(2 * MaxX + 1) +
           static_cast<std::size_t>(nx + MaxX);
}

std::int32_t TCoordinateSystem::Get(std::int32_t nx, std::int32_t ny) const {
    if (!Inside(nx, ny)) {
        char text[64];
        std::snprintf(text, sizeof text, "(%d ,%d) not in the range", nx, ny);
        throw CorvaneError(text);
    }
    return cells_[IndexOf(nx, ny)];
}

void TCoordinateSystem::Set(std::int32_t nx, std::int32_t ny, std::int32_t dot) {
    if (!Inside(nx, ny)) {
        char text[64];
        std::snprintf(text, sizeof text, "(%d , %d) not in the range", nx, ny);
        throw CorvaneError(text);
    }
    cells_[IndexOf(nx, ny)] = dot;
}

} // namespace corvane
