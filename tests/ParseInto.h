// Builds an expression's tree in a function object, as the calculator does.
#pragma once

#include <string>

#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"

// The function takes over a new parser for text and builds its tree; returns the parser's
// message, empty on success.
inline std::string ParseInto(TKvMathTreeFunction& function, const std::string& text) {
    auto* parser = new TKvMathParser(&function);
    function.SetCreator(parser);
    parser->SetExpression(text);
    parser->Execute();
    return parser->ErrorText;
}
