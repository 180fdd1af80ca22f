// The variable store: named, typed values, found without regard to case.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "values/KvTypes.h"
#include "values/MathErrors.h"

class TKvSingleVariable {
public:
    TKvSingleVariable(const std::string& name, TKvDataType dataType, const void* value);
    ~TKvSingleVariable();
    TKvSingleVariable(const TKvSingleVariable&) = delete;
    TKvSingleVariable& operator=(const TKvSingleVariable&) = delete;

    std::unique_ptr<TKvSingleVariable> Clone() const;
    void SetRawValue(const void* value);
    // Raises EWrongDataType for codes 0, 2 and outside 0..10.
    void SetAsExtended(long double x);
    long double GetAsExtended() const;
    // Gives the variable another name spelling, type and value without moving its value buffer,
    // so nodes bound to it stay valid.
    void Redefine(const std::string& name, TKvDataType dataType, const void* value);

    std::string Name;
    void* Value = nullptr;
    TKvDataType DataType;
    std::int32_t Size;
};

class TKvVarDepot {
public:
    TKvVarDepot() = default;
    ~TKvVarDepot();
    TKvVarDepot(const TKvVarDepot&) = delete;
    TKvVarDepot& operator=(const TKvVarDepot&) = delete;

    void Clear();
    std::unique_ptr<TKvVarDepot> Clone() const;
    // Finds the variable or creates it with value 0.
    TKvSingleVariable* AddVariable(const std::string& name, TKvDataType dataType);
    // Creates the variable with the value or overwrites the existing one's value (and type).
    TKvSingleVariable* SetVariable(const std::string& name, const void* value,
                                   TKvDataType dataType);
    // Both raise ENotExistingVariable for an unknown name.
    void SetValue(const std::string& name, const void* value);
    long double GetValue(const std::string& name) const;
    std::int32_t Count() const { return static_cast<std::int32_t>(Entries.size()); }
    // Raises EListError for an index outside 0..Count-1.
    TKvSingleVariable* Variables(std::int32_t index) const;
    std::int32_t IndexOf(const std::string& name) const;

private:
    using TEntries = std::map<std::string, std::unique_ptr<TKvSingleVariable>>;

    TKvSingleVariable* Find(const std::string& name) const;
    // Inserts the new variable under its key.
    TKvSingleVariable* Insert(const std::string& key, std::unique_ptr<TKvSingleVariable> variable);
    // The entries in key order, for access by position. Large stores rebuild it after
    // insertions, so that filling one with many variables does not move the earlier ones each
    // time.
    const std::vector<TEntries::const_iterator>& Ordered() const;

    TEntries Entries; // by upper-case name
    mutable std::vector<TEntries::const_iterator> Order;
    mutable bool OrderValid = true;
};
