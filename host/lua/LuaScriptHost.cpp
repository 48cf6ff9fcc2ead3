#include "host/lua/LuaScriptHost.h"

#include "host/lua/ScriptObject.h"

#include <lua.hpp>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Loads a text, or the file `name` when `code` is null, and leaves the
// compiled chunk on the stack. A load error is raised as the error message.
struct Chunk {
  const char* code;
  std::size_t size;
  const char* name;
};

int LoadProtected(lua_State* L) {
  const Chunk* chunk = static_cast<const Chunk*>(lua_touserdata(L, 1));
  int status = chunk->code == nullptr ? luaL_loadfilex(L, chunk->name, "t")
                                      : luaL_loadbufferx(L, chunk->code, chunk->size, chunk->name, "t");
  if (status != LUA_OK) {
    return lua_error(L);
  }
  return 1;
}

// The hook an interrupt sets: it clears itself and raises, so the script
// running stops at its next instruction, as in lua.c.
void StopScript(lua_State* L, lua_Debug*) {
  lua_sethook(L, nullptr, 0, 0);
  luaL_error(L, "interrupted!");
}

// print(...): the values as tostring gives them, separated by tabs, as one
// console line.
int Print(lua_State* L) {
  int count = lua_gettop(L);
  luaL_Buffer line;
  luaL_buffinit(L, &line);
  for (int i = 1; i <= count; ++i) {
    if (i > 1) {
      luaL_addchar(&line, '\t');
    }
    luaL_tolstring(L, i, nullptr);
    luaL_addvalue(&line);
  }
  luaL_pushresult(&line);
  std::size_t length = 0;
  const char* text = lua_tolstring(L, -1, &length);
  LuaGlue::From(L)->GetConsole().Output(std::string_view(text, length));
  return 0;
}

// stop(): the host ends its run after the current pulse.
int Stop(lua_State* L) {
  LuaGlue::From(L)->RequestStop();
  return 0;
}

// __index of the global table: a bound global object, resolved afresh each
// time a script names it, so an unbound name reads as nil.
int GlobalIndex(lua_State* L) {
  if (lua_type(L, 2) != LUA_TSTRING) {
    return 0;
  }
  LuaGlue* host = LuaGlue::From(L);
  std::size_t length = 0;
  const char* name = lua_tolstring(L, 2, &length);
  GlobalObjectResolver resolver = host->FindGlobal(std::string_view(name, length));
  if (resolver == nullptr) {
    return 0;
  }
  lua_State* outer = host->Enter(L);
  ObjectRef out{};
  bool resolved = resolver(0, nullptr, &out);
  host->Leave(outer);
  if (!resolved || out.Type == nullptr) {
    return 0;
  }
  ScriptObject::PushGlobal(L, out, resolver, name);
  return 1;
}

int OpenProtected(lua_State* L) {
  luaL_openlibs(L);
  ScriptObject::Register(L);
  EventTable::Register(L);
  lua_register(L, "print", Print);
  lua_register(L, "stop", Stop);
  lua_pushglobaltable(L);
  lua_createtable(L, 0, 1);
  lua_pushcfunction(L, GlobalIndex);
  lua_setfield(L, -2, "__index");
  lua_setmetatable(L, -2);
  return 0;
}

lua_State* NewState(LuaScriptHost* host) {
  lua_State* L = luaL_newstate();
  if (L == nullptr) {
    std::fputs("chorister-host: cannot create a Lua state\n", stderr);
    std::abort();
  }
  LuaGlue::Install(L, host);
  return L;
}

}  // namespace

void LuaScriptHost::StateCloser::operator()(lua_State* L) const { lua_close(L); }

LuaScriptHost::LuaScriptHost(Console& console)
    : console_(console), state_(NewState(this)), active_(state_.get()), events_(state_.get()), loadedRef_(LUA_NOREF) {
  lua_State* L = state_.get();
  lua_pushcfunction(L, OpenProtected);
  if (lua_pcall(L, 0, 0, 0) != LUA_OK) {
    ReportError("cannot set up Lua", lua_tostring(L, -1));
    lua_pop(L, 1);
  }
  pulseEvent_ = events_.Declare(kPulseEvent);
  stopEvent_ = events_.Declare(kStopEvent);
}

LuaScriptHost::~LuaScriptHost() = default;

lua_State* LuaScriptHost::Enter(lua_State* L) {
  lua_State* previous = active_;
  active_ = L;
  return previous;
}

bool LuaScriptHost::BindGlobalObject(const char* name, GlobalObjectResolver resolver) {
  if (name == nullptr || resolver == nullptr) {
    return false;
  }
  globals_.insert_or_assign(name, resolver);
  return true;
}

bool LuaScriptHost::UnbindGlobalObject(const char* name) {
  if (name == nullptr) {
    return false;
  }
  auto found = globals_.find(std::string_view(name));
  if (found == globals_.end()) {
    return false;
  }
  globals_.erase(found);
  return true;
}

bool LuaScriptHost::InstallType(QSTypeDefinition* type) {
  if (type == nullptr || IsInstalled(type)) {
    return false;
  }
  installed_.push_back(type);
  return true;
}

bool LuaScriptHost::UninstallType(QSTypeDefinition* type) {
  auto found = std::find(installed_.begin(), installed_.end(), type);
  if (found == installed_.end()) {
    return false;
  }
  installed_.erase(found);
  return true;
}

QSTypeDefinition* LuaScriptHost::LookupType(const char* name, int, int) {
  if (name == nullptr) {
    return nullptr;
  }
  for (BuiltinType* builtin : {&string_, &uint_, &bool_}) {
    if (std::strcmp(builtin->GetName(), name) == 0) {
      return builtin;
    }
  }
  for (QSTypeDefinition* type : installed_) {
    if (std::strcmp(type->GetName(), name) == 0) {
      return type;
    }
  }
  return nullptr;
}

int LuaScriptHost::DeclareEvent(const char* name) { return name == nullptr ? -1 : events_.Declare(name); }

int LuaScriptHost::FireEvent(int eventId, int, int argumentCount, const char* const* arguments, ObjectRef* context) {
  // After Host.OnStop the scripts have said goodbye: what the module still
  // raises (while it shuts down, say) reaches no handler.
  if (stopped_ || interrupted_.load()) {
    return 0;
  }
  return events_.Fire(active_, eventId, context, argumentCount, arguments);
}

void LuaScriptHost::ConsoleWrite(const char* format, ...) {
  if (format == nullptr) {
    return;
  }
  std::va_list arguments;
  va_start(arguments, format);
  console_.FormatV(Console::Stream::Error, format, arguments);
  va_end(arguments);
}

FilterHandle LuaScriptHost::ParseFilter(const char* query) { return filters_.Parse(active_, query); }

bool LuaScriptHost::MatchFilter(FilterHandle filter, ObjectRef* object, unsigned char* matched) {
  return filters_.Match(active_, filter, object, matched);
}

void LuaScriptHost::ReleaseFilter(FilterHandle filter) { filters_.Release(active_, filter); }

bool LuaScriptHost::Load(const char* code, std::size_t size, const char* name) {
  lua_State* L = state_.get();
  Chunk chunk{code, size, name};
  lua_pushcfunction(L, ErrorText);
  lua_pushcfunction(L, LoadProtected);
  lua_pushlightuserdata(L, &chunk);
  bool loaded = lua_pcall(L, 1, 1, -3) == LUA_OK;
  if (!loaded) {
    ReportError("script error", lua_tostring(L, -1));
  }
  lua_remove(L, -2);
  return loaded;
}

bool LuaScriptHost::CallLoaded() {
  lua_State* L = state_.get();
  lua_pushcfunction(L, ErrorText);
  lua_insert(L, -2);
  bool ran = lua_pcall(L, 0, 0, -2) == LUA_OK;
  if (!ran) {
    ReportError("script error", lua_tostring(L, -1));
    lua_pop(L, 1);
  }
  lua_pop(L, 1);
  return ran;
}

bool LuaScriptHost::LoadFile(const std::string& path) {
  if (!Load(nullptr, 0, path.c_str())) {
    lua_pop(state_.get(), 1);
    return false;
  }
  luaL_unref(state_.get(), LUA_REGISTRYINDEX, loadedRef_);
  loadedRef_ = luaL_ref(state_.get(), LUA_REGISTRYINDEX);
  return true;
}

bool LuaScriptHost::RunLoaded() {
  lua_State* L = state_.get();
  if (lua_rawgeti(L, LUA_REGISTRYINDEX, loadedRef_) != LUA_TFUNCTION) {
    lua_pop(L, 1);
    return false;
  }
  luaL_unref(L, LUA_REGISTRYINDEX, loadedRef_);
  loadedRef_ = LUA_NOREF;
  return CallLoaded();
}

bool LuaScriptHost::RunFile(const std::string& path) { return LoadFile(path) && RunLoaded(); }

bool LuaScriptHost::RunString(const std::string& code, const std::string& chunkName) {
  if (!Load(code.data(), code.size(), chunkName.c_str())) {
    lua_pop(state_.get(), 1);
    return false;
  }
  return CallLoaded();
}

void LuaScriptHost::AddLibraryFolder(const std::string& folder) {
  lua_State* L = state_.get();
  lua_getglobal(L, "package");
  lua_pushstring(L, (folder + "/?.lua;").c_str());
  lua_getfield(L, -2, "path");
  lua_concat(L, 2);
  lua_setfield(L, -2, "path");
  lua_pop(L, 1);
}

void LuaScriptHost::Interrupt() {
  interrupted_.store(true);
  lua_sethook(state_.get(), StopScript, LUA_MASKCALL | LUA_MASKRET | LUA_MASKLINE | LUA_MASKCOUNT, 1);
}

void LuaScriptHost::ClearInterrupt() {
  lua_sethook(state_.get(), nullptr, 0, 0);
  interrupted_.store(false);
}

void LuaScriptHost::NotifyPulse() { FireEvent(pulseEvent_, 0, 0, nullptr, nullptr); }

void LuaScriptHost::NotifyStop() {
  FireEvent(stopEvent_, 0, 0, nullptr, nullptr);
  stopped_ = true;
}

const BuiltinType* LuaScriptHost::Builtin(const QSTypeDefinition* type) const {
  for (const BuiltinType* builtin : {&string_, &uint_, &bool_}) {
    if (builtin == type) {
      return builtin;
    }
  }
  return nullptr;
}

bool LuaScriptHost::IsInstalled(const QSTypeDefinition* type) const {
  return std::find(installed_.begin(), installed_.end(), type) != installed_.end();
}

GlobalObjectResolver LuaScriptHost::FindGlobal(std::string_view name) const {
  auto found = globals_.find(name);
  return found == globals_.end() ? nullptr : found->second;
}

void LuaScriptHost::ReportError(std::string_view what, const char* message) {
  std::string line(what);
  line += ": ";
  line += message != nullptr ? message : "(an error without a message)";
  console_.Error(line);
}
