// Every walk over a tree, on degenerate chains as deep as the node limit allows, on a stack of
// half the size the program's main thread gets: walks that recurse would need it all and more
// under the sanitizers, whose frames are several times larger.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "calculus/MathDiff.h"
#include "calculus/MathIntg.h"
#include "functions/ExprText.h"
#include "functions/MthTrFnc.h"
#include "functions/SimplifyImpl.h"
#include "tests/StackLimit.h"

namespace {

constexpr std::size_t TestStack = 4 * 1024 * 1024;

struct TChain {
    const char* Name;
    // Wraps the chain built so far into one more level.
    std::function<TKvNodePtr(TKvNodePtr)> Wrap;
    std::int32_t NodesPerLevel;
    // Of the chain at the node limit; empty where simplifying changes nothing (1^(1^...)
    // would become 1, but there is no node left for the new constant).
    const char* Simplified;
};

TKvNodePtr Op(std::uint16_t code, TKvNodePtr first, TKvNodePtr second = nullptr) {
    TKvNodePtr node = TKvOperatorNode::CreateOperator(dtExtended, code);
    node->AddOperand(-1, std::move(first));
    node->AddOperand(-1, std::move(second));
    return node;
}

TKvNodePtr One() {
    return TKvOperatorNode::CreateExtended(1);
}

const TChain Chains[] = {
    {"negations", [](TKvNodePtr t) { return Op(OpCodes::Negation, std::move(t)); }, 1, "-x"},
    {"sines", [](TKvNodePtr t) { return Op(OpCodes::Sin, std::move(t)); }, 1, ""},
    {"factorials", [](TKvNodePtr t) { return Op(OpCodes::Factorial, std::move(t)); }, 1, ""},
    {"sums", [](TKvNodePtr t) { return Op(OpCodes::Sum, std::move(t), One()); }, 2, "-x+4999"},
    {"quotients", [](TKvNodePtr t) { return Op(OpCodes::Quotient, std::move(t), One()); }, 2, "-x"},
    {"exponents", [](TKvNodePtr t) { return Op(OpCodes::Power, One(), std::move(t)); }, 2, ""},
};

// The chain over the variable x, or over -x where that makes the count exact.
TKvNodePtr Build(const TChain& chain, TKvVarDepot* depot, std::int32_t nodes) {
    TKvNodePtr tree = TKvOperatorNode::CreateVariable(dtExtended, depot, "x");
    std::int32_t made = 1;
    if ((nodes - made) % chain.NodesPerLevel != 0) {
        tree = Op(OpCodes::Negation, std::move(tree));
        ++made;
    }
    for (; made < nodes; made += chain.NodesPerLevel)
        tree = chain.Wrap(std::move(tree));
    return tree;
}

class DeepChain : public testing::Test {
protected:
    void SetUp() override { Before = NodeInstanceCount; }
    void TearDown() override { EXPECT_EQ(NodeInstanceCount, Before); }

    // Runs body on the limited stack with a chain of that many nodes.
    void ForEachChain(std::int32_t nodes,
                      const std::function<void(const TChain&, TKvMathTreeFunction&)>& body) {
        for (const TChain& chain : Chains) {
            SCOPED_TRACE(chain.Name);
            TKvMathTreeFunction function;
            function.SetTree(Build(chain, function.VarDepot, nodes));
            RunWithStack(TestStack, [&] { body(chain, function); });
            RunWithStack(TestStack, [&] { function.SetTree(nullptr); });
            EXPECT_EQ(NodeInstanceCount, Before);
        }
    }

    std::int32_t Before = 0;
};

} // namespace

TEST_F(DeepChain, EvaluationTextAndSearch) {
    ForEachChain(MaxNodeInstances, [](const TChain&, TKvMathTreeFunction& function) {
        EXPECT_EQ(NodeInstanceCount, MaxNodeInstances);
        function.SetVarValue("x", 0.5L);
        function.Calculate();
        EXPECT_GT(function.ToText().size(), 5000u);
        EXPECT_TRUE(function.GetTree()->ContainsVariable("X"));
        EXPECT_FALSE(function.GetTree()->ContainsVariable("y"));
    });
}

TEST_F(DeepChain, Simplification) {
    ForEachChain(MaxNodeInstances, [](const TChain& chain, TKvMathTreeFunction& function) {
        const std::string before = function.ToText();
        function.Simplify();
        const std::string after = function.ToText();
        // Not the texts themselves: they run to thousands of characters.
        EXPECT_TRUE(after == (*chain.Simplified ? chain.Simplified : before))
            << after.size() << " characters, beginning " << after.substr(0, 40);
    });
}

TEST_F(DeepChain, CloningFailsCleanlyAtTheLimitAndWorksBelowIt) {
    ForEachChain(MaxNodeInstances, [](const TChain&, TKvMathTreeFunction& function) {
        EXPECT_THROW(function.GetTree()->Clone(nullptr), ETooMuchInstances);
        EXPECT_EQ(NodeInstanceCount, MaxNodeInstances);
    });
    ForEachChain(MaxNodeInstances / 2, [](const TChain&, TKvMathTreeFunction& function) {
        {
            TKvNodePtr copy = function.GetTree()->Clone(nullptr);
            EXPECT_TRUE(SameTree(*copy, *function.GetTree()));
        }
        TKvMathTreeFunction assigned;
        assigned.Assign(function);
        EXPECT_EQ(assigned.ToText(), function.ToText());
    });
}

TEST_F(DeepChain, DerivativeAndAntiderivative) {
    // Room for the result, or a clean failure when the rules need more nodes than may live.
    ForEachChain(MaxNodeInstances / 3, [](const TChain&, TKvMathTreeFunction& function) {
        const std::int32_t live = NodeInstanceCount;
        for (const auto derive : {&TKvMathDifferencer::DiffTree, &TKvMathIntegrator::IntgNode}) {
            try {
                TKvNodePtr result = derive(*function.GetTree(), "x", function.VarDepot);
                if (result) SimplifyTree(result);
                (void)ExpressionText(result.get());
            } catch (const ETooMuchInstances&) {
            } catch (const EKvFunctionCreatorError&) {
            }
            EXPECT_EQ(NodeInstanceCount, live);
        }
    });
}
