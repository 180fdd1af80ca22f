// The exceptions of the variables, the expression tree and the parser. Position is the 1-based
// character position in the expression text, -1 when unknown.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Exceptions.h"

class EKvOperatorNode : public Exception {
public:
    explicit EKvOperatorNode(const std::string& message, std::int32_t position = -1)
        : Exception(message), Position(position) {}
    std::int32_t Position;
};

#define NIMBREL_ENGINE_ERROR(Name, Base)                                                          \
    class Name : public Base {                                                                    \
    public:                                                                                       \
        using Base::Base;                                                                         \
    }

NIMBREL_ENGINE_ERROR(EMissingNode, EKvOperatorNode);
NIMBREL_ENGINE_ERROR(ETooMuchInstances, EKvOperatorNode);
NIMBREL_ENGINE_ERROR(EKvVariable, EKvOperatorNode);
NIMBREL_ENGINE_ERROR(EWrongDataType, EKvVariable);
NIMBREL_ENGINE_ERROR(ENotExistingVariable, EKvVariable);
NIMBREL_ENGINE_ERROR(EKvMathParserError, EKvOperatorNode);
NIMBREL_ENGINE_ERROR(ESyntaxError, EKvMathParserError);
NIMBREL_ENGINE_ERROR(EBadValue, EKvMathParserError);
NIMBREL_ENGINE_ERROR(EBadToken, EKvMathParserError);
NIMBREL_ENGINE_ERROR(EMissMatchingBracket, EKvMathParserError);
NIMBREL_ENGINE_ERROR(EMissingExpression, EKvMathParserError);

#undef NIMBREL_ENGINE_ERROR
