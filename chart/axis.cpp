#include "chart/axis.h"

namespace velanto {}  // namespace velanto
