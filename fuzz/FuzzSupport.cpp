#include "fuzz/FuzzSupport.h"

#include <span>

#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"

std::string ParseInto(TKvMathTreeFunction& function, const std::string& text) {
    auto parser = new TKvMathParser(&function);
    function.SetCreator(parser);
    parser->SetExpression(text);
    parser->Execute();
    return parser->ErrorText;
}

bool IsRegular(const TKvOperatorNode& root) {
    return FoldTree<int>(root, [](const TKvOperatorNode& node, std::span<int> operands) {
               for (int regular : operands)
                   if (!regular) return 0;
               const std::int32_t count = node.OperandCount();
               if (static_cast<std::size_t>(count) != operands.size()) return 0;
               switch (node.OpCode) {
               case OpCodes::Constant:
               case OpCodes::Variable:
                   return 1;
               case OpCodes::Sum:
               case OpCodes::Product:
               case OpCodes::Quotient:
               case OpCodes::Power:
                   return count >= 2 ? 1 : 0;
               default:
                   return count == 1 ? 1 : 0;
               }
           }) != 0;
}

void CheckReadsBack(const std::string& text, const char* what, bool regular) {
    TKvMathTreeFunction again;
    const std::string message = ParseInto(again, text);
    FUZZ_CHECK(message.empty(), std::string(what) + " \"" + text + "\" reads back as " + message);
    FUZZ_CHECK(again.GetTree() != nullptr || text.empty(),
               std::string(what) + " \"" + text + "\" reads back without a tree");
    const std::string written = again.ToText();
    if (!regular && written != text) {
        CheckReadsBack(written, what);
        return;
    }
    FUZZ_CHECK(written == text,
               std::string(what) + " \"" + text + "\" reads back as \"" + written + "\"");
}
