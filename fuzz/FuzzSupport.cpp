#include "fuzz/FuzzSupport.h"

#include "engine/MathPars.h"
#include "functions/MthTrFnc.h"

std::string ParseInto(TKvMathTreeFunction& function, const std::string& text) {
    auto parser = new TKvMathParser(&function);
    function.SetCreator(parser);
    parser->SetExpression(text);
    parser->Execute();
    return parser->ErrorText;
}

void CheckReadsBack(const std::string& text, const char* what) {
    TKvMathTreeFunction again;
    const std::string message = ParseInto(again, text);
    FUZZ_CHECK(message.empty(), std::string(what) + " \"" + text + "\" reads back as " + message);
    FUZZ_CHECK(again.GetTree() != nullptr || text.empty(),
               std::string(what) + " \"" + text + "\" reads back without a tree");
    const std::string written = again.ToText();
    FUZZ_CHECK(written == text,
               std::string(what) + " \"" + text + "\" reads back as \"" + written + "\"");
}
