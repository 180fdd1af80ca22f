#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/MathTree.h"
#include "platform/Locale.h"
#include "tests/TimeLimit.h"
#include "values/VarDepot.h"

namespace {
std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}
} // namespace

TEST(VarDepot, NamesIgnoreCaseAndKeepFirstSpelling) {
    TKvVarDepot depot;
    EXPECT_EQ(depot.Count(), 0);
    depot.Clear();
    TKvSingleVariable* a = depot.AddVariable("a", dtExtended);
    EXPECT_EQ(depot.AddVariable("A", dtExtended), a);
    EXPECT_EQ(depot.Count(), 1);
    EXPECT_EQ(a->Name, "a");
    EXPECT_EQ(depot.IndexOf("A"), depot.IndexOf("a"));
    EXPECT_EQ(depot.GetValue("A"), 0.0L);
    EXPECT_EQ(depot.IndexOf("b"), -1);
    depot.AddVariable("äpfel", dtExtended);
    EXPECT_EQ(depot.IndexOf("ÄPFEL"), 1);
}

TEST(VarDepot, IndexOrderIsSortedByUpperCaseKey) {
    TKvVarDepot depot;
    for (const char* name : {"zeta", "Beta", "alpha", "Pi", "e"}) depot.AddVariable(name, dtExtended);
    std::vector<std::string> names;
    for (int i = 0; i < depot.Count(); ++i) names.push_back(depot.Variables(i)->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "e", "Pi", "zeta"}));
}

TEST(VarDepot, UnknownNamesAndIndicesFail) {
    TKvVarDepot depot;
    const long double one = 1;
    EXPECT_EQ(MessageOf([&] { depot.GetValue("q"); }), "Variable q existiert nicht!");
    EXPECT_THROW(depot.GetValue("q"), ENotExistingVariable);
    EXPECT_EQ(MessageOf([&] { depot.SetValue("Qu", &one); }), "Variable Qu existiert nicht!");
    EXPECT_EQ(depot.Count(), 0);
    EXPECT_EQ(MessageOf([&] { depot.Variables(3); }), "Listenindex überschreitet das Maximum (3)");
    EXPECT_THROW(depot.Variables(-1), EListError);
}

TEST(VarDepot, SetAsExtendedRoundsPerType) {
    struct Case {
        TKvDataType Type;
        long double In;
        long double Out;
    } cases[] = {
        {dtInteger, 2.5L, 3},  {dtInteger, -2.5L, -2}, {dtSmallInt, 7.4L, 7}, {dtWord, 65535.2L, 65535},
        {dtInt64, -1.7L, -1},  {dtComp, 1e9L, 1e9L},   {dtSingle, 0.5L, 0.5}, {dtDouble, 0.1L, 0.1},
        {dtReal, 3.25L, 3.25}, {dtExtended, 0.1L, 0.1L},
    };
    for (const Case& c : cases) {
        TKvVarDepot depot;
        TKvSingleVariable* v = depot.AddVariable("v", c.Type);
        v->SetAsExtended(c.In);
        EXPECT_EQ(v->GetAsExtended(), c.Out) << int(c.Type);
    }
    for (TKvDataType bad : {dtByte, dtShortInt, TKvDataType(11)}) {
        TKvSingleVariable v("v", bad, "\0\0\0\0");
        EXPECT_EQ(MessageOf([&] { v.SetAsExtended(1); }), "Unbekannter Datentyp!");
        EXPECT_THROW(v.GetAsExtended(), EWrongDataType);
    }
}

TEST(VarDepot, CloneIsIndependent) {
    TKvVarDepot depot;
    const long double three = 3, four = 4;
    depot.SetVariable("x", &three, dtExtended);
    depot.AddVariable("y", dtExtended);
    auto copy = depot.Clone();
    ASSERT_EQ(copy->Count(), 2);
    copy->SetValue("x", &four);
    EXPECT_EQ(depot.GetValue("x"), 3.0L);
    EXPECT_EQ(copy->GetValue("X"), 4.0L);
    EXPECT_EQ(copy->IndexOf("y"), 1);
}

TEST(VarDepot, TypeChangeKeepsBoundNodesValid) {
    TKvVarDepot depot;
    TKvNodePtr node = TKvOperatorNode::CreateVariable(dtExtended, &depot, "n");
    TKvSingleVariable* before = node->Variable;
    const std::int32_t seven = 7;
    TKvSingleVariable* after = depot.SetVariable("N", &seven, dtInteger);
    EXPECT_EQ(after, before);
    EXPECT_EQ(after->Name, "N");
    EXPECT_EQ(after->DataType, dtInteger);
    EXPECT_EQ(after->GetAsExtended(), 7.0L);
    EXPECT_EQ(node->Value, after->Value);
    const long double half = 0.5;
    depot.SetVariable("n", &half, dtExtended);
    long double result = -1;
    node->Evaluate(&result);
    EXPECT_EQ(result, 0.5L);
}

TEST(VarDepot, ManyVariablesKeepTheirOrderAndFillQuickly) {
    // Moving the later variables on every insertion took half a minute here.
    constexpr std::chrono::milliseconds limit = InputTimeLimit;
    // Below and well above the size from which the order is sorted on demand; the positions
    // are asked between insertions as well as after them.
    for (const int count : {300, 200000}) {
        std::vector<std::string> names;
        std::uint32_t state = 12345;
        for (int i = 0; i < count; ++i) {
            state = state * 1103515245u + 12345u;
            names.push_back((i % 2 ? "v" : "V") + std::to_string(state % 1000000));
        }
        TKvVarDepot depot;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < count; ++i) {
            const long double value = i;
            depot.SetVariable(names[i], &value, dtExtended);
            if (i % 49999 == 0) {
                ASSERT_EQ(depot.Variables(depot.IndexOf(names[i]))->Name, names[i]);
            }
        }
        const std::unique_ptr<TKvVarDepot> copy = depot.Clone();
        EXPECT_LT(std::chrono::steady_clock::now() - start, limit) << count;

        // Names differ in case only in their first letter, and the first spelling stays.
        std::vector<std::pair<std::string, std::string>> keyed;
        for (const std::string& name : names)
            keyed.emplace_back(AnsiUpperCase(name), name);
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        keyed.erase(std::unique(keyed.begin(), keyed.end(),
                                [](const auto& a, const auto& b) { return a.first == b.first; }),
                    keyed.end());
        ASSERT_EQ(depot.Count(), static_cast<std::int32_t>(keyed.size()));
        ASSERT_EQ(copy->Count(), depot.Count());
        for (int i = 0; i < depot.Count(); ++i) {
            ASSERT_EQ(depot.Variables(i)->Name, keyed[i].second) << i;
            ASSERT_EQ(copy->Variables(i)->Name, keyed[i].second) << i;
            ASSERT_EQ(depot.IndexOf(keyed[i].first), i);
        }
    }
}
