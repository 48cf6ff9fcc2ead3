#include "host/lua/FilterTable.h"

#include "host/lua/LuaGlue.h"
#include "host/lua/ScriptObject.h"

#include <lua.hpp>

#include <cstring>
#include <string>

namespace {

// The field of a query's environment metatable that holds the object being
// matched while the query runs.
constexpr const char* kSubject = "subject";
// The name under which a query reaches the object itself, to read a member
// with arguments: self:GetMetadata("tag"). A member of that name wins.
constexpr const char* kSelf = "self";

struct Compile {
  const std::string* code;
  int chunkRef;
};

struct Evaluate {
  int chunkRef;
  const ObjectRef* object;
  bool result;
};

// __index of a query's environment: the subject's member, else the subject as
// `self`, else a global.
int EnvironmentIndex(lua_State* L) {
  lua_getmetatable(L, 1);
  lua_getfield(L, -1, kSubject);
  if (lua_type(L, 2) == LUA_TSTRING && ScriptObject::Test(L, -1) != nullptr) {
    if (ScriptObject::PushMember(L, -1, lua_tostring(L, 2), true) == 1) {
      return 1;
    }
    if (std::strcmp(lua_tostring(L, 2), kSelf) == 0) {
      lua_pushvalue(L, -1);
      return 1;
    }
  }
  lua_pushglobaltable(L);
  lua_pushvalue(L, 2);
  lua_gettable(L, -2);
  return 1;
}

// Compiles the query as the expression of a return statement and gives it an
// environment of its own.
int CompileProtected(lua_State* L) {
  Compile* request = static_cast<Compile*>(lua_touserdata(L, 1));
  if (luaL_loadbufferx(L, request->code->data(), request->code->size(), "=query", "t") != LUA_OK) {
    return lua_error(L);
  }
  lua_newtable(L);
  lua_createtable(L, 0, 2);
  lua_pushcfunction(L, EnvironmentIndex);
  lua_setfield(L, -2, "__index");
  lua_setmetatable(L, -2);
  lua_setupvalue(L, -2, 1);
  request->chunkRef = luaL_ref(L, LUA_REGISTRYINDEX);
  return 0;
}

// Pushes the metatable of the query's environment.
void PushEnvironmentMeta(lua_State* L) {
  lua_getupvalue(L, -1, 1);
  lua_getmetatable(L, -1);
  lua_remove(L, -2);
}

int EvaluateProtected(lua_State* L) {
  Evaluate* request = static_cast<Evaluate*>(lua_touserdata(L, 1));
  lua_rawgeti(L, LUA_REGISTRYINDEX, request->chunkRef);
  PushEnvironmentMeta(L);
  ScriptObject::Push(L, *request->object);
  lua_setfield(L, -2, kSubject);
  lua_pop(L, 1);
  lua_call(L, 0, 1);
  request->result = lua_toboolean(L, -1);
  lua_rawgeti(L, LUA_REGISTRYINDEX, request->chunkRef);
  PushEnvironmentMeta(L);
  lua_pushnil(L);
  lua_setfield(L, -2, kSubject);
  return 0;
}

}  // namespace

FilterHandle FilterTable::Parse(lua_State* L, const char* query) {
  if (query == nullptr) {
    return 0;
  }
  // On one line with the query's first, so that errors give the query's own
  // line numbers.
  std::string code = std::string("return (") + query + ")";
  Compile request{&code, LUA_NOREF};
  lua_pushcfunction(L, LuaGlue::ErrorText);
  lua_pushcfunction(L, CompileProtected);
  lua_pushlightuserdata(L, &request);
  if (lua_pcall(L, 1, 0, -3) != LUA_OK) {
    if (error_.empty()) {
      error_ = std::string("query '") + query + "' does not compile: " + lua_tostring(L, -1);
    }
    lua_pop(L, 2);
    return 0;
  }
  lua_pop(L, 1);
  FilterHandle handle = nextHandle_++;
  filters_[handle] = Filter{request.chunkRef, query, false};
  return handle;
}

bool FilterTable::Match(lua_State* L, FilterHandle filter, const ObjectRef* object, unsigned char* matched) {
  auto found = filters_.find(filter);
  if (found == filters_.end() || found->second.failed || object == nullptr || object->Type == nullptr ||
      matched == nullptr) {
    return false;
  }
  Evaluate request{found->second.chunkRef, object, false};
  lua_pushcfunction(L, LuaGlue::ErrorText);
  lua_pushcfunction(L, EvaluateProtected);
  lua_pushlightuserdata(L, &request);
  if (lua_pcall(L, 1, 0, -3) != LUA_OK) {
    found->second.failed = true;
    if (error_.empty()) {
      error_ = "error in query '" + found->second.query + "': " + lua_tostring(L, -1);
    }
    lua_pop(L, 2);
    return false;
  }
  lua_pop(L, 1);
  *matched = request.result ? 1 : 0;
  return true;
}

void FilterTable::RaiseError(lua_State* L) {
  if (error_.empty()) {
    return;
  }
  luaL_where(L, 1);
  lua_pushlstring(L, error_.data(), error_.size());
  error_.clear();
  lua_concat(L, 2);
  lua_error(L);
}

void FilterTable::Release(lua_State* L, FilterHandle filter) {
  auto found = filters_.find(filter);
  if (found == filters_.end()) {
    return;
  }
  luaL_unref(L, LUA_REGISTRYINDEX, found->second.chunkRef);
  filters_.erase(found);
}
