#include "DynamicLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "ProgramFiles.h"

namespace orvane {

LibraryError::LibraryError(const std::string& library, const std::string& function, const std::string& detail)
    : std::runtime_error("Cannot call " + function + " in " + library + ": " + detail),
      library_(library),
      function_(function) {}

namespace {

std::vector<std::string> candidatePaths(const std::string& fileName) {
  std::vector<std::string> paths;
  if (const char* dir = std::getenv("ORVANE_LIB_DIR"); dir != nullptr && *dir != '\0')
    paths.push_back((std::filesystem::path(dir) / fileName).string());
  const auto folder = ProgramFolder();
  if (!folder.empty()) {
    paths.push_back((folder.parent_path() / "lib" / fileName).string());
    paths.push_back((folder / fileName).string());
  }
  paths.push_back(fileName);  // the system's own search path
  return paths;
}

}  // namespace

DynamicLibrary::DynamicLibrary(std::string fileName) : fileName_(std::move(fileName)) {}

DynamicLibrary::~DynamicLibrary() {
  // Deliberately left loaded: functions may still be cached by callers at exit.
}

void DynamicLibrary::open(const char* function) {
  std::string lastError = "not found";
  for (const auto& path : candidatePaths(fileName_)) {
    if (path.find('/') != std::string::npos && !std::filesystem::exists(path)) continue;
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) return;
    if (const char* err = dlerror()) lastError = err;
  }
  throw LibraryError(fileName_, function, "the library cannot be loaded (" + lastError + ")");
}

void* DynamicLibrary::resolve(const char* function) {
  std::lock_guard lock(mutex_);
  if (auto it = symbols_.find(function); it != symbols_.end()) return it->second;
  if (handle_ == nullptr) open(function);
  dlerror();
  void* address = dlsym(handle_, function);
  if (address == nullptr) throw LibraryError(fileName_, function, "the library has no such function");
  symbols_.emplace(function, address);
  return address;
}

DynamicLibrary& qrixLibrary() {
  // The versioned name: a system without the development link still has it.
  static DynamicLibrary library("libqrix.so.1");
  return library;
}

DynamicLibrary& ostrelLibrary() {
  static DynamicLibrary library("libostrel.so");
  return library;
}

}  // namespace orvane
