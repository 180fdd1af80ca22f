#include "engine/NodeCache.h"

#include <memory>
#include <new>
#include <sanitizer/asan_interface.h>

#include "engine/MathTree.h"

namespace NodeCache {

namespace {

// A cached node block starts with the link to the next one.
struct TFreeBlock {
    TFreeBlock* Next;
};

constexpr std::size_t NodeSize = sizeof(TKvOperatorNode);
static_assert(NodeSize >= sizeof(TFreeBlock));

// Constant-initialized and trivially destructible, so that reaching it costs no guard, and
// blocks handed back after the release (by objects destroyed later at exit) find it intact.
struct TThreadCache {
    TFreeBlock* Blocks;
    std::size_t BlockCount;
    TOperandList* Lists[MaxCachedOperandLists];
    std::size_t ListCount;
    bool ReleaseArranged;
    // Released: from now on everything goes straight back to the heap.
    bool Closed;
};

constinit thread_local TThreadCache Cache{};

// Cached memory is poisoned, so that a use after destruction still shows in the
// sanitizer build.
void PoisonList(TOperandList* list) {
    ASAN_POISON_MEMORY_REGION(list->data(), list->capacity() * sizeof(TKvOperatorNode*));
    ASAN_POISON_MEMORY_REGION(list, sizeof(TOperandList));
}

void UnpoisonList(TOperandList* list) {
    ASAN_UNPOISON_MEMORY_REGION(list, sizeof(TOperandList));
    ASAN_UNPOISON_MEMORY_REGION(list->data(), list->capacity() * sizeof(TKvOperatorNode*));
}

void ReleaseAll() noexcept {
    while (TFreeBlock* block = Cache.Blocks) {
        ASAN_UNPOISON_MEMORY_REGION(block, NodeSize);
        Cache.Blocks = block->Next;
        ::operator delete(block);
    }
    Cache.BlockCount = 0;
    while (Cache.ListCount > 0) {
        TOperandList* list = Cache.Lists[--Cache.ListCount];
        UnpoisonList(list);
        delete list;
    }
}

class TRelease {
public:
    TRelease() = default;
    ~TRelease() {
        ReleaseAll();
        Cache.Closed = true;
    }
    TRelease(const TRelease&) = delete;
    TRelease& operator=(const TRelease&) = delete;
};

// The first block or list a thread caches makes sure that the thread's end releases them.
void ArrangeRelease() noexcept {
    static thread_local TRelease release;
    static_cast<void>(release);
    Cache.ReleaseArranged = true;
}

} // namespace

void* TakeNodeBlock(std::size_t size) {
    if (size == NodeSize && Cache.Blocks != nullptr) {
        TFreeBlock* block = Cache.Blocks;
        ASAN_UNPOISON_MEMORY_REGION(block, NodeSize);
        Cache.Blocks = block->Next;
        --Cache.BlockCount;
        return block;
    }
    return ::operator new(size);
}

void GiveNodeBlock(void* block, std::size_t size) noexcept {
    if (block == nullptr) return;
    if (size != NodeSize || Cache.Closed || Cache.BlockCount >= MaxCachedNodeBlocks) {
        ::operator delete(block);
        return;
    }
    if (!Cache.ReleaseArranged) ArrangeRelease();
    auto* freeBlock = static_cast<TFreeBlock*>(block);
    freeBlock->Next = Cache.Blocks;
    Cache.Blocks = freeBlock;
    ++Cache.BlockCount;
    ASAN_POISON_MEMORY_REGION(block, NodeSize);
}

TOperandList* TakeOperandList() {
    if (Cache.ListCount > 0) {
        TOperandList* list = Cache.Lists[--Cache.ListCount];
        UnpoisonList(list);
        return list;
    }
    auto list = std::make_unique<TOperandList>();
    // Most operators get two operands; one allocation holds both.
    list->reserve(2);
    return list.release();
}

void GiveOperandList(TOperandList* list) noexcept {
    if (list == nullptr) return;
    list->clear();
    const std::size_t capacity = list->capacity();
    if (capacity < 2 || capacity > MaxCachedOperandCapacity || Cache.Closed ||
        Cache.ListCount >= MaxCachedOperandLists) {
        delete list;
        return;
    }
    if (!Cache.ReleaseArranged) ArrangeRelease();
    Cache.Lists[Cache.ListCount++] = list;
    PoisonList(list);
}

std::size_t CachedNodeBlocks() {
    return Cache.BlockCount;
}

std::size_t CachedOperandLists() {
    return Cache.ListCount;
}

} // namespace NodeCache
