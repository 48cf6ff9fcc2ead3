#include "module/ModuleGlobals.h"

ScriptHost* ModuleGlobals::Host = nullptr;
QSTypeDefinition* ModuleGlobals::StringType = nullptr;
QSTypeDefinition* ModuleGlobals::UIntType = nullptr;
QSTypeDefinition* ModuleGlobals::BoolType = nullptr;
QSTypeDefinition* ModuleGlobals::VentriloType = nullptr;
QSTypeDefinition* ModuleGlobals::ElementType = nullptr;
QSTypeDefinition* ModuleGlobals::InstanceType = nullptr;
QSTypeDefinition* ModuleGlobals::ChannelType = nullptr;
QSTypeDefinition* ModuleGlobals::ServerType = nullptr;
QSTypeDefinition* ModuleGlobals::UserType = nullptr;
