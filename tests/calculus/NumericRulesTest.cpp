// The arithmetic rules the numeric methods share.
#include <gtest/gtest.h>

#include <cmath>

#include "calculus/NumericRules.h"

namespace {

// The arc factor's series must meet the arcsine quotient where it hands over, and agree with
// it below, to the quotient's own rounding.
TEST(NumericRulesTest, ArcFactorAgreesWithTheArcsineQuotient) {
    for (long double s = 0x1p-40L; s <= 1; s *= 1.0625L) {
        const long double reference = std::asin(s) / s;
        EXPECT_NEAR(NumericRules::ArcFactor<false>(s), reference, reference * 0x1p-62L) << s;
    }
    for (const long double s : {0x1p-8L, std::nextafter(0x1p-8L, 0.0L), 0x1p-200L, 0x1p-16000L})
        EXPECT_NEAR(NumericRules::ArcFactor<true>(s), std::asin(s) / s, 0x1p-62L) << s;
}

} // namespace
