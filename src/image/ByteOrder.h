#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace corvane {

// The workbench's files (BMP, FLT, RAW headers) store numbers least significant byte first,
// whatever the host. These helpers read and write them byte by byte, so they need no alignment
// and behave the same on every host.

/// Unsigned 16-bit little-endian value at p.
inline std::uint16_t ReadU16LE(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

/// Unsigned 32-bit little-endian value at p.
inline std::uint32_t ReadU32LE(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

/// Signed (two's complement) 32-bit little-endian value at p.
inline std::int32_t ReadI32LE(const std::uint8_t* p) {
    return static_cast<std::int32_t>(ReadU32LE(p));
}

/// IEEE single-precision little-endian value at p, bit for bit (NaN payloads included).
inline float ReadF32LE(const std::uint8_t* p) {
    return std::bit_cast<float>(ReadU32LE(p));
}

/// Stores v at p as 2 little-endian bytes.
inline void WriteU16LE(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

/// Stores v at p as 4 little-endian bytes.
inline void WriteU32LE(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

/// Stores v at p as the 4 little-endian bytes of its IEEE single-precision bits.
inline void WriteF32LE(std::uint8_t* p, float v) {
    WriteU32LE(p, std::bit_cast<std::uint32_t>(v));
}

/// Converts count singles in place between the little-endian order of a file and the host's
/// order: the bytes of each value are swapped on a big-endian host, nothing happens on a
/// little-endian one. The same call serves reading and writing.
inline void FixFloatByteOrder(void* values, std::size_t count) {
    if constexpr (std::endian::native == std::endian::big) {
        auto* bytes = static_cast<std::uint8_t*>(values);
        for (std::size_t i = 0; i < count; ++i, bytes += 4) {
            std::swap(bytes[0], bytes[3]);
            std::swap(bytes[1], bytes[2]);
        }
    } else {
        (void)values;
        (void)count;
    }
}

} // namespace corvane
