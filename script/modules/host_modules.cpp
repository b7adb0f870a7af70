// egBrainc, egGameControllerc and mkRegistryc: from a plug-in brain to its
// scene interface, host brain and owner; the host's game controller; and
// from a registry key to the object or name that it stands for. Every
// function is one field access or one host operation, written as a native
// function below and bound by its row (functions.h). Each takes its object
// as OrNull and tests it for null first (giving "NULL", 0, None or nothing);
// a host object must be one that the host handed to a script.
#include <cstring>

#include "kit/plugin/plugin.h"
#include "script/modules/functions.h"
#include "script/modules/modules.h"
#include "script/text.h"

// The host brain seen as a character brain: only its type string is used.
class egCharacterBrain;

namespace script {

SCRIPT_TYPE(egBrainDll, "egBrainDll")
SCRIPT_TYPE(egBrain, "egBrain")
SCRIPT_TYPE(egGameController, "egGameController")
SCRIPT_TYPE(egCharacterBrain, "egCharacterBrain")
SCRIPT_TYPE(egCameraBrain, "egCameraBrain")
SCRIPT_TYPE(egPlayerVehicleBrain, "egPlayerVehicleBrain")

namespace {

namespace native {

using Brain = OrNull<egBrainDll>;
using HostBrain = OrNull<egBrain>;
using Controller = OrNull<egGameController>;
using Key = OrNull<mkRegistryKey>;

// --- egBrainc ------------------------------------------------------------------------

egSceneApi* egBrainDll_GetSceneApi(Brain b) {
  return b ? b->fSceneApi : nullptr;
}
egBrain* egBrainDll_GetBrain(Brain b) {
  return b ? b->fBrain : nullptr;
}
// The typed getters change only the type string, with no check of the kind.
egCharacterBrain* egBrainDll_GetCharBrain(Brain b) {
  return reinterpret_cast<egCharacterBrain*>(egBrainDll_GetBrain(b));
}
egCameraBrain* egBrainDll_GetCamBrain(Brain b) {
  return reinterpret_cast<egCameraBrain*>(egBrainDll_GetBrain(b));
}
egPlayerVehicleBrain* egBrainDll_GetVehBrain(Brain b) {
  return reinterpret_cast<egPlayerVehicleBrain*>(egBrainDll_GetBrain(b));
}
egPhysicalSceneObject* egBrain_GetOwner(HostBrain b) {
  return b ? b->GetOwner() : nullptr;
}
egCharacter* egBrain_GetOwnerChar(HostBrain b) {
  return b ? b->GetOwnerChar() : nullptr;
}
egMovingSceneObject* egBrain_GetOwnerMove(HostBrain b) {
  return b ? b->GetOwnerMove() : nullptr;
}
mkSceneObject* egBrain_GetOwnerObj(HostBrain b) {
  return b ? b->GetOwnerObj() : nullptr;
}
int32_t egBrain_GetFlags(HostBrain b) {
  return b ? b->GetFlags() : 0;
}
egGameController* egBrain_GetController(HostBrain b) {
  return b ? b->GetController() : nullptr;
}
egBrainDll* egBrain_GetBrainDll(HostBrain b) {
  return b ? b->GetBrainDll() : nullptr;
}

// --- egGameControllerc ---------------------------------------------------------------

void egGC_ResetInputStates(Controller c) {
  if (c) c->ResetInputStates();
}
int32_t egGC_isCairnType(Controller c) {
  return c ? (c->fFlags & 1) : 0;
}
int32_t egGC_isTesseraType(Controller c) {
  return c ? (c->fFlags & 2) : 0;
}
void egGC_GetMovementVector(Controller c, mkVector3* v) {
  if (c) *v = c->fMovement;
}
void egGC_GetAttitudeVector(Controller c, mkVector3* v) {
  if (c) *v = c->fAttitude;
}
template <int32_t Code>
int32_t IsKeyDown(Controller c) {
  return c ? c->isKeyDown(Code) : 0;
}
// The fixed key queries and their key codes.
// clang-format off
#define KT_KEYS(X) \
  X(Action, 13) X(Jump, 14) X(Inventory, 15) X(Light, 16) X(Stab, 17) X(Strike, 18) \
  X(Slash, 19) X(Drop, 20) X(Equip, 21) X(PutAway, 22) X(Cheat, 23) X(Shift, 24) X(Alt, 25) \
  X(Control, 26) X(Menu, 27) X(HideCursor, 28) X(ScreenCap, 29)
// clang-format on
#define KT_KEY_FN(Name, Code) constexpr auto egGC_is##Name##KeyDown = &IsKeyDown<Code>;
KT_KEYS(KT_KEY_FN)
#undef KT_KEY_FN
int32_t egGC_isKeyDown(Controller c, int32_t code) {
  return c ? c->isKeyDown(code) : 0;
}
mkRegistryKey* egGC_GetCursorKey(Controller c) {
  return c ? c->fCursorKey : nullptr;
}
void egGC_SetFlags(Controller c, int32_t flags) {
  if (c) c->fFlags = flags;
}
void egGC_SetScalarInputState(Controller c, int32_t code, float value, const char* text) {
  if (c) c->SetScalarInputState(code, value, text);
}
void egGC_SetMovementVector(Controller c, mkVector3* v) {
  if (c) c->fMovement = *v;
}
void egGC_SetAttitudeVector(Controller c, mkVector3* v) {
  if (c) c->fAttitude = *v;
}
void egGC_SetJumpKeyDown(Controller c, int32_t flag) {
  if (c) c->SetScalarInputState(14, flag != 0 ? 1.0f : 0.0f, nullptr);
}
void egGC_SetCursorKey(Controller c, Key key) {
  if (c) c->fCursorKey = key.get();
}

// --- mkRegistryc ---------------------------------------------------------------------

// The four object functions read the key's first field, as the type asked
// for (no check of the object's kind).
mkSceneObject* GetSceneObjectFromKey(Key k) {
  return k ? reinterpret_cast<mkSceneObject*>(k->fObject) : nullptr;
}
egMovingSceneObject* GetMovingObjectFromKey(Key k) {
  return k ? reinterpret_cast<egMovingSceneObject*>(k->fObject) : nullptr;
}
egPhysicalSceneObject* GetPhysicalObjectFromKey(Key k) {
  return k ? reinterpret_cast<egPhysicalSceneObject*>(k->fObject) : nullptr;
}
egCharacter* GetCharacterFromKey(Key k) {
  return k ? reinterpret_cast<egCharacter*>(k->fObject) : nullptr;
}
const char* GetNameFromKey(Key k) {
  return k ? k->fName : nullptr;
}

}  // namespace native

// clang-format off
#define KT_BRAIN_ROWS(X) \
  X(egBrainDll_GetSceneApi, "(egBrainDll) -> egSceneApi\nThe brain's scene interface.") \
  X(egBrainDll_GetBrain, "(egBrainDll) -> egBrain\nThe host brain it is attached to.") \
  X(egBrainDll_GetCharBrain, \
    "(egBrainDll) -> egCharacterBrain\nThe host brain, typed as a character brain (no " \
    "check of its kind).") \
  X(egBrainDll_GetCamBrain, \
    "(egBrainDll) -> egCameraBrain\nThe host brain, typed as a camera brain (no check).") \
  X(egBrainDll_GetVehBrain, \
    "(egBrainDll) -> egPlayerVehicleBrain\nThe host brain, typed as a vehicle brain (no " \
    "check).") \
  X(egBrain_GetOwner, "(egBrain) -> egPhysicalSceneObject\nThe owning object.") \
  X(egBrain_GetOwnerChar, "(egBrain) -> egCharacter\nThe owning object as a character.") \
  X(egBrain_GetOwnerMove, \
    "(egBrain) -> egMovingSceneObject\nThe owning object as a moving object.") \
  X(egBrain_GetOwnerObj, "(egBrain) -> mkSceneObject\nThe owning object as a scene object.") \
  X(egBrain_GetFlags, "(egBrain) -> int\nThe host brain's flags word (0 for 'NULL').") \
  X(egBrain_GetController, "(egBrain) -> egGameController\nThe game controller.") \
  X(egBrain_GetBrainDll, "(egBrain) -> egBrainDll\nThe plug-in brain attached to it.")

#define KT_CONTROLLER_ROWS(X) \
  X(egGC_ResetInputStates, "(egGameController) -> None\nResets the input states.") \
  X(egGC_isCairnType, "(egGameController) -> int\nflags AND 1.") \
  X(egGC_isTesseraType, "(egGameController) -> int\nflags AND 2 (2 when set).") \
  X(egGC_GetMovementVector, \
    "(egGameController, v: mkVector3) -> None\nv receives the movement vector.") \
  X(egGC_GetAttitudeVector, \
    "(egGameController, v: mkVector3) -> None\nv receives the attitude vector.") \
  X(egGC_isActionKeyDown, "(egGameController) -> int\nWhether the key of code 13 is down.") \
  X(egGC_isJumpKeyDown, "(egGameController) -> int\nWhether the key of code 14 is down.") \
  X(egGC_isInventoryKeyDown, "(egGameController) -> int\nWhether the key of code 15 is down.") \
  X(egGC_isLightKeyDown, "(egGameController) -> int\nWhether the key of code 16 is down.") \
  X(egGC_isStabKeyDown, "(egGameController) -> int\nWhether the key of code 17 is down.") \
  X(egGC_isStrikeKeyDown, "(egGameController) -> int\nWhether the key of code 18 is down.") \
  X(egGC_isSlashKeyDown, "(egGameController) -> int\nWhether the key of code 19 is down.") \
  X(egGC_isDropKeyDown, "(egGameController) -> int\nWhether the key of code 20 is down.") \
  X(egGC_isEquipKeyDown, "(egGameController) -> int\nWhether the key of code 21 is down.") \
  X(egGC_isPutAwayKeyDown, "(egGameController) -> int\nWhether the key of code 22 is down.") \
  X(egGC_isCheatKeyDown, "(egGameController) -> int\nWhether the key of code 23 is down.") \
  X(egGC_isShiftKeyDown, "(egGameController) -> int\nWhether the key of code 24 is down.") \
  X(egGC_isAltKeyDown, "(egGameController) -> int\nWhether the key of code 25 is down.") \
  X(egGC_isControlKeyDown, "(egGameController) -> int\nWhether the key of code 26 is down.") \
  X(egGC_isMenuKeyDown, "(egGameController) -> int\nWhether the key of code 27 is down.") \
  X(egGC_isHideCursorKeyDown, "(egGameController) -> int\nWhether the key of code 28 is down.") \
  X(egGC_isScreenCapKeyDown, "(egGameController) -> int\nWhether the key of code 29 is down.") \
  X(egGC_isKeyDown, "(egGameController, code: int) -> int\nWhether the key is down.") \
  X(egGC_GetCursorKey, "(egGameController) -> mkRegistryKey\nThe cursor key.") \
  X(egGC_SetFlags, "(egGameController, flags: int) -> None\nStores the flags word.") \
  X(egGC_SetScalarInputState, \
    "(egGameController, code: int, value: float, text: str) -> None\nThe controller's " \
    "scalar input operation.") \
  X(egGC_SetMovementVector, \
    "(egGameController, v: mkVector3) -> None\nCopies v into the movement vector.") \
  X(egGC_SetAttitudeVector, \
    "(egGameController, v: mkVector3) -> None\nCopies v into the attitude vector.") \
  X(egGC_SetJumpKeyDown, \
    "(egGameController, flag: int) -> None\nScalar input 14 = 1.0 when flag is not 0, " \
    "else 0.0.") \
  X(egGC_SetCursorKey, \
    "(egGameController, key: mkRegistryKey) -> None\nStores the cursor key.")

#define KT_REGISTRY_ROWS(X) \
  X(GetSceneObjectFromKey, "(mkRegistryKey) -> mkSceneObject\nThe object the key names.") \
  X(GetMovingObjectFromKey, \
    "(mkRegistryKey) -> egMovingSceneObject\nThe same, as a moving object (no check).") \
  X(GetPhysicalObjectFromKey, \
    "(mkRegistryKey) -> egPhysicalSceneObject\nThe same, as a physical object (no check).") \
  X(GetCharacterFromKey, "(mkRegistryKey) -> egCharacter\nThe same, as a character (no check).") \
  X(GetNameFromKey, "(mkRegistryKey) -> str\nThe key's name (None for 'NULL').")
// clang-format on

#define KT_NAME(Name, Doc) constexpr char Name##_name[] = #Name;
KT_BRAIN_ROWS(KT_NAME)
KT_CONTROLLER_ROWS(KT_NAME)
KT_REGISTRY_ROWS(KT_NAME)
#undef KT_NAME

TypeTable& BrainTypes() {
  return BrainModule().types();
}
TypeTable& ControllerTypes() {
  return ControllerModule().types();
}
TypeTable& RegistryTypes() {
  return RegistryModule().types();
}

#define KT_BRAIN_DEF(Name, Doc) \
  {#Name, FastFunction(&Bind<native::Name, Name##_name, BrainTypes>), METH_FASTCALL, Doc},
#define KT_CONTROLLER_DEF(Name, Doc) \
  {#Name, FastFunction(&Bind<native::Name, Name##_name, ControllerTypes>), METH_FASTCALL, Doc},
#define KT_REGISTRY_DEF(Name, Doc) \
  {#Name, FastFunction(&Bind<native::Name, Name##_name, RegistryTypes>), METH_FASTCALL, Doc},

PyMethodDef kBrainFunctions[] = {KT_BRAIN_ROWS(KT_BRAIN_DEF){nullptr, nullptr, 0, nullptr}};
PyMethodDef kControllerFunctions[] = {
    KT_CONTROLLER_ROWS(KT_CONTROLLER_DEF){nullptr, nullptr, 0, nullptr}};
PyMethodDef kRegistryFunctions[] = {
    KT_REGISTRY_ROWS(KT_REGISTRY_DEF){nullptr, nullptr, 0, nullptr}};

}  // namespace

ScriptModule& BrainModule() {
  static ScriptModule module("egBrainc", kBrainFunctions, {}, RegisterScalarEquivalences);
  return module;
}

ScriptModule& ControllerModule() {
  static ScriptModule module("egGameControllerc", kControllerFunctions, {},
                             RegisterScalarEquivalences);
  return module;
}

ScriptModule& RegistryModule() {
  static ScriptModule module("mkRegistryc", kRegistryFunctions, {},
                             RegisterPlainScalarEquivalences);
  return module;
}

}  // namespace script
