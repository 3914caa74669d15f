#pragma once

#include <string>
#include <string_view>

namespace brackwater {

// The notes path with every ".adr" in it turned into `extension`, folder names included: ".txt"
// for the text export, ".json" or ".enex" for the others, nothing for a folder of files.
std::u16string DefaultExportPath(std::u16string_view inputPath,
                                 std::u16string_view extension = u".txt");

// The path to write: the save dialog's result (or the converter's output), or the default path
// when it is empty (cancelled), without NUL characters, and ending in `extension` when that is
// not empty.
std::u16string FinalExportPath(std::u16string_view dialogResult, std::u16string_view defaultPath,
                               std::u16string_view extension = u".txt");

}  // namespace brackwater
