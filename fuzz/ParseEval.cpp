// Any text through the parser and the evaluation: neither raises, a failed parse leaves no tree
// and a message with the whole input in it, and every node made is gone afterwards.
#include <cstddef>
#include <cstdint>

#include "functions/MthTrFnc.h"
#include "fuzz/FuzzSupport.h"
#include "parser/MathPars.h"
#include "platform/Locale.h"
#include "platform/Utf8.h"

namespace {

// No subtraction node outlives the parse.
bool HasSubtraction(const TKvOperatorNode& root) {
    // The walk keeps its results in a vector, so they are ints rather than bools.
    return FoldTree<int>(root, [](const TKvOperatorNode& node, std::span<int> operands) {
               for (int found : operands)
                   if (found) return 1;
               return node.OpCode == OpCodes::Subtraction ? 1 : 0;
           }) != 0;
}

// The message marker taken out again gives the expression back.
bool HoldsExpression(const std::string& message, const std::string& expression) {
    if (message.size() < expression.size()) return false;
    for (std::size_t start = 0; start <= expression.size(); ++start) {
        const std::size_t markerLength = message.size() - expression.size();
        if (message.compare(0, start, expression, 0, start) == 0 &&
            message.compare(start + markerLength, std::string::npos, expression, start,
                            std::string::npos) == 0 &&
            message[start] == '[' && message[start + markerLength - 1] == ']')
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    SetDecimalSeparator((input.Byte() & 1) != 0 ? ',' : '.');
    const std::string expression = input.Rest();
    TNodeBalance balance;
    TKvMathTreeFunction function;
    const std::string message = ParseInto(function, expression);
    auto& parser = static_cast<TKvMathParser&>(*function.GetCreator());
    if (!message.empty()) {
        FUZZ_CHECK(function.GetTree() == nullptr, "a failed parse left a tree");
        // Messages of the engine are bracketed into the expression; the few others stand alone.
        FUZZ_CHECK(HoldsExpression(message, expression) || message.find('[') == std::string::npos,
                   "message \"" + message + "\" lost the expression");
        FUZZ_CHECK(parser.ErrorPos >= 0 && parser.ErrorPos <= Utf8Length(expression) + 1,
                   "error position " + std::to_string(parser.ErrorPos) + " outside the text");
    } else {
        FUZZ_CHECK(parser.ErrorPos == 0, "error position without a message");
        if (function.GetTree() != nullptr)
            FUZZ_CHECK(!HasSubtraction(*function.GetTree()), "a subtraction node survived");
    }
    // Calculate parses again (the creator runs without a tree) and evaluates; it never raises.
    function.Calculate();
    if (!message.empty())
        FUZZ_CHECK(function.GetErrorText() == message, "the parse message \"" + message +
                                                           "\" became \"" +
                                                           function.GetErrorText() + "\"");
    return 0;
}
