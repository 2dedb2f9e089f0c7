#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace corvane {

/// Allocates whole cache lines: a buffer never shares a line with another, so lanes that keep
/// writing buffers of their own never wait on each other's.
template <class T> struct LineAllocator {
    using value_type = T;
    static constexpr std::size_t kLine = 64;

    LineAllocator() = default;
    template <class U> LineAllocator(const LineAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > (static_cast<std::size_t>(-1) - kLine) / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(
            ::operator new ((n * sizeof(T) + kLine - 1) / kLine * kLine, std::align_val_t{kLine}));
    }
    void deallocate(T* p, std::size_t) noexcept { ::operator delete (p, std::align_val_t{kLine}); }

    friend bool operator==(const LineAllocator&, const LineAllocator&) noexcept { return true; }
};

/// A vector whose values stand on cache lines of their own.
template <class T> using LineVector = std::vector<T, LineAllocator<T>>;

} // namespace corvane
