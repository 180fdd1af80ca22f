// What the program does with its command line while it starts.
#pragma once

class TKvMathCommandLine;
class TCalculator;
struct TCalcRequest;

// Hands the expression to the parser and into the request's input, sets the variables and
// selects the mode with its fields. panelVisible becomes true when a mode of the scientific
// panel is chosen. True when the simplification is to run at once.
bool ApplyCommandLine(const TKvMathCommandLine& commandLine, TCalculator& calculator,
                      TCalcRequest& request, bool& panelVisible);
