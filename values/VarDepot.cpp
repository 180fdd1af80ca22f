#include "values/VarDepot.h"

#include <algorithm>
#include <cstring>

#include "platform/Locale.h"

namespace {

constexpr const char* WrongDataTypeMessage = "Unbekannter Datentyp!";

constexpr std::size_t EagerOrderLimit = 1024;

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

void TKvVarDepot::Clear() {
    Entries.clear();
    Order.clear();
    OrderValid = true;
}

std::unique_ptr<TKvVarDepot> TKvVarDepot::Clone() const {
    auto copy = std::make_unique<TKvVarDepot>();
    for (const auto& [key, variable] : Entries)
        copy->Entries.emplace_hint(copy->Entries.end(), key, variable->Clone());
    copy->OrderValid = false;
    copy->Ordered();
    return copy;
}

TKvSingleVariable* TKvVarDepot::Find(const std::string& name) const {
    const auto found = Entries.find(AnsiUpperCase(name));
    return found != Entries.end() ? found->second.get() : nullptr;
}

TKvSingleVariable* TKvVarDepot::Insert(const std::string& key,
                                       std::unique_ptr<TKvSingleVariable> variable) {
    TKvSingleVariable* result = variable.get();
    const auto entry = Entries.emplace(key, std::move(variable)).first;
    // A small store keeps its order at once, so reading by position never allocates; a large
    // one sorts again when asked.
    if (OrderValid && Order.size() < EagerOrderLimit) {
        const auto position = std::lower_bound(
            Order.begin(), Order.end(), key,
            [](TEntries::const_iterator e, const std::string& k) { return e->first < k; });
        Order.insert(position, entry);
    } else {
        OrderValid = false;
    }
    return result;
}

const std::vector<TKvVarDepot::TEntries::const_iterator>& TKvVarDepot::Ordered() const {
    if (!OrderValid) {
        Order.clear();
        Order.reserve(Entries.size());
        for (auto it = Entries.cbegin(); it != Entries.cend(); ++it)
            Order.push_back(it);
        OrderValid = true;
    }
    return Order;
}

TKvSingleVariable* TKvVarDepot::AddVariable(const std::string& name, TKvDataType dataType) {
    const std::string key = AnsiUpperCase(name);
    const auto found = Entries.find(key);
    if (found != Entries.end()) return found->second.get();
    const unsigned char zero[16] = {};
    return Insert(key, std::make_unique<TKvSingleVariable>(name, dataType, zero));
}

TKvSingleVariable* TKvVarDepot::SetVariable(const std::string& name, const void* value,
                                            TKvDataType dataType) {
    const std::string key = AnsiUpperCase(name);
    const auto found = Entries.find(key);
    if (found != Entries.end()) {
        TKvSingleVariable* variable = found->second.get();
        if (variable->DataType == dataType)
            variable->SetRawValue(value);
        else
            // Changed in place: nodes bound to this variable keep a valid object and buffer.
            variable->Redefine(name, dataType, value);
        return variable;
    }
    return Insert(key, std::make_unique<TKvSingleVariable>(name, dataType, value));
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
    return Ordered()[static_cast<std::size_t>(index)]->second.get();
}

std::int32_t TKvVarDepot::IndexOf(const std::string& name) const {
    const auto found = Entries.find(AnsiUpperCase(name));
    if (found == Entries.end()) return -1;
    const auto& order = Ordered();
    const auto position = std::lower_bound(
        order.begin(), order.end(), found->first,
        [](TEntries::const_iterator entry, const std::string& key) { return entry->first < key; });
    return static_cast<std::int32_t>(position - order.begin());
}
