#include "host/lua/LuaGlue.h"

#include <lua.hpp>

LuaGlue* LuaGlue::From(lua_State* L) { return *static_cast<LuaGlue**>(lua_getextraspace(L)); }

// Threads made later copy the main state's extra space.
void LuaGlue::Install(lua_State* L, LuaGlue* glue) { *static_cast<LuaGlue**>(lua_getextraspace(L)) = glue; }

int LuaGlue::ErrorText(lua_State* L) {
  if (lua_type(L, 1) != LUA_TSTRING && lua_type(L, 1) != LUA_TNUMBER) {
    if (luaL_callmeta(L, 1, "__tostring") && lua_type(L, -1) == LUA_TSTRING) {
      return 1;
    }
    lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, 1));
    return 1;
  }
  lua_settop(L, 1);
  return 1;
}

int LuaGlue::ErrorTextWithTraceback(lua_State* L) {
  ErrorText(L);
  luaL_traceback(L, L, lua_tostring(L, -1), 1);
  return 1;
}
