// Writing an expression tree as the text the parser reads back.
#pragma once

#include <string>

#include "engine/MathTree.h"

// The text of the tree under root; empty for none. Raises EKvMathTreeFunction
// ("Fehler in Funktionsstringerstellung!") when a node lacks the operands its code needs.
std::string ExpressionText(const TKvOperatorNode* root);

// The value of a constant node widened to an extended float.
long double ConstantValue(const TKvOperatorNode& node);
