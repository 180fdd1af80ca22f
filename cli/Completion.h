// What Tab offers at the console's prompt.
#pragma once

#include <string>
#include <vector>

class TKvMathTreeFunction;

// The words that complete prefix (without regard to ASCII case), sorted: after "modus" the
// modes, after "variable" the variables; at the start of a line also the commands; elsewhere
// the functions (as the function list spells them) and the variables. before is the line up
// to the word.
std::vector<std::string> Completions(const std::string& before, const std::string& prefix,
                                     const TKvMathTreeFunction& function);
