// "orvane --check-files": after the main window is built, says where the help
// file, the sounds, the artwork and the two libraries were found. Lets an
// install be checked without a desktop (QT_QPA_PLATFORM=offscreen).
#pragma once

#include <cstdio>

namespace orvane {

// Writes one line per file to `out`; 0 when every one was found and read, 1 otherwise.
int CheckProgramFiles(std::FILE* out);

}  // namespace orvane
