// Parse, write, simplify, write again: every text written reads back into a tree written the
// same way, simplification only fails on trees that cannot be written at all, and every node
// made is gone afterwards.
#include <cstddef>
#include <cstdint>

#include "functions/MthTrFnc.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Locale.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    SetDecimalSeparator('.');
    const std::string expression = input.Rest();
    TNodeBalance balance;
    TKvMathTreeFunction function;
    if (!ParseInto(function, expression).empty() || function.GetTree() == nullptr) return 0;
    const bool bare = HasBareOperator(*function.GetTree());
    std::string text;
    try {
        text = function.ToText();
    } catch (const EKvMathTreeFunction&) {
        FUZZ_CHECK(bare, "a complete tree of \"" + expression + "\" could not be written");
        return 0;
    }
    FUZZ_CHECK(!bare, "a tree with a bare operator was written as \"" + text + "\"");
    CheckReadsBack(text, "the text", IsRegular(*function.GetTree()));

    try {
        function.Simplify();
    } catch (const EKvMathTreeFunction&) {
        FUZZ_CHECK(false, "simplifying \"" + text + "\" made a tree that cannot be written");
    }
    FUZZ_CHECK(function.GetTree() != nullptr, "simplifying \"" + text + "\" lost the tree");
    const std::string simplified = function.ToText();
    CheckReadsBack(simplified, "the simplified text", IsRegular(*function.GetTree()));
    return 0;
}
