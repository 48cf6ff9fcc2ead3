#include "elements/VentriloServer.h"

#include "libventrilo/IServer.h"
#include "module/ModuleGlobals.h"
#include "module/ScriptEvent.h"

VentriloServer::VentriloServer(VentriloInstance* instance, std::uint32_t id, VentriloElement* parent, IServer* item,
                               std::uint32_t pass)
    : VentriloElement(instance, id, parent, item, pass) {
  Arrive(pass, item);
}

int VentriloServer::RaiseLeavingInstance() { return Raise(ScriptEvent::LeavingInstance); }

QSTypeDefinition* VentriloServer::GetScriptType() const { return ModuleGlobals::ServerType; }
