#include "module/Chorister.h"

extern "C" {

CHORISTER_EXPORT int QSModule_Version = kQSModuleInterfaceVersion;

CHORISTER_EXPORT QSModuleInterface* CreateQSModuleInterface(int version) { return Chorister::Create(version); }
}
