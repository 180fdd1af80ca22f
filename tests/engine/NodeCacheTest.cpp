#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "engine/MathTree.h"
#include "engine/NodeCache.h"

namespace {

long double ValueOf(TKvOperatorNode& node) {
    long double result = 0;
    node.Evaluate(&result);
    EXPECT_EQ(node.ErrorText, "");
    return result;
}

// 1 + 2 + ... + count as one sum node.
TKvNodePtr SumUpTo(int count) {
    TKvNodePtr sum = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Sum);
    for (int i = 1; i <= count; ++i)
        sum->AddOperand(-1, TKvOperatorNode::CreateExtended(i));
    return sum;
}

TEST(NodeCache, ReusedOperandListsStartEmpty) {
    // Whatever the destroyed node still listed must not show up in the next one's operands.
    const struct {
        const char* name;
        int operands;
        bool ownsOperands;
    } cases[] = {
        {"two owned", 2, true},
        {"two borrowed", 2, false},
        {"grown list", 9, true},
        {"no operands", 0, true},
    };
    const std::int32_t before = NodeInstanceCount;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TKvNodePtr> kept;
        {
            TKvNodePtr giver = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Product);
            giver->SetOwnsOperands(c.ownsOperands);
            for (int i = 0; i < c.operands; ++i) {
                TKvNodePtr operand = TKvOperatorNode::CreateExtended(2);
                giver->AddOperand(-1, operand.get());
                if (c.ownsOperands)
                    operand.release();
                else
                    kept.push_back(std::move(operand));
            }
        }
        for (int round = 0; round < 3; ++round) {
            TKvNodePtr taker = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Sum);
            EXPECT_EQ(taker->OperandCount(), 0);
            taker->AddOperand(-1, TKvOperatorNode::CreateExtended(3));
            taker->AddOperand(-1, TKvOperatorNode::CreateExtended(4));
            EXPECT_EQ(ValueOf(*taker), 7.0L);
        }
        for (const TKvNodePtr& operand : kept)
            EXPECT_EQ(ValueOf(*operand), 2.0L);
    }
    EXPECT_EQ(NodeInstanceCount, before);
}

TEST(NodeCache, KeepsAtMostItsLimits) {
    const std::int32_t before = NodeInstanceCount;
    {
        // Many small operators, and one sum whose list grew far beyond two operands.
        std::vector<TKvNodePtr> nodes;
        for (std::size_t i = 0; i < NodeCache::MaxCachedNodeBlocks + 100; ++i)
            nodes.push_back(TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Negation));
        nodes.push_back(SumUpTo(3000));
        EXPECT_EQ(ValueOf(*nodes.back()), 4501500.0L);
    }
    EXPECT_EQ(NodeInstanceCount, before);
    EXPECT_LE(NodeCache::CachedNodeBlocks(), NodeCache::MaxCachedNodeBlocks);
    EXPECT_LE(NodeCache::CachedOperandLists(), NodeCache::MaxCachedOperandLists);

    const std::size_t lists = NodeCache::CachedOperandLists();
    if (lists < NodeCache::MaxCachedOperandLists) {
        SumUpTo(int(NodeCache::MaxCachedOperandCapacity) + 1).reset();
        EXPECT_EQ(NodeCache::CachedOperandLists(), lists) << "a grown list is not kept";
    }
}

// Trees may be made on one thread and destroyed on another; each thread's cache goes with it.
TEST(NodeCache, NodesCrossThreads) {
    const std::int32_t before = NodeInstanceCount;

    TKvNodePtr madeThere;
    std::thread([&] { madeThere = SumUpTo(10); }).join();
    EXPECT_EQ(ValueOf(*madeThere), 55.0L);
    madeThere.reset();

    TKvNodePtr madeHere = SumUpTo(20);
    std::thread([&] {
        madeHere.reset();
        // The blocks just handed back serve this thread's next nodes.
        TKvNodePtr again = SumUpTo(20);
        EXPECT_EQ(ValueOf(*again), 210.0L);
    }).join();

    std::thread([] {
        // Made before the thread caches anything, so destroyed after its cache was released:
        // these nodes go straight back to the heap.
        static thread_local TKvNodePtr heldToTheEnd;
        heldToTheEnd = SumUpTo(5);
        SumUpTo(5).reset();
        EXPECT_GT(NodeCache::CachedNodeBlocks(), 0u);
    }).join();

    EXPECT_EQ(NodeInstanceCount, before);
}

} // namespace
