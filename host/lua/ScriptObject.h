// A module object as Lua sees it: a full userdata holding the host's two-word
// reference {Type, Data}. Its metatable makes members read as properties
// (obj.Name, read with no arguments), methods callable with ':'
// (obj:Select()), members that take arguments callable with ':' too
// (instance:Find(query)) or through the call of the object
// (obj("Find", query)), and tostring give a label (User "Bob" #6).
//
// Whether a name is a method or a member is all that the type's registrations
// say; Lua cannot tell obj.Find from obj:Find when it indexes. So indexing
// reads a member with no arguments (nil when that fails), and the decision is
// made at the call: nil's __call looks at the calling instruction, and when it
// was obj:Name(...) on a module object whose types know Name as a member,
// reads that member with the arguments.
//
// An object has one userdata for as long as it lives (a cache with weak
// values, keyed by the reference), so objects work as table keys and rawequal
// holds; this relies on the module never giving a gone object's reference to
// another (this module's references carry element ids, never reused). When
// the userdata is made, the object's ID, Type and Name are read through the
// ordinary member lookups and kept: once the object is gone (its type can no
// longer give its text) it still answers ID and Type, and every other use
// raises an error that names it.
//
// Lua raises errors with longjmp. Every function here that Lua calls keeps only
// trivially destructible locals, so no C++ destructor is ever skipped; the
// module's own code is entered only at points where nothing of Lua's can raise
// until it returns.
#pragma once

#include "hostsdk/ScriptHost.h"

struct lua_State;

struct ScriptObject {
  ObjectRef ref;
  // Set for a bound global object: indexing it with a number resolves that
  // index through the binding (Ventrilo[3]).
  GlobalObjectResolver resolver;
  // The object's ID as read when its userdata was made, when hasId.
  long long id;
  int hasId;
  // The object is known to be gone (its type can no longer give its text).
  bool departed;

  // Creates the metatables, the cache of live objects and describe(); once
  // per Lua state.
  static void Register(lua_State* L);
  // Pushes the one userdata of the object that `ref` names, made (and its ID,
  // Type and Name remembered) when no live one exists.
  static void Push(lua_State* L, const ObjectRef& ref);
  // Pushes a new userdata for a global object bound under `name`.
  static void PushGlobal(lua_State* L, const ObjectRef& ref, GlobalObjectResolver resolver, const char* name);
  // A member result: the host's built-in types become Lua strings, integers and
  // booleans, a result without a type nil, anything else an object.
  static void PushValue(lua_State* L, const ObjectRef& ref);
  // The object at `index`, or null when the value there is none.
  static ScriptObject* Test(lua_State* L, int index);
  // Pushes what `name` gives on the object at `objectIndex`: a member's value
  // read with no arguments (nil when the member fails), or a function for a
  // method. With `bind` that function carries the object, so it is called
  // without it (as in queries: Select()). Returns 0 and pushes nothing when no
  // type in the object's chain knows the name; raises when the object's type
  // was uninstalled, and when the object is gone (but for its ID and Type).
  static int PushMember(lua_State* L, int objectIndex, const char* name, bool bind);
};
