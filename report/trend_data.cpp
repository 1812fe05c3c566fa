#include "report/trend_data.h"

namespace velanto {}  // namespace velanto
