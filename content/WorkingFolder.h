#pragma once
// "TempVL" beside the program: copies of embedded files handed to outside
// viewers. Made on first use, emptied and removed when the program ends.
#include <string>

namespace vellora {

std::string WorkingFolderPath();
// Deletes every file of the folder (read-only copies too) and the folder.
void RemoveWorkingFolder(const std::string& folder = WorkingFolderPath());
// Makes the folder when it is missing; false when it cannot be had.
bool EnsureWorkingFolder(const std::string& folder);

}  // namespace vellora
