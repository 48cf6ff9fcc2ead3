// A module object as Lua sees it: a full userdata holding the host's two-word
// reference {Type, Data}. Its metatable makes members read as properties
// (obj.Name, read with no arguments), methods callable with ':'
// (obj:Select()), the object itself callable to read a member with arguments
// (obj("Find", "query")), objects of the same reference equal, and tostring
// give the type's text of the object.
//
// Whether a name is a method or a member is what the type's registrations say;
// nothing tells whether a member wants arguments, and Lua cannot tell obj.Find
// from obj:Find when it indexes, so a member is always read with none by
// indexing and with arguments through the call of the object.
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

  // Creates the metatable; once per Lua state.
  static void Register(lua_State* L);
  static void Push(lua_State* L, const ObjectRef& ref, GlobalObjectResolver resolver = nullptr);
  // A member result: the host's built-in types become Lua strings, integers and
  // booleans, a result without a type nil, anything else an object.
  static void PushValue(lua_State* L, const ObjectRef& ref);
  // The object at `index`, or null when the value there is none.
  static ScriptObject* Test(lua_State* L, int index);
  // Pushes what `name` gives on the object at `objectIndex`: a member's value
  // read with no arguments (nil when the member fails), or a function for a
  // method. With `bind` that function carries the object, so it is called
  // without it (as in queries: Select()). Returns 0 and
  // pushes nothing when no type in the object's chain knows the name; raises
  // when the object's type was uninstalled, and when the member failed because
  // the object is no longer available.
  static int PushMember(lua_State* L, int objectIndex, const char* name, bool bind);
};
