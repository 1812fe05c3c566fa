#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "chart/trend_chart.h"

namespace velanto {
namespace {

constexpr ChartTime kFirstResult = 1773324420;  // 2026-03-12 14:07
constexpr ChartTime kOneHour = 3600;
constexpr TrendView kView{{600, 300}, false, std::nullopt, std::nullopt};

TrendPoint PointAt(ChartTime when, std::int64_t rlu, Verdict verdict, std::int64_t key) {
    return {when, rlu, 0, 1000, verdict, key};
}

const Marker* MarkerOf(const TrendScene& scene, std::int64_t key) {
    auto found =
        std::find_if(scene.markers.begin(), scene.markers.end(), [&](const Marker& m) { return m.key == key; });
    return found == scene.markers.end() ? nullptr : &*found;
}

std::size_t CountOf(const TrendScene& scene, Verdict verdict) {
    return std::count_if(scene.markers.begin(), scene.markers.end(),
                         [&](const Marker& m) { return m.verdict == verdict; });
}

TEST(TrendLayout, DrawsEveryResultOfAFewWithFailedOnTop) {
    const std::vector<TrendPoint> points{PointAt(kFirstResult + 2 * kOneHour, 900, Verdict::Failed, 1),
                                         PointAt(kFirstResult, 100, Verdict::Pass, 2),
                                         PointAt(kFirstResult + kOneHour, 600, Verdict::Caution, 3)};
    const TrendScene scene = LayOutTrend(points, kView);
    ASSERT_EQ(scene.markers.size(), 3u);
    EXPECT_FALSE(scene.binned);
    EXPECT_EQ(scene.note, "");
    EXPECT_EQ(scene.markers.back().key, 1);
    EXPECT_LT(MarkerOf(scene, 2)->at.x, MarkerOf(scene, 3)->at.x);
    EXPECT_GT(MarkerOf(scene, 2)->at.y, MarkerOf(scene, 3)->at.y);  // more RLU, higher up
    for (const Marker& marker : scene.markers) {
        EXPECT_GT(marker.at.x, scene.plotLeft);
        EXPECT_LT(marker.at.x, scene.plotRight);
        EXPECT_GE(marker.at.y, scene.plotTop);  // the upper limit, 1000, fits under the top
    }
}

TEST(TrendLayout, BinsManyResultsButKeepsEveryFailedPlace) {
    std::vector<TrendPoint> points;
    for (int i = 0; i < 20000; ++i) {
        points.push_back(PointAt(kFirstResult + i * 60, 100 + i % 37, Verdict::Pass, i));
    }
    // Twenty Failed results far apart, and one more on the place of the first.
    for (int i = 0; i < 20; ++i) {
        points.push_back(PointAt(kFirstResult + i * 1000 * 60, 2000 + (i % 2) * 500, Verdict::Failed, 100000 + i));
    }
    points.push_back(PointAt(kFirstResult + 30, 2000, Verdict::Failed, 200000));
    const TrendScene scene = LayOutTrend(points, kView);
    EXPECT_TRUE(scene.binned);
    EXPECT_EQ(scene.results, points.size());
    EXPECT_EQ(scene.note, "20021 results, drawn binned: a mark stands for all results in its place");
    EXPECT_EQ(CountOf(scene, Verdict::Failed), 20u);
    EXPECT_LT(CountOf(scene, Verdict::Pass), 2000u);
    EXPECT_EQ(scene.markers.back().verdict, Verdict::Failed);
}

TEST(TrendLayout, StepsEachLimitWhereTheResultsWereJudgedByAnother) {
    const std::vector<TrendPoint> points{
        {kFirstResult, 50, 0, 100, Verdict::Pass, 1},
        {kFirstResult + kOneHour, 50, 0, 100, Verdict::Pass, 2},
        {kFirstResult + 2 * kOneHour, 150, 10, 200, Verdict::Pass, 3},
        {kFirstResult + 3 * kOneHour, 150, 10, 200, Verdict::Pass, 4},
    };
    for (bool logarithmic : {false, true}) {
        SCOPED_TRACE(logarithmic ? "logarithmic" : "linear");
        const TrendScene scene = LayOutTrend(points, {{600, 300}, logarithmic, std::nullopt, std::nullopt});
        const double stepX = MarkerOf(scene, 3)->at.x;
        ASSERT_EQ(scene.upperLimit.size(), 1u);
        const std::vector<PixelPoint>& upper = scene.upperLimit[0];
        ASSERT_EQ(upper.size(), 4u);
        EXPECT_EQ(upper[0].x, scene.plotLeft);
        EXPECT_EQ(upper[1].x, stepX);
        EXPECT_EQ(upper[2].x, stepX);
        EXPECT_EQ(upper[3].x, scene.plotRight);
        EXPECT_EQ(upper[0].y, upper[1].y);
        EXPECT_LT(upper[2].y, upper[1].y);
        EXPECT_EQ(upper[2].y, upper[3].y);
        // A lower limit of 0 lies on a linear axis' foot, and nowhere on a logarithmic one.
        ASSERT_EQ(scene.lowerLimit.size(), 1u);
        EXPECT_EQ(scene.lowerLimit[0].front().x, logarithmic ? stepX : scene.plotLeft);
        EXPECT_EQ(scene.lowerLimit[0].back().x, scene.plotRight);
    }
}

TEST(TrendLayout, DrawsLimitsTakingTurnsInAFewCornersAPixel) {
    std::vector<TrendPoint> points;
    for (int i = 0; i < 20000; ++i) {
        points.push_back({kFirstResult + i * 60, 50, 0, i % 2 == 0 ? 100 : 300, Verdict::Pass, i});
    }
    const TrendScene scene = LayOutTrend(points, kView);
    ASSERT_EQ(scene.upperLimit.size(), 1u);
    EXPECT_LT(scene.upperLimit[0].size(), 4 * static_cast<std::size_t>(scene.plotRight - scene.plotLeft + 2));
    double top = scene.plotBottom, bottom = scene.plotTop;
    for (const PixelPoint& corner : scene.upperLimit[0]) {
        top = std::min(top, corner.y);
        bottom = std::max(bottom, corner.y);
    }
    EXPECT_LT(top, bottom - 50);  // both limits still drawn
}

TEST(TrendLayout, PutsResultsOfNoRluAtTheLogarithmicAxisFoot) {
    const std::vector<TrendPoint> points{PointAt(kFirstResult, 0, Verdict::Pass, 1),
                                         PointAt(kFirstResult + 60, 0, Verdict::Pass, 2),
                                         PointAt(kFirstResult + 120, 40, Verdict::Pass, 3)};
    const TrendScene scene = LayOutTrend(points, {{600, 300}, true, std::nullopt, std::nullopt});
    EXPECT_EQ(scene.note, "2 results of 0 RLU drawn at the axis' foot");
    EXPECT_EQ(scene.rluTitle, "RLU (log)");
    EXPECT_EQ(MarkerOf(scene, 1)->at.y, scene.plotBottom);
    EXPECT_EQ(scene.rluMarks.front().label, "10");  // the decade below 40
    EXPECT_EQ(LayOutTrend(points, kView).note, "");
}

TEST(TrendLayout, ShowsOnlyThePeriodAndCopesWithOneMomentNoneOrAnOddSize) {
    std::vector<TrendPoint> points{PointAt(kFirstResult, 100, Verdict::Pass, 1),
                                   PointAt(kFirstResult + kOneHour, 200, Verdict::Pass, 2),
                                   PointAt(kFirstResult + 5 * kOneHour, 300, Verdict::Failed, 3)};
    const TrendScene period =
        LayOutTrend(points, {{600, 300}, false, kFirstResult + kOneHour / 2, kFirstResult + 2 * kOneHour});
    EXPECT_EQ(period.results, 1u);
    ASSERT_EQ(period.markers.size(), 1u);
    EXPECT_EQ(period.markers[0].key, 2);
    EXPECT_EQ(period.from, kFirstResult + kOneHour / 2);

    const TrendScene one = LayOutTrend(std::span(points).first(1), kView);
    EXPECT_LT(one.from, kFirstResult);
    EXPECT_GT(one.to, kFirstResult);
    EXPECT_TRUE(std::isfinite(one.markers[0].at.x) && std::isfinite(one.markers[0].at.y));
    EXPECT_FALSE(one.timeMarks.empty());

    const TrendScene none = LayOutTrend({}, kView);
    EXPECT_EQ(none.note, "No results in this period");
    EXPECT_TRUE(none.markers.empty());

    for (ChartSize size : {ChartSize{std::nan(""), -5}, ChartSize{1e12, 1e12}, ChartSize{0, 0}}) {
        const TrendScene odd = LayOutTrend(points, {size, true, std::nullopt, std::nullopt});
        ASSERT_FALSE(odd.markers.empty());
        EXPECT_EQ(odd.markers.back().key, 3);  // the Failed one, however small the plot
        EXPECT_TRUE(std::isfinite(odd.markers[0].at.x) && std::isfinite(odd.markers[0].at.y));
    }
}

TEST(TrendLayout, FindsTheKeyNearAPointAndTheTimeUnderTheMouse) {
    const std::vector<TrendPoint> points{PointAt(kFirstResult, 100, Verdict::Pass, 7),
                                         PointAt(kFirstResult + kOneHour, 900, Verdict::Failed, 8)};
    const TrendScene scene = LayOutTrend(points, kView);
    const PixelPoint failed = MarkerOf(scene, 8)->at;
    EXPECT_EQ(KeyNear(scene, {failed.x + 3, failed.y - 3}, 6), 8);
    EXPECT_EQ(KeyNear(scene, MarkerOf(scene, 7)->at, 6), 7);
    EXPECT_EQ(KeyNear(scene, {failed.x + 30, failed.y}, 6), std::nullopt);
    EXPECT_EQ(TimeAt(scene, scene.plotLeft - 50), scene.from);
    EXPECT_EQ(TimeAt(scene, scene.plotRight + 50), scene.to);
    EXPECT_NEAR(static_cast<double>(TimeAt(scene, failed.x)), static_cast<double>(kFirstResult + kOneHour), 60);
}

TEST(MarkerStyle, GivesEachVerdictAShapeAndColourOfItsOwn) {
    const MarkerStyle pass = StyleOf(Verdict::Pass), caution = StyleOf(Verdict::Caution),
                      failed = StyleOf(Verdict::Failed);
    EXPECT_NE(pass.shape, caution.shape);
    EXPECT_NE(pass.shape, failed.shape);
    EXPECT_NE(caution.shape, failed.shape);
    EXPECT_NE(pass.rgb, caution.rgb);
    EXPECT_NE(caution.rgb, failed.rgb);
}

}  // namespace
}  // namespace velanto
