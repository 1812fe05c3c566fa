#include "chart/trend_chart.h"

namespace velanto {}  // namespace velanto
