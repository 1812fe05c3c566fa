#include "chart/svg_chart.h"

namespace velanto {}  // namespace velanto
