#include <gtest/gtest.h>

#include "functions/FuncList.h"

TEST(FuncList, LooksUpNamesWithoutCase) {
    const TKvRealFunctionList& list = RealFunctionList();
    struct Case {
        const char* Name;
        int Position;
    } cases[] = {{"sin", 6}, {"SIN", 6}, {"Sin", 6}, {"sinus", -1}, {"Int", 22}, {"TRUNC", 23},
                 {"heav", 31}, {"arccoth", 21}, {"", -1}, {"rnd", 33}};
    for (const Case& c : cases) EXPECT_EQ(list.IndexOfFunction(c.Name), c.Position) << c.Name;
    EXPECT_EQ(list.FunctionCode(22), 70);
    EXPECT_EQ(list.FunctionCode(23), 70);
    EXPECT_EQ(list.FunctionCode(31), 83);
}

TEST(FuncList, MenusSeeListOrder) {
    const TKvRealFunctionList& list = RealFunctionList();
    ASSERT_EQ(list.Count(), 34);
    EXPECT_EQ(list.Strings(0), "Exp");
    EXPECT_EQ(list.Strings(33), "Rnd");
    EXPECT_EQ(list.Strings(30), "Floor");
    EXPECT_EQ(list.Strings(31), "Heav");
}
