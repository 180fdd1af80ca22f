// The integration rule table. Sums, negations, products and quotients hand the work down to
// one or more operands; they are walked with an explicit list, so long chains of them cannot
// exhaust the stack. Every other row builds its result without descending further (the
// substitution's derivative is made by the differencer, which walks without recursion too).
#include <vector>

#include "calculus/MathDiff.h"
#include "calculus/MathIntg.h"
#include "calculus/SymbolicNodes.h"
#include "parser/MathPars.h"
#include "platform/Locale.h"

using Symbolic::Number;

namespace {

class TIntgRules {
public:
    TIntgRules(const std::string& name, TKvVarDepot* depot)
        : UpperName(AnsiUpperCase(name)), Name(name), Depot(depot) {}

    // Null when there is no antiderivative.
    TKvNodePtr Integrate(const TKvOperatorNode& root);
    TKvNodePtr Substitute(TKvNodePtr antiderivative, const TKvOperatorNode& u);

private:
    struct TFrame {
        const TKvOperatorNode* Node;
        std::int32_t Current;
        TKvNodePtr Partial;
    };

    // Either pushes a frame and returns the operand to integrate next, or leaves the node's
    // result in value and returns null.
    const TKvOperatorNode* Start(const TKvOperatorNode& node, std::vector<TFrame>& frames,
                                 TKvNodePtr& value);
    // The rows that do not hand down to an operand.
    TKvNodePtr Row(const TKvOperatorNode& node);
    TKvNodePtr FunctionRow(const TKvOperatorNode& node, const TKvOperatorNode& u);
    TKvNodePtr PowerRule(const TKvOperatorNode& node);
    // An antiderivative over copies of u, passed through the substitution.
    TKvNodePtr OverOperand(const char* text, const TKvOperatorNode& u);
    // The position of the only operand with the variable, or -1.
    std::int32_t SoleVarying(const TKvOperatorNode& node) const;

    TKvNodePtr Copy(const TKvOperatorNode& node) const { return node.Clone(Depot); }
    template <typename... T> TKvNodePtr Make(std::uint16_t code, T... operands) const {
        return Symbolic::MakeNode(DataType, code, std::move(operands)...);
    }

    const std::string UpperName;
    const std::string Name;
    TKvVarDepot* const Depot;
    // Every node a rule makes carries the type of the node being integrated.
    TKvDataType DataType = dtExtended;
};

// The next operand after position current, or null.
const TKvOperatorNode* NextOperand(const TKvOperatorNode& node, std::int32_t& current) {
    while (++current < node.OperandCount())
        if (node.GetOperand(current) != nullptr) return node.GetOperand(current);
    return nullptr;
}

bool HasVariableNode(const TKvOperatorNode& root) {
    std::vector<const TKvOperatorNode*> pending{&root};
    while (!pending.empty()) {
        const TKvOperatorNode* node = pending.back();
        pending.pop_back();
        if (node->OpCode == OpCodes::Variable) return true;
        for (std::int32_t i = 0; i < node->OperandCount(); ++i)
            if (node->GetOperand(i) != nullptr) pending.push_back(node->GetOperand(i));
    }
    return false;
}

// An exponent made of numbers alone whose value is exactly -1.
bool IsMinusOne(TKvOperatorNode& exponent) {
    if (exponent.DataType != dtExtended || HasVariableNode(exponent)) return false;
    long double value = 0;
    exponent.Evaluate(&value);
    return exponent.ErrorText.empty() && value == -1.0L;
}

TKvNodePtr TIntgRules::Integrate(const TKvOperatorNode& root) {
    std::vector<TFrame> frames;
    TKvNodePtr value;
    const TKvOperatorNode* pending = &root;
    for (;;) {
        while (pending != nullptr)
            pending = Start(*pending, frames, value);
        // Hand the value up until a sum wants its next operand.
        while (pending == nullptr) {
            if (frames.empty()) return value;
            TFrame& frame = frames.back();
            const TKvOperatorNode& node = *frame.Node;
            // An operand without antiderivative leaves every enclosing row without one.
            if (value) {
                switch (node.OpCode) {
                case OpCodes::Sum:
                    frame.Partial->AddOperand(-1, std::move(value));
                    pending = NextOperand(node, frame.Current);
                    if (pending != nullptr) continue;
                    value = std::move(frame.Partial);
                    break;
                case OpCodes::Negation:
                    value = Symbolic::MakeNode(node.DataType, OpCodes::Negation, std::move(value));
                    break;
                case OpCodes::Product:
                    frame.Partial->AddOperand(-1, std::move(value));
                    value = std::move(frame.Partial);
                    break;
                default: {
                    // A quotient whose divisors are free of the variable.
                    TKvNodePtr quotient =
                        Symbolic::MakeNode(node.DataType, OpCodes::Quotient, std::move(value));
                    for (std::int32_t i = 1; i < node.OperandCount(); ++i)
                        if (node.GetOperand(i) != nullptr)
                            quotient->AddOperand(-1, Copy(*node.GetOperand(i)));
                    value = std::move(quotient);
                    break;
                }
                }
            }
            frames.pop_back();
        }
    }
}

const TKvOperatorNode* TIntgRules::Start(const TKvOperatorNode& node, std::vector<TFrame>& frames,
                                         TKvNodePtr& value) {
    DataType = node.DataType;
    value = nullptr;
    if (!node.ContainsVariable(Name)) {
        // A constant factor of the variable.
        value = Make(OpCodes::Product, Copy(node),
                     TKvOperatorNode::CreateVariable(node.DataType, Depot, Name));
        return nullptr;
    }
    std::int32_t first = -1;
    switch (node.OpCode) {
    case OpCodes::Sum:
        frames.push_back({&node, first, Make(OpCodes::Sum)});
        return NextOperand(node, frames.back().Current);
    case OpCodes::Negation:
        frames.push_back({&node, 0, nullptr});
        return NextOperand(node, first);
    case OpCodes::Product: {
        const std::int32_t k = SoleVarying(node);
        if (k < 0) return nullptr;
        TKvNodePtr product = Make(OpCodes::Product);
        for (std::int32_t i = 0; i < node.OperandCount(); ++i)
            if (i != k && node.GetOperand(i) != nullptr)
                product->AddOperand(-1, Copy(*node.GetOperand(i)));
        frames.push_back({&node, k, std::move(product)});
        return node.GetOperand(k);
    }
    case OpCodes::Quotient:
        if (SoleVarying(node) != 0) return nullptr;
        frames.push_back({&node, 0, nullptr});
        return node.GetOperand(0);
    default:
        value = Row(node);
        return nullptr;
    }
}

TKvNodePtr TIntgRules::Row(const TKvOperatorNode& node) {
    switch (node.OpCode) {
    case OpCodes::Variable:
        return Make(OpCodes::Product, Number(0.5L), Make(OpCodes::Power, Copy(node), Number(2)));
    case OpCodes::Power:
        return PowerRule(node);
    default:
        if (OpCodes::IsNamedFunction(node.OpCode) && node.OperandCount() > 0 &&
            node.GetOperand(0) != nullptr)
            return FunctionRow(node, *node.GetOperand(0));
        // The factorial has no antiderivative here.
        return nullptr;
    }
}

TKvNodePtr TIntgRules::FunctionRow(const TKvOperatorNode& node, const TKvOperatorNode& u) {
    using namespace OpCodes;
    // Rows that rewrite the function and integrate the rewritten tree.
    const auto integrated = [this](TKvNodePtr rewritten) { return Integrate(*rewritten); };
    switch (node.OpCode) {
    case Exp:
        return Substitute(Make(Exp, Copy(u)), u);
    case Ln:
        return OverOperand("{0}*ln({0})-{0}", u);
    case Log:
        return integrated(Make(Quotient, Make(Ln, Copy(u)), Make(Ln, Number(10))));
    case Ld:
        return integrated(Make(Quotient, Make(Ln, Copy(u)), Make(Ln, Number(2))));
    case Sqr:
        return integrated(Make(Power, Copy(u), Number(2)));
    case Sqrt:
        return integrated(Make(Power, Copy(u), Number(0.5L)));
    case Sin:
        return Make(Negation, Substitute(Make(Cos, Copy(u)), u));
    case Cos:
        return Substitute(Make(Sin, Copy(u)), u);
    case Tan:
    case Cot:
        // sin(u)/cos(u) and cos(u)/sin(u) have the variable in the divisor.
        return nullptr;
    case Sinh:
        return Substitute(Make(Cosh, Copy(u)), u);
    case Cosh:
        return Substitute(Make(Sinh, Copy(u)), u);
    case ArcSin:
        return OverOperand("{0}*arcsin({0})+sqrt(1-sqr({0}))", u);
    case ArcCos:
        return OverOperand("{0}*arccos({0})-sqrt(1-sqr({0}))", u);
    case ArcTan:
        return OverOperand("{0}*arctan({0})-ln(1+sqr({0}))/2", u);
    case ArcCot:
        return OverOperand("{0}*arccot({0})+ln(1+sqr({0}))/2", u);
    case Tanh:
        return OverOperand("ln(cosh({0}))", u);
    case Coth:
        // sinh changes sign with u; the logarithm needs its magnitude.
        return OverOperand("ln(abs(sinh({0})))", u);
    case ArcSinh:
        return OverOperand("{0}*arcsinh({0})-sqrt(sqr({0})+1)", u);
    case ArcCosh:
        return OverOperand("{0}*arccosh({0})-sqrt(sqr({0})-1)", u);
    case ArcTanh:
        // Defined for |u| < 1, where 1-u^2 is positive.
        return OverOperand("{0}*arctanh({0})+ln(1-sqr({0}))/2", u);
    case ArcCoth:
        // Defined for |u| > 1, where u^2-1 is positive.
        return OverOperand("{0}*arccoth({0})+ln(sqr({0})-1)/2", u);
    default:
        if (Symbolic::IsNotContinuous(node.OpCode))
            throw EKvFunctionNotStetic(node.NodeText() + " nicht stetig!");
        return nullptr;
    }
}

TKvNodePtr TIntgRules::PowerRule(const TKvOperatorNode& node) {
    if (node.OperandCount() < 2) return nullptr;
    const TKvOperatorNode& u = *node.GetOperand(0);
    bool exponentVaries = false;
    TKvNodePtr v;
    if (node.OperandCount() == 2) {
        v = Copy(*node.GetOperand(1));
        exponentVaries = node.GetOperand(1)->ContainsVariable(Name);
    } else {
        // The exponents apply one after the other: their product is the exponent.
        v = Make(OpCodes::Product);
        for (std::int32_t i = 1; i < node.OperandCount(); ++i) {
            v->AddOperand(-1, Copy(*node.GetOperand(i)));
            exponentVaries = exponentVaries || node.GetOperand(i)->ContainsVariable(Name);
        }
    }

    if (exponentVaries) {
        // u^V = exp(V*ln(u)).
        TKvNodePtr rewritten =
            Make(OpCodes::Exp, Make(OpCodes::Product, std::move(v), Make(OpCodes::Ln, Copy(u))));
        return Integrate(*rewritten);
    }
    // 1/(V+1) would divide by zero; the logarithm of the magnitude holds on both sides of 0.
    if (IsMinusOne(*v)) return OverOperand("ln(abs({0}))", u);
    TKvNodePtr factor = Make(OpCodes::Quotient, Number(1), Make(OpCodes::Sum, Copy(*v), Number(1)));
    TKvNodePtr power = Make(OpCodes::Power, Copy(u), Make(OpCodes::Sum, std::move(v), Number(1)));
    return Substitute(Make(OpCodes::Product, std::move(factor), std::move(power)), u);
}

TKvNodePtr TIntgRules::OverOperand(const char* text, const TKvOperatorNode& u) {
    return Substitute(BuildFromTemplate(text, Copy(u), nullptr, Depot), u);
}

TKvNodePtr TIntgRules::Substitute(TKvNodePtr antiderivative, const TKvOperatorNode& u) {
    if (Symbolic::IsNamed(u, UpperName)) return antiderivative;
    TKvNodePtr inner = TKvMathDifferencer::DiffTree(u, Name, Depot);
    if (inner->ContainsVariable(Name))
        throw EKvMathIntegrator("Integration nicht möglich bzw. zu kompliziert!");
    return BuildFromTemplate("{0}/{1}", std::move(antiderivative), std::move(inner), Depot);
}

std::int32_t TIntgRules::SoleVarying(const TKvOperatorNode& node) const {
    std::int32_t found = -1;
    for (std::int32_t i = 0; i < node.OperandCount(); ++i) {
        const TKvOperatorNode* operand = node.GetOperand(i);
        if (operand == nullptr || !operand->ContainsVariable(Name)) continue;
        if (found >= 0) return -1;
        found = i;
    }
    return found;
}

} // namespace

TKvNodePtr TKvMathIntegrator::IntgNode(const TKvOperatorNode& node, const std::string& name,
                                       TKvVarDepot* depot) {
    return TIntgRules(name, depot).Integrate(node);
}

TKvNodePtr TKvMathIntegrator::ApplyIntgChainRule(TKvNodePtr antiderivative,
                                                 const TKvOperatorNode& operand,
                                                 const std::string& name, TKvVarDepot* depot) {
    return TIntgRules(name, depot).Substitute(std::move(antiderivative), operand);
}
