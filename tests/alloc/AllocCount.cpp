#include "tests/alloc/AllocCount.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::int64_t Count = 0;

void* CountedAllocate(std::size_t size, std::size_t alignment) {
    ++Count;
    if (size == 0) size = 1;
    void* block =
        alignment > alignof(std::max_align_t)
            ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
            : std::malloc(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

} // namespace

std::int64_t AllocationCount() {
    return Count;
}

void* operator new(std::size_t size) {
    return CountedAllocate(size, 0);
}
void* operator new[](std::size_t size) {
    return CountedAllocate(size, 0);
}
void* operator new(std::size_t size, std::align_val_t align) {
    return CountedAllocate(size, static_cast<std::size_t>(align));
}
void* operator new[](std::size_t size, std::align_val_t align) {
    return CountedAllocate(size, static_cast<std::size_t>(align));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return CountedAllocate(size, 0);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return CountedAllocate(size, 0);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    std::free(block);
}
