// The library entry point of the loadable module: when the library leaves the
// process, the module object goes with it.
#include "module/Chorister.h"

#ifdef _WIN32

// Only the detach from the process matters; every notification succeeds.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH)
    Chorister::DestroyModule();
  return TRUE;
}

#else

__attribute__((destructor)) static void UnloadModule() { Chorister::DestroyModule(); }

#endif
