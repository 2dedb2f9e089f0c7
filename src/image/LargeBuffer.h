#pragma once
#include <cstddef>
#include <memory>

namespace corvane {

/// Frees a buffer from AllocateLargeFloats.
struct LargeBufferDeleter {
    void operator()(float* values) const;
};
using LargeFloatBuffer = std::unique_ptr<float[], LargeBufferDeleter>;

/// An uninitialised buffer of count floats for a whole map. Large buffers are aligned to 2 MiB and
/// offered to the system's huge pages where it has them, so that the first touch of a fresh map costs
/// a few large page faults instead of one per 4 KiB page (on virtual machines that first touch can
/// cost more than the computation that fills the map). Throws std::bad_alloc.
LargeFloatBuffer AllocateLargeFloats(std::size_t count);

} // namespace corvane
