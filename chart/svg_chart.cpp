#include "chart/svg_chart.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace velanto {
namespace {

constexpr double kFont = kChartFontPixels;
constexpr double kSvgCharWidth = 0.6 * kFont;
constexpr const char* kFrameColour = "#555";
constexpr const char* kGridColour = "#e4e4e4";
constexpr const char* kLimitColour = "#333";
constexpr const char* kUpperDash = "7 3";
constexpr const char* kLowerDash = "2 2";

std::string Escaped(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default:
                // Control characters other than white space are no XML at all.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') {
                    escaped += c;
                }
        }
    }
    return escaped;
}

// A coordinate in tenths of a pixel, as few characters as it needs: 12, 12.5, -3.1.
std::string TenthsText(long tenths) {
    char text[32];
    if (tenths % 10 == 0) {
        std::snprintf(text, sizeof text, "%ld", tenths / 10);
    } else {
        std::snprintf(text, sizeof text, "%s%ld.%ld", tenths < 0 ? "-" : "", std::labs(tenths) / 10,
                      std::labs(tenths) % 10);
    }
    return text;
}

long TenthsOf(double pixels) { return std::lround(pixels * 10); }
std::string Number(double pixels) { return TenthsText(TenthsOf(pixels)); }

std::string Colour(unsigned rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06x", rgb & 0xffffffu);
    return text;
}

// SVG path data takes a sign as a separator: "m3-4" needs no space, "m3 4" does.
void AppendPair(std::string& path, long dx, long dy) {
    path += TenthsText(dx);
    if (dy >= 0) {
        path += ' ';
    }
    path += TenthsText(dy);
}

// Every marker of a verdict in one path: circles and squares as zero-length strokes with round or square
// caps, triangles as filled outlines, each a move relative to the one before to keep the report small.
std::string MarkerPathOf(const TrendScene& scene, Verdict verdict) {
    const bool triangle = StyleOf(verdict).shape == MarkerShape::Triangle;
    std::string path;
    long lastX = 0, lastY = 0;
    for (const Marker& marker : scene.markers) {
        if (marker.verdict != verdict) {
            continue;
        }
        // Whole pixels: a marker is 7 pixels wide, and a tenth more would cost a report a quarter of its size.
        const long x = std::lround(marker.at.x) * 10, y = (std::lround(marker.at.y) - (triangle ? 4 : 0)) * 10;
        path += path.empty() ? 'M' : 'm';
        AppendPair(path, path.size() == 1 ? x : x - lastX, path.size() == 1 ? y : y - lastY);
        path += triangle ? "l4 7h-8z" : "h0";
        lastX = x, lastY = y;
    }
    return path;
}

std::string MarkerElementOf(const std::string& path, Verdict verdict) {
    const MarkerStyle style = StyleOf(verdict);
    const std::string colour = Colour(style.rgb);
    switch (style.shape) {
        case MarkerShape::Circle:
            return "<path d=\"" + path + "\" stroke=\"" + colour + "\" stroke-width=\"7\" stroke-linecap=\"round\"/>";
        case MarkerShape::Square:
            return "<path d=\"" + path + "\" stroke=\"" + colour + "\" stroke-width=\"6\" stroke-linecap=\"square\"/>";
        case MarkerShape::Triangle: return "<path d=\"" + path + "\" fill=\"" + colour + "\"/>";
    }
    return {};
}

std::string LimitElementOf(const std::vector<std::vector<PixelPoint>>& runs, const char* dash) {
    std::string path;
    for (const auto& run : runs) {
        for (std::size_t i = 0; i < run.size(); ++i) {
            path += i == 0 ? "M" : "L";
            path += Number(run[i].x) + " " + Number(run[i].y);
        }
    }
    if (path.empty()) {
        return {};
    }
    return "<path d=\"" + path + "\" fill=\"none\" stroke=\"" + kLimitColour +
           "\" stroke-width=\"1.2\" stroke-dasharray=\"" + dash + "\"/>";
}

std::string TextElement(double x, double y, std::string_view anchor, std::string_view text) {
    return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" text-anchor=\"" + std::string(anchor) + "\">" +
           Escaped(text) + "</text>";
}

std::string GridAndAxes(const TrendScene& scene) {
    std::string grid, labels;
    for (const AxisMark& mark : scene.timeMarks) {
        grid += "M" + Number(mark.pixel) + " " + Number(scene.plotTop) + "V" + Number(scene.plotBottom);
        labels += TextElement(mark.pixel, scene.plotBottom + 0.5 * kFont + kFont, "middle", mark.label);
    }
    for (const AxisMark& mark : scene.rluMarks) {
        grid += "M" + Number(scene.plotLeft) + " " + Number(mark.pixel) + "H" + Number(scene.plotRight);
        labels += TextElement(scene.plotLeft - 0.4 * kFont, mark.pixel + 0.35 * kFont, "end", mark.label);
    }
    const double middle = (scene.plotTop + scene.plotBottom) / 2;
    labels += "<text transform=\"rotate(-90)\" x=\"" + Number(-middle) + "\" y=\"" + Number(kFont) +
              "\" text-anchor=\"middle\">" + Escaped(scene.rluTitle) + "</text>";
    return "<path d=\"" + grid + "\" stroke=\"" + kGridColour + "\"/>" + "<rect x=\"" + Number(scene.plotLeft) +
           "\" y=\"" + Number(scene.plotTop) + "\" width=\"" + Number(scene.plotRight - scene.plotLeft) +
           "\" height=\"" + Number(scene.plotBottom - scene.plotTop) + "\" fill=\"none\" stroke=\"" + kFrameColour +
           "\"/>" + labels;
}

// Above the plot: each verdict's shape and the two limits' dashes, named.
std::string Legend(const TrendScene& scene) {
    std::string legend;
    double x = scene.plotLeft;
    const double y = scene.plotTop - 0.7 * kFont;
    constexpr std::array<std::pair<Verdict, const char*>, 3> kVerdicts{
        {{Verdict::Pass, "Pass"}, {Verdict::Caution, "Caution"}, {Verdict::Failed, "Failed"}}};
    for (const auto& [verdict, name] : kVerdicts) {
        TrendScene sample;
        sample.markers.push_back({{x + 4, y - 0.35 * kFont}, verdict, 0});
        legend += MarkerElementOf(MarkerPathOf(sample, verdict), verdict);
        legend += TextElement(x + 11, y, "start", name);
        x += 11 + static_cast<double>(std::string_view(name).size()) * kSvgCharWidth + kFont;
    }
    for (const auto& [dash, name] : {std::pair{kUpperDash, "upper limit"}, std::pair{kLowerDash, "lower limit"}}) {
        legend += LimitElementOf({{{x, y - 0.35 * kFont}, {x + 22, y - 0.35 * kFont}}}, dash);
        legend += TextElement(x + 26, y, "start", name);
        x += 26 + static_cast<double>(std::string_view(name).size()) * kSvgCharWidth + kFont;
    }
    return legend;
}

}  // namespace

std::string SvgOf(const TrendScene& scene) {
    const std::string width = Number(scene.size.width), height = Number(scene.size.height);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + width + "\" height=\"" + height +
                      "\" viewBox=\"0 0 " + width + " " + height + "\" font-family=\"sans-serif\" font-size=\"" +
                      Number(kFont) + "\">";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>";
    svg += GridAndAxes(scene);
    svg += LimitElementOf(scene.upperLimit, kUpperDash);
    svg += LimitElementOf(scene.lowerLimit, kLowerDash);
    for (Verdict verdict : {Verdict::Pass, Verdict::Caution, Verdict::Failed}) {
        const std::string path = MarkerPathOf(scene, verdict);
        if (!path.empty()) {
            svg += MarkerElementOf(path, verdict);
        }
    }
    svg += Legend(scene);
    if (!scene.note.empty()) {
        svg += TextElement(scene.plotLeft, scene.size.height - 0.4 * kFont, "start", scene.note);
    }
    return svg + "</svg>";
}

}  // namespace velanto
