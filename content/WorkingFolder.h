#pragma once
// "TempVL" beside the program: copies of embedded files handed to outside
// viewers. Made on first use, emptied and removed when the program ends.
#include <string>

namespace vellora {

std::string WorkingFolderPath();
void RemoveWorkingFolder();

}  // namespace vellora
