// muparser computes in double; the method arithmetic around it stays in extended.
#include <cmath>
#include <muParser.h>

#include "bench/Drivers.h"

namespace Bench {

namespace {

// Names the calculator knows and muparser spells differently.
void DefineAliases(mu::Parser& parser) {
    parser.DefineFun("arctan", static_cast<double (*)(double)>(std::atan));
}

} // namespace

TOutcome RunMuParser(const TWorkload& workload) {
    double x = 0;
    mu::Parser parser;
    DefineAliases(parser);
    parser.DefineVar(ShortVariable, &x);
    TOutcome outcome;
    try {
        if (workload.Method == TMethod::Parse) {
            x = static_cast<double>(ShortVariableValue);
            long double sum = 0;
            for (const TShortExpression& expression : ParserExpressions()) {
                parser.SetExpr(expression.Text);
                sum += parser.Eval();
            }
            outcome.Value = sum;
            return outcome;
        }
        parser.SetExpr(workload.Text);
        auto f = [&parser, &x](long double at) {
            x = static_cast<double>(at);
            return static_cast<long double>(parser.Eval());
        };
        outcome = Drive(workload, f);
    } catch (const mu::Parser::exception_type& error) {
        outcome.Message = "muparser: " + error.GetMsg();
    }
    return outcome;
}

} // namespace Bench
