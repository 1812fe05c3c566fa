#include "store/store_address.h"

namespace velanto {}  // namespace velanto
