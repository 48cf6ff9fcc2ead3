// The resolver bound to the top-level name "Ventrilo". Named alone it gives the
// "ventrilo" object; named with an index, Ventrilo[<id>], it gives the live
// element of that id with its own script type, of any instance.
#pragma once

#include "hostsdk/ScriptHost.h"

bool ResolveGlobalObject(int argumentCount, const char* const* arguments, ObjectRef* out);
