#pragma once

#include <string>

#include "chart/trend_chart.h"

namespace velanto {

// The scene as one <svg> element, for inline use in an HTML page: no script, no external reference, and
// compact (one path per kind of marker), so that a report of fifty charts stays small.
std::string SvgOf(const TrendScene& scene);

}  // namespace velanto
