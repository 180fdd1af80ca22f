// The list of function names a user may type, each with its function code, made from the function
// table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TKvAbstractFunctionList {
public:
    virtual ~TKvAbstractFunctionList() = default;

    std::int32_t Count() const { return static_cast<std::int32_t>(Names.size()); }
    // The name as registered (for menus), in list order.
    const std::string& Strings(std::int32_t position) const { return Names[position].first; }
    std::uint16_t FunctionCode(std::int32_t position) const { return Names[position].second; }
    // Position in the list, or -1; without regard to case.
    std::int32_t IndexOfFunction(const std::string& name) const;
    // The same for a name already in upper case (as AnsiUpperCase writes it).
    std::int32_t IndexOfUpperCaseName(std::string_view key) const;

protected:
    virtual void FillList() = 0;
    // Fills the list and builds the sorted name index; called by the concrete constructor.
    void Initialize();
    void Add(const std::string& name, std::uint16_t code);

private:
    std::vector<std::pair<std::string, std::uint16_t>> Names;
    std::vector<std::pair<std::string, std::int32_t>> NameIndex; // upper-case name, position
    // Bit n is set when a name has n bytes (the last bit: 63 or more), so that most names
    // of variables are turned away without a search.
    std::uint64_t NameLengths = 0;
};

class TKvRealFunctionList : public TKvAbstractFunctionList {
public:
    TKvRealFunctionList() { Initialize(); }

protected:
    void FillList() override;
};

// The one list, shared by all function objects and the menus.
const TKvRealFunctionList& RealFunctionList();
