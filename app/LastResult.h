// Variable names a user may set, and the last numeric result as the variable "ans".
#pragma once

#include <string>

class TKvMathTreeFunction;
struct TCalcOutcome;

// Empty when name can stand for a variable in an expression (an ASCII letter, then ASCII
// letters and digits, not a function's name); otherwise the German message why not.
std::string VariableNameProblem(const std::string& name);

// "ans" holds the last numeric result, unless the user has a variable of that name: one that
// is in the store before the first result (from the settings file or the command line), or
// one the user sets. Such a variable is never written here. The last result's own "ans" is
// no user data: it is not saved (see Hidden) and starts at 0 in every run.
class TLastResult {
public:
    static constexpr const char* Name = "ans";

    // Call once the variables of the run are loaded.
    explicit TLastResult(TKvMathTreeFunction& function);

    // Keeps the outcome's number, if it has one and "ans" is ours.
    void Record(const TCalcOutcome& outcome);
    // The user set the variable name; if it is "ans", it is the user's from now on.
    void Assigned(const std::string& name);
    // Whether "ans" in the store is the last result rather than a user's variable.
    bool OwnsName() const { return Owned; }
    // Whether there has been a result to keep yet.
    bool HasResult() const { return Recorded; }

    // While one lives, the last result reads as 0, so that saving the variables (which keeps
    // only those that are not 0) leaves it out.
    class Hidden {
    public:
        explicit Hidden(TLastResult& last);
        ~Hidden();
        Hidden(const Hidden&) = delete;
        Hidden& operator=(const Hidden&) = delete;

    private:
        TLastResult& Last;
        long double Kept = 0;
    };

private:
    TKvMathTreeFunction& Function;
    bool Owned;
    bool Recorded = false;
};
