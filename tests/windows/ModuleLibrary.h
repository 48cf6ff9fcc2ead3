// The module as a host loads it: LoadLibrary on the DLL and GetProcAddress of
// its two exports. Freeing the library runs its process-detach notification,
// which destroys the module object.
#pragma once

#include "module/QSModuleInterface.h"

#include <windows.h>

#include <string>

class ModuleLibrary {
 public:
  explicit ModuleLibrary(const std::string& path);
  ~ModuleLibrary();

  ModuleLibrary(const ModuleLibrary&) = delete;
  ModuleLibrary& operator=(const ModuleLibrary&) = delete;

  bool Loaded() const { return library_ != nullptr; }
  // Null when the export is missing.
  CreateQSModuleInterfaceFunc Factory() const { return factory_; }
  const int* Version() const { return version_; }
  void Unload();

 private:
  HMODULE library_ = nullptr;
  CreateQSModuleInterfaceFunc factory_ = nullptr;
  const int* version_ = nullptr;
};
