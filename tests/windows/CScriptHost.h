/*
** A script host written in C against the slot tables of ModuleAbi.h: it
** records what the module asks of it and reads every event's context the
** moment the event fires, as a script handler would (an element that is
** leaving is still readable then). Its query language is one word: a query
** matches the elements whose Name is that word.
*/
#pragma once

#include "tests/windows/ModuleAbi.h"

#include <windows.h>

#include <stddef.h>

#define HOST_MAX_EVENTS 32
#define HOST_MAX_TYPES 8
#define HOST_MAX_GLOBALS 4
#define HOST_MAX_CONSOLE 64
#define HOST_TEXT 96

/* One fired event with its context as a handler saw it. */
typedef struct FiredEvent {
  char name[48];
  int argumentCount;
  char arguments[2][HOST_TEXT];
  char contextType[32];        /* the context's script type name */
  char contextName[HOST_TEXT]; /* its Name member ("" when it has none) */
  uint32_t contextID;
  char parentName[HOST_TEXT]; /* its Parent's Name ("" when it has no parent) */
} FiredEvent;

typedef struct CScriptHost {
  ScriptHost base; /* first: the module holds this address */
  QSType stringType;
  QSType uintType;
  QSType boolType;
  char declared[HOST_MAX_EVENTS][48];
  int declaredCount;
  FiredEvent* events;
  size_t eventCount;
  size_t eventCapacity;
  QSType* installed[HOST_MAX_TYPES];
  int installedCount;
  QSType* everInstalled[HOST_MAX_TYPES]; /* in the order of installation */
  int everInstalledCount;
  QSType* uninstalled[HOST_MAX_TYPES]; /* in the order of removal */
  int uninstalledCount;
  char globalNames[HOST_MAX_GLOBALS][32];
  GlobalObjectResolver globalResolvers[HOST_MAX_GLOBALS];
  int globalCount;
  int filtersOpen; /* compiled and not yet released */
  int filtersCompiled;
  /* The module writes one console line from its polling thread. */
  CRITICAL_SECTION consoleLock;
  char console[HOST_MAX_CONSOLE][256];
  int consoleCount;
} CScriptHost;

void CScriptHostInit(CScriptHost* host);
void CScriptHostFree(CScriptHost* host);

/* A member read as a script does (obj.Name): the type's GetMember result. */
int HostMember(const ObjectRef* object, const char* name, int count, const char* const* arguments, ObjectRef* out);
/* A member that must be a "string": its text, or "" when the read fails. */
const char* HostText(CScriptHost* host, const ObjectRef* object, const char* name);
/* A method call as a script does (obj:Name(...)): the type's CallMethod result. */
int HostCall(ObjectRef* object, const char* name, int count, const char* const* arguments);
/* The resolver bound under `name`, or null. */
GlobalObjectResolver HostResolver(const CScriptHost* host, const char* name);
/* True when a console line contains `text`. */
bool HostConsoleHas(CScriptHost* host, const char* text);
