// Numeric methods: function objects without a tree of their own. Each wraps another function
// object and computes its Result by evaluating that function at chosen values of one of its
// variables, the running variable.
#pragma once

#include <cstdint>
#include <string>

#include "calculus/NumericRules.h"
#include "engine/MathCompiled.h"
#include "engine/Progress.h"
#include "functions/MathFunc.h"
#include "functions/MthTrFnc.h"
#include "platform/Exceptions.h"
#include "platform/FpuFaults.h"

// No running variable, or one the wrapped function does not have.
class EKvNoRunningVarIndex : public Exception {
public:
    using Exception::Exception;
};
// Newton's difference quotient is 0.
class EKvDiffNull : public Exception {
public:
    using Exception::Exception;
};
// Newton's method did not converge.
class EKvNoResult : public Exception {
public:
    using Exception::Exception;
};
// An order the numeric derivative refuses.
class EKvIllegalDiffNumLevel : public Exception {
public:
    using Exception::Exception;
};
// An interval, width or piece count the interval methods refuse.
class EKvIllegalIntIntervall : public Exception {
public:
    using Exception::Exception;
};

// The base of the numeric methods. Variables and the message live in OtherFunction.
class TKvMathUseOtherFunction : public TKvMathFunction {
public:
    // Takes over other; set BorrowedFunction when it belongs to someone else.
    explicit TKvMathUseOtherFunction(TKvMathTreeFunction* other) : OtherFunction(other) {}
    ~TKvMathUseOtherFunction() override;
    TKvMathUseOtherFunction(const TKvMathUseOtherFunction&) = delete;
    TKvMathUseOtherFunction& operator=(const TKvMathUseOtherFunction&) = delete;

    std::string ClassName() const override { return "TKvMathUseOtherFunction"; }

    long double GetVarValue(const std::string& name) const override;
    void SetVarValue(const std::string& name, long double value) override;
    long double GetVarValueByIndex(std::int32_t index) const override;
    void SetVarValueByIndex(std::int32_t index, long double value) override;
    std::string GetVarName(std::int32_t index) const override;
    std::int32_t IndexOfVar(const std::string& name) const override;
    std::int32_t VarCount() const override;
    std::string GetErrorText() const override;
    void SetErrorText(const std::string& text) override;

    // Looks the name up once; -1 for a name OtherFunction does not have.
    virtual void SetRunningVariable(const std::string& name);

    TKvMathTreeFunction* OtherFunction;
    std::int32_t RunVarIndex = 0;
    bool BorrowedFunction = false;

protected:
    // Puts x into the running variable and evaluates OtherFunction. A failed evaluation does not
    // raise; its message stays in OtherFunction. A fault still pending from the arithmetic that
    // produced x is raised first, since the evaluation clears the flags, and a running variable
    // outside OtherFunction's store raises EKvNoRunningVarIndex.
    long double ValueAt(long double x);
    // ValueAt for an evaluation that follows the previous one with no arithmetic between:
    // after a direct evaluation the flags are known to be clear, so their test is skipped.
    long double NextValueAt(long double x);
    // For a group of evaluations with one fault test at its end: the value at x by the fast
    // evaluators alone, any fault left in the flags. False when OtherFunction cannot be
    // evaluated so. A group whose test finds a flag runs again with ValueAt, from the random
    // seed it started with, so that the first fault and its message come as they would.
    bool UncheckedValueAt(long double x, long double& value) {
        LastDirect = false;
        if (long double* slot = CompiledSlot) [[likely]] {
            *slot = x;
            value = Compiled.Value();
        } else {
            slot = DirectSlot();
            if (slot == nullptr) [[unlikely]]
                return false;
            *slot = x;
            value = FastTreeValue();
        }
        OtherFunction->TakeFaultlessValue(value);
        return true;
    }

    // UncheckedValueAt at three points in the order given.
    bool UncheckedValuesAt(long double x1, long double x2, long double x3, long double& f1,
                           long double& f2, long double& f3) {
        return UncheckedValueAt(x1, f1) && UncheckedValueAt(x2, f2) && UncheckedValueAt(x3, f3);
    }

    // Drops the tree's program; it is made again at the next evaluation. So does the code after
    // a progress check, whose hook may have run anything.
    void ForgetCompiled() {
        Compiled.Clear();
        CompiledSlot = nullptr;
        CompileRefused = false;
    }

    // A calculation's run: only within one is the tree known to stay as it is between
    // evaluations, so only then is its program made and kept.
    class TRunScope {
    public:
        explicit TRunScope(TKvMathUseOtherFunction& method) : Method(method) {
            Method.ForgetCompiled();
            Method.InRun = true;
        }
        ~TRunScope() {
            Method.InRun = false;
            Method.ForgetCompiled();
        }
        TRunScope(const TRunScope&) = delete;
        TRunScope& operator=(const TRunScope&) = delete;

    private:
        TKvMathUseOtherFunction& Method;
    };

    // Raises the fault of the arithmetic that produced value, as the evaluation kernels would.
    static long double Checked(long double value) {
        FpuBarrier(value);
        FpuCheckFaults();
        return value;
    }

private:
    // The running variable's buffer, when OtherFunction is a plain tree function whose tree is
    // built and whose running variable is extended; null otherwise.
    long double* DirectSlot() {
        const TKvMathTreeFunction* function = OtherFunction;
        if (function == SlotFunction && function->VarDepot == SlotDepot &&
            function->GetTree() == SlotTree && RunVarIndex == SlotIndex &&
            SlotDepot->Count() == SlotCount) [[likely]] {
            // The variable may have been given another type since.
            if (SlotVariable == nullptr || SlotVariable->DataType != dtExtended) return nullptr;
            return static_cast<long double*>(SlotVariable->Value);
        }
        return ResolveSlot();
    }
    long double* ResolveSlot();
    // Evaluates at x once the pending fault of x's arithmetic has been raised.
    long double Evaluated(long double x);
    // The tree's value by its program, or by the fast evaluators when it has none; faults are
    // left in the flags.
    long double FastTreeValue() {
        if (Compiled.Ready()) [[likely]]
            return Compiled.Value();
        return CompiledOrFastValue();
    }
    long double CompiledOrFastValue();

    // What the buffer was resolved against; any change resolves it again.
    const TKvMathTreeFunction* SlotFunction = nullptr;
    const TKvVarDepot* SlotDepot = nullptr;
    const TKvOperatorNode* SlotTree = nullptr;
    TKvSingleVariable* SlotVariable = nullptr;
    std::int32_t SlotIndex = -1;
    std::int32_t SlotCount = -1;
    // The last evaluation went the direct way, which leaves the flags clear.
    bool LastDirect = false;
    TKvCompiledTree Compiled;
    // The tree holds something the program cannot compute; the fast evaluators take it.
    bool CompileRefused = false;
    bool InRun = false;
    // The running variable's buffer while the program is valid: nothing that could move it
    // runs before the program is forgotten, so the evaluations of a run need not resolve it.
    long double* CompiledSlot = nullptr;
};

// A method that iterates on the running variable, which must be set before Calculate.
class TKvMathIteratedFunction : public TKvMathUseOtherFunction {
public:
    explicit TKvMathIteratedFunction(TKvMathTreeFunction* other);

    std::string ClassName() const override { return "TKvMathIteratedFunction"; }
    // Raises EKvNoRunningVarIndex when no running variable is set; descendants call it first.
    void Calculate() override;

    // 0: no practical limit.
    std::int32_t MaxIterations = 1000;
    // Converged when the last step moved the running value by no more than this, or by no more
    // than a few units in its last place.
    long double Delta = 1e-20L;
};

// A zero of OtherFunction by Newton's method with a forward difference quotient, starting at the
// running variable's value.
class TKvMathNewtonFunction : public TKvMathIteratedFunction {
public:
    using TKvMathIteratedFunction::TKvMathIteratedFunction;

    std::string ClassName() const override { return "TKvMathNewtonFunction"; }
    void Calculate() override;

    // The difference quotient's step at |x| <= 1; it grows with |x| beyond.
    long double DiffStep = 1e-10L;

private:
    // Steps that share one fault test.
    static constexpr std::int64_t GroupSteps = 16;

    // Where the iteration stands: x, the last step's change of x, and whether it converged.
    struct TIterate {
        long double X;
        long double Change = 0;
        bool Converged = false;
    };
    // The steps from step on up to last, or up to one that converges, with one fault test for
    // all. Without a flag, at and step are those of the last step taken; after one, or when
    // OtherFunction cannot be evaluated so, at and step stay, with the seed as it was and the
    // flags clear.
    bool UncheckedSteps(TIterate& at, std::int64_t& step, std::int64_t last,
                        TProgressTicker& ticker, std::int64_t total);
    // One step with a test after each operation, so that the first fault is the one reported.
    void CheckedStep(TIterate& at);
};

// The n-th derivative at the running variable's value: the forward difference quotient for the
// first order, central difference stencils above it.
class TKvMathDiffNumFunction : public TKvMathUseOtherFunction {
public:
    using TKvMathUseOtherFunction::TKvMathUseOtherFunction;

    // Beyond this order no step keeps the rounding of extended arithmetic below a hundredth.
    static constexpr std::int32_t MaxOrder = NumericRules::TDiffStencil::MaxOrder;

    std::string ClassName() const override { return "TKvMathDiffNumFunction"; }
    void Calculate() override;

    // Raises EKvIllegalDiffNumLevel for n below 1 or above MaxOrder; the order then stays.
    void SetOrder(std::int32_t n);
    std::int32_t GetOrder() const { return Order; }
    // At most 2^n evaluations; the last one is at x.
    long double NumDerivative(std::int32_t n, long double x);

    // The first order's step at |x| <= 1; it grows with |x| beyond.
    long double DiffStep = 1e-10L;

private:
    long double ForwardQuotient(long double x);
    long double CentralQuotient(std::int32_t n, long double x);
    // The values at the points in order, with one fault test for all; after a flag, again one
    // at a time. The first failed evaluation's message is kept in FailedText.
    void Sample(const long double* points, int count, long double* values);
    void RefuseFailedSamples();

    std::int32_t Order = 1;
    std::string FailedText;
};

// Cuts the interval from LowerBound to UpperBound into pieces of IntervalWidth and sums the
// descendant's value of each piece.
class TKvMathIntervalNumFunction : public TKvMathUseOtherFunction {
public:
    using TKvMathUseOtherFunction::TKvMathUseOtherFunction;

    // The piece count is a signed 32-bit number.
    static constexpr std::int32_t MaxPieces = 2147483647;

    std::string ClassName() const override { return "TKvMathIntervalNumFunction"; }
    // Never raises; a refused interval or a failure leaves its message in OtherFunction.
    void Calculate() override;
    // The contribution of the piece from a to b (a below b).
    virtual long double PieceValue(long double a, long double b) = 0;

    // Raises EKvIllegalIntIntervall for a width not above 0; the width then stays.
    void SetIntervalWidth(long double width);
    long double GetIntervalWidth() const { return IntervalWidth; }

    long double LowerBound = 0;
    long double UpperBound = 0;

protected:
    // The piece's value with every fault left in the flags, for a caller that tests them once
    // for a group of pieces and their sum and goes through PieceValue after a flag. False when
    // the piece must go through PieceValue at once, as for any class whose PieceValue is another
    // one.
    virtual bool UncheckedPieceValue(long double, long double, long double&) { return false; }

private:
    // The most pieces between two fault tests.
    static constexpr std::int32_t GroupPieces = 32;
    // The most pieces one at a time between two groups.
    static constexpr std::int32_t MaxBackoff = 1024;

    long double IntervalWidth = 0.1L;
};

// The definite integral by Simpson's rule.
class TKvMathIntgNumFunction : public TKvMathIntervalNumFunction {
public:
    using TKvMathIntervalNumFunction::TKvMathIntervalNumFunction;

    std::string ClassName() const override { return "TKvMathIntgNumFunction"; }
    long double PieceValue(long double a, long double b) override;

protected:
    bool UncheckedPieceValue(long double a, long double b, long double& value) override;

private:
    bool UncheckedArea(long double a, long double b, long double& area);
};

// The length of the graph, each piece replaced by the circular arc through its ends and its
// midpoint.
class TKvMathLenNumFunction : public TKvMathIntervalNumFunction {
public:
    using TKvMathIntervalNumFunction::TKvMathIntervalNumFunction;

    std::string ClassName() const override { return "TKvMathLenNumFunction"; }
    long double PieceValue(long double a, long double b) override;

protected:
    bool UncheckedPieceValue(long double a, long double b, long double& value) override;

private:
    bool UncheckedLength(long double a, long double b, long double& length);
};
