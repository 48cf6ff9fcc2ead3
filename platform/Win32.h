// The module's one way into Win32. On Windows it is the real thing; everywhere
// else it is the simulated desktop, which offers the same names, types and
// constants for every call and message the module uses.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>
#else
#include "platform/sim/SimWin32.h"
#endif
