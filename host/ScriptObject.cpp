#include "host/ScriptObject.h"

#include "host/BuiltinType.h"
#include "host/LuaGlue.h"
#include "hostsdk/QSTypeDefinition.h"

#include <lua.hpp>

#include <cstring>

namespace {

constexpr const char* kMetatable = "module object";
constexpr int kMaxArguments = 16;
constexpr std::size_t kTextSize = 1024;

enum class NameKind { Method, Member, Unknown };

// Looks the name up the way the types answer it: a type first, then its
// parent, and so on up the chain.
NameKind Classify(QSTypeDefinition* type, const char* name) {
  for (QSTypeDefinition* level = type; level != nullptr; level = level->GetInheritance()) {
    if (level->FindMethodRecord(name) != nullptr) {
      return NameKind::Method;
    }
    if (level->FindMemberRecord(name) != nullptr) {
      return NameKind::Member;
    }
  }
  return NameKind::Unknown;
}

// The object's type, or a Lua error when the module has uninstalled it (the
// type object may be gone, so it is not touched).
QSTypeDefinition* LiveType(lua_State* L, const ScriptObject* object) {
  if (!LuaGlue::From(L)->IsInstalled(object->ref.Type)) {
    luaL_error(L, "this object belongs to a type that the module has removed");
  }
  return object->ref.Type;
}

int RaiseUnknown(lua_State* L, const char* name, QSTypeDefinition* type) {
  return luaL_error(L, "'%s' is not a member or method of %s", name, type->GetName());
}

// A type that can no longer turn its object into text has lost what the
// object stood for (an element that has left, say). A member or method that
// failed on such an object raises, so that a script does not take the failure
// for an answer about a live one.
void CheckAvailable(lua_State* L, QSTypeDefinition* type, std::uintptr_t data) {
  char text[kTextSize];
  LuaGlue* host = LuaGlue::From(L);
  lua_State* outer = host->Enter(L);
  bool available = type->ToText(data, text, sizeof text);
  host->Leave(outer);
  if (!available) {
    luaL_error(L, "%s no longer available", type->GetName());
  }
}

// The string at `index`, or null when the value there is no string or holds a
// zero byte: the module takes zero-terminated texts, so such a string would
// reach it cut short.
const char* WholeString(lua_State* L, int index) {
  if (lua_type(L, index) != LUA_TSTRING) {
    return nullptr;
  }
  std::size_t length = 0;
  const char* text = lua_tolstring(L, index, &length);
  return std::strlen(text) == length ? text : nullptr;
}

// Raises "bad argument #n to 'name' (...)" for the argument at `index`, counted
// from `first`, the member's or method's first argument.
int RaiseArgument(lua_State* L, int index, int first, const char* name, const char* problem) {
  return luaL_error(L, "bad argument #%d to '%s' (%s)", index - first + 1, name, problem);
}

// Collects the Lua values from `first` to the top as texts for the module:
// strings as they are, numbers in Lua's own text form, booleans as "true" or
// "false". The texts live on the Lua stack until the caller returns.
int CollectArguments(lua_State* L, int first, const char* name, const char** arguments) {
  int top = lua_gettop(L);
  int count = top >= first ? top - first + 1 : 0;
  if (count > kMaxArguments) {
    luaL_error(L, "too many arguments (at most %d)", kMaxArguments);
  }
  for (int i = 0; i < count; ++i) {
    int index = first + i;
    switch (lua_type(L, index)) {
      case LUA_TSTRING:
        arguments[i] = WholeString(L, index);
        if (arguments[i] == nullptr) {
          RaiseArgument(L, index, first, name, "string with a zero byte (texts end at the first one)");
        }
        break;
      case LUA_TNUMBER:
        arguments[i] = lua_tostring(L, index);
        break;
      case LUA_TBOOLEAN:
        arguments[i] = lua_toboolean(L, index) ? "true" : "false";
        break;
      default:
        RaiseArgument(L, index, first, name, lua_pushfstring(L, "string expected, got %s", luaL_typename(L, index)));
    }
  }
  return count;
}

// Calls the method `name`, or reads the member `name`, of `self` with the Lua
// values from `first` to the top as its arguments, and pushes the result: a
// method's success as a boolean, a member's value or nil.
int Invoke(lua_State* L, ScriptObject* self, const char* name, bool method, int first) {
  QSTypeDefinition* type = LiveType(L, self);
  const char* arguments[kMaxArguments];
  int count = CollectArguments(L, first, name, arguments);
  const char* const* list = count > 0 ? arguments : nullptr;
  LuaGlue* host = LuaGlue::From(L);
  lua_State* outer = host->Enter(L);
  ObjectRef out{};
  int result = method ? type->CallMethod(self->ref.Data, name, count, list)
                      : type->GetMember(self->ref.Data, name, count, list, &out);
  host->Leave(outer);
  if (result != 1) {
    CheckAvailable(L, type, self->ref.Data);
  }
  if (result < 0) {
    return RaiseUnknown(L, name, type);
  }
  if (method) {
    lua_pushboolean(L, result == 1);
  } else if (result == 1) {
    ScriptObject::PushValue(L, out);
  } else {
    lua_pushnil(L);
  }
  return 1;
}

// A method. Upvalues: 1 the name, 2 (optional) the object the function is
// bound to.
int CallMethod(lua_State* L) {
  const char* name = lua_tostring(L, lua_upvalueindex(1));
  ScriptObject* self = ScriptObject::Test(L, lua_upvalueindex(2));
  if (self != nullptr) {
    return Invoke(L, self, name, true, 1);
  }
  self = ScriptObject::Test(L, 1);
  if (self == nullptr) {
    return luaL_argerror(
        L, 1, lua_pushfstring(L, "object expected, got %s; call it as obj:%s(...)", luaL_typename(L, 1), name));
  }
  return Invoke(L, self, name, true, 2);
}

// obj(name, ...): the member `name` read with the arguments that follow. A
// member that takes arguments is read this way; obj.name reads it with none.
int CallObject(lua_State* L) {
  ScriptObject* self = static_cast<ScriptObject*>(luaL_checkudata(L, 1, kMetatable));
  const char* name = WholeString(L, 2);
  if (name == nullptr) {
    return luaL_argerror(L, 2, "member name expected");
  }
  QSTypeDefinition* type = LiveType(L, self);
  if (Classify(type, name) == NameKind::Method) {
    return luaL_error(L, "'%s' is a method of %s; call it as obj:%s(...)", name, type->GetName(), name);
  }
  return Invoke(L, self, name, false, 3);
}

// Ventrilo[3]: the binding's resolver with the index as its one argument.
// Only integers index (Ventrilo[2.0] is Ventrilo[2]); Ventrilo[1.9] is nil.
int IndexGlobal(lua_State* L, ScriptObject* self) {
  int isInteger = 0;
  lua_Integer number = lua_tointegerx(L, 2, &isInteger);
  if (!isInteger) {
    lua_pushnil(L);
    return 1;
  }
  lua_pushinteger(L, number);
  const char* index = lua_tostring(L, -1);
  LuaGlue* host = LuaGlue::From(L);
  lua_State* outer = host->Enter(L);
  ObjectRef out{};
  bool found = self->resolver(1, &index, &out);
  host->Leave(outer);
  if (found) {
    ScriptObject::PushValue(L, out);
  } else {
    lua_pushnil(L);
  }
  return 1;
}

// obj.Name: the member's value, a function for a method; nil for a member that
// failed and for a name no type in the chain knows, so that  if obj.Join then
// tests for a member.
int Index(lua_State* L) {
  ScriptObject* self = static_cast<ScriptObject*>(luaL_checkudata(L, 1, kMetatable));
  if (self->resolver != nullptr && lua_type(L, 2) == LUA_TNUMBER) {
    return IndexGlobal(L, self);
  }
  const char* name = WholeString(L, 2);
  if (name == nullptr || ScriptObject::PushMember(L, 1, name, false) == 0) {
    lua_pushnil(L);
  }
  return 1;
}

int NewIndex(lua_State* L) {
  ScriptObject* self = static_cast<ScriptObject*>(luaL_checkudata(L, 1, kMetatable));
  const char* name = luaL_tolstring(L, 2, nullptr);
  return luaL_error(L, "cannot set '%s': %s objects are read-only", name, LiveType(L, self)->GetName());
}

int Equal(lua_State* L) {
  ScriptObject* a = ScriptObject::Test(L, 1);
  ScriptObject* b = ScriptObject::Test(L, 2);
  lua_pushboolean(L, a != nullptr && b != nullptr && a->ref.Type == b->ref.Type && a->ref.Data == b->ref.Data);
  return 1;
}

// The type's text of the object; an object whose element is gone, or whose
// type was removed, still prints.
int ToString(lua_State* L) {
  ScriptObject* self = static_cast<ScriptObject*>(luaL_checkudata(L, 1, kMetatable));
  LuaGlue* host = LuaGlue::From(L);
  if (!host->IsInstalled(self->ref.Type)) {
    lua_pushliteral(L, "(object of a removed type)");
    return 1;
  }
  char text[kTextSize] = {};
  lua_State* outer = host->Enter(L);
  bool converted = self->ref.Type->ToText(self->ref.Data, text, sizeof text);
  host->Leave(outer);
  if (converted) {
    text[kTextSize - 1] = '\0';
    lua_pushstring(L, text);
  } else {
    lua_pushfstring(L, "(%s no longer available)", self->ref.Type->GetName());
  }
  return 1;
}

// "User " .. ctx: both sides as tostring gives them.
int Concat(lua_State* L) {
  luaL_tolstring(L, 1, nullptr);
  luaL_tolstring(L, 2, nullptr);
  lua_concat(L, 2);
  return 1;
}

}  // namespace

void ScriptObject::Register(lua_State* L) {
  static const luaL_Reg metamethods[] = {{"__index", Index}, {"__newindex", NewIndex}, {"__call", CallObject},
                                         {"__eq", Equal},    {"__tostring", ToString}, {"__concat", Concat},
                                         {nullptr, nullptr}};
  luaL_newmetatable(L, kMetatable);
  luaL_setfuncs(L, metamethods, 0);
  lua_pop(L, 1);
}

void ScriptObject::Push(lua_State* L, const ObjectRef& ref, GlobalObjectResolver resolver) {
  ScriptObject* object = static_cast<ScriptObject*>(lua_newuserdatauv(L, sizeof(ScriptObject), 0));
  object->ref = ref;
  object->resolver = resolver;
  luaL_setmetatable(L, kMetatable);
}

void ScriptObject::PushValue(lua_State* L, const ObjectRef& ref) {
  if (ref.Type == nullptr) {
    lua_pushnil(L);
    return;
  }
  const BuiltinType* builtin = LuaGlue::From(L)->Builtin(ref.Type);
  if (builtin == nullptr) {
    Push(L, ref);
    return;
  }
  switch (builtin->GetKind()) {
    case BuiltinType::Kind::String:
      lua_pushstring(L, ref.Data ? reinterpret_cast<const char*>(ref.Data) : "");
      break;
    case BuiltinType::Kind::UInt:
      lua_pushinteger(L, static_cast<std::uint32_t>(ref.Data));
      break;
    case BuiltinType::Kind::Bool:
      lua_pushboolean(L, ref.Data != 0);
      break;
  }
}

ScriptObject* ScriptObject::Test(lua_State* L, int index) {
  return static_cast<ScriptObject*>(luaL_testudata(L, index, kMetatable));
}

int ScriptObject::PushMember(lua_State* L, int objectIndex, const char* name, bool bind) {
  objectIndex = lua_absindex(L, objectIndex);
  ScriptObject* self = Test(L, objectIndex);
  QSTypeDefinition* type = LiveType(L, self);
  if (Classify(type, name) == NameKind::Method) {
    lua_pushstring(L, name);
    if (bind) {
      lua_pushvalue(L, objectIndex);
    }
    lua_pushcclosure(L, CallMethod, bind ? 2 : 1);
    return 1;
  }
  LuaGlue* host = LuaGlue::From(L);
  lua_State* outer = host->Enter(L);
  ObjectRef out{};
  int result = type->GetMember(self->ref.Data, name, 0, nullptr, &out);
  host->Leave(outer);
  if (result < 0) {
    return 0;
  }
  if (result == 1) {
    PushValue(L, out);
  } else {
    CheckAvailable(L, type, self->ref.Data);
    lua_pushnil(L);
  }
  return 1;
}
