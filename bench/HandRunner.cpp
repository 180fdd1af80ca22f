#include "bench/Drivers.h"

namespace Bench {

TOutcome RunHand(const TWorkload& workload) {
    if (workload.Method == TMethod::Parse) {
        TOutcome outcome;
        long double sum = 0;
        for (const TShortExpression& expression : ParserExpressions())
            sum += HandEvaluate(expression, ShortVariableValue);
        outcome.Value = sum;
        outcome.Evaluations = static_cast<std::int64_t>(ParserExpressions().size());
        return outcome;
    }
    std::int64_t count = 0;
    const THandFunction hand = workload.Hand;
    auto f = [hand, &count](long double x) {
        ++count;
        return hand(x);
    };
    TOutcome outcome = Drive(workload, f);
    outcome.Evaluations = count;
    return outcome;
}

const std::vector<TShortExpression>& ParserExpressions() {
    static const std::vector<TShortExpression> list =
        ShortExpressions(Workloads().back().Order);
    return list;
}

} // namespace Bench
