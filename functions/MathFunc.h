// Function objects: something with variables that can be asked for its value.
#pragma once

#include <cstdint>
#include <string>

// An object whose content can be copied into another object. The destination's Assign hands
// over to the source's AssignTo, so the source decides which destinations it understands.
class TKvAssignable {
public:
    virtual ~TKvAssignable() = default;

    virtual std::string ClassName() const = 0;
    // Raises EConvertError "<source> kann nicht zu  <destination> zugewiesen werden": this
    // base knows no destination.
    virtual void AssignTo(TKvAssignable& dest) const;
    virtual void Assign(const TKvAssignable& source) { source.AssignTo(*this); }
};

class TKvMathFunction : public TKvAssignable {
public:
    // A destination that is not a function object gets the conversion error.
    void AssignTo(TKvAssignable& dest) const override;
    // Copies every variable's value to the destination's variable of the same name; a name the
    // destination lacks raises ENotExistingVariable and ends the copy.
    virtual void AssignTo(TKvMathFunction& dest) const;

    virtual long double GetVarValue(const std::string& name) const = 0;
    virtual void SetVarValue(const std::string& name, long double value) = 0;
    virtual long double GetVarValueByIndex(std::int32_t index) const = 0;
    virtual void SetVarValueByIndex(std::int32_t index, long double value) = 0;
    // Empty for an index outside 0..VarCount-1.
    virtual std::string GetVarName(std::int32_t index) const = 0;
    // -1 for an unknown name.
    virtual std::int32_t IndexOfVar(const std::string& name) const = 0;
    virtual std::int32_t VarCount() const = 0;
    // Message of the last calculation; empty when it succeeded.
    virtual std::string GetErrorText() const = 0;
    virtual void SetErrorText(const std::string& text) = 0;
    // Computes Result and the message; never raises.
    virtual void Calculate() = 0;

    long double Result = 0;
};
