#include "image/LargeBuffer.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace corvane {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
} // namespace

void LargeBufferDeleter::operator()(float* values) const {
    std::free(values);
}

LargeFloatBuffer AllocateLargeFloats(std::size_t count) {
    const std::size_t bytes = count * sizeof(float);
    // A count whose bytes, or those bytes rounded up to whole huge pages, do not fit a size_t.
    if ((count > 0 && bytes / sizeof(float) != count) || bytes > SIZE_MAX - kHugePage) throw std::bad_alloc();
    if (bytes < kHugePage) {
        void* small = std::malloc(bytes > 0 ? bytes : 1);
        if (!small) throw std::bad_alloc();
        return LargeFloatBuffer(static_cast<float*>(small));
    }
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* memory = std::aligned_alloc(kHugePage, rounded);
    if (!memory) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only a hint: without huge pages the buffer works the same.
    madvise(memory, rounded, MADV_HUGEPAGE);
#endif
    return LargeFloatBuffer(static_cast<float*>(memory));
}

} // namespace corvane
