// Free lists for expression nodes and their operand lists. Parsing makes and drops a handful
// of nodes per expression; taking them back from a list costs far less than the heap.
//
// Each thread keeps its own lists, which are released when the thread ends (for the main
// thread: at exit). A block may be handed back on another thread than the one that took it.
#pragma once

#include <cstddef>
#include <vector>

class TKvOperatorNode;

namespace NodeCache {

using TOperandList = std::vector<TKvOperatorNode*>;

// Raw memory for one node of the given size; raises std::bad_alloc like operator new.
void* TakeNodeBlock(std::size_t size);
void GiveNodeBlock(void* block, std::size_t size) noexcept;

// An empty operand list with room for two operands.
TOperandList* TakeOperandList();
// Takes the list over; its entries are dropped, not destroyed.
void GiveOperandList(TOperandList* list) noexcept;

// Node blocks and operand lists the calling thread holds for reuse.
std::size_t CachedNodeBlocks();
std::size_t CachedOperandLists();

// Most blocks and lists a thread keeps; more are released at once.
constexpr std::size_t MaxCachedNodeBlocks = 1024;
constexpr std::size_t MaxCachedOperandLists = 256;
// Lists grown beyond this many operands go back to the heap rather than into the cache.
constexpr std::size_t MaxCachedOperandCapacity = 16;

} // namespace NodeCache
