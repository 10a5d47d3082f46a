#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace velmora {

// An allocator for large arrays read at random: blocks of 2 MiB and more are
// aligned to 2 MiB and offered to the kernel for huge pages, so that random
// reads across them do not also miss the address-translation caches. Smaller
// blocks, and systems without that offer, get ordinary memory.
template <typename T>
struct LargePageAllocator {
    using value_type = T;
    static constexpr std::size_t kHugePage = std::size_t{1} << 21;

    LargePageAllocator() = default;
    template <typename U>
    LargePageAllocator(const LargePageAllocator<U>&) {}

    T* allocate(std::size_t n) {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < kHugePage) return static_cast<T*>(::operator new(bytes));
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        void* p = std::aligned_alloc(kHugePage, rounded);
        if (!p) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        ::madvise(p, rounded, MADV_HUGEPAGE);  // advice only: failure changes nothing
#endif
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t n) {
        if (n * sizeof(T) < kHugePage)
            ::operator delete(p);
        else
            std::free(p);
    }
    template <typename U>
    bool operator==(const LargePageAllocator<U>&) const {
        return true;
    }
};

}  // namespace velmora
