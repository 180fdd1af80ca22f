// The console program on a terminal: one line at a time, with line editing and recall.
#pragma once

class TCommandInterpreter;
class TCalculator;

// Reads lines until end of input or "ende" and hands each to the interpreter. The calculator's
// history seeds the recall list, and every line typed joins it, failed ones too. Tab completes
// commands, functions and variables. Returns the exit status.
int RunInteractive(TCommandInterpreter& interpreter, TCalculator& calculator);
