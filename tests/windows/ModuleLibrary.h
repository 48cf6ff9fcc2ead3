/*
** chorister.dll loaded by a host: the library and its two exports.
*/
#pragma once

#include "tests/windows/ModuleAbi.h"

#include <windows.h>

#include <stdbool.h>

typedef struct ModuleLibrary {
  HMODULE module;
  CreateQSModuleInterfaceFunc factory;
  const int* version;
} ModuleLibrary;

/* Loads the library at `path`; false when it does not load or lacks either
   export. */
bool ModuleLibraryLoad(ModuleLibrary* library, const char* path);
