#pragma once

#include <wx/panel.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "chart/trend_chart.h"
#include "report/trend_data.h"

class wxDC;
class wxGraphicsContext;

namespace velanto {

// One program's results over time against the limits each was judged by. Dragging across the plot zooms to
// the period dragged over, and the zooms stack; a click on a marker tells its record's key. The trend is
// laid out again only when its size, data, period or axis change, so that a paint only draws.
class TrendPanel : public wxPanel {
public:
    // `clicked` is told the key of a record whose marker was clicked.
    TrendPanel(wxWindow* parent, std::function<void(std::int64_t key)> clicked);

    // Draws the points of `data`, over their whole period.
    void ShowTrend(TrendData data);
    // Says `message` where the trend would be.
    void ShowMessage(const wxString& message);
    void SetLogarithmic(bool logarithmic);
    bool IsLogarithmic() const { return m_view.logarithmic; }
    // Shows the period `from` to `to`, keeping the one shown now to go back to.
    void ZoomTo(ChartTime from, ChartTime to);
    bool CanZoomBack() const { return !m_zooms.empty(); }
    void ZoomBack();
    void ShowWholePeriod();
    // The trend as last laid out.
    const TrendScene& Scene() const { return m_scene; }
    // Draws the trend as the window shows it on `dc`, of the panel's size.
    void Draw(wxDC& dc) const;

private:
    struct Period {
        std::optional<ChartTime> from, to;
    };

    void LayOut();
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void DrawScene(wxGraphicsContext& context) const;
    void DrawMarkers(wxGraphicsContext& context) const;
    void DrawLegendAndNotes(wxGraphicsContext& context) const;
    void DrawDragBand(wxGraphicsContext& context) const;

    std::function<void(std::int64_t)> m_clicked;
    std::vector<TrendPoint> m_points;
    std::size_t m_withoutCalendar = 0;
    wxString m_message;  // instead of the trend, when not empty
    TrendView m_view;
    std::vector<Period> m_zooms;
    TrendScene m_scene;
    std::optional<int> m_dragFrom;  // x where a press in the plot began
    int m_dragTo = 0;
};

}  // namespace velanto
