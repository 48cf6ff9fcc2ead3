#include "host/ModuleLibrary.h"

#include <dlfcn.h>

ModuleLibrary::~ModuleLibrary() { Close(); }

bool ModuleLibrary::Open(const std::string& path) {
  Close();
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* reason = dlerror();
    return Fail("cannot load module " + path + ": " + (reason != nullptr ? reason : "unknown reason"));
  }
  const int* version = static_cast<const int*>(dlsym(handle_, "QSModule_Version"));
  auto create = reinterpret_cast<CreateQSModuleInterfaceFunc>(dlsym(handle_, "CreateQSModuleInterface"));
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
    dlclose(handle_);
    handle_ = nullptr;
  }
}
