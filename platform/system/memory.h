#pragma once

#include <cstddef>

namespace brackwater {

// Asks the system to back a large buffer that is about to be filled with large pages. The first
// touch of every small page can cost more than filling it (seen on virtual machines), and a
// hundred-megabyte buffer has tens of thousands of them. Call it before the buffer is touched;
// it does nothing where the system has no such pages.
void AdviseLargePages(void* data, std::size_t size);

}  // namespace brackwater
