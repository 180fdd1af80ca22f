// The variable store: named, typed values, found without regard to case.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/MathErrors.h"
#include "functions/KvTypes.h"

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
    struct TEntry {
        std::string Key;
        std::unique_ptr<TKvSingleVariable> Variable;
    };
    // Position of the key, or where it would be inserted.
    std::size_t LowerBound(const std::string& key) const;
    TKvSingleVariable* Find(const std::string& name) const;

    std::vector<TEntry> Entries; // sorted by Key
};
