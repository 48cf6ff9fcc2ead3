#include "host/lua/EventTable.h"

#include "host/lua/LuaGlue.h"
#include "host/lua/ScriptObject.h"

#include <lua.hpp>

namespace {

// Each handler is kept as an entry table {f}; removing one marks its entry, so
// a dispatch walking its own copy of the list skips it.
constexpr const char* kRemoved = "removed";

struct Dispatch {
  EventTable* table;
  int handlersRef;
  int id;
  const ObjectRef* context;
  int argumentCount;
  const char* const* arguments;
  int succeeded;
};

void PushArgument(lua_State* L, const char* text) {
  lua_pushstring(L, text);
  if (lua_stringtonumber(L, text) != 0) {
    if (lua_isinteger(L, -1)) {
      lua_remove(L, -2);
      return;
    }
    lua_pop(L, 1);
  }
}

// Pushes the handler list of `id`, creating it when `create` is set; nil when
// there is none.
void PushList(lua_State* L, int handlersRef, int id, bool create) {
  lua_rawgeti(L, LUA_REGISTRYINDEX, handlersRef);
  if (lua_rawgeti(L, -1, id) == LUA_TNIL && create) {
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_rawseti(L, -3, id);
  }
  lua_remove(L, -2);
}

int DispatchProtected(lua_State* L) {
  Dispatch* request = static_cast<Dispatch*>(lua_touserdata(L, 1));
  PushList(L, request->handlersRef, request->id, false);
  if (lua_isnil(L, -1)) {
    return 0;
  }
  int count = static_cast<int>(lua_rawlen(L, -1));
  lua_createtable(L, count, 0);
  for (int i = 1; i <= count; ++i) {
    lua_rawgeti(L, -2, i);
    lua_rawseti(L, -2, i);
  }
  int snapshot = lua_gettop(L);
  lua_pushcfunction(L, LuaGlue::ErrorTextWithTraceback);
  int messageHandler = lua_gettop(L);
  for (int i = 1; i <= count && !LuaGlue::From(L)->Interrupted(); ++i) {
    lua_rawgeti(L, snapshot, i);
    bool removed = lua_getfield(L, -1, kRemoved) != LUA_TNIL;
    lua_pop(L, 1);
    if (removed) {
      lua_pop(L, 1);
      continue;
    }
    lua_rawgeti(L, -1, 1);
    lua_remove(L, -2);
    if (request->context != nullptr) {
      ScriptObject::PushValue(L, *request->context);
    } else {
      lua_pushnil(L);
    }
    for (int a = 0; a < request->argumentCount; ++a) {
      PushArgument(L, request->arguments[a]);
    }
    if (lua_pcall(L, 1 + request->argumentCount, 0, messageHandler) == LUA_OK) {
      ++request->succeeded;
    } else {
      // The message handler has made the error a text with its traceback.
      const char* message = lua_tostring(L, -1);
      const std::string& name = request->table->Names()[static_cast<std::size_t>(request->id)];
      LuaGlue::From(L)->ReportError("error in a handler of " + name, message);
      lua_pop(L, 1);
    }
  }
  return 0;
}

int CheckEvent(lua_State* L) {
  std::size_t length = 0;
  const char* name = luaL_checklstring(L, 1, &length);
  int id = LuaGlue::From(L)->Events().Find(std::string_view(name, length));
  if (id < 0) {
    luaL_error(L, "unknown event '%s' (events() lists them)", name);
  }
  return id;
}

// on(name, f): attaches f to the event; returns f, so it can be detached later.
int On(lua_State* L) {
  int id = CheckEvent(L);
  luaL_checktype(L, 2, LUA_TFUNCTION);
  PushList(L, LuaGlue::From(L)->Events().HandlersRef(), id, true);
  lua_createtable(L, 1, 1);
  lua_pushvalue(L, 2);
  lua_rawseti(L, -2, 1);
  lua_rawseti(L, -2, static_cast<lua_Integer>(lua_rawlen(L, -2)) + 1);
  lua_pushvalue(L, 2);
  return 1;
}

// off(name, f): detaches f (its first attachment); true when it was attached.
int Off(lua_State* L) {
  int id = CheckEvent(L);
  luaL_checktype(L, 2, LUA_TFUNCTION);
  PushList(L, LuaGlue::From(L)->Events().HandlersRef(), id, true);
  int list = lua_gettop(L);
  lua_Integer count = static_cast<lua_Integer>(lua_rawlen(L, list));
  for (lua_Integer i = 1; i <= count; ++i) {
    lua_rawgeti(L, list, i);
    lua_rawgeti(L, -1, 1);
    bool match = lua_rawequal(L, -1, 2);
    lua_pop(L, 1);
    if (!match) {
      lua_pop(L, 1);
      continue;
    }
    lua_pushboolean(L, 1);
    lua_setfield(L, -2, kRemoved);
    for (lua_Integer j = i; j < count; ++j) {
      lua_rawgeti(L, list, j + 1);
      lua_rawseti(L, list, j);
    }
    lua_pushnil(L);
    lua_rawseti(L, list, count);
    lua_pushboolean(L, 1);
    return 1;
  }
  lua_pushboolean(L, 0);
  return 1;
}

// events(): the declared event names, in declaration order.
int Events(lua_State* L) {
  const std::vector<std::string>& names = LuaGlue::From(L)->Events().Names();
  lua_createtable(L, static_cast<int>(names.size()), 0);
  for (std::size_t i = 0; i < names.size(); ++i) {
    lua_pushlstring(L, names[i].data(), names[i].size());
    lua_rawseti(L, -2, static_cast<lua_Integer>(i) + 1);
  }
  return 1;
}

}  // namespace

EventTable::EventTable(lua_State* L) {
  lua_newtable(L);
  handlersRef_ = luaL_ref(L, LUA_REGISTRYINDEX);
}

int EventTable::Declare(const char* name) {
  int id = Find(name);
  if (id >= 0) {
    return id;
  }
  names_.emplace_back(name);
  return static_cast<int>(names_.size()) - 1;
}

int EventTable::Find(std::string_view name) const {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == name) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int EventTable::Fire(lua_State* L, int id, const ObjectRef* context, int argumentCount, const char* const* arguments) {
  if (id < 0 || static_cast<std::size_t>(id) >= names_.size() || argumentCount < 0 ||
      (argumentCount > 0 && arguments == nullptr)) {
    return 0;
  }
  Dispatch request{this, handlersRef_, id, context, argumentCount, arguments, 0};
  lua_pushcfunction(L, DispatchProtected);
  lua_pushlightuserdata(L, &request);
  if (lua_pcall(L, 1, 0, 0) != LUA_OK) {
    LuaGlue::From(L)->ReportError("error in the dispatch of " + names_[static_cast<std::size_t>(id)],
                                  lua_tostring(L, -1));
    lua_pop(L, 1);
  }
  return request.succeeded;
}

void EventTable::Register(lua_State* L) {
  static const luaL_Reg functions[] = {{"on", On}, {"off", Off}, {"events", Events}, {nullptr, nullptr}};
  lua_pushglobaltable(L);
  luaL_setfuncs(L, functions, 0);
  lua_pop(L, 1);
}
