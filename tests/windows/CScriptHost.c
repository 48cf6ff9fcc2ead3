#include "tests/windows/CScriptHost.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The built-in types "string", "uint" and "bool": the module only passes them
   back in its results and never calls them, so their table is empty; a call
   into one would end the run with an access violation. */
static const QSTypeTable kBuiltinTable;

static void Copy(char* target, size_t size, const char* text) { snprintf(target, size, "%s", text ? text : ""); }

static CScriptHost* Self(ScriptHost* self) { return (CScriptHost*)self; }

static int GlobalIndex(const CScriptHost* host, const char* name) {
  for (int i = 0; i < host->globalCount; ++i) {
    if (strcmp(host->globalNames[i], name) == 0)
      return i;
  }
  return -1;
}

static bool QS_MEMBER BindGlobalObject(ScriptHost* self, const char* name, GlobalObjectResolver resolver) {
  CScriptHost* host = Self(self);
  if (GlobalIndex(host, name) >= 0 || host->globalCount == HOST_MAX_GLOBALS)
    return false;
  Copy(host->globalNames[host->globalCount], sizeof host->globalNames[0], name);
  host->globalResolvers[host->globalCount++] = resolver;
  return true;
}

static bool QS_MEMBER UnbindGlobalObject(ScriptHost* self, const char* name) {
  CScriptHost* host = Self(self);
  const int index = GlobalIndex(host, name);
  if (index < 0)
    return false;
  host->globalCount--;
  memcpy(host->globalNames[index], host->globalNames[host->globalCount], sizeof host->globalNames[0]);
  host->globalResolvers[index] = host->globalResolvers[host->globalCount];
  return true;
}

static bool QS_MEMBER InstallType(ScriptHost* self, QSType* type) {
  CScriptHost* host = Self(self);
  if (host->installedCount == HOST_MAX_TYPES || host->everInstalledCount == HOST_MAX_TYPES)
    return false;
  host->installed[host->installedCount++] = type;
  host->everInstalled[host->everInstalledCount++] = type;
  return true;
}

static bool QS_MEMBER UninstallType(ScriptHost* self, QSType* type) {
  CScriptHost* host = Self(self);
  for (int i = 0; i < host->installedCount; ++i) {
    if (host->installed[i] == type) {
      host->installed[i] = host->installed[--host->installedCount];
      if (host->uninstalledCount < HOST_MAX_TYPES)
        host->uninstalled[host->uninstalledCount++] = type;
      return true;
    }
  }
  return false;
}

static QSType* QS_MEMBER LookupType(ScriptHost* self, const char* name, int reserved1, int reserved2) {
  CScriptHost* host = Self(self);
  (void)reserved1;
  (void)reserved2;
  QSType* builtins[] = {&host->stringType, &host->uintType, &host->boolType};
  for (size_t i = 0; i < sizeof builtins / sizeof builtins[0]; ++i) {
    if (strcmp(builtins[i]->Name, name) == 0)
      return builtins[i];
  }
  return NULL;
}

static int QS_MEMBER DeclareEvent(ScriptHost* self, const char* name) {
  CScriptHost* host = Self(self);
  if (host->declaredCount == HOST_MAX_EVENTS)
    return -1;
  Copy(host->declared[host->declaredCount], sizeof host->declared[0], name);
  return host->declaredCount++;
}

int HostMember(const ObjectRef* object, const char* name, int count, const char* const* arguments, ObjectRef* out) {
  if (object->Type == NULL)
    return 0;
  return object->Type->table->GetMember(object->Type, object->Data, name, count, arguments, out);
}

const char* HostText(CScriptHost* host, const ObjectRef* object, const char* name) {
  ObjectRef text = {NULL, 0};
  if (HostMember(object, name, 0, NULL, &text) != 1 || text.Type != &host->stringType || text.Data == 0)
    return "";
  return (const char*)text.Data;
}

int HostCall(ObjectRef* object, const char* name, int count, const char* const* arguments) {
  if (object->Type == NULL)
    return 0;
  return object->Type->table->CallMethod(object->Type, &object->Data, name, count, arguments);
}

static int QS_MEMBER FireEvent(ScriptHost* self, int id, int reserved, int count, const char* const* arguments,
                               ObjectRef* context) {
  CScriptHost* host = Self(self);
  (void)reserved;
  if (host->eventCount == host->eventCapacity) {
    const size_t capacity = host->eventCapacity ? host->eventCapacity * 2 : 256;
    FiredEvent* grown = realloc(host->events, capacity * sizeof *grown);
    if (grown == NULL)
      return 0;
    host->events = grown;
    host->eventCapacity = capacity;
  }
  FiredEvent* event = &host->events[host->eventCount++];
  memset(event, 0, sizeof *event);
  if (id >= 0 && id < host->declaredCount)
    Copy(event->name, sizeof event->name, host->declared[id]);
  event->argumentCount = count;
  for (int i = 0; i < count && i < 2 && arguments != NULL; ++i)
    Copy(event->arguments[i], sizeof event->arguments[i], arguments[i]);
  if (context != NULL && context->Type != NULL) {
    Copy(event->contextType, sizeof event->contextType, context->Type->Name);
    Copy(event->contextName, sizeof event->contextName, HostText(host, context, "Name"));
    ObjectRef value = {NULL, 0};
    if (HostMember(context, "ID", 0, NULL, &value) == 1)
      event->contextID = (uint32_t)value.Data;
    if (HostMember(context, "Parent", 0, NULL, &value) == 1)
      Copy(event->parentName, sizeof event->parentName, HostText(host, &value, "Name"));
  }
  return 1;
}

static void ConsoleWrite(ScriptHost* self, const char* format, ...) {
  CScriptHost* host = Self(self);
  char line[256];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  EnterCriticalSection(&host->consoleLock);
  if (host->consoleCount < HOST_MAX_CONSOLE)
    Copy(host->console[host->consoleCount++], sizeof host->console[0], line);
  LeaveCriticalSection(&host->consoleLock);
}

bool HostConsoleHas(CScriptHost* host, const char* text) {
  bool found = false;
  EnterCriticalSection(&host->consoleLock);
  for (int i = 0; i < host->consoleCount && !found; ++i)
    found = strstr(host->console[i], text) != NULL;
  LeaveCriticalSection(&host->consoleLock);
  return found;
}

/* A filter handle is the address of its own copy of the query word. */
static uintptr_t QS_MEMBER ParseFilter(ScriptHost* self, const char* query) {
  CScriptHost* host = Self(self);
  if (query == NULL || *query == '\0' || strchr(query, ' ') != NULL)
    return 0;
  char* copy = malloc(strlen(query) + 1);
  if (copy == NULL)
    return 0;
  strcpy(copy, query);
  host->filtersOpen++;
  host->filtersCompiled++;
  return (uintptr_t)copy;
}

static bool QS_MEMBER MatchFilter(ScriptHost* self, uintptr_t filter, ObjectRef* object, unsigned char* matched) {
  if (filter == 0 || object == NULL || matched == NULL)
    return false;
  *matched = strcmp(HostText(Self(self), object, "Name"), (const char*)filter) == 0;
  return true;
}

static void QS_MEMBER ReleaseFilter(ScriptHost* self, uintptr_t filter) {
  free((void*)filter);
  Self(self)->filtersOpen--;
}

static const ScriptHostTable kHostTable = {
    BindGlobalObject, UnbindGlobalObject, InstallType, UninstallType, LookupType,    DeclareEvent,
    FireEvent,        ConsoleWrite,       ParseFilter, MatchFilter,   ReleaseFilter,
};

void CScriptHostInit(CScriptHost* host) {
  memset(host, 0, sizeof *host);
  host->base.table = &kHostTable;
  QSType* builtins[] = {&host->stringType, &host->uintType, &host->boolType};
  const char* names[] = {"string", "uint", "bool"};
  for (int i = 0; i < 3; ++i) {
    builtins[i]->table = &kBuiltinTable;
    Copy(builtins[i]->Name, sizeof builtins[i]->Name, names[i]);
  }
  InitializeCriticalSection(&host->consoleLock);
}

void CScriptHostFree(CScriptHost* host) {
  DeleteCriticalSection(&host->consoleLock);
  free(host->events);
  host->events = NULL;
}

GlobalObjectResolver HostResolver(const CScriptHost* host, const char* name) {
  const int index = GlobalIndex(host, name);
  return index < 0 ? NULL : host->globalResolvers[index];
}
