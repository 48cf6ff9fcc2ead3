#include "host/program/ModuleLibrary.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <fstream>

// The system's loader: LoadLibraryA and GetProcAddress on Windows, dlopen and
// dlsym elsewhere. The module's exports are undecorated C names either way.
namespace {

#ifdef _WIN32

void* LoadModule(const std::string& path) { return LoadLibraryA(path.c_str()); }

void* FindExport(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void UnloadModule(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

std::string LoadError() {
  DWORD code = GetLastError();
  char text[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                sizeof text, nullptr);
  std::string reason(text, length);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
    reason.pop_back();
  }
  return (reason.empty() ? "error" : reason) + " (" + std::to_string(code) + ")";
}

constexpr const char* kBuiltModules[] = {"/chorister.dll", "/../lib/chorister.dll"};

std::string ExecutablePath() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) {
    return "";
  }
  // Forward slashes work in every Windows file call and in scripts' own paths.
  std::string text(path, length);
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

#else

void* LoadModule(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

void* FindExport(void* handle, const char* name) { return dlsym(handle, name); }

void UnloadModule(void* handle) { dlclose(handle); }

std::string LoadError() {
  const char* reason = dlerror();
  return reason != nullptr ? reason : "unknown reason";
}

constexpr const char* kBuiltModules[] = {"/../lib/chorister.so"};

std::string ExecutablePath() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "";
}

#endif

}  // namespace

ModuleLibrary::~ModuleLibrary() { Close(); }

std::string ModuleLibrary::HostFolder() {
  std::string path = ExecutablePath();
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string ModuleLibrary::DefaultPath() {
  const std::string folder = HostFolder();
  for (const char* candidate : kBuiltModules) {
    if (std::ifstream(folder + candidate).good()) {
      return folder + candidate;
    }
  }
  return folder + kBuiltModules[0];
}

bool ModuleLibrary::Open(const std::string& path) {
  Close();
  handle_ = LoadModule(path);
  if (handle_ == nullptr) {
    return Fail("cannot load module " + path + ": " + LoadError());
  }
  const int* version = static_cast<const int*>(FindExport(handle_, "QSModule_Version"));
  auto create = reinterpret_cast<CreateQSModuleInterfaceFunc>(FindExport(handle_, "CreateQSModuleInterface"));
  if (version == nullptr || create == nullptr) {
    return Fail(path + " is not a script module: it does not export " +
                (version == nullptr ? "QSModule_Version" : "CreateQSModuleInterface"));
  }
  if (*version != kQSModuleInterfaceVersion) {
    return Fail("module " + path + " is built for interface version " + std::to_string(*version) +
                "; this host serves version " + std::to_string(kQSModuleInterfaceVersion));
  }
  interface_ = create(kQSModuleInterfaceVersion);
  if (interface_ == nullptr) {
    return Fail("module " + path + " refused to create its interface for version " +
                std::to_string(kQSModuleInterfaceVersion));
  }
  error_.clear();
  return true;
}

bool ModuleLibrary::Fail(const std::string& error) {
  error_ = error;
  Close();
  return false;
}

void ModuleLibrary::Close() {
  interface_ = nullptr;
  if (handle_ != nullptr) {
    UnloadModule(handle_);
    handle_ = nullptr;
  }
}
