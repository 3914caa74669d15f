#include "platform/system/memory.h"

namespace brackwater {

// Windows gives large pages only to programs whose user holds the right to lock pages in memory,
// and only for memory allocated as such from the start; there is nothing to advise.
void AdviseLargePages(void*, std::size_t) {}

}  // namespace brackwater
