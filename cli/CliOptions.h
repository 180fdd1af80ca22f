// The console program's options.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/Calculator.h"

struct TCliOptions {
    std::optional<TCalcMode> Mode;
    std::optional<std::string> Var;
    std::optional<std::string> Start, Delta, At, From, To, Width;
    std::optional<std::int32_t> MaxIter, Order;
    bool NoIni = false;
    bool Save = false;
    std::optional<char> DecimalSeparator;
    bool Batch = false;
    // Also draw the calculation as an SVG picture into this file.
    std::optional<std::string> PlotFile;
    bool Help = false;
    bool Version = false;
    // Everything that is not an option, in order: read as the window reads its parameters.
    std::vector<std::string> Parameters;
};

// Parses the arguments (without the program name). Raises TCliUsageError on a usage error.
TCliOptions ParseCliOptions(const std::vector<std::string>& args);

struct TCliUsageError {
    std::string Message;
};

const char* CliModeName(TCalcMode mode);

// Fills the request's fields from the options; the chosen mode's variable field gets --var.
void ApplyCliOptions(const TCliOptions& options, TCalcRequest& request);

extern const char* const CliUsage;
