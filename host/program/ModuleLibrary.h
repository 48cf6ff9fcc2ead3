// A module loaded with the system's loader (LoadLibraryA on Windows, dlopen
// elsewhere): its exports checked, its interface object created for the host's
// interface version. Closing unloads the library (the module destroys its
// object then), so the module must have been shut down before.
#pragma once

#include "hostsdk/QSModuleInterface.h"

#include <string>

class ModuleLibrary {
 public:
  ModuleLibrary() = default;
  ~ModuleLibrary();

  ModuleLibrary(const ModuleLibrary&) = delete;
  ModuleLibrary& operator=(const ModuleLibrary&) = delete;

  // Loads `path`, checks that it exports QSModule_Version equal to the host's
  // version and CreateQSModuleInterface, and creates the interface object.
  // False with Error() set (one line) when any step fails; nothing stays loaded.
  bool Open(const std::string& path);
  QSModuleInterface* Interface() const { return interface_; }
  const std::string& Error() const { return error_; }
  void Close();

  // The folder of the running host executable, with forward slashes.
  static std::string HostFolder();
  // The module built with the host: chorister.dll beside the host (as in the
  // Windows bundle) or in ../lib (the build tree) on Windows, ../lib/chorister.so
  // elsewhere.
  static std::string DefaultPath();

 private:
  bool Fail(const std::string& error);

  void* handle_ = nullptr;
  QSModuleInterface* interface_ = nullptr;
  std::string error_;
};
