// The function table is the one place that ties a code to its name and its kernel; the name
// list, the text of a tree and every family's kernels must agree with it.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "engine/FunctionTable.h"
#include "engine/MathKernels.h"
#include "engine/MathKernelsImpl.h"
#include "functions/FuncList.h"
#include "platform/Locale.h"
#include "tests/ParseInto.h"

namespace {

using KvKernels::TExtendedFamily;

// Each row's code picks the kernel made for the row's own scalar function.
template <std::size_t... Row> constexpr bool RowsPickTheirKernels(std::index_sequence<Row...>) {
    return ((KvScalar::PickFunction<TExtendedFamily>(FunctionTable[Row].Code) ==
             &TExtendedFamily::Kernel<FunctionTable[Row].Scalar>)&&...);
}
static_assert(RowsPickTheirKernels(std::make_index_sequence<std::size(FunctionTable)>()));

} // namespace

TEST(FunctionTable, CodesAndNamesAreUniqueAndNamedExactlyWhereTheRangeSays) {
    std::set<std::uint16_t> codes;
    std::set<std::string> names;
    for (const TFunctionRow& row : FunctionTable) {
        SCOPED_TRACE(row.Name);
        EXPECT_TRUE(OpCodes::IsFunction(row.Code));
        EXPECT_EQ(*row.Name != '\0', OpCodes::IsNamedFunction(row.Code));
        EXPECT_TRUE(names.insert(row.Name).second);
        // An alias follows its code's row only in the menus; the code has a row of its own.
        if (row.Alias) {
            EXPECT_STRNE(FunctionCodeName(row.Code), "");
        } else {
            EXPECT_TRUE(codes.insert(row.Code).second);
        }
    }
    // Every code outside the table has no name, the operators' and the factorial's included.
    for (std::uint16_t code = 0; code < 1000; ++code)
        if (codes.count(code) == 0) {
            EXPECT_STREQ(FunctionCodeName(code), "") << code;
        }
}

// code -> name -> code through the parser, and the menus list the table's names in its order.
TEST(FunctionTable, NamesRoundTripThroughTheParser) {
    const TKvRealFunctionList& list = RealFunctionList();
    std::int32_t position = 0;
    for (const TFunctionRow& row : FunctionTable) {
        if (*row.Name == '\0') continue;
        SCOPED_TRACE(row.Name);
        ASSERT_LT(position, list.Count());
        EXPECT_EQ(AnsiUpperCase(list.Strings(position)), AnsiUpperCase(row.Name));
        EXPECT_EQ(list.FunctionCode(position), row.Code);
        ++position;

        TKvMathTreeFunction function;
        ASSERT_EQ(ParseInto(function, std::string(row.Name) + "(2)"), "");
        const TKvOperatorNode& root = *function.GetTree();
        EXPECT_EQ(root.OpCode, row.Code);
        EXPECT_EQ(root.NodeText(), row.Alias ? FunctionCodeName(row.Code) : row.Name);
    }
    EXPECT_EQ(position, list.Count());
}

// Codes without a row get no kernel of their own: the extended selection keeps the value.
TEST(FunctionTable, CodesWithoutARowGetNoKernel) {
    for (const std::uint16_t code : {OpCodes::Constant, OpCodes::Sum, OpCodes::Negation,
                                     OpCodes::Subtraction, std::uint16_t{47}}) {
        EXPECT_EQ(KvScalar::PickFunction<TExtendedFamily>(code), nullptr) << code;
        EXPECT_EQ(SelectFunctionKernel(code, dtExtended), KvKernels::KeepValue) << code;
    }
}
