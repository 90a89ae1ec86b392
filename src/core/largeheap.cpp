#include "core/largeheap.h"

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>
#endif

namespace kartevo {

void PrepareLargeHeap(std::size_t reserve)
{
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && defined(MADV_HUGEPAGE)
    constexpr std::size_t kLargePage = std::size_t(2) << 20;
    // The largest block the heap itself gives out; larger ones are mappings of their own.
    constexpr std::size_t kBlock = std::size_t(32) << 20;
    // Large blocks come from the heap too, and its top is not given back, so that the region
    // marked below is where the run's data goes.
    mallopt(M_MMAP_THRESHOLD, int(kBlock));
    mallopt(M_TRIM_THRESHOLD, int(2 * reserve + kBlock));
    // The heap grows by blocks taken one after the other; freed, they join its free top.
    std::vector<void *> blocks;
    std::uintptr_t low = UINTPTR_MAX;
    std::uintptr_t high = 0;
    for (std::size_t taken = 0; taken < reserve; taken += kBlock - kLargePage) {
        void *block = std::malloc(kBlock - kLargePage);
        if (!block)
            break;
        blocks.push_back(block);
        low = std::min(low, reinterpret_cast<std::uintptr_t>(block));
        high = std::max(high, reinterpret_cast<std::uintptr_t>(block) + kBlock - kLargePage);
    }
    // Only whole large pages; where the blocks are not one region (another mapping between
    // them), each block by itself.
    const auto mark = [](std::uintptr_t from, std::uintptr_t to) {
        from = (from + kLargePage - 1) & ~(kLargePage - 1);
        to &= ~(kLargePage - 1);
        return to <= from || madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE) == 0;
    };
    if (!blocks.empty() && !mark(low, high)) {
        for (void *block : blocks)
            mark(reinterpret_cast<std::uintptr_t>(block), reinterpret_cast<std::uintptr_t>(block) + kBlock - kLargePage);
    }
    for (void *block : blocks)
        std::free(block);
#else
    (void)reserve;
#endif
}

} // namespace kartevo
