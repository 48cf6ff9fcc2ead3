#include "elements/VentriloUser.h"

#include "libventrilo/IUser.h"
#include "module/ModuleGlobals.h"
#include "module/ScriptEvent.h"

VentriloUser::VentriloUser(VentriloInstance* instance, std::uint32_t id, VentriloElement* parent, IUser* item,
                           std::uint32_t pass)
    : VentriloElement(instance, id, parent, item, pass) {
  Arrive(pass, item);
}

int VentriloUser::RaiseLeavingInstance() { return Raise(ScriptEvent::LeavingInstance); }

QSTypeDefinition* VentriloUser::GetScriptType() const { return ModuleGlobals::UserType; }
