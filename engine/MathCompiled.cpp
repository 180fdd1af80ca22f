#include "engine/MathCompiled.h"

#include <algorithm>

#include "engine/MathKernels.h"
#include "engine/MathKernelsImpl.h"
#include "engine/PowerKernel.h"

namespace {

using namespace KvKernels;
using TStep = TKvCompiledStep;
using TRun = long double (*)(const TStep&);

[[gnu::cold, gnu::noinline]] long double Refuse() {
    return RaiseInvalid();
}

template <bool Leaf> [[gnu::always_inline]] inline long double Operand(const void* operand) {
    if constexpr (Leaf) {
        return Load<long double>(operand);
    } else {
        const TStep& step = *static_cast<const TStep*>(operand);
        return step.Run(step);
    }
}

// The operations as the fast evaluators compute them; a failure raises the invalid flag.
struct TAdd {
    static long double Apply(long double a, long double b) { return a + b; }
};
struct TMultiply {
    static long double Apply(long double a, long double b) { return a * b; }
};
struct TDivide {
    static long double Apply(long double a, long double b) {
        if (b == 0) [[unlikely]]
            return Refuse();
        return a / b;
    }
};
struct TPower {
    static long double Apply(long double a, long double b) {
        long double r;
        if (!KvScalar::Power(a, b, r)) [[unlikely]]
            return Refuse();
        return r;
    }
};

// The left operand is computed first, as the fold does.
template <class TOperation, bool LeftLeaf, bool RightLeaf> long double Binary(const TStep& step) {
    const long double left = Operand<LeftLeaf>(step.Left);
    return TOperation::Apply(left, Operand<RightLeaf>(step.Right));
}

template <class TOperation> TRun PickBinary(bool leftLeaf, bool rightLeaf) {
    if (leftLeaf)
        return rightLeaf ? Binary<TOperation, true, true> : Binary<TOperation, true, false>;
    return rightLeaf ? Binary<TOperation, false, true> : Binary<TOperation, false, false>;
}

template <bool Leaf> long double Negation(const TStep& step) {
    return -Operand<Leaf>(step.Left);
}

// One step function per scalar function: the call is direct, and a function defined in the
// header (square root, square) is inlined.
template <bool Leaf> struct TFunctionStep {
    template <KvScalar::TScalarFunction F> static long double Kernel(const TStep& step) {
        return F(Operand<Leaf>(step.Left));
    }
};

// A constant whole exponent from 3 to KvPower::LargestExponent: the integer power directly, without
// the case analysis that gives the same for it (the square is inline in Power already). The
// base's bits are read where they lie and the exponent's from its constant, as 80-bit loads,
// stores and conversions cost more than the power itself.
struct TWholePower {
    static bool Takes(const TKvOperatorNode& exponent) {
        if (exponent.OpCode != OpCodes::Constant) return false;
        const long double b = Load<long double>(exponent.Value);
        return b >= 3 && b <= KvPower::LargestExponent && b == static_cast<int>(b);
    }
    static int Exponent(const void* constant) {
        const KvPair::TBits bits = KvPair::BitsAt(constant);
        return static_cast<int>(bits.Mantissa >> (63 - (bits.SignExponent - KvPair::ExponentBias)));
    }
    // Where the integer power declines, the case analysis decides, as for any exponent.
    [[gnu::cold, gnu::noinline]] static long double Declined(KvPair::TBits a, const void* b) {
        return TPower::Apply(KvPair::FromBits(a.Mantissa, a.SignExponent), Load<long double>(b));
    }
    template <bool LeftLeaf> static long double Run(const TStep& step) {
        KvPair::TBits a;
        if constexpr (LeftLeaf)
            a = KvPair::BitsAt(step.Left);
        else
            a = KvPair::Bits(Operand<false>(step.Left));
        long double r;
        if (KvPower::WholePower(a, Exponent(step.Right), r)) [[likely]]
            return r;
        return Declined(a, step.Right);
    }
};

long double LeafValue(const TStep& step) {
    return Operand<true>(step.Left);
}

// A compiled operand: a leaf's value buffer or the index of a step.
struct TRef {
    const void* Leaf = nullptr;
    std::int32_t Step = -1;
    std::int32_t Depth = 0;
};

class TCompiler {
public:
    TCompiler(std::vector<TStep>& steps, std::vector<std::pair<std::int32_t, std::int32_t>>& links)
        : Steps(steps), Links(links) {
        Links.clear();
    }

    TKvCompiledTree::TResult Result = TKvCompiledTree::TResult::Compiled;

    bool Node(const TKvOperatorNode& node, std::int32_t depth, TRef& out) {
        if (depth > TKvCompiledTree::MaxDepth || node.DataType != dtExtended) return Refused();
        if (!node.ErrorText.empty()) {
            Result = TKvCompiledTree::TResult::Unclean;
            return false;
        }
        // The program follows the fast evaluator of each code; a node with another one (whose
        // kernels a test exchanged) is left to it.
        if (node.OpCode == OpCodes::Constant || node.OpCode == OpCodes::Variable) {
            if (node.Value == nullptr || node.GetFastValue() != SelectFastLeaf(dtExtended))
                return Refused();
            out = TRef{node.Value, -1, 0};
            return true;
        }
        const std::int32_t count = node.OperandCount();
        if (count == 0 || node.GetFastValue() != SelectFastOperator(node.OpCode, dtExtended))
            return Refused();
        for (std::int32_t i = 0; i < count; ++i)
            if (node.GetOperand(i) == nullptr) return Refused();
        if (!Node(*node.GetOperand(0), depth + 1, out)) return false;
        switch (node.OpCode) {
        case OpCodes::Sum:
            return Fold(node, depth, PickBinary<TAdd>, out);
        case OpCodes::Product:
            return Fold(node, depth, PickBinary<TMultiply>, out);
        case OpCodes::Quotient:
            return Fold(node, depth, PickBinary<TDivide>, out);
        case OpCodes::Power:
            return Fold(node, depth, PickBinary<TPower>, out);
        case OpCodes::Negation:
            return Emit(out.Leaf ? Negation<true> : Negation<false>, out, TRef{}, out);
        default:
            break;
        }
        const TRun function = out.Leaf ? KvScalar::PickFunction<TFunctionStep<true>>(node.OpCode)
                                       : KvScalar::PickFunction<TFunctionStep<false>>(node.OpCode);
        if (function == nullptr) return Refused();
        return Emit(function, out, TRef{}, out);
    }

    // Turns the steps' indices into addresses, now that the list no longer grows.
    void Link() {
        for (std::size_t i = 0; i < Steps.size(); ++i) {
            if (Links[i].first >= 0) Steps[i].Left = &Steps[Links[i].first];
            if (Links[i].second >= 0) Steps[i].Right = &Steps[Links[i].second];
        }
    }

    // The root as a step, even when it is a leaf.
    const TStep* RootStep(TRef root) {
        if (root.Leaf != nullptr) Emit(LeafValue, root, TRef{}, root);
        return &Steps[root.Step];
    }

private:
    bool Refused() {
        Result = TKvCompiledTree::TResult::Refused;
        return false;
    }

    // ((a op b) op c) ...; left holds the first operand's code and receives the fold's.
    bool Fold(const TKvOperatorNode& node, std::int32_t depth, TRun (*pick)(bool, bool),
              TRef& left) {
        for (std::int32_t i = 1; i < node.OperandCount(); ++i) {
            TRef right;
            const TKvOperatorNode& operand = *node.GetOperand(i);
            if (!Node(operand, depth + 1, right)) return false;
            const TRun run = node.OpCode == OpCodes::Power && TWholePower::Takes(operand)
                                 ? (left.Leaf ? TWholePower::Run<true> : TWholePower::Run<false>)
                                 : pick(left.Leaf != nullptr, right.Leaf != nullptr);
            if (!Emit(run, left, right, left)) return false;
        }
        return true;
    }

    bool Emit(TRun run, TRef left, TRef right, TRef& out) {
        const std::int32_t depth = std::max(left.Depth, right.Depth) + 1;
        if (depth > TKvCompiledTree::MaxDepth) return Refused();
        Steps.push_back(TStep{run, left.Leaf, right.Leaf});
        Links.emplace_back(left.Step, right.Step);
        out = TRef{nullptr, static_cast<std::int32_t>(Steps.size() - 1), depth};
        return true;
    }

    std::vector<TStep>& Steps;
    std::vector<std::pair<std::int32_t, std::int32_t>>& Links;
};

} // namespace

TKvCompiledTree::TResult TKvCompiledTree::Compile(const TKvOperatorNode& root) {
    Clear();
    TCompiler compiler(Steps, Links);
    TRef top;
    if (!compiler.Node(root, 0, top)) {
        Steps.clear();
        return compiler.Result;
    }
    const TKvCompiledStep* rootStep = compiler.RootStep(top);
    compiler.Link();
    Root = rootStep;
    return TResult::Compiled;
}

void TKvCompiledTree::Clear() {
    Steps.clear();
    Root = nullptr;
}
