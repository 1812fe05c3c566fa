#include "records_ui/trend_panel.h"

#include <wx/dcbuffer.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include <wx/settings.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <span>

namespace velanto {
namespace {

constexpr double kMarkerRadius = 3.5;
constexpr double kClickRadius = 6;
constexpr int kLeastDrag = 4;  // pixels a press may move and still be a click
constexpr double kLineHeight = kChartFontPixels + 6;
constexpr double kStripHeight = 2 * kLineHeight;  // the legend and the notes under the plot
constexpr Verdict kVerdicts[] = {Verdict::Pass, Verdict::Caution, Verdict::Failed};

// The limits in two dash styles and two colours, so that either tells them apart.
const wxColour kUpperLimitColour(0x8e, 0x24, 0xaa);
const wxColour kLowerLimitColour(0x00, 0x69, 0x7c);
constexpr wxPenStyle kUpperLimitDash = wxPENSTYLE_LONG_DASH;
constexpr wxPenStyle kLowerLimitDash = wxPENSTYLE_SHORT_DASH;

wxColour ColourOf(unsigned rgb) { return wxColour((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff); }

const char* NameOf(Verdict verdict) {
    switch (verdict) {
        case Verdict::Pass: return "Pass";
        case Verdict::Caution: return "Caution";
        default: return "Failed";
    }
}

// The corners of a unit circle's regular dodecagon.
constexpr PixelPoint kRound[] = {{1, 0},  {0.866, 0.5},   {0.5, 0.866},   {0, 1},  {-0.5, 0.866}, {-0.866, 0.5},
                                 {-1, 0}, {-0.866, -0.5}, {-0.5, -0.866}, {0, -1}, {0.5, -0.866}, {0.866, -0.5}};

void AddMarker(wxGraphicsPath& path, MarkerShape shape, PixelPoint at) {
    const double r = kMarkerRadius;
    switch (shape) {
        case MarkerShape::Circle:  // a polygon: at this size as round as a circle, and far quicker to fill
            path.MoveToPoint(at.x + r * kRound[0].x, at.y + r * kRound[0].y);
            for (const PixelPoint& corner : std::span(kRound).subspan(1)) {
                path.AddLineToPoint(at.x + r * corner.x, at.y + r * corner.y);
            }
            path.CloseSubpath();
            break;
        case MarkerShape::Square: path.AddRectangle(at.x - r, at.y - r, 2 * r, 2 * r); break;
        case MarkerShape::Triangle:
            path.MoveToPoint(at.x, at.y - 1.2 * r);
            path.AddLineToPoint(at.x + 1.1 * r, at.y + 0.9 * r);
            path.AddLineToPoint(at.x - 1.1 * r, at.y + 0.9 * r);
            path.CloseSubpath();
            break;
    }
}

// A marker alone on a transparent square image `side` pixels wide, centred.
wxImage MarkerImage(const MarkerStyle& style, int side) {
    wxImage image(side, side);
    image.InitAlpha();
    std::fill_n(image.GetAlpha(), side * side, 0);
    {
        const std::unique_ptr<wxGraphicsContext> context(wxGraphicsContext::Create(image));
        wxGraphicsPath path = context->CreatePath();
        AddMarker(path, style.shape, {side / 2.0, side / 2.0});
        context->SetPen(*wxTRANSPARENT_PEN);
        context->SetBrush(wxBrush(ColourOf(style.rgb)));
        context->FillPath(path, wxWINDING_RULE);
    }  // the image holds the drawing once its context is gone
    return image;
}

void AddRuns(wxGraphicsPath& path, const std::vector<std::vector<PixelPoint>>& runs) {
    for (const std::vector<PixelPoint>& run : runs) {
        if (run.empty()) {
            continue;
        }
        path.MoveToPoint(run.front().x, run.front().y);
        for (const PixelPoint& corner : run) {
            path.AddLineToPoint(corner.x, corner.y);
        }
    }
}

wxGraphicsPenInfo LimitPen(const wxColour& colour, wxPenStyle dash) {
    return wxGraphicsPenInfo(colour).Width(2).Style(dash);
}

wxFont ChartFont() {
    return wxFont(wxFontInfo(wxSize(0, static_cast<int>(kChartFontPixels))).Family(wxFONTFAMILY_SWISS));
}

}  // namespace

TrendPanel::TrendPanel(wxWindow* parent, std::function<void(std::int64_t)> clicked)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE, "trend"),
      m_clicked(std::move(clicked)) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetMinSize(FromDIP(wxSize(300, 160)));
    Bind(wxEVT_PAINT, &TrendPanel::OnPaint, this);
    const auto resized = [this](wxSizeEvent& event) {
        LayOut();
        Refresh();
        event.Skip();
    };
    Bind(wxEVT_SIZE, resized);
    Bind(wxEVT_LEFT_DOWN, &TrendPanel::OnLeftDown, this);
    Bind(wxEVT_MOTION, &TrendPanel::OnMotion, this);
    Bind(wxEVT_LEFT_UP, &TrendPanel::OnLeftUp, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &TrendPanel::OnCaptureLost, this);
}

void TrendPanel::ShowTrend(TrendData data) {
    m_points = std::move(data.points);
    m_withoutCalendar = data.withoutCalendar;
    m_message.clear();
    ShowWholePeriod();
}

void TrendPanel::ShowMessage(const wxString& message) {
    m_points.clear();
    m_withoutCalendar = 0;
    m_message = message;
    ShowWholePeriod();
}

void TrendPanel::SetLogarithmic(bool logarithmic) {
    m_view.logarithmic = logarithmic;
    LayOut();
    Refresh();
}

void TrendPanel::ZoomTo(ChartTime from, ChartTime to) {
    if (to <= from) {
        return;
    }
    m_zooms.push_back({m_view.from, m_view.to});
    m_view.from = from;
    m_view.to = to;
    LayOut();
    Refresh();
}

void TrendPanel::ZoomBack() {
    if (m_zooms.empty()) {
        return;
    }
    m_view.from = m_zooms.back().from;
    m_view.to = m_zooms.back().to;
    m_zooms.pop_back();
    LayOut();
    Refresh();
}

void TrendPanel::ShowWholePeriod() {
    m_zooms.clear();
    m_view.from.reset();
    m_view.to.reset();
    LayOut();
    Refresh();
}

void TrendPanel::LayOut() {
    const wxSize size = GetClientSize();
    m_view.size = {static_cast<double>(size.x), std::max(0.0, size.y - kStripHeight)};
    m_scene = m_message.empty() ? LayOutTrend(m_points, m_view) : TrendScene{};
}

void TrendPanel::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    Draw(dc);
}

void TrendPanel::Draw(wxDC& dc) const {
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    const std::unique_ptr<wxGraphicsContext> context(wxGraphicsContext::CreateFromUnknownDC(dc));
    if (!context) {
        return;
    }
    if (!m_message.empty()) {
        context->SetFont(GetFont(), wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));  // as the window speaks
        double width = 0, height = 0;
        context->GetTextExtent(m_message, &width, &height);
        const wxSize size = GetClientSize();
        context->DrawText(m_message, (size.x - width) / 2, (size.y - height) / 2);
        return;
    }
    context->SetFont(ChartFont(), *wxBLACK);  // the report's metrics, which the scene is laid out for
    DrawScene(*context);
    DrawLegendAndNotes(*context);
    DrawDragBand(*context);
}

void TrendPanel::DrawScene(wxGraphicsContext& context) const {
    const TrendScene& scene = m_scene;
    const double plotWidth = scene.plotRight - scene.plotLeft, plotHeight = scene.plotBottom - scene.plotTop;
    wxGraphicsPath grid = context.CreatePath();
    for (const AxisMark& mark : scene.timeMarks) {
        grid.MoveToPoint(mark.pixel, scene.plotTop);
        grid.AddLineToPoint(mark.pixel, scene.plotBottom);
    }
    for (const AxisMark& mark : scene.rluMarks) {
        grid.MoveToPoint(scene.plotLeft, mark.pixel);
        grid.AddLineToPoint(scene.plotRight, mark.pixel);
    }
    context.SetPen(context.CreatePen(wxGraphicsPenInfo(wxColour(0xe4, 0xe4, 0xe4)).Width(1)));
    context.StrokePath(grid);

    double width = 0, height = 0;
    for (const AxisMark& mark : scene.timeMarks) {
        context.GetTextExtent(mark.label, &width, &height);
        context.DrawText(mark.label, mark.pixel - width / 2, scene.plotBottom + 4);
    }
    for (const AxisMark& mark : scene.rluMarks) {
        context.GetTextExtent(mark.label, &width, &height);
        context.DrawText(mark.label, scene.plotLeft - 5 - width, mark.pixel - height / 2);
    }
    context.GetTextExtent(scene.rluTitle, &width, &height);
    context.DrawText(scene.rluTitle, 2, scene.plotTop + (plotHeight + width) / 2, M_PI / 2);

    // Markers and limits stay inside the frame however the scene rounds its edges.
    context.PushState();
    context.Clip(scene.plotLeft, scene.plotTop, plotWidth, plotHeight);
    for (const auto& [runs, colour, dash] : {std::tuple(&scene.upperLimit, kUpperLimitColour, kUpperLimitDash),
                                             std::tuple(&scene.lowerLimit, kLowerLimitColour, kLowerLimitDash)}) {
        wxGraphicsPath line = context.CreatePath();
        AddRuns(line, *runs);
        context.SetPen(context.CreatePen(LimitPen(colour, dash)));
        context.StrokePath(line);
    }
    DrawMarkers(context);
    context.PopState();

    context.SetPen(context.CreatePen(wxGraphicsPenInfo(wxColour(0x80, 0x80, 0x80)).Width(1)));
    context.SetBrush(*wxTRANSPARENT_BRUSH);
    context.DrawRectangle(scene.plotLeft, scene.plotTop, plotWidth, plotHeight);
}

// Each verdict's marker drawn once, smoothly, on an image of its own, then stamped at every place: copying a
// few dozen pixels is many times quicker than filling a shape, so thousands of markers take milliseconds.
// Stamps stand on whole pixels, as the report's markers do. Failed last, on top.
void TrendPanel::DrawMarkers(wxGraphicsContext& context) const {
    constexpr int kStampSide = 2 * static_cast<int>(std::ceil(kMarkerRadius * 1.2)) + 1;
    constexpr double kStampCentre = kStampSide / 2.0;
    for (const Verdict verdict : kVerdicts) {
        const wxGraphicsBitmap stamp = context.CreateBitmapFromImage(MarkerImage(StyleOf(verdict), kStampSide));
        for (const Marker& marker : m_scene.markers) {
            if (marker.verdict == verdict) {
                context.DrawBitmap(stamp, std::round(marker.at.x) + 0.5 - kStampCentre,
                                   std::round(marker.at.y) + 0.5 - kStampCentre, kStampSide, kStampSide);
            }
        }
    }
}

// What the shapes and lines mean, and what the reader must know of the results shown and not shown.
void TrendPanel::DrawLegendAndNotes(wxGraphicsContext& context) const {
    double x = m_scene.plotLeft;
    const double legendTop = m_view.size.height, centre = legendTop + kLineHeight / 2;
    double width = 0, height = 0;
    const auto label = [&](const wxString& text) {
        context.GetTextExtent(text, &width, &height);
        context.DrawText(text, x, centre - height / 2);
        x += width + 14;
    };
    for (const Verdict verdict : kVerdicts) {
        const MarkerStyle style = StyleOf(verdict);
        wxGraphicsPath path = context.CreatePath();
        AddMarker(path, style.shape, {x + kMarkerRadius, centre});
        context.SetPen(*wxTRANSPARENT_PEN);
        context.SetBrush(wxBrush(ColourOf(style.rgb)));
        context.FillPath(path, wxWINDING_RULE);
        x += 2 * kMarkerRadius + 4;
        label(NameOf(verdict));
    }
    for (const auto& [name, colour, dash] : {std::tuple("Upper limit", kUpperLimitColour, kUpperLimitDash),
                                             std::tuple("Lower limit", kLowerLimitColour, kLowerLimitDash)}) {
        context.SetPen(context.CreatePen(LimitPen(colour, dash)));
        context.StrokeLine(x, centre, x + 24, centre);
        x += 28;
        label(name);
    }

    wxString notes = wxString::FromUTF8(m_scene.note);
    if (m_withoutCalendar > 0) {
        notes += wxString::Format("%s%zu results without a valid date are not drawn.", notes.empty() ? "" : " ",
                                  m_withoutCalendar);
    }
    context.GetTextExtent(notes, &width, &height);
    context.DrawText(notes, m_scene.plotLeft, legendTop + kLineHeight + (kLineHeight - height) / 2);
}

void TrendPanel::DrawDragBand(wxGraphicsContext& context) const {
    if (!m_dragFrom || std::abs(m_dragTo - *m_dragFrom) < kLeastDrag) {
        return;
    }
    const double left = std::clamp<double>(std::min(*m_dragFrom, m_dragTo), m_scene.plotLeft, m_scene.plotRight);
    const double right = std::clamp<double>(std::max(*m_dragFrom, m_dragTo), m_scene.plotLeft, m_scene.plotRight);
    context.SetPen(context.CreatePen(wxGraphicsPenInfo(wxColour(0x19, 0x76, 0xd2)).Width(1)));
    context.SetBrush(wxBrush(wxColour(0x19, 0x76, 0xd2, 0x40)));
    context.DrawRectangle(left, m_scene.plotTop, right - left, m_scene.plotBottom - m_scene.plotTop);
}

void TrendPanel::OnLeftDown(wxMouseEvent& event) {
    const wxPoint at = event.GetPosition();
    const bool inPlot =
        at.x >= m_scene.plotLeft && at.x <= m_scene.plotRight && at.y >= m_scene.plotTop && at.y <= m_scene.plotBottom;
    if (m_message.empty() && inPlot) {
        m_dragFrom = m_dragTo = at.x;
        CaptureMouse();
    }
    event.Skip();  // the panel takes the focus
}

void TrendPanel::OnMotion(wxMouseEvent& event) {
    if (m_dragFrom && event.LeftIsDown()) {
        m_dragTo = event.GetPosition().x;
        Refresh();
    }
}

void TrendPanel::OnLeftUp(wxMouseEvent& event) {
    if (!m_dragFrom) {
        return;
    }
    const int from = *m_dragFrom, to = event.GetPosition().x;
    m_dragFrom.reset();
    if (HasCapture()) {
        ReleaseMouse();
    }
    if (std::abs(to - from) < kLeastDrag) {
        const wxPoint at = event.GetPosition();
        if (const std::optional<std::int64_t> key = KeyNear(m_scene, {double(at.x), double(at.y)}, kClickRadius)) {
            m_clicked(*key);
        }
        Refresh();
        return;
    }
    const auto timeAt = [this](int x) {
        return TimeAt(m_scene, std::clamp<double>(x, m_scene.plotLeft, m_scene.plotRight));
    };
    ZoomTo(timeAt(std::min(from, to)), timeAt(std::max(from, to)));
    Refresh();
}

void TrendPanel::OnCaptureLost(wxMouseCaptureLostEvent&) {
    m_dragFrom.reset();
    Refresh();
}

}  // namespace velanto
