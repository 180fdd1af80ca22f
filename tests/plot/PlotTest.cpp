// The picture's model: adaptive sampling, breaks, clipping, ranges and each mode's overlay.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "app/Calculator.h"
#include "engine/MathKernels.h"
#include "functions/MthTrFnc.h"
#include "platform/Locale.h"
#include "plot/PlotScene.h"
#include "tests/ParseInto.h"

namespace {

std::vector<TPlotLine> SampleOf(const std::string& text, TPlotView view) {
    TKvMathTreeFunction function;
    EXPECT_EQ(ParseInto(function, text), "");
    TKvPlotSampler sampler(&function, "x");
    return sampler.Sample(view);
}

TPlotView View(long double x0, long double x1, long double y0, long double y1) {
    TPlotView view;
    view.X = {x0, x1};
    view.Y = {y0, y1};
    return view;
}

TEST(PlotSamplerTest, PolesEdgesAndJumpsBreakTheLine) {
    const long double pi = 3.14159265358979323846L;
    struct TCase {
        const char* Text;
        TPlotView View;
        // No segment may run across this x.
        long double Gap;
        // Every segment changes y by less than this.
        long double MaxStep;
    };
    const TCase cases[] = {
        {"1/x", View(-10, 10, -5, 5), 0, 20},
        {"1/x", View(-3.3L, 7.1L, -5, 5), 0, 20},
        {"tan(x)", View(0, 3, -10, 10), pi / 2, 30},
        {"1/(x-1)^2", View(-2, 3, -1, 10), 1, 20},
        {"ln(x)", View(-2, 3, -5, 2), 0, 10},
        {"sqrt(x)", View(-2, 3, -1, 2), 0, 10},
        {"floor(x)", View(-2.5L, 2.5L, -3, 3), 1, 0.5L},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        const std::vector<TPlotLine> lines = SampleOf(c.Text, c.View);
        ASSERT_FALSE(lines.empty());
        for (const TPlotLine& line : lines)
            for (std::size_t i = 1; i < line.size(); ++i) {
                EXPECT_FALSE(line[i - 1].X < c.Gap && line[i].X > c.Gap) << line[i].X;
                EXPECT_LT(std::fabs(line[i].Y - line[i - 1].Y), c.MaxStep) << line[i].X;
                // Clipped to half a view beyond the edges.
                EXPECT_LE(std::fabs(line[i].Y - (c.View.Y.Min + c.View.Y.Max) / 2),
                          c.View.Y.Span() + 1e-9L);
            }
    }
    // The domain's edge is found to within a sliver of a pixel.
    const std::vector<TPlotLine> root = SampleOf("sqrt(x)", View(-2, 3, -1, 2));
    ASSERT_EQ(root.size(), 1u);
    EXPECT_LT(root[0].front().X, 5.0L / 640 / 32);
}

TEST(PlotSamplerTest, ChordsStayCloseToTheCurve) {
    struct TCase {
        const char* Text;
        std::function<long double(long double)> F;
        TPlotView View;
    };
    const TCase cases[] = {
        {"sin(x)", [](long double x) { return std::sin(x); }, View(-10, 10, -1.2L, 1.2L)},
        {"x^3-x", [](long double x) { return x * x * x - x; }, View(-2, 2, -6, 6)},
        {"exp(x)", [](long double x) { return std::exp(x); }, View(-3, 3, 0, 20)},
        {"sin(1/x)", [](long double x) { return std::sin(1 / x); }, View(0.05L, 1, -1.2L, 1.2L)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        const long double pxPerY = c.View.HeightPx / c.View.Y.Span();
        for (const TPlotLine& line : SampleOf(c.Text, c.View))
            for (std::size_t i = 1; i < line.size(); ++i)
                for (long double t : {0.25L, 0.5L, 0.75L}) {
                    const long double x = line[i - 1].X + t * (line[i].X - line[i - 1].X);
                    const long double chord = line[i - 1].Y + t * (line[i].Y - line[i - 1].Y);
                    EXPECT_LT(std::fabs(chord - c.F(x)) * pxPerY, 1.0L) << x;
                }
    }
}

TEST(PlotSamplerTest, ClipsAtTheBandAndKeepsThePiecesInside) {
    const std::vector<TPlotLine> clipped =
        ClipToBand({{{0, 0}, {1, 4}, {2, 0}, {3, -4}, {4, 0}}}, -2, 2);
    ASSERT_EQ(clipped.size(), 3u);
    EXPECT_EQ(clipped[0].back().X, 0.5L);
    EXPECT_EQ(clipped[0].back().Y, 2);
    EXPECT_EQ(clipped[1].front().X, 1.5L);
    EXPECT_EQ(clipped[1].back().X, 2.5L);
    EXPECT_EQ(clipped[1].back().Y, -2);
    EXPECT_EQ(clipped[2].front().X, 3.5L);
    EXPECT_TRUE(ClipToBand({{{0, 3}, {1, 5}}}, -2, 2).empty());
}

TEST(PlotSamplerTest, DefaultRangeIgnoresSpikes) {
    struct TCase {
        const char* Text;
        long double Low, High; // the range must lie within these, and cover 90% of them
    };
    const TCase cases[] = {{"sin(x)", -1.2L, 1.2L}, {"tan(x)", -8, 8}, {"1/x", -3, 3},
                           {"x^2", -6, 106}, {"7", 6, 8}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        TKvMathTreeFunction function;
        ASSERT_EQ(ParseInto(function, c.Text), "");
        TKvPlotSampler sampler(&function, "x");
        const TPlotRange r = DefaultYRange(sampler.EvenValues({-10, 10}, 401));
        EXPECT_GE(r.Min, c.Low);
        EXPECT_LE(r.Max, c.High);
        EXPECT_GE(r.Span(), (c.High - c.Low) * 0.4L);
    }
}

class PlotSceneTest : public testing::Test {
protected:
    void SetUp() override { SetDecimalSeparator('.'); }
    void TearDown() override { ResetDecimalSeparator(); }

    TPlotScene Scene(TCalcMode mode, const std::string& input,
                     std::function<void(TCalcRequest&)> fields = {}) {
        Request = {};
        Request.Mode = mode;
        Request.InputLines = {input};
        Request.IntgNumFromText = Request.LenNumFromText = "0";
        Request.IntgNumToText = Request.LenNumToText = "3";
        Request.IntgNumIntvText = Request.LenNumIntvText = "0.1";
        if (fields) fields(Request);
        Outcome = Calculator.RunCalculation(Request);
        return BuildPlotScene(Calculator, Request, &Outcome, std::nullopt, std::nullopt, 640, 400);
    }

    TCalculator Calculator;
    TCalcRequest Request;
    TCalcOutcome Outcome;
};

TEST_F(PlotSceneTest, EveryModeGetsItsOverlay) {
    struct TCase {
        TCalcMode Mode;
        const char* Input;
        std::function<void(TCalcRequest&)> Fields;
        std::function<void(const TPlotScene&)> Check;
    };
    const TCase cases[] = {
        {cmNumIntegral, "sin(x)", {}, [](const TPlotScene& s) {
             ASSERT_FALSE(s.Area.empty());
             for (const TPlotPoint& p : s.Area[0]) {
                 EXPECT_TRUE(p.X >= 0 && p.X <= 3);
                 EXPECT_TRUE(p.Y == 0 || std::fabs(p.Y - std::sin(p.X)) < 1e-12L);
             }
             EXPECT_NE(s.Caption.find("1.98999256571798"), std::string::npos);
             EXPECT_LE(s.View.Y.Min, 0);
         }},
        {cmCurveLength, "sin(x)", {}, [](const TPlotScene& s) {
             ASSERT_EQ(s.Arc.size(), 1u);
             EXPECT_EQ(s.Arc[0].front().X, 0);
             EXPECT_EQ(s.Arc[0].back().X, 3);
             EXPECT_EQ(s.Marks.size(), 2u);
             EXPECT_NE(s.Caption.find("Kurvenlänge"), std::string::npos);
         }},
        {cmNewton, "x^2-2", [](TCalcRequest& r) { r.StartText = "3"; },
         [](const TPlotScene& s) {
             // Tangent from (3, 7) down to the axis at 3 - 7/6, then up to the curve.
             ASSERT_GE(s.Guides.size(), 4u);
             EXPECT_NEAR(s.Guides[0][1].X, 3 - 7.0L / 6, 1e-6L);
             EXPECT_EQ(s.Guides[0][1].Y, 0);
             ASSERT_EQ(s.Marks.size(), 1u);
             EXPECT_NEAR(s.Marks[0].At.X, std::sqrt(2.0L), 1e-12L);
             EXPECT_TRUE(s.View.X.Min < 1.4L && s.View.X.Max > 3);
         }},
        {cmNewton, "x^2+1", [](TCalcRequest& r) { r.StartText = "3"; r.MaxIter = 20; },
         [](const TPlotScene& s) {
             ASSERT_EQ(s.Marks.size(), 1u);
             EXPECT_NE(s.Marks[0].Text.find("letzte Näherung"), std::string::npos);
         }},
        {cmNumDerivative, "sin(x)", [](TCalcRequest& r) { r.DiffNumXText = "1"; },
         [](const TPlotScene& s) {
             ASSERT_EQ(s.Guides.size(), 1u);
             const TPlotLine& t = s.Guides[0];
             EXPECT_NEAR((t[1].Y - t[0].Y) / (t[1].X - t[0].X), std::cos(1.0L), 1e-8L);
             EXPECT_NEAR(s.Marks.at(0).At.Y, std::sin(1.0L), 1e-15L);
         }},
        {cmDerivative, "x^3/10", {}, [](const TPlotScene& s) {
             ASSERT_FALSE(s.Second.empty());
             for (const TPlotPoint& p : s.Second[0]) EXPECT_NEAR(p.Y, 0.3L * p.X * p.X, 1e-12L);
             EXPECT_EQ(s.SecondTitle, "3*x^2/10");
         }},
        {cmAntiderivative, "cos(x)", {}, [](const TPlotScene& s) {
             ASSERT_FALSE(s.Second.empty());
             for (const TPlotPoint& p : s.Second[0]) EXPECT_NEAR(p.Y, std::sin(p.X), 1e-12L);
         }},
        {cmSimplify, "x+x", {}, [](const TPlotScene& s) {
             ASSERT_EQ(s.Curve.size(), 1u);
             EXPECT_EQ(s.Curve[0].front().Y, -20);
         }},
        {cmSimple, "2*x+a", [](TCalcRequest&) {}, [](const TPlotScene& s) {
             ASSERT_EQ(s.Curve.size(), 1u);
             EXPECT_EQ(s.Curve[0].back().Y, 20);
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Input);
        SCOPED_TRACE(c.Mode);
        c.Check(Scene(c.Mode, c.Input, c.Fields));
    }
}

TEST_F(PlotSceneTest, OverlaysStayNearAZoomedView) {
    const TPlotRange x{0, 1}, y{-1, 1};
    auto inside = [&](const std::vector<TPlotLine>& lines, long double slack) {
        for (const TPlotLine& line : lines)
            for (const TPlotPoint& p : line) {
                EXPECT_TRUE(p.X >= x.Min - slack && p.X <= x.Max + slack) << p.X;
                EXPECT_TRUE(p.Y >= y.Min - 2 * slack && p.Y <= y.Max + 2 * slack) << p.Y;
            }
    };
    Scene(cmNumIntegral, "sin(x)", [](TCalcRequest& r) {
        r.IntgNumToText = "1e6";
        r.IntgNumIntvText = "1000";
    });
    TPlotScene scene = BuildPlotScene(Calculator, Request, &Outcome, x, y, 640, 400);
    ASSERT_FALSE(scene.Area.empty());
    inside(scene.Area, 0);
    // Newton's iterates on arctan fly off ever farther.
    Scene(cmNewton, "arctan(x)", [](TCalcRequest& r) { r.StartText = "0.5"; });
    Request.StartText = "3";
    scene = BuildPlotScene(Calculator, Request, &Outcome, x, y, 640, 400);
    inside(scene.Guides, 0.5L);
}

TEST_F(PlotSceneTest, DrawingChangesNoVariableNorTheRandomSequence) {
    for (const TCalcMode mode : {cmSimple, cmNewton, cmNumDerivative, cmDerivative}) {
        SCOPED_TRACE(mode);
        Request = {};
        Request.Mode = mode;
        Request.InputLines = {"rnd(1)+x^2-2"};
        Outcome = Calculator.RunCalculation(Request);
        const long double x = Calculator.MainFunction().GetVarValue("x");
        const std::uint32_t seed = RandSeed;
        const TPlotScene scene =
            BuildPlotScene(Calculator, Request, &Outcome, std::nullopt, std::nullopt, 320, 200);
        EXPECT_EQ(Calculator.MainFunction().GetVarValue("x"), x);
        EXPECT_EQ(RandSeed, seed);
        // A random function is shown as dots, not joined.
        for (const TPlotLine& line : scene.Curve) {
            ASSERT_EQ(line.size(), 2u);
            EXPECT_EQ(line[0].X, line[1].X);
        }
    }
}

} // namespace
