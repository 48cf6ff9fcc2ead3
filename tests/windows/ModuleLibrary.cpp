#include "tests/windows/ModuleLibrary.h"

ModuleLibrary::ModuleLibrary(const std::string& path) : library_(LoadLibraryA(path.c_str())) {
  if (library_ == nullptr)
    return;
  factory_ = reinterpret_cast<CreateQSModuleInterfaceFunc>(
      reinterpret_cast<void*>(GetProcAddress(library_, "CreateQSModuleInterface")));
  version_ = reinterpret_cast<const int*>(reinterpret_cast<void*>(GetProcAddress(library_, "QSModule_Version")));
}

ModuleLibrary::~ModuleLibrary() { Unload(); }

void ModuleLibrary::Unload() {
  if (library_ != nullptr)
    FreeLibrary(library_);
  library_ = nullptr;
  factory_ = nullptr;
  version_ = nullptr;
}
