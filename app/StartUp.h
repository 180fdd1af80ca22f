// What the program does with its command line while it starts.
#pragma once

#include <string>

class TKvMathCommandLine;
class TCalculator;
struct TCalcRequest;

// Hands the expression to the parser and into the request's input, sets the variables and
// selects the mode with its fields. panelVisible becomes true when a mode of the scientific
// panel is chosen. True when the simplification is to run at once.
bool ApplyCommandLine(const TKvMathCommandLine& commandLine, TCalculator& calculator,
                      TCalcRequest& request, bool& panelVisible);
// The simplification the command line asks for while the program starts, without the history:
// the parser's message or the simplified expression text.
std::string SimplifyForStart(TCalculator& calculator);
