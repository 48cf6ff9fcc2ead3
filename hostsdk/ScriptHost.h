// The script host as the module sees it: the operations the module calls on the
// host's interface object, and the host's two-word object reference.
#pragma once

#include <cstdint>

class QSTypeDefinition;

// A script-visible value: its type and one pointer-sized word (an element, or a
// small integer for types whose objects carry no state). Two words, in this
// order, with no padding on i686 or x86-64: the host reads and fills it.
struct ObjectRef {
  QSTypeDefinition* Type;
  std::uintptr_t Data;
};

// Resolves a bound global object. A script that names the object alone passes no
// argument; one that indexes it (Name[3]) passes the index text. The host calls
// it as a plain C function: __cdecl on i686, the default of both compilers; the
// bool comes back in AL.
typedef bool (*GlobalObjectResolver)(int argumentCount, const char* const* arguments, ObjectRef* out);

// A compiled query; 0 is "no query".
typedef std::uintptr_t FilterHandle;

// The host's interface object. Layout across the host boundary: the module
// calls these operations by slot in declaration order, as the host's (Microsoft)
// compiler lays out its class, so none may be added, dropped or reordered, none
// is overloaded, and there is no virtual destructor (it would take two slots
// under GCC). On i686 they are __thiscall (GCC's default for member functions),
// except ConsoleWrite: a variadic member function is __cdecl with this as the
// first stack argument under both compilers. bool results are read from AL.
class ScriptHost {
 public:
  virtual bool BindGlobalObject(const char* name, GlobalObjectResolver resolver) = 0;
  virtual bool UnbindGlobalObject(const char* name) = 0;
  virtual bool InstallType(QSTypeDefinition* type) = 0;
  virtual bool UninstallType(QSTypeDefinition* type) = 0;
  // The built-in type of that name ("string", "uint", "bool"), or null.
  virtual QSTypeDefinition* LookupType(const char* name, int reserved1, int reserved2) = 0;
  virtual int DeclareEvent(const char* name) = 0;
  // `arguments` is null when `argumentCount` is 0.
  virtual int FireEvent(int eventId, int reserved, int argumentCount, const char* const* arguments,
                        ObjectRef* context) = 0;
  virtual void ConsoleWrite(const char* format, ...) __attribute__((format(printf, 2, 3))) = 0;
  virtual FilterHandle ParseFilter(const char* query) = 0;
  // True when the query could be evaluated; `*matched` is nonzero on a match.
  virtual bool MatchFilter(FilterHandle filter, ObjectRef* object, unsigned char* matched) = 0;
  virtual void ReleaseFilter(FilterHandle filter) = 0;

 protected:
  ~ScriptHost() = default;
};
