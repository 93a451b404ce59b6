// Where the program's own files are: the folder of the running executable, and
// the data (Help.txt, resources/) beside it in a build tree or in
// <prefix>/share/orvane once installed.
#pragma once

#include <filesystem>
#include <string>

namespace orvane {

// The folder of the running executable; empty when the system will not say.
std::filesystem::path ProgramFolder();

// The first of <programFolder>/<relativeName> and <programFolder>/<data folder
// seen from bin>/<relativeName> that is a regular file; empty when neither is.
// Absolute names and names climbing out with ".." are not looked up.
std::filesystem::path FindProgramFile(const std::filesystem::path& programFolder,
                                      const std::string& relativeName);

// The same for the running program.
std::filesystem::path FindProgramFile(const std::string& relativeName);

}  // namespace orvane
