#include "elements/VentriloUser.h"

#include "libventrilo/IUser.h"
#include "elements/ElementContext.h"
#include "elements/ScriptEvent.h"

VentriloUser::VentriloUser(VentriloInstance* instance, std::uint32_t id, VentriloElement* parent, IUser* item,
                           std::uint32_t pass)
    : VentriloElement(instance, id, parent, item, pass) {
  Arrive(pass, item);
}

int VentriloUser::RaiseLeavingInstance() { return Raise(ScriptEvent::LeavingInstance); }

QSTypeDefinition* VentriloUser::GetScriptType() const { return ElementContext::Get().userType; }
