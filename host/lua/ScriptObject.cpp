#include "host/lua/ScriptObject.h"

#include "host/lua/BuiltinType.h"
#include "host/lua/LuaGlue.h"
#include "hostsdk/QSTypeDefinition.h"

#include <lua.hpp>

#include <cstring>

namespace {

constexpr const char* kMetatable = "module object";
// The registry's table of live objects: for each type (a light userdata key) a
// table with weak values from the reference's value word to its userdata.
constexpr const char* kCache = "module objects";
// The registry's table of what scripts said of a type with describe(): by type
// name, a table with `text` (a function) and `arguments` (counts by name).
constexpr const char* kNotes = "module type notes";
// The user values of an element's userdata: its Type and Name as last read
// (for a global object, the name it is bound under).
constexpr int kTypeValue = 1;
constexpr int kNameValue = 2;
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

// Reads the member `name` of the object with no arguments and pushes its value;
// false, pushing nothing, when it fails or no type knows it.
bool PushPlainMember(lua_State* L, const ScriptObject* self, const char* name) {
  LuaGlue* host = LuaGlue::From(L);
  lua_State* outer = host->Enter(L);
  ObjectRef out{};
  int result = self->ref.Type->GetMember(self->ref.Data, name, 0, nullptr, &out);
  host->Leave(outer);
  if (result != 1) {
    return false;
  }
  ScriptObject::PushValue(L, out);
  return true;
}

// Reads the object's Type, Name and ID, as far as its types know them, into
// the userdata at `index`: what the object is remembered as once it has gone.
void Remember(lua_State* L, int index, bool identity) {
  ScriptObject* self = ScriptObject::Test(L, index);
  if (identity) {
    if (PushPlainMember(L, self, "ID")) {
      self->id = lua_tointegerx(L, -1, &self->hasId);
      lua_pop(L, 1);
    }
    if (PushPlainMember(L, self, "Type")) {
      lua_setiuservalue(L, index, kTypeValue);
    }
  }
  if (PushPlainMember(L, self, "Name")) {
    lua_setiuservalue(L, index, kNameValue);
  }
}

// Pushes the object's label from what is remembered of it: User "Bob" #6,
// Instance #1; the type's name stands in for a Type its types do not know. A
// global object's label is the name it is bound under.
void PushLabel(lua_State* L, int index) {
  const ScriptObject* self = ScriptObject::Test(L, index);
  if (self->resolver != nullptr) {
    lua_getiuservalue(L, index, kNameValue);
    return;
  }
  luaL_Buffer label;
  luaL_buffinit(L, &label);
  if (lua_getiuservalue(L, index, kTypeValue) == LUA_TSTRING) {
    luaL_addvalue(&label);
  } else {
    lua_pop(L, 1);
    luaL_addstring(&label, LuaGlue::From(L)->IsInstalled(self->ref.Type) ? self->ref.Type->GetName() : "object");
  }
  if (lua_getiuservalue(L, index, kNameValue) == LUA_TSTRING && lua_rawlen(L, -1) > 0) {
    lua_pushfstring(L, " \"%s\"", lua_tostring(L, -1));
    lua_remove(L, -2);
    luaL_addvalue(&label);
  } else {
    lua_pop(L, 1);
  }
  if (self->hasId) {
    lua_pushfstring(L, " #%I", self->id);
    luaL_addvalue(&label);
  }
  luaL_pushresult(&label);
}

// Whether the element behind the object still exists. A type that can no
// longer turn its object into text has lost what the object stood for; the
// object is then remembered as gone, and the cache forgets it.
bool Available(lua_State* L, int index) {
  ScriptObject* self = ScriptObject::Test(L, index);
  if (self->departed) {
    return false;
  }
  char text[kTextSize];
  LuaGlue* host = LuaGlue::From(L);
  lua_State* outer = host->Enter(L);
  bool available = self->ref.Type->ToText(self->ref.Data, text, sizeof text);
  host->Leave(outer);
  if (available) {
    return true;
  }
  self->departed = true;
  lua_getfield(L, LUA_REGISTRYINDEX, kCache);
  if (lua_rawgetp(L, -1, self->ref.Type) == LUA_TTABLE) {
    lua_rawgeti(L, -1, static_cast<lua_Integer>(self->ref.Data));
    if (lua_rawequal(L, -1, index)) {
      lua_pushnil(L);
      lua_rawseti(L, -3, static_cast<lua_Integer>(self->ref.Data));
    }
    lua_pop(L, 1);
  }
  lua_pop(L, 2);
  return false;
}

int RaiseGone(lua_State* L, int index) {
  PushLabel(L, index);
  return luaL_error(L, "%s is no longer available", lua_tostring(L, -1));
}

// What a gone object still answers: its ID and Type as they were. Anything
// else raises, so that a script does not take a failure for an answer about a
// live one.
int PushGoneMember(lua_State* L, int index, const char* name) {
  const ScriptObject* self = ScriptObject::Test(L, index);
  if (std::strcmp(name, "ID") == 0 && self->hasId) {
    lua_pushinteger(L, self->id);
    return 1;
  }
  if (std::strcmp(name, "Type") == 0 && lua_getiuservalue(L, index, kTypeValue) == LUA_TSTRING) {
    return 1;
  }
  return RaiseGone(L, index);
}

// The number of arguments that describe() says `name` wants on the type chain
// from `type`, or 0.
int WantedArguments(lua_State* L, QSTypeDefinition* type, const char* name) {
  int wanted = 0;
  lua_getfield(L, LUA_REGISTRYINDEX, kNotes);
  for (QSTypeDefinition* level = type; level != nullptr && wanted == 0; level = level->GetInheritance()) {
    const int top = lua_gettop(L);
    if (lua_getfield(L, top, level->GetName()) == LUA_TTABLE && lua_getfield(L, -1, "arguments") == LUA_TTABLE) {
      lua_getfield(L, -1, name);
      wanted = static_cast<int>(lua_tointeger(L, -1));
    }
    lua_settop(L, top);
  }
  lua_pop(L, 1);
  return wanted;
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

// Calls the method `name`, or reads the member `name`, of the object at
// `index` with the Lua values from `first` to the top as its arguments, and
// pushes the result: a method's success as a boolean, a member's value or nil.
// A failure with fewer arguments than describe() says the name wants is an
// argument error; a query that failed while the module ran raises its error.
int Invoke(lua_State* L, int index, const char* name, bool method, int first) {
  ScriptObject* self = ScriptObject::Test(L, index);
  QSTypeDefinition* type = LiveType(L, self);
  if (self->departed) {
    return RaiseGone(L, index);
  }
  const char* arguments[kMaxArguments];
  int count = CollectArguments(L, first, name, arguments);
  const char* const* list = count > 0 ? arguments : nullptr;
  LuaGlue* host = LuaGlue::From(L);
  host->ForgetQueryError();
  lua_State* outer = host->Enter(L);
  ObjectRef out{};
  int result = method ? type->CallMethod(self->ref.Data, name, count, list)
                      : type->GetMember(self->ref.Data, name, count, list, &out);
  host->Leave(outer);
  host->RaiseQueryError(L);
  if (result != 1 && !Available(L, index)) {
    return RaiseGone(L, index);
  }
  if (result < 0) {
    return RaiseUnknown(L, name, type);
  }
  if (result == 0) {
    if (int wanted = WantedArguments(L, type, name); count < wanted) {
      return RaiseArgument(L, first + count, first, name, "value expected");
    }
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
  if (ScriptObject::Test(L, lua_upvalueindex(2)) != nullptr) {
    return Invoke(L, lua_upvalueindex(2), name, true, 1);
  }
  if (ScriptObject::Test(L, 1) == nullptr) {
    return luaL_argerror(
        L, 1, lua_pushfstring(L, "object expected, got %s; call it as obj:%s(...)", luaL_typename(L, 1), name));
  }
  return Invoke(L, 1, name, true, 2);
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
  return Invoke(L, 1, name, false, 3);
}

// The __call of nil. obj:Find(q) indexes obj with "Find" (a member read with
// no arguments, which fails, so nil) and calls the result with obj and q. When
// the calling instruction says it was such a method call, its first argument
// is a module object and the object's types know the name as a member, the
// member is read with the arguments. Any other call of nil raises the error
// Lua itself raises.
int CallNil(lua_State* L) {
  lua_Debug call;
  const char* name = nullptr;
  const char* kind = "";
  if (lua_getstack(L, 0, &call) && lua_getinfo(L, "n", &call) && call.name != nullptr) {
    name = call.name;
    kind = call.namewhat;
  }
  if (name != nullptr && std::strcmp(kind, "method") == 0) {
    if (ScriptObject* self = ScriptObject::Test(L, 2)) {
      if (Classify(LiveType(L, self), name) == NameKind::Member) {
        return Invoke(L, 2, name, false, 3);
      }
    }
  }
  if (name == nullptr) {
    return luaL_error(L, "attempt to call a nil value");
  }
  return luaL_error(L, "attempt to call a nil value (%s '%s')", kind, name);
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

// The object's label (User "Bob" #6), or for an object whose types know no
// Type or ID the type's text of it (a global object: the name it is bound
// under); then what describe() gives for its type chain. A gone object prints
// as what it was, with "(no longer available)".
int ToString(lua_State* L) {
  ScriptObject* self = static_cast<ScriptObject*>(luaL_checkudata(L, 1, kMetatable));
  LuaGlue* host = LuaGlue::From(L);
  if (!host->IsInstalled(self->ref.Type)) {
    lua_pushliteral(L, "(object of a removed type)");
    return 1;
  }
  if (!Available(L, 1)) {
    PushLabel(L, 1);
    lua_pushliteral(L, " (no longer available)");
    lua_concat(L, 2);
    return 1;
  }
  if (self->resolver != nullptr) {
    lua_getiuservalue(L, 1, kNameValue);
  } else {
    Remember(L, 1, false);
    bool typed = lua_getiuservalue(L, 1, kTypeValue) == LUA_TSTRING;
    lua_pop(L, 1);
    if (typed || self->hasId) {
      PushLabel(L, 1);
    } else {
      char text[kTextSize] = {};
      lua_State* outer = host->Enter(L);
      self->ref.Type->ToText(self->ref.Data, text, sizeof text);
      host->Leave(outer);
      text[kTextSize - 1] = '\0';
      lua_pushstring(L, text);
    }
  }
  lua_getfield(L, LUA_REGISTRYINDEX, kNotes);
  for (QSTypeDefinition* level = self->ref.Type; level != nullptr; level = level->GetInheritance()) {
    if (lua_getfield(L, 3, level->GetName()) == LUA_TTABLE && lua_getfield(L, -1, "text") == LUA_TFUNCTION) {
      lua_pushvalue(L, 1);
      lua_pushvalue(L, 2);
      lua_call(L, 2, 1);
      if (lua_type(L, -1) == LUA_TSTRING) {
        return 1;
      }
      break;
    }
    lua_settop(L, 3);
  }
  lua_settop(L, 2);
  return 1;
}

// describe(typeName, {text = f, arguments = {Name = n, ...}}): what a library
// that knows a module's types tells the host of one of them. f(obj, label)
// gives the text tostring makes of its objects; a member or method that fails
// with fewer than n arguments raises an argument error.
int Describe(lua_State* L) {
  luaL_checkstring(L, 1);
  luaL_checktype(L, 2, LUA_TTABLE);
  lua_getfield(L, LUA_REGISTRYINDEX, kNotes);
  lua_pushvalue(L, 1);
  lua_pushvalue(L, 2);
  lua_settable(L, -3);
  return 0;
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
  // nil's metatable, hidden from getmetatable, gives the method syntax to
  // members that take arguments.
  lua_pushnil(L);
  lua_createtable(L, 0, 2);
  lua_pushcfunction(L, CallNil);
  lua_setfield(L, -2, "__call");
  lua_pushboolean(L, 0);
  lua_setfield(L, -2, "__metatable");
  lua_setmetatable(L, -2);
  lua_pop(L, 1);
  lua_newtable(L);
  lua_setfield(L, LUA_REGISTRYINDEX, kCache);
  lua_newtable(L);
  lua_setfield(L, LUA_REGISTRYINDEX, kNotes);
  lua_register(L, "describe", Describe);
}

namespace {

ScriptObject* NewObject(lua_State* L, const ObjectRef& ref, GlobalObjectResolver resolver) {
  ScriptObject* object = static_cast<ScriptObject*>(lua_newuserdatauv(L, sizeof(ScriptObject), 2));
  *object = ScriptObject{ref, resolver, 0, 0, false};
  luaL_setmetatable(L, kMetatable);
  return object;
}

}  // namespace

void ScriptObject::Push(lua_State* L, const ObjectRef& ref) {
  lua_getfield(L, LUA_REGISTRYINDEX, kCache);
  if (lua_rawgetp(L, -1, ref.Type) != LUA_TTABLE) {
    lua_pop(L, 1);
    lua_newtable(L);
    lua_createtable(L, 0, 1);
    lua_pushliteral(L, "v");
    lua_setfield(L, -2, "__mode");
    lua_setmetatable(L, -2);
    lua_pushvalue(L, -1);
    lua_rawsetp(L, -3, ref.Type);
  }
  const lua_Integer key = static_cast<lua_Integer>(ref.Data);
  if (lua_rawgeti(L, -1, key) != LUA_TUSERDATA) {
    lua_pop(L, 1);
    NewObject(L, ref, nullptr);
    Remember(L, lua_gettop(L), true);
    lua_pushvalue(L, -1);
    lua_rawseti(L, -3, key);
  }
  lua_replace(L, -3);
  lua_pop(L, 1);
}

void ScriptObject::PushGlobal(lua_State* L, const ObjectRef& ref, GlobalObjectResolver resolver, const char* name) {
  NewObject(L, ref, resolver);
  lua_pushstring(L, name);
  lua_setiuservalue(L, -2, kNameValue);
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
  if (self->departed) {
    return PushGoneMember(L, objectIndex, name);
  }
  LuaGlue* host = LuaGlue::From(L);
  host->ForgetQueryError();
  lua_State* outer = host->Enter(L);
  ObjectRef out{};
  int result = type->GetMember(self->ref.Data, name, 0, nullptr, &out);
  host->Leave(outer);
  host->RaiseQueryError(L);
  if (result == 1) {
    PushValue(L, out);
    return 1;
  }
  if (!Available(L, objectIndex)) {
    return PushGoneMember(L, objectIndex, name);
  }
  if (result < 0) {
    return 0;
  }
  lua_pushnil(L);
  return 1;
}
