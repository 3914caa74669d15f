#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace brackwater {

// The user's application-data folder, looked up by name: the home folder (HOME) on POSIX,
// APPDATA on Windows. Empty when the environment does not name one.
std::u16string ApplicationDataFolder();

// Where the browser keeps its data inside the application-data folder: ".opera" on POSIX,
// "Opera" on Windows.
std::u16string BrowserDataFolder(std::u16string_view applicationData);

bool FolderExists(std::u16string_view folder);

// The folder that a picker shows first, as given by the caller in text.
struct StartFolder {
  std::filesystem::path path;  // empty when the text names no folder
  bool exists = false;         // whether a folder is there; when not, the dialog chooses
};

// "c:\", "C:", "d:/": a drive letter and a colon, with at most one separator after them.
bool IsDriveRoot(std::u16string_view text);

// Text is a path as it stands, except that on POSIX, which has no drive letters, a drive root
// means the user's home folder (HOME). Empty text, or a drive root without HOME, names nothing.
StartFolder ResolveStartFolder(std::u16string_view text);

}  // namespace brackwater
