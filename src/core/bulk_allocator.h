#pragma once
// The allocator of the large record arrays (the combination list and its undo snapshot, tens of
// megabytes each). Two things make such an array cheap to create and fill:
// - growing it (resize) leaves the new plain-data records as the memory holds them instead of
//   zero-filling them: every writer of these arrays (generator, filter compaction, file reads)
//   writes each record it adds, so the zero fill was a full extra pass over fresh memory;
// - a block of at least kBulkHugeMin bytes is aligned to 2 MiB and asked for transparent huge
//   pages (madvise), so touching it first costs a few hundred page faults instead of thousands.
// Records that are not plain data (non-trivial copy or destruction) are constructed as usual.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <type_traits>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tavlora {

// Blocks from this size up are huge-page aligned and advised.
inline constexpr std::size_t kBulkHugeMin = std::size_t{4} << 20;
inline constexpr std::size_t kBulkHugePage = std::size_t{2} << 20;

namespace bulk_detail {

inline void* allocateBytes(std::size_t bytes) {
    if (bytes < kBulkHugeMin) return ::operator new(bytes);
    if (bytes > static_cast<std::size_t>(PTRDIFF_MAX) - kBulkHugePage) throw std::bad_alloc();
    const std::size_t rounded = (bytes + kBulkHugePage - 1) / kBulkHugePage * kBulkHugePage;
    void* p = std::aligned_alloc(kBulkHugePage, rounded);
    if (!p) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only advice: a kernel without transparent huge pages refuses it and small pages are used.
    (void)::madvise(p, rounded, MADV_HUGEPAGE);
#endif
    return p;
}

inline void freeBytes(void* p, std::size_t bytes) noexcept {
    if (bytes < kBulkHugeMin)
        ::operator delete(p);
    else
        std::free(p);
}

}  // namespace bulk_detail

template <typename T>
class TBulkAllocator {
public:
    using value_type = T;

    TBulkAllocator() noexcept = default;
    template <typename U>
    TBulkAllocator(const TBulkAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(bulk_detail::allocateBytes(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { bulk_detail::freeBytes(p, n * sizeof(T)); }

    // Growth without a value: plain-data records keep whatever bytes the memory holds.
    template <typename U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
        if constexpr (!(std::is_trivially_copyable_v<U> && std::is_trivially_destructible_v<U>))
            ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    template <typename U>
    bool operator==(const TBulkAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace tavlora
