// The differentiation rule table. The tree is walked bottom-up with an explicit list, so a
// derivative of any depth that fits the node limit also fits the stack: each node's rule
// receives its operands' derivatives already made and only builds its own level.
#include <algorithm>
#include <span>
#include <vector>

#include "calculus/MathDiff.h"
#include "calculus/SymbolicNodes.h"
#include "engine/TreeWalk.h"
#include "parser/MathPars.h"
#include "platform/Locale.h"

using Symbolic::IsConstantOne;
using Symbolic::Number;

namespace {

// An operand as the rules see it: whether it contains the variable, and its derivative
// (present exactly when it does, until a rule takes it).
struct TOperand {
    const TKvOperatorNode* Node = nullptr;
    bool Contains = false;
    TKvNodePtr Derivative;
};
using TOperands = std::span<TOperand>;

bool AnyContains(TOperands operands) {
    return std::any_of(operands.begin(), operands.end(),
                       [](const TOperand& operand) { return operand.Contains; });
}

// A product or sum left with one operand stands for that operand.
TKvNodePtr Unwrapped(TKvNodePtr node) {
    return node->OperandCount() == 1 ? node->ReleaseOperand(0) : std::move(node);
}

class TDiffRules {
public:
    TDiffRules(const std::string& name, TKvVarDepot* depot)
        : UpperName(AnsiUpperCase(name)), Name(name), Depot(depot) {}

    // Null when the node does not contain the variable.
    TKvNodePtr Derive(const TKvOperatorNode& root);

    bool IsTheVariable(const TKvOperatorNode& node) const {
        return Symbolic::IsNamed(node, UpperName);
    }

private:
    TKvNodePtr Rule(const TKvOperatorNode& node, TOperands operands);
    TKvNodePtr FunctionRule(const TKvOperatorNode& node, TOperand& u);
    TKvNodePtr SumRule(TOperands operands);
    TKvNodePtr ProductRule(TOperands operands);
    TKvNodePtr QuotientRule(TOperands operands);
    TKvNodePtr PowerRule(TOperands operands);

    // outer * u' (outer alone when u is the variable), with u' given.
    TKvNodePtr Chain(TKvNodePtr outer, const TOperand& u, TKvNodePtr derivative);
    // The derivative of ln(u); uses up u's derivative.
    TKvNodePtr LnDerivative(TOperand& u);
    // The derivative of u^exponent for an exponent without the variable.
    TKvNodePtr PowerOfOperand(TOperand& u, long double exponent);

    TKvNodePtr Take(TOperand& operand) const;
    TKvNodePtr CopyOfDerivative(const TOperand& operand) const;
    TKvNodePtr Copy(const TKvOperatorNode& node) const { return node.Clone(Depot); }
    template <typename... T> TKvNodePtr Make(std::uint16_t code, T... operands) const {
        return Symbolic::MakeNode(DataType, code, std::move(operands)...);
    }
    TKvNodePtr Template(const char* text, TKvNodePtr tree0, TKvNodePtr tree1 = nullptr) const {
        return BuildFromTemplate(text, std::move(tree0), std::move(tree1), Depot);
    }

    const std::string UpperName;
    const std::string Name;
    TKvVarDepot* const Depot;
    // Every node a rule makes carries the type of the node being differentiated.
    TKvDataType DataType = dtExtended;
};

TKvNodePtr TDiffRules::Derive(const TKvOperatorNode& root) {
    return FoldTree<TOperand>(root,
                              [&](const TKvOperatorNode& node, TOperands operands) {
                                  TOperand result{&node, false, nullptr};
                                  result.Contains = node.OperandCount() == 0
                                                        ? node.ContainsVariable(Name)
                                                        : AnyContains(operands);
                                  if (result.Contains) {
                                      DataType = node.DataType;
                                      result.Derivative = Rule(node, operands);
                                  }
                                  return result;
                              })
        .Derivative;
}

TKvNodePtr TDiffRules::Rule(const TKvOperatorNode& node, TOperands operands) {
    switch (node.OpCode) {
    case OpCodes::Variable:
        return Number(1);
    case OpCodes::Sum:
        return SumRule(operands);
    case OpCodes::Product:
        return ProductRule(operands);
    case OpCodes::Quotient:
        return QuotientRule(operands);
    case OpCodes::Power:
        return PowerRule(operands);
    case OpCodes::Negation:
        return Make(OpCodes::Negation, Take(operands[0]));
    default:
        if (OpCodes::IsNamedFunction(node.OpCode)) return FunctionRule(node, operands[0]);
        // The factorial (and anything unknown) has no rule; a zero here would be wrong.
        throw EKvMathDifferencer(node.NodeText() + " nicht differenzierbar");
    }
}

TKvNodePtr TDiffRules::FunctionRule(const TKvOperatorNode& node, TOperand& u) {
    using namespace OpCodes;
    const auto one = [] { return Number(1); };
    const auto sqrOfU = [&] { return Make(Sqr, Copy(*u.Node)); };
    const std::uint16_t code = node.OpCode;
    switch (code) {
    case Exp:
        return Chain(Make(Exp, Copy(*u.Node)), u, Take(u));
    case Ln:
        return LnDerivative(u);
    case Log:
    case Ld:
        // ln(u)/ln(10) and ln(u)/ln(2): only the dividend contains the variable.
        return Make(Quotient, LnDerivative(u), Make(Ln, Number(code == Log ? 10 : 2)));
    case Sqr:
        return PowerOfOperand(u, 2);
    case Sqrt:
        return PowerOfOperand(u, 0.5L);
    case Sin:
        return Chain(Make(Cos, Copy(*u.Node)), u, Take(u));
    case Cos:
        return Make(Negation, Chain(Make(Sin, Copy(*u.Node)), u, Take(u)));
    case Tan:
    case Cot: {
        // The quotient rule on sin(u)/cos(u) or cos(u)/sin(u).
        TKvNodePtr sinU = Make(Sin, Copy(*u.Node));
        TKvNodePtr cosU = Make(Cos, Copy(*u.Node));
        TKvNodePtr sinDerivative = Chain(Make(Cos, Copy(*u.Node)), u, CopyOfDerivative(u));
        TKvNodePtr cosDerivative = Make(Negation, Chain(Make(Sin, Copy(*u.Node)), u, Take(u)));
        TOperand sine{sinU.get(), true, std::move(sinDerivative)};
        TOperand cosine{cosU.get(), true, std::move(cosDerivative)};
        TOperand parts[2] = {std::move(code == Tan ? sine : cosine),
                             std::move(code == Tan ? cosine : sine)};
        return QuotientRule(parts);
    }
    case ArcSin:
    case ArcCos: {
        TKvNodePtr root = Make(Sqrt, Make(Sum, one(), Make(Negation, sqrOfU())));
        return Chain(Make(Quotient, Number(code == ArcSin ? 1 : -1), std::move(root)), u, Take(u));
    }
    case ArcTan:
        return Chain(Make(Quotient, one(), Make(Sum, one(), sqrOfU())), u, Take(u));
    case ArcCot:
        return Make(Negation, Chain(Make(Quotient, one(), Make(Sum, one(), sqrOfU())), u, Take(u)));
    case Sinh:
        return Chain(Make(Cosh, Copy(*u.Node)), u, Take(u));
    case Cosh:
        return Chain(Make(Sinh, Copy(*u.Node)), u, Take(u));
    case Tanh:
        return Chain(Make(Quotient, one(), Make(Sqr, Make(Cosh, Copy(*u.Node)))), u, Take(u));
    case Coth:
        return Chain(Make(Quotient, Number(-1), Make(Sqr, Make(Sinh, Copy(*u.Node)))), u, Take(u));
    case ArcSinh:
        return Chain(Make(Quotient, one(), Make(Sqrt, Make(Sum, sqrOfU(), one()))), u, Take(u));
    case ArcCosh:
        return Chain(Make(Quotient, one(), Make(Sqrt, Make(Sum, sqrOfU(), Make(Negation, one())))),
                     u, Take(u));
    case ArcTanh:
    case ArcCoth:
        return Chain(Make(Quotient, one(), Make(Sum, one(), Make(Negation, sqrOfU()))), u, Take(u));
    default:
        if (Symbolic::IsNotContinuous(code))
            throw EKvFunctionNotStetic(node.NodeText() + " nicht stetig!");
        throw EKvMathDifferencer(node.NodeText() + " nicht differenzierbar");
    }
}

TKvNodePtr TDiffRules::SumRule(TOperands operands) {
    TKvNodePtr sum = Make(OpCodes::Sum);
    for (TOperand& operand : operands)
        if (operand.Contains) sum->AddOperand(-1, Take(operand));
    return Unwrapped(std::move(sum));
}

TKvNodePtr TDiffRules::ProductRule(TOperands operands) {
    std::vector<std::size_t> varying;
    for (std::size_t i = 0; i < operands.size(); ++i)
        if (operands[i].Contains) varying.push_back(i);

    if (varying.size() == 1) {
        const std::size_t k = varying.front();
        TKvNodePtr product = Make(OpCodes::Product);
        for (std::size_t i = 0; i < operands.size(); ++i)
            if (i != k) product->AddOperand(-1, Copy(*operands[i].Node));
        if (!IsTheVariable(*operands[k].Node)) product->AddOperand(-1, Take(operands[k]));
        // Only for a product of the variable alone.
        if (product->OperandCount() == 0) return Number(1);
        return Unwrapped(std::move(product));
    }

    TKvNodePtr sum = Make(OpCodes::Sum);
    for (const std::size_t k : varying) {
        TKvNodePtr term = Make(OpCodes::Product);
        for (const std::size_t j : varying) {
            if (j != k)
                term->AddOperand(-1, Copy(*operands[j].Node));
            else if (!IsTheVariable(*operands[j].Node))
                term->AddOperand(-1, Take(operands[j]));
        }
        sum->AddOperand(-1, Unwrapped(std::move(term)));
    }
    if (varying.size() == operands.size()) return sum;
    TKvNodePtr product = Make(OpCodes::Product);
    for (const TOperand& operand : operands)
        if (!operand.Contains) product->AddOperand(-1, Copy(*operand.Node));
    product->AddOperand(-1, std::move(sum));
    return product;
}

TKvNodePtr TDiffRules::QuotientRule(TOperands operands) {
    if (operands.size() < 2) throw EKvMathDifferencer("Quotient ohne Divisor");
    TOperand& u = operands[0];
    const TOperands divisors = operands.subspan(1);
    if (!AnyContains(divisors)) {
        TKvNodePtr quotient = Make(OpCodes::Quotient, Take(u));
        for (const TOperand& divisor : divisors)
            quotient->AddOperand(-1, Copy(*divisor.Node));
        return quotient;
    }

    // V is the product of the divisors.
    TKvNodePtr v;
    TKvNodePtr vDerivative;
    if (divisors.size() == 1) {
        v = Copy(*divisors[0].Node);
        vDerivative = Take(divisors[0]);
    } else {
        v = Make(OpCodes::Product);
        for (const TOperand& divisor : divisors)
            v->AddOperand(-1, Copy(*divisor.Node));
        vDerivative = ProductRule(divisors);
    }

    if (u.Contains) {
        // (u'V - uV')/V^2
        TKvNodePtr left = Make(OpCodes::Product, Take(u), Copy(*v));
        TKvNodePtr right =
            Make(OpCodes::Negation, Make(OpCodes::Product, Copy(*u.Node), std::move(vDerivative)));
        TKvNodePtr numerator = Make(OpCodes::Sum, std::move(left), std::move(right));
        TKvNodePtr square = Make(OpCodes::Power, std::move(v), Number(2));
        return Make(OpCodes::Quotient, std::move(numerator), std::move(square));
    }
    // -(u*V')/V^2, without the factor when the dividend is 1.
    TKvNodePtr numerator = u.Node->NodeText() == "1"
                               ? std::move(vDerivative)
                               : Template("{0}*{1}", Copy(*u.Node), std::move(vDerivative));
    return Template("-{0}/{1}^2", std::move(numerator), std::move(v));
}

TKvNodePtr TDiffRules::PowerRule(TOperands operands) {
    if (operands.size() < 2) throw EKvMathDifferencer("Potenz ohne Exponent");
    TOperand& u = operands[0];
    const TOperands exponents = operands.subspan(1);
    // V is the product of the exponents.
    TKvNodePtr v;
    if (exponents.size() == 1) {
        v = Copy(*exponents[0].Node);
    } else {
        v = Make(OpCodes::Product);
        for (const TOperand& exponent : exponents)
            v->AddOperand(-1, Copy(*exponent.Node));
    }

    if (!AnyContains(exponents)) {
        // V*u^(V-1)*u'
        TKvNodePtr result = Template("{0}*{1}^({0}-1)", std::move(v), Copy(*u.Node));
        TKvNodePtr g = Take(u);
        if (!IsConstantOne(*g)) result->AddOperand(-1, std::move(g));
        return result;
    }

    // The derivative of exp(V*ln(u)): exp(V*ln(u)) times the product rule on V*ln(u).
    TKvNodePtr vDerivative = exponents.size() == 1 ? Take(exponents[0]) : ProductRule(exponents);
    TKvNodePtr lnU = Make(OpCodes::Ln, Copy(*u.Node));
    TOperand factors[2] = {{v.get(), true, std::move(vDerivative)},
                           {lnU.get(), u.Contains, u.Contains ? LnDerivative(u) : nullptr}};
    TKvNodePtr exponentDerivative = ProductRule(factors);
    TKvNodePtr power = Template("exp({0}*ln({1}))", std::move(v), Copy(*u.Node));
    return Template("{0}*{1}", std::move(power), std::move(exponentDerivative));
}

TKvNodePtr TDiffRules::Chain(TKvNodePtr outer, const TOperand& u, TKvNodePtr derivative) {
    if (IsTheVariable(*u.Node)) return outer;
    if (!derivative) throw EKvMathDifferencer("Fehlende Ableitung");
    return Template("{0}*{1}", std::move(outer), std::move(derivative));
}

TKvNodePtr TDiffRules::LnDerivative(TOperand& u) {
    return Chain(Template("1/{0}", Copy(*u.Node)), u, Take(u));
}

TKvNodePtr TDiffRules::PowerOfOperand(TOperand& u, long double exponent) {
    TOperand parts[2] = {{u.Node, true, Take(u)}, {nullptr, false, nullptr}};
    TKvNodePtr constant = Number(exponent);
    parts[1].Node = constant.get();
    return PowerRule(parts);
}

TKvNodePtr TDiffRules::Take(TOperand& operand) const {
    if (!operand.Derivative) throw EKvMathDifferencer("Fehlende Ableitung");
    return std::move(operand.Derivative);
}

TKvNodePtr TDiffRules::CopyOfDerivative(const TOperand& operand) const {
    if (!operand.Derivative) throw EKvMathDifferencer("Fehlende Ableitung");
    return operand.Derivative->Clone(Depot);
}

} // namespace

TKvNodePtr TKvMathDifferencer::DiffNode(const TKvOperatorNode& node, const std::string& name,
                                        TKvVarDepot* depot) {
    return TDiffRules(name, depot).Derive(node);
}

TKvNodePtr TKvMathDifferencer::ApplyChainRule(TKvNodePtr outer, const TKvOperatorNode& operand,
                                              const std::string& name, TKvVarDepot* depot) {
    if (TDiffRules(name, depot).IsTheVariable(operand)) return outer;
    TKvNodePtr derivative = DiffNode(operand, name, depot);
    // A factor whose derivative is identically zero makes the whole product zero.
    if (!derivative) return nullptr;
    return BuildFromTemplate("{0}*{1}", std::move(outer), std::move(derivative), depot);
}
