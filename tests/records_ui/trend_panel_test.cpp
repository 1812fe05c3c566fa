#include <gtest/gtest.h>
#include <wx/frame.h>

#include <memory>
#include <optional>
#include <vector>

#include "chart/chart_time.h"
#include "records_ui/trend_panel.h"

namespace velanto {
namespace {

constexpr ChartTime kDay = 86400;

// Thirty days of one result a day, every fifth Failed; each result's key is its day, counted from 1.
TrendData Month() {
    TrendData data;
    const ChartTime start = *ChartTimeOf("2026-03-01", "09:00");
    for (std::int64_t day = 0; day < 30; ++day) {
        const Verdict verdict = day % 5 == 4 ? Verdict::Failed : Verdict::Pass;
        data.points.push_back(
            {start + day * kDay, verdict == Verdict::Failed ? 900 : 100 + day, 50, 500, verdict, day + 1});
    }
    return data;
}

class Trend : public ::testing::Test {
protected:
    Trend() {
        frame->SetClientSize(800, 400);
        panel = new TrendPanel(frame.get(), [this](std::int64_t key) { clicked.push_back(key); });
        frame->Show();
        panel->SetSize(frame->GetClientSize());
        panel->ShowTrend(Month());
    }
    ~Trend() override { frame->Hide(); }

    void Mouse(wxEventType type, PixelPoint at) {
        wxMouseEvent event(type);
        event.SetPosition(wxPoint(static_cast<int>(at.x), static_cast<int>(at.y)));
        event.m_leftDown = type != wxEVT_LEFT_UP;
        panel->ProcessWindowEvent(event);
    }
    void Drag(double fromX, double toX) {
        const double y = (panel->Scene().plotTop + panel->Scene().plotBottom) / 2;
        Mouse(wxEVT_LEFT_DOWN, {fromX, y});
        Mouse(wxEVT_MOTION, {(fromX + toX) / 2, y});
        Mouse(wxEVT_LEFT_UP, {toX, y});
    }
    double PlotX(double share) const {
        const TrendScene& scene = panel->Scene();
        return scene.plotLeft + share * (scene.plotRight - scene.plotLeft);
    }

    std::unique_ptr<wxFrame> frame = std::make_unique<wxFrame>(nullptr, wxID_ANY, "trend");
    TrendPanel* panel = nullptr;
    std::vector<std::int64_t> clicked;
};

TEST_F(Trend, ADragZoomsToItsPeriodAndZoomsStackBack) {
    const TrendScene whole = panel->Scene();
    ASSERT_EQ(whole.results, 30u);
    Drag(PlotX(0.75), PlotX(0.25));  // right to left as well as left to right
    const TrendScene half = panel->Scene();
    EXPECT_NEAR(half.from, TimeAt(whole, PlotX(0.25)), kDay / 24);
    EXPECT_NEAR(half.to, TimeAt(whole, PlotX(0.75)), kDay / 24);
    EXPECT_LT(half.results, whole.results);
    Drag(PlotX(0.25), PlotX(0.5));
    EXPECT_LT(panel->Scene().to - panel->Scene().from, half.to - half.from);

    panel->ZoomBack();
    EXPECT_EQ(panel->Scene().from, half.from);
    EXPECT_EQ(panel->Scene().to, half.to);
    panel->ZoomBack();
    EXPECT_EQ(panel->Scene().from, whole.from);
    EXPECT_FALSE(panel->CanZoomBack());
    EXPECT_TRUE(clicked.empty()) << "a drag is no click";
}

TEST_F(Trend, NewDataAndTheWholePeriodDropTheZooms) {
    const TrendScene whole = panel->Scene();
    Drag(PlotX(0.1), PlotX(0.4));
    panel->ShowWholePeriod();
    EXPECT_FALSE(panel->CanZoomBack());
    EXPECT_EQ(panel->Scene().to, whole.to);
    Drag(PlotX(0.1), PlotX(0.4));
    panel->ShowTrend(Month());
    EXPECT_FALSE(panel->CanZoomBack());
    EXPECT_EQ(panel->Scene().results, 30u);
}

TEST_F(Trend, AClickOnAMarkerTellsItsRecordAndOneBesideNoneTellsNothing) {
    const Marker marker = panel->Scene().markers.at(4);
    Mouse(wxEVT_LEFT_DOWN, marker.at);
    Mouse(wxEVT_LEFT_UP, {marker.at.x + 1, marker.at.y});
    EXPECT_EQ(clicked, std::vector<std::int64_t>{marker.key});
    clicked.clear();
    const PixelPoint empty{PlotX(0.5), panel->Scene().plotTop + 2};  // the results lie far below the top
    Mouse(wxEVT_LEFT_DOWN, empty);
    Mouse(wxEVT_LEFT_UP, empty);
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(panel->Scene().results, 30u) << "a click does not zoom";
}

TEST_F(Trend, AMessageInsteadOfATrendTakesNoClicksOrDrags) {
    panel->ShowMessage("Choose a program to see its trend.");
    EXPECT_TRUE(panel->Scene().markers.empty());
    Drag(100, 400);
    EXPECT_FALSE(panel->CanZoomBack());
}

TEST_F(Trend, TheLogarithmicAxisKeepsTheZoom) {
    Drag(PlotX(0.2), PlotX(0.6));
    const TrendScene zoomed = panel->Scene();
    panel->SetLogarithmic(true);
    EXPECT_TRUE(panel->IsLogarithmic());
    EXPECT_EQ(panel->Scene().from, zoomed.from);
    EXPECT_NE(panel->Scene().rluTitle, zoomed.rluTitle);
}

}  // namespace
}  // namespace velanto
