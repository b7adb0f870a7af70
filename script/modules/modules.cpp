// The module list and the equivalences of the modules other than SceneAPIc.
#include "script/modules/modules.h"

#include <cstring>

namespace script {

namespace {

// Derived-to-base conversions keep the address: the classes have no second
// base.
void* SameAddress(void* address) {
  return address;
}

// A class name and its "_class_" alias accept each other.
void RegisterClass(TypeTable& table, const char* name) {
  const std::string type = std::string("_") + name;
  const std::string alias = std::string("_class_") + name;
  table.Register(type.c_str(), alias.c_str());
  table.Register(alias.c_str(), type.c_str());
}

// `base` (and its alias) accepts `derived` and its alias, keeping the address.
void RegisterDerived(TypeTable& table, const char* base, const char* derived) {
  const std::string names[] = {std::string("_") + base, std::string("_class_") + base};
  const std::string accepted[] = {std::string("_") + derived, std::string("_class_") + derived};
  for (const std::string& b : names)
    for (const std::string& d : accepted) table.Register(b.c_str(), d.c_str(), SameAddress);
}

}  // namespace

void RegisterUtilEquivalences(TypeTable& table) {
  RegisterScalarEquivalences(table);
  for (const char* name : {"ktOscillator", "ktDampOscillator", "ktVecOscillator"})
    RegisterClass(table, name);
  RegisterDerived(table, "ktDampOscillator", "ktVecOscillator");
  RegisterDerived(table, "ktOscillator", "ktDampOscillator");
  RegisterDerived(table, "ktOscillator", "ktVecOscillator");
}

void RegisterFlockEquivalences(TypeTable& table) {
  RegisterScalarEquivalences(table);
  for (const char* name :
       {"ktFlock", "ktBoid", "ktInfluenceVector", "ktVelocityVector", "ktAccumInfluenceVectors"})
    RegisterClass(table, name);
  RegisterDerived(table, "ktVelocityVector", "ktInfluenceVector");
}

ScriptModule* const* Modules() {
  static ScriptModule* const modules[kModuleCount] = {
      &SceneModule(),      &TypesModule(),    &UtilModule(),  &BrainModule(),
      &ControllerModule(), &RegistryModule(), &FlocksModule()};
  return modules;
}

void ConstructModuleTables() {
  DeclareTypesModuleObjects();
  DeclareUtilModuleObjects();
  DeclareFlocksModuleObjects();
  Modules();
  live::IsOwnedType("");
  live::Contains(nullptr, "");
  host::Contains(nullptr, 0);
  host::Size();
}

ScriptModule* FindModule(const char* name) {
  for (int i = 0; i < kModuleCount; ++i)
    if (std::strcmp(Modules()[i]->name(), name) == 0) return Modules()[i];
  return nullptr;
}

}  // namespace script
