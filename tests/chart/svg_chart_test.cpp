#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/svg_chart.h"

namespace velanto {
namespace {

// Whether every element opened is closed in order, and nothing but text lies between the tags.
bool TagsBalance(const std::string& xml) {
    std::vector<std::string> open;
    for (std::size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
        const std::size_t end = xml.find('>', at);
        if (end == std::string::npos) {
            return false;
        }
        const std::string tag = xml.substr(at + 1, end - at - 1);
        const std::string name = tag.substr(0, tag.find_first_of(" />"));
        if (tag.front() == '/') {
            if (open.empty() || open.back() != tag.substr(1)) {
                return false;
            }
            open.pop_back();
        } else if (tag.back() != '/') {
            open.push_back(name);
        }
    }
    return open.empty();
}

TEST(SvgChart, IsOneSelfContainedElementWithItsTextEscaped) {
    std::vector<TrendPoint> points;
    for (int i = 0; i < 40; ++i) {
        points.push_back({1773324420 + i * 3600, 100 + i * 7, 0, 400, i % 9 == 0 ? Verdict::Failed : Verdict::Pass, i});
    }
    TrendScene scene = LayOutTrend(points, {{800, 300}, true, std::nullopt, std::nullopt});
    scene.rluTitle = "R&D <\"lab\">";
    scene.note = "a < b & c\x01";
    const std::string svg = SvgOf(scene);
    EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"800\" height=\"300\"", 0), 0u);
    EXPECT_TRUE(svg.ends_with("</svg>"));
    EXPECT_TRUE(TagsBalance(svg)) << svg;
    EXPECT_NE(svg.find("R&amp;D &lt;&quot;lab&quot;&gt;"), std::string::npos);
    EXPECT_NE(svg.find("a &lt; b &amp; c</text>"), std::string::npos);
    for (const char* outside : {"href", "script", "url(", "<image", "@import"}) {
        EXPECT_EQ(svg.find(outside), std::string::npos) << outside;
    }
    for (const char* legend : {">Pass<", ">Caution<", ">Failed<", ">upper limit<", ">lower limit<"}) {
        EXPECT_NE(svg.find(legend), std::string::npos) << legend;
    }
}

}  // namespace
}  // namespace velanto
