// The engine as the calculator's numeric modes use it: the main function object with its
// parser, and a method object that borrows it.
#include <memory>

#include "bench/Engines.h"
#include "calculus/MathXFnc.h"
#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "tests/alloc/AllocCount.h"

namespace Bench {

namespace {

// Counts the evaluations that the methods ask for.
class TCountingFunction : public TKvMathTreeFunction {
public:
    void Calculate() override {
        ++Count;
        const std::int64_t before = AllocationCount();
        TKvMathTreeFunction::Calculate();
        Allocations += AllocationCount() - before;
    }
    std::int64_t Count = 0;
    std::int64_t Allocations = 0;
};

template <class TMethod> std::unique_ptr<TMethod> Borrowing(TKvMathTreeFunction& function) {
    auto method = std::make_unique<TMethod>(&function);
    method->BorrowedFunction = true;
    return method;
}

void Finish(TKvMathFunction& method, TOutcome& outcome) {
    outcome.Value = method.Result;
    outcome.Message = method.GetErrorText();
}

void RunMethod(const TWorkload& workload, TKvMathTreeFunction& function, TOutcome& outcome) {
    function.AddVariable("x");
    switch (workload.Method) {
    case TMethod::Integral:
    case TMethod::Length: {
        std::unique_ptr<TKvMathIntervalNumFunction> method;
        if (workload.Method == TMethod::Integral)
            method = Borrowing<TKvMathIntgNumFunction>(function);
        else
            method = Borrowing<TKvMathLenNumFunction>(function);
        method->LowerBound = workload.From;
        method->UpperBound = workload.To;
        method->SetIntervalWidth(workload.Width);
        method->SetRunningVariable("x");
        method->Calculate();
        Finish(*method, outcome);
        break;
    }
    case TMethod::Derivative: {
        const auto method = Borrowing<TKvMathDiffNumFunction>(function);
        method->SetOrder(workload.Order);
        method->SetRunningVariable("x");
        // One calculation a point, as the calculator makes one a request.
        long double sum = 0;
        for (std::int64_t i = 0;; ++i) {
            const long double x = workload.From + static_cast<long double>(i) * workload.Width;
            if (!(x < workload.To)) break;
            function.SetVarValue("x", x);
            method->Calculate();
            sum += method->Result;
            outcome.Message = method->GetErrorText();
            if (!outcome.Message.empty()) break;
        }
        outcome.Value = sum;
        break;
    }
    case TMethod::Newton: {
        const auto method = Borrowing<TKvMathNewtonFunction>(function);
        method->MaxIterations = workload.Order;
        method->SetRunningVariable("x");
        function.SetVarValue("x", workload.From);
        method->Calculate();
        Finish(*method, outcome);
        break;
    }
    case TMethod::Parse:
        break;
    }
}

// Every expression is read and evaluated by the main function object, as the simple mode does.
void RunParser(TKvMathTreeFunction& function, TOutcome& outcome) {
    function.AddVariable(ShortVariable);
    function.SetVarValue(ShortVariable, ShortVariableValue);
    auto* parser = new TKvMathParser(&function);
    function.SetCreator(parser);
    long double sum = 0;
    for (const TShortExpression& expression : ParserExpressions()) {
        parser->SetExpression(expression.Text);
        function.Calculate();
        if (!function.GetErrorText().empty()) {
            outcome.Message = expression.Text + ": " + function.GetErrorText();
            return;
        }
        sum += function.Result;
    }
    outcome.Value = sum;
}

} // namespace

TOutcome RunEngine(const TWorkload& workload, bool counted) {
    TOutcome outcome;
    const std::unique_ptr<TKvMathTreeFunction> function =
        counted ? std::make_unique<TCountingFunction>() : std::make_unique<TKvMathTreeFunction>();
    if (workload.Method == TMethod::Parse) {
        RunParser(*function, outcome);
    } else {
        auto* parser = new TKvMathParser(function.get());
        function->SetCreator(parser);
        parser->SetExpression(workload.Text);
        parser->Execute();
        if (!parser->ErrorText.empty()) {
            outcome.Message = parser->ErrorText;
            return outcome;
        }
        const std::int64_t before = AllocationCount();
        RunMethod(workload, *function, outcome);
        outcome.RunAllocations = AllocationCount() - before;
    }
    if (counted) {
        const auto& counting = static_cast<const TCountingFunction&>(*function);
        outcome.Evaluations = counting.Count;
        outcome.Allocations = counting.Allocations;
    }
    return outcome;
}

} // namespace Bench
