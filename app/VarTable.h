// The variables as rows of names and value texts, as the variables dialog edits them.
#pragma once

#include <string>
#include <vector>

class TKvMathTreeFunction;

struct TVarRow {
    std::string Name;
    std::string Value;
};

// One row per variable in store order, the value as display text.
std::vector<TVarRow> VariableRows(const TKvMathTreeFunction& function);
// Pi and e, written with the general float text.
std::vector<TVarRow> StandardVariableRows();
// Replaces the store as a whole: every row with a name becomes a variable (a later row of the
// same name wins); a value that is not a number under the locale gives 0. The tree is dropped
// first, because it may refer to variables that go.
void ApplyVariableRows(TKvMathTreeFunction& function, const std::vector<TVarRow>& rows);
