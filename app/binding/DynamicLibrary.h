// Run-time binding of the program's two shared libraries.
//
// Each library is opened on the first call of one of its functions, and each
// function is looked up by name on its first call and cached. A missing
// library or entry point throws LibraryError naming both.
#pragma once

#include <mutex>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace orvane {

class LibraryError : public std::runtime_error {
 public:
  LibraryError(const std::string& library, const std::string& function, const std::string& detail);
  const std::string& library() const { return library_; }
  const std::string& function() const { return function_; }

 private:
  std::string library_;
  std::string function_;
};

class DynamicLibrary {
 public:
  // fileName is looked for in ORVANE_LIB_DIR, then next to the program
  // (<program folder>/../lib and the program folder), then on the system path.
  explicit DynamicLibrary(std::string fileName);
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // The address of the named function; throws LibraryError when it cannot be had.
  void* resolve(const char* function);

  template <typename Fn>
  Fn* resolveAs(const char* function) {
    return reinterpret_cast<Fn*>(resolve(function));
  }

  const std::string& fileName() const { return fileName_; }

 private:
  void open(const char* function);

  std::string fileName_;
  void* handle_ = nullptr;
  std::mutex mutex_;
  std::unordered_map<std::string, void*> symbols_;
};

DynamicLibrary& qrixLibrary();
DynamicLibrary& ostrelLibrary();

}  // namespace orvane
