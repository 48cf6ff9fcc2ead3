#include "types/ScriptTypes.h"

QSTypeDefinition* ScriptTypes::StringType = nullptr;
QSTypeDefinition* ScriptTypes::UIntType = nullptr;
QSTypeDefinition* ScriptTypes::BoolType = nullptr;
QSTypeDefinition* ScriptTypes::VentriloType = nullptr;
QSTypeDefinition* ScriptTypes::ElementType = nullptr;
