#pragma once

#include <string>
#include <string_view>

namespace brackwater {

// The notes path with every ".adr" in it turned into ".txt", folder names included.
std::u16string DefaultExportPath(std::u16string_view inputPath);

// The path to write: the save dialog's result, or the default path when it is empty
// (cancelled), without NUL characters, and ending in ".txt".
std::u16string FinalExportPath(std::u16string_view dialogResult, std::u16string_view defaultPath);

}  // namespace brackwater
