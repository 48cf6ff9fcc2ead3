#include "elements/VentriloServer.h"

#include "libventrilo/IServer.h"
#include "elements/ElementContext.h"
#include "elements/ScriptEvent.h"

VentriloServer::VentriloServer(VentriloInstance* instance, std::uint32_t id, VentriloElement* parent, IServer* item,
                               std::uint32_t pass)
    : VentriloElement(instance, id, parent, item, pass) {
  Arrive(pass, item);
}

int VentriloServer::RaiseLeavingInstance() { return Raise(ScriptEvent::LeavingInstance); }

QSTypeDefinition* VentriloServer::GetScriptType() const { return ElementContext::Get().serverType; }
