#include "functions/FncCreat.h"

// Out of line, so the class's virtual table has one home.
TKvFunctionCreator::~TKvFunctionCreator() = default;
