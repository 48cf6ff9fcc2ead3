#include "elements/VentriloChannel.h"

#include "libventrilo/IChannel.h"
#include "elements/ElementContext.h"
#include "elements/ScriptEvent.h"

VentriloChannel::VentriloChannel(VentriloInstance* instance, std::uint32_t id, VentriloElement* parent, IChannel* item,
                                 std::uint32_t pass)
    : VentriloElement(instance, id, parent, item, pass) {
  Arrive(pass, item);
}

int VentriloChannel::RaiseLeavingInstance() { return Raise(ScriptEvent::LeavingInstance); }

QSTypeDefinition* VentriloChannel::GetScriptType() const { return ElementContext::Get().channelType; }
