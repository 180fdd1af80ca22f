#include <gtest/gtest.h>

#include <vector>

#include "engine/MathTree.h"

namespace {

TKvNodePtr Num(long double v) { return TKvOperatorNode::CreateExtended(v); }

template <typename... Operands> TKvNodePtr Op(std::uint16_t code, Operands... operands) {
    TKvNodePtr node = TKvOperatorNode::CreateOperator(dtExtended, code);
    (node->AddOperand(-1, std::move(operands)), ...);
    return node;
}

long double Eval(TKvOperatorNode& node) {
    long double result = 0;
    node.Evaluate(&result);
    return result;
}

} // namespace

TEST(MathTree, NodeLimitHoldsExactly) {
    const std::int32_t before = NodeInstanceCount;
    std::vector<TKvNodePtr> nodes;
    while (NodeInstanceCount < MaxNodeInstances) nodes.push_back(Num(1));
    EXPECT_EQ(NodeInstanceCount, 10000);
    try {
        Num(2);
        FAIL() << "the 10001st node was made";
    } catch (const ETooMuchInstances& e) {
        EXPECT_STREQ(e.what(), "Too much instances of TKvOperatorNode!");
        EXPECT_EQ(e.Position, -1);
    }
    EXPECT_EQ(NodeInstanceCount, 10000);
    EXPECT_THROW(TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Sum), ETooMuchInstances);
    nodes.pop_back();
    EXPECT_NO_THROW(nodes.push_back(Num(3)));
    nodes.clear();
    EXPECT_EQ(NodeInstanceCount, before);
}

TEST(MathTree, SubtractionMakesTwoNodesAndOwnsBothSides) {
    const std::int32_t before = NodeInstanceCount;
    TKvNodePtr a = Op(OpCodes::Product, Num(2), Num(3));
    TKvNodePtr b = Num(4);
    const std::int32_t withOperands = NodeInstanceCount;
    TKvNodePtr sum = TKvOperatorNode::CreateSubtraction(std::move(a), std::move(b));
    EXPECT_EQ(NodeInstanceCount, withOperands + 2);
    ASSERT_EQ(sum->OpCode, OpCodes::Sum);
    ASSERT_EQ(sum->OperandCount(), 2);
    EXPECT_EQ(sum->GetOperand(1)->OpCode, OpCodes::Negation);
    EXPECT_EQ(Eval(*sum), 2.0L);
    sum.reset();
    EXPECT_EQ(NodeInstanceCount, before);
}

TEST(MathTree, AddOperandPlacesAndIgnores) {
    TKvNodePtr node = Op(OpCodes::Sum, Num(1), Num(2));
    node->AddOperand(-1, static_cast<TKvOperatorNode*>(nullptr));
    EXPECT_EQ(node->OperandCount(), 2);
    node->AddOperand(0, Num(5));
    ASSERT_EQ(node->OperandCount(), 3);
    EXPECT_EQ(node->GetOperand(0)->NodeText(), "5");
    EXPECT_EQ(node->GetOperand(1)->NodeText(), "1");
    node->AddOperand(1, Num(7));
    EXPECT_EQ(node->GetOperand(1)->NodeText(), "7");

    const std::int32_t before = NodeInstanceCount;
    TKvNodePtr leaf = Num(1);
    leaf->AddOperand(-1, Num(2)); // a leaf takes no operand and must not leak it
    EXPECT_EQ(leaf->OperandCount(), 0);
    EXPECT_EQ(NodeInstanceCount, before + 1);

    node->DeleteOperand(0);
    EXPECT_EQ(node->OperandCount(), 3);
    EXPECT_EQ(NodeInstanceCount, before); // one node more (the leaf), one operand less
}

TEST(MathTree, NotOwningLeavesOperandsAlive) {
    TKvNodePtr a = Num(1);
    TKvNodePtr b = Num(2);
    const std::int32_t before = NodeInstanceCount;
    TKvNodePtr sum = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Sum);
    sum->AddOperand(-1, a.get());
    sum->AddOperand(-1, b.get());
    sum->SetOwnsOperands(false);
    sum.reset();
    EXPECT_EQ(NodeInstanceCount, before);
    EXPECT_EQ(a->NodeText(), "1");
}

TEST(MathTree, CloneBindsVariablesByName) {
    TKvVarDepot source, target;
    const long double five = 5;
    source.SetVariable("x", &five, dtExtended);
    TKvNodePtr tree = Op(OpCodes::Sum, TKvOperatorNode::CreateVariable(dtExtended, &source, "x"), Num(2));

    TKvNodePtr copy = tree->Clone(&target);
    EXPECT_EQ(copy->GetOperand(0)->VarDepot, &target);
    EXPECT_EQ(target.GetValue("X"), 5.0L);
    EXPECT_EQ(Eval(*copy), 7.0L);
    const long double one = 1;
    target.SetValue("x", &one);
    EXPECT_EQ(Eval(*copy), 3.0L);
    EXPECT_EQ(Eval(*tree), 7.0L);

    TKvNodePtr sameStore = tree->Clone(nullptr);
    EXPECT_EQ(sameStore->GetOperand(0)->VarDepot, &source);
    EXPECT_EQ(sameStore->GetOperand(0)->Variable, tree->GetOperand(0)->Variable);
}

TEST(MathTree, NodeTextAndContainsVariable) {
    TKvVarDepot depot;
    struct Case {
        std::uint16_t Code;
        const char* Text;
    } cases[] = {{OpCodes::Trunc, "trunc"}, {OpCodes::Sum, "+"},       {OpCodes::Negation, "-"},
                 {OpCodes::Factorial, "!"}, {OpCodes::Subtraction, ""}, {OpCodes::ArcCoth, "arccoth"},
                 {OpCodes::Rnd, "rnd"},     {OpCodes::Power, "^"}};
    for (const Case& c : cases) EXPECT_EQ(TKvOperatorNode::CreateOperator(dtExtended, c.Code)->NodeText(), c.Text);
    EXPECT_EQ(Num(1.5)->NodeText(), "1.5");

    TKvNodePtr tree = Op(OpCodes::Sin);
    tree->AddOperand(-1, Op(OpCodes::Product, Num(2), TKvOperatorNode::CreateVariable(dtExtended, &depot, "x")));
    EXPECT_TRUE(tree->ContainsVariable("X"));
    EXPECT_FALSE(tree->ContainsVariable("y"));
    EXPECT_FALSE(Op(OpCodes::Sin, Num(2))->ContainsVariable("x"));
    EXPECT_EQ(TKvOperatorNode::CreateVariable(dtExtended, &depot, "X")->NodeText(), "x");
}

TEST(MathTree, DeepChainIsDestroyedWithoutRecursion) {
    const std::int32_t before = NodeInstanceCount;
    TKvNodePtr root = Num(0);
    for (int i = 0; i < 9000; ++i) {
        TKvNodePtr parent = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Negation);
        parent->AddOperand(-1, std::move(root));
        root = std::move(parent);
    }
    root.reset();
    EXPECT_EQ(NodeInstanceCount, before);
}

TEST(MathTree, VariableNodeFollowsStore) {
    TKvVarDepot depot;
    TKvNodePtr tree = Op(OpCodes::Product, TKvOperatorNode::CreateVariable(dtExtended, &depot, "a"), Num(3));
    EXPECT_EQ(Eval(*tree), 0.0L);
    const long double two = 2;
    depot.SetValue("A", &two);
    EXPECT_EQ(Eval(*tree), 6.0L);
    EXPECT_EQ(tree->OperandCount(), 2);
    EXPECT_EQ(tree->GetOperand(0)->OperandCount(), 0);
}
