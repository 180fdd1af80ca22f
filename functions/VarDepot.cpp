#include "functions/VarDepot.h"

#include <algorithm>
#include <cstring>

#include "platform/Locale.h"

namespace {

constexpr const char* WrongDataTypeMessage = "Unbekannter Datentyp!";

bool IsFloatReadable(TKvDataType code) {
    return code == dtWord || (code >= dtSmallInt && code <= dtExtended);
}

} // namespace

TKvSingleVariable::TKvSingleVariable(const std::string& name, TKvDataType dataType,
                                     const void* value)
    : Name(name), DataType(dataType), Size(TypeSize(dataType)) {
    // Every buffer is big enough for any type, so Redefine never has to move it.
    Value = AllocValueBuffer(TypeSize(dtExtended));
    if (Size > 0) std::memcpy(Value, value, Size);
}

TKvSingleVariable::~TKvSingleVariable() { FreeValueBuffer(Value); }

std::unique_ptr<TKvSingleVariable> TKvSingleVariable::Clone() const {
    return std::make_unique<TKvSingleVariable>(Name, DataType, Value);
}

void TKvSingleVariable::SetRawValue(const void* value) {
    if (Size > 0) std::memcpy(Value, value, Size);
}

void TKvSingleVariable::Redefine(const std::string& name, TKvDataType dataType,
                                 const void* value) {
    Name = name;
    DataType = dataType;
    Size = TypeSize(dataType);
    std::memset(Value, 0, ValueBufferSize(Value));
    SetRawValue(value);
}

void TKvSingleVariable::SetAsExtended(long double x) {
    const double narrowed = static_cast<double>(x);
    switch (DataType) {
    case dtWord: {
        const auto v = static_cast<std::uint16_t>(RoundHalfUp(narrowed));
        std::memcpy(Value, &v, sizeof v);
        break;
    }
    case dtSmallInt: {
        const auto v = static_cast<std::int16_t>(RoundHalfUp(narrowed));
        std::memcpy(Value, &v, sizeof v);
        break;
    }
    case dtInteger: {
        const std::int32_t v = RoundHalfUp(narrowed);
        std::memcpy(Value, &v, sizeof v);
        break;
    }
    case dtInt64:
    case dtComp: {
        const std::int64_t v = RoundHalfUp(narrowed);
        std::memcpy(Value, &v, sizeof v);
        break;
    }
    case dtSingle: {
        const auto v = static_cast<float>(x);
        std::memcpy(Value, &v, sizeof v);
        break;
    }
    case dtDouble:
    case dtReal:
        std::memcpy(Value, &narrowed, sizeof narrowed);
        break;
    case dtExtended:
        AsExtended(Value) = x;
        break;
    default:
        throw EWrongDataType(WrongDataTypeMessage);
    }
}

long double TKvSingleVariable::GetAsExtended() const {
    if (!IsFloatReadable(DataType)) throw EWrongDataType(WrongDataTypeMessage);
    switch (DataType) {
    case dtWord: {
        std::uint16_t v;
        std::memcpy(&v, Value, sizeof v);
        return v;
    }
    case dtSmallInt: {
        std::int16_t v;
        std::memcpy(&v, Value, sizeof v);
        return v;
    }
    case dtInteger: {
        std::int32_t v;
        std::memcpy(&v, Value, sizeof v);
        return v;
    }
    case dtInt64:
    case dtComp: {
        std::int64_t v;
        std::memcpy(&v, Value, sizeof v);
        return static_cast<long double>(v);
    }
    case dtSingle: {
        float v;
        std::memcpy(&v, Value, sizeof v);
        return v;
    }
    case dtDouble:
    case dtReal: {
        double v;
        std::memcpy(&v, Value, sizeof v);
        return v;
    }
    default:
        return AsExtended(static_cast<const void*>(Value));
    }
}

TKvVarDepot::~TKvVarDepot() { Clear(); }

void TKvVarDepot::Clear() { Entries.clear(); }

std::unique_ptr<TKvVarDepot> TKvVarDepot::Clone() const {
    auto copy = std::make_unique<TKvVarDepot>();
    copy->Entries.reserve(Entries.size());
    for (const TEntry& entry : Entries) copy->Entries.push_back({entry.Key, entry.Variable->Clone()});
    return copy;
}

std::size_t TKvVarDepot::LowerBound(const std::string& key) const {
    const auto it = std::lower_bound(Entries.begin(), Entries.end(), key,
                                     [](const TEntry& e, const std::string& k) { return e.Key < k; });
    return static_cast<std::size_t>(it - Entries.begin());
}

TKvSingleVariable* TKvVarDepot::Find(const std::string& name) const {
    const std::string key = AnsiUpperCase(name);
    const std::size_t pos = LowerBound(key);
    if (pos < Entries.size() && Entries[pos].Key == key) return Entries[pos].Variable.get();
    return nullptr;
}

TKvSingleVariable* TKvVarDepot::AddVariable(const std::string& name, TKvDataType dataType) {
    const std::string key = AnsiUpperCase(name);
    const std::size_t pos = LowerBound(key);
    if (pos < Entries.size() && Entries[pos].Key == key) return Entries[pos].Variable.get();
    const unsigned char zero[16] = {};
    auto variable = std::make_unique<TKvSingleVariable>(name, dataType, zero);
    TKvSingleVariable* result = variable.get();
    Entries.insert(Entries.begin() + static_cast<std::ptrdiff_t>(pos), {key, std::move(variable)});
    return result;
}

TKvSingleVariable* TKvVarDepot::SetVariable(const std::string& name, const void* value,
                                            TKvDataType dataType) {
    const std::string key = AnsiUpperCase(name);
    const std::size_t pos = LowerBound(key);
    if (pos < Entries.size() && Entries[pos].Key == key) {
        TKvSingleVariable* variable = Entries[pos].Variable.get();
        if (variable->DataType == dataType)
            variable->SetRawValue(value);
        else
            // Changed in place: nodes bound to this variable keep a valid object and buffer.
            variable->Redefine(name, dataType, value);
        return variable;
    }
    auto variable = std::make_unique<TKvSingleVariable>(name, dataType, value);
    TKvSingleVariable* result = variable.get();
    Entries.insert(Entries.begin() + static_cast<std::ptrdiff_t>(pos), {key, std::move(variable)});
    return result;
}

void TKvVarDepot::SetValue(const std::string& name, const void* value) {
    TKvSingleVariable* variable = Find(name);
    if (!variable) throw ENotExistingVariable("Variable " + name + " existiert nicht!");
    variable->SetRawValue(value);
}

long double TKvVarDepot::GetValue(const std::string& name) const {
    const TKvSingleVariable* variable = Find(name);
    if (!variable) throw ENotExistingVariable("Variable " + name + " existiert nicht!");
    return variable->GetAsExtended();
}

TKvSingleVariable* TKvVarDepot::Variables(std::int32_t index) const {
    if (index < 0 || index >= Count())
        throw EListError("Listenindex überschreitet das Maximum (" + std::to_string(index) + ")");
    return Entries[static_cast<std::size_t>(index)].Variable.get();
}

std::int32_t TKvVarDepot::IndexOf(const std::string& name) const {
    const std::string key = AnsiUpperCase(name);
    const std::size_t pos = LowerBound(key);
    if (pos < Entries.size() && Entries[pos].Key == key) return static_cast<std::int32_t>(pos);
    return -1;
}
