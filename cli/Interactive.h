// The console program on a terminal: one expression a line, with line editing and recall.
#pragma once

class TCalculator;
struct TCalcRequest;

// Reads expressions until end of input or "ende"; the calculator's history is the recall
// list and receives every input. Returns the exit status.
int RunInteractive(TCalculator& calculator, TCalcRequest& request);
