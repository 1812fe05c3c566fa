#include "records_ui/console.h"

namespace velanto {

void LeaveConsoleOfOurOwn() {}

}  // namespace velanto
