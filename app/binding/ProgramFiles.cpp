#include "ProgramFiles.h"

#include <algorithm>

// The install step passes the data folder as seen from the program folder, so a
// prefix with its own bin/ and share/ layout still works; this is the usual one.
#ifndef ORVANE_DATA_FROM_BIN
#define ORVANE_DATA_FROM_BIN "../share/orvane"
#endif

namespace orvane {

std::filesystem::path ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe.parent_path();
}

std::filesystem::path FindProgramFile(const std::filesystem::path& programFolder,
                                      const std::string& relativeName) {
  const std::filesystem::path name = std::filesystem::path(relativeName).lexically_normal();
  if (programFolder.empty() || name.empty() || name.is_absolute()) return {};
  if (std::any_of(name.begin(), name.end(), [](const auto& part) { return part == ".."; })) return {};
  for (const auto& folder : {programFolder, programFolder / ORVANE_DATA_FROM_BIN}) {
    std::error_code ec;
    const auto candidate = (folder / name).lexically_normal();
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
  }
  return {};
}

std::filesystem::path FindProgramFile(const std::string& relativeName) {
  return FindProgramFile(ProgramFolder(), relativeName);
}

}  // namespace orvane
