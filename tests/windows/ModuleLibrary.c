#include "tests/windows/ModuleLibrary.h"

bool ModuleLibraryLoad(ModuleLibrary* library, const char* path) {
  library->module = LoadLibraryA(path);
  library->factory = NULL;
  library->version = NULL;
  if (library->module == NULL)
    return false;
  library->factory = (CreateQSModuleInterfaceFunc)(void*)GetProcAddress(library->module, "CreateQSModuleInterface");
  library->version = (const int*)(void*)GetProcAddress(library->module, "QSModule_Version");
  return library->factory != NULL && library->version != NULL;
}
