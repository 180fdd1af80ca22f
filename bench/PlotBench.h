// The graph's redraw times (nimbrel-bench --plot).
#pragma once

int RunPlotBench(int rounds);
