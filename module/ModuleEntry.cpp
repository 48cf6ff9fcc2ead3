// The library entry point of the loadable module: when the library leaves the
// process, the module object goes with it.
#include "module/Chorister.h"

#ifdef _WIN32

// Only the detach from the process matters; every notification succeeds.
// FreeLibrary (reserved null) destroys the module object under the loader lock.
// At process exit (reserved set) Windows has already ended every other thread,
// the polling thread perhaps inside its body with the run lock held, so nothing
// may be waited for, and the process's memory goes with it.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH && !reserved)
    Chorister::DestroyModule(true);
  return TRUE;
}

#else

__attribute__((destructor)) static void UnloadModule() { Chorister::DestroyModule(); }

#endif
