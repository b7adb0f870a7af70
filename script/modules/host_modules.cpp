// egBrainc, egGameControllerc and mkRegistryc: from a plug-in brain to its
// scene interface, host brain and owner; the host's game controller; and
// from a registry key to the object or name that it stands for. Every
// function is one field access or one host operation between the
// conversions of the module conventions, and tests its object for null
// first (giving "NULL", 0, None or nothing). Host objects are not tracked:
// only their type strings are checked.
#include <cstring>

#include "kit/plugin/plugin.h"
#include "script/modules/functions.h"
#include "script/modules/modules.h"
#include "script/text.h"

namespace script {

SCRIPT_TYPE(egBrainDll, "egBrainDll")
SCRIPT_TYPE(egBrain, "egBrain")
SCRIPT_TYPE(egGameController, "egGameController")

namespace {

#define FN(Name) PyObject* Name(PyObject*, PyObject* args)
#define DEF(Name, Doc) \
  { #Name, Name, METH_VARARGS, Doc }

// One host object of type T as the only argument; "NULL" gives null.
template <class T>
bool Host(ScriptModule& module, PyObject* args, const char* format, const char* name, T*& out) {
  const char* text = nullptr;
  if (!ParseArgs(args, format, &text)) return false;
  return Arguments(module.types(), name).GetOrNull(1, text, out);
}

// --- egBrainc ------------------------------------------------------------------------

#define BRAIN_DLL_FN(Name, Expression, Type)                                           \
  FN(egBrainDll_##Name) {                                                              \
    egBrainDll* brain;                                                                 \
    if (!Host(BrainModule(), args, "s:egBrainDll_" #Name, "egBrainDll_" #Name, brain)) \
      return nullptr;                                                                  \
    return PointerResult(brain != nullptr ? (Expression) : nullptr, "_" Type "_p");    \
  }
BRAIN_DLL_FN(GetSceneApi, static_cast<void*>(brain->fSceneApi), "egSceneApi")
BRAIN_DLL_FN(GetBrain, static_cast<void*>(brain->fBrain), "egBrain")
BRAIN_DLL_FN(GetCharBrain, static_cast<void*>(brain->fBrain), "egCharacterBrain")
BRAIN_DLL_FN(GetCamBrain, static_cast<void*>(brain->fBrain), "egCameraBrain")
BRAIN_DLL_FN(GetVehBrain, static_cast<void*>(brain->fBrain), "egPlayerVehicleBrain")

#define HOST_BRAIN_FN(Name, Type)                                                                \
  FN(egBrain_##Name) {                                                                           \
    egBrain* brain;                                                                              \
    if (!Host(BrainModule(), args, "s:egBrain_" #Name, "egBrain_" #Name, brain)) return nullptr; \
    return PointerResult(brain != nullptr ? static_cast<void*>(brain->Name()) : nullptr,         \
                         "_" Type "_p");                                                         \
  }
HOST_BRAIN_FN(GetOwner, "egPhysicalSceneObject")
HOST_BRAIN_FN(GetOwnerChar, "egCharacter")
HOST_BRAIN_FN(GetOwnerMove, "egMovingSceneObject")
HOST_BRAIN_FN(GetOwnerObj, "mkSceneObject")
HOST_BRAIN_FN(GetController, "egGameController")
HOST_BRAIN_FN(GetBrainDll, "egBrainDll")
FN(egBrain_GetFlags) {
  egBrain* brain;
  if (!Host(BrainModule(), args, "s:egBrain_GetFlags", "egBrain_GetFlags", brain)) return nullptr;
  return PyLong_FromLong(brain != nullptr ? brain->GetFlags() : 0);
}

PyMethodDef kBrainFunctions[] = {
    DEF(egBrainDll_GetSceneApi, "(egBrainDll) -> egSceneApi\nThe brain's scene interface."),
    DEF(egBrainDll_GetBrain, "(egBrainDll) -> egBrain\nThe host brain it is attached to."),
    DEF(egBrainDll_GetCharBrain,
        "(egBrainDll) -> egCharacterBrain\nThe host brain, typed as a character brain (no "
        "check of its kind)."),
    DEF(egBrainDll_GetCamBrain,
        "(egBrainDll) -> egCameraBrain\nThe host brain, typed as a camera brain (no check)."),
    DEF(egBrainDll_GetVehBrain,
        "(egBrainDll) -> egPlayerVehicleBrain\nThe host brain, typed as a vehicle brain (no "
        "check)."),
    DEF(egBrain_GetOwner, "(egBrain) -> egPhysicalSceneObject\nThe owning object."),
    DEF(egBrain_GetOwnerChar, "(egBrain) -> egCharacter\nThe owning object as a character."),
    DEF(egBrain_GetOwnerMove,
        "(egBrain) -> egMovingSceneObject\nThe owning object as a moving object."),
    DEF(egBrain_GetOwnerObj, "(egBrain) -> mkSceneObject\nThe owning object as a scene object."),
    DEF(egBrain_GetFlags, "(egBrain) -> int\nThe host brain's flags word (0 for 'NULL')."),
    DEF(egBrain_GetController, "(egBrain) -> egGameController\nThe game controller."),
    DEF(egBrain_GetBrainDll, "(egBrain) -> egBrainDll\nThe plug-in brain attached to it."),
    {nullptr, nullptr, 0, nullptr},
};

// --- egGameControllerc ------------------------------------------------------------------

// The controller and, for formats with a second code, one more value.
bool Controller(PyObject* args, const char* format, const char* name, egGameController*& out) {
  return Host(ControllerModule(), args, format, name, out);
}

#define KEY_FN(Name, Code)                                                            \
  FN(egGC_is##Name##KeyDown) {                                                        \
    egGameController* c;                                                              \
    if (!Controller(args, "s:egGC_is" #Name "KeyDown", "egGC_is" #Name "KeyDown", c)) \
      return nullptr;                                                                 \
    return PyLong_FromLong(c != nullptr ? c->isKeyDown(Code) : 0);                    \
  }
// The fixed key queries and their key codes.
// clang-format off
#define KT_KEYS(X) \
  X(Action, 13) X(Jump, 14) X(Inventory, 15) X(Light, 16) X(Stab, 17) X(Strike, 18) \
  X(Slash, 19) X(Drop, 20) X(Equip, 21) X(PutAway, 22) X(Cheat, 23) X(Shift, 24) X(Alt, 25) \
  X(Control, 26) X(Menu, 27) X(HideCursor, 28) X(ScreenCap, 29)
// clang-format on
KT_KEYS(KEY_FN)

FN(egGC_ResetInputStates) {
  egGameController* c;
  if (!Controller(args, "s:egGC_ResetInputStates", "egGC_ResetInputStates", c)) return nullptr;
  if (c != nullptr) c->ResetInputStates();
  Py_RETURN_NONE;
}
FN(egGC_isCairnType) {
  egGameController* c;
  if (!Controller(args, "s:egGC_isCairnType", "egGC_isCairnType", c)) return nullptr;
  return PyLong_FromLong(c != nullptr ? (c->fFlags & 1) : 0);
}
FN(egGC_isTesseraType) {
  egGameController* c;
  if (!Controller(args, "s:egGC_isTesseraType", "egGC_isTesseraType", c)) return nullptr;
  return PyLong_FromLong(c != nullptr ? (c->fFlags & 2) : 0);
}
FN(egGC_isKeyDown) {
  const char* s;
  long code;
  if (!ParseArgs(args, "sl:egGC_isKeyDown", &s, &code)) return nullptr;
  egGameController* c;
  if (!Arguments(ControllerModule().types(), "egGC_isKeyDown").GetOrNull(1, s, c)) return nullptr;
  return PyLong_FromLong(c != nullptr ? c->isKeyDown(int32_t(code)) : 0);
}
FN(egGC_GetCursorKey) {
  egGameController* c;
  if (!Controller(args, "s:egGC_GetCursorKey", "egGC_GetCursorKey", c)) return nullptr;
  return PointerResult(c != nullptr ? c->fCursorKey : nullptr, "_mkRegistryKey_p");
}
FN(egGC_SetFlags) {
  const char* s;
  long flags;
  if (!ParseArgs(args, "sl:egGC_SetFlags", &s, &flags)) return nullptr;
  egGameController* c;
  if (!Arguments(ControllerModule().types(), "egGC_SetFlags").GetOrNull(1, s, c)) return nullptr;
  if (c != nullptr) c->fFlags = int32_t(flags);
  Py_RETURN_NONE;
}
FN(egGC_SetScalarInputState) {
  const char *s, *text;
  long code;
  float value;
  if (!ParseArgs(args, "slfs:egGC_SetScalarInputState", &s, &code, &value, &text)) return nullptr;
  egGameController* c;
  if (!Arguments(ControllerModule().types(), "egGC_SetScalarInputState").GetOrNull(1, s, c))
    return nullptr;
  if (c != nullptr) c->SetScalarInputState(int32_t(code), value, text);
  Py_RETURN_NONE;
}
FN(egGC_SetJumpKeyDown) {
  const char* s;
  long flag;
  if (!ParseArgs(args, "sl:egGC_SetJumpKeyDown", &s, &flag)) return nullptr;
  egGameController* c;
  if (!Arguments(ControllerModule().types(), "egGC_SetJumpKeyDown").GetOrNull(1, s, c))
    return nullptr;
  if (c != nullptr) c->SetScalarInputState(14, flag != 0 ? 1.0f : 0.0f, nullptr);
  Py_RETURN_NONE;
}
FN(egGC_SetCursorKey) {
  const char *s, *t;
  if (!ParseArgs(args, "ss:egGC_SetCursorKey", &s, &t)) return nullptr;
  egGameController* c;
  mkRegistryKey* key;
  Arguments a(ControllerModule().types(), "egGC_SetCursorKey");
  if (!a.GetOrNull(1, s, c) || !a.GetOrNull(2, t, key)) return nullptr;
  if (c != nullptr) c->fCursorKey = key;
  Py_RETURN_NONE;
}

// The movement and attitude vectors, copied to or from a script's mkVector3.
#define VECTOR_FNS(Name, Field)                                                 \
  FN(egGC_Get##Name##Vector) {                                                  \
    const char *s, *t;                                                          \
    if (!ParseArgs(args, "ss:egGC_Get" #Name "Vector", &s, &t)) return nullptr; \
    egGameController* c;                                                        \
    mkVector3* v;                                                               \
    Arguments a(ControllerModule().types(), "egGC_Get" #Name "Vector");         \
    if (!a.GetOrNull(1, s, c) || !a.Get(2, t, v)) return nullptr;               \
    if (c != nullptr) *v = c->Field;                                            \
    Py_RETURN_NONE;                                                             \
  }                                                                             \
  FN(egGC_Set##Name##Vector) {                                                  \
    const char *s, *t;                                                          \
    if (!ParseArgs(args, "ss:egGC_Set" #Name "Vector", &s, &t)) return nullptr; \
    egGameController* c;                                                        \
    mkVector3* v;                                                               \
    Arguments a(ControllerModule().types(), "egGC_Set" #Name "Vector");         \
    if (!a.GetOrNull(1, s, c) || !a.Get(2, t, v)) return nullptr;               \
    if (c != nullptr) c->Field = *v;                                            \
    Py_RETURN_NONE;                                                             \
  }
VECTOR_FNS(Movement, fMovement)
VECTOR_FNS(Attitude, fAttitude)

#define KEY_DEF(Name, Code)   \
  DEF(egGC_is##Name##KeyDown, \
      "(egGameController) -> int\nWhether the key of code " #Code " is down."),

PyMethodDef kControllerFunctions[] = {
    DEF(egGC_ResetInputStates, "(egGameController) -> None\nResets the input states."),
    DEF(egGC_isCairnType, "(egGameController) -> int\nflags AND 1."),
    DEF(egGC_isTesseraType, "(egGameController) -> int\nflags AND 2 (2 when set)."),
    DEF(egGC_GetMovementVector,
        "(egGameController, v: mkVector3) -> None\nv receives the movement vector."),
    DEF(egGC_GetAttitudeVector,
        "(egGameController, v: mkVector3) -> None\nv receives the attitude vector."),
    KT_KEYS(KEY_DEF)
        DEF(egGC_isKeyDown, "(egGameController, code: int) -> int\nWhether the key is down."),
    DEF(egGC_GetCursorKey, "(egGameController) -> mkRegistryKey\nThe cursor key."),
    DEF(egGC_SetFlags, "(egGameController, flags: int) -> None\nStores the flags word."),
    DEF(egGC_SetScalarInputState,
        "(egGameController, code: int, value: float, text: str) -> None\nThe controller's "
        "scalar input operation."),
    DEF(egGC_SetMovementVector,
        "(egGameController, v: mkVector3) -> None\nCopies v into the movement vector."),
    DEF(egGC_SetAttitudeVector,
        "(egGameController, v: mkVector3) -> None\nCopies v into the attitude vector."),
    DEF(egGC_SetJumpKeyDown,
        "(egGameController, flag: int) -> None\nScalar input 14 = 1.0 when flag is not 0, "
        "else 0.0."),
    DEF(egGC_SetCursorKey,
        "(egGameController, key: mkRegistryKey) -> None\nStores the cursor "
        "key."),
    {nullptr, nullptr, 0, nullptr},
};

// --- mkRegistryc ---------------------------------------------------------------------

#define KEY_OBJECT_FN(Name, Type)                                                 \
  FN(Name) {                                                                      \
    mkRegistryKey* key;                                                           \
    if (!Host(RegistryModule(), args, "s:" #Name, #Name, key)) return nullptr;    \
    return PointerResult(key != nullptr ? key->fObject : nullptr, "_" Type "_p"); \
  }
KEY_OBJECT_FN(GetSceneObjectFromKey, "mkSceneObject")
KEY_OBJECT_FN(GetMovingObjectFromKey, "egMovingSceneObject")
KEY_OBJECT_FN(GetPhysicalObjectFromKey, "egPhysicalSceneObject")
KEY_OBJECT_FN(GetCharacterFromKey, "egCharacter")
FN(GetNameFromKey) {
  mkRegistryKey* key;
  if (!Host(RegistryModule(), args, "s:GetNameFromKey", "GetNameFromKey", key)) return nullptr;
  if (key == nullptr || key->fName == nullptr) Py_RETURN_NONE;
  return HostTextToPython(key->fName);
}

PyMethodDef kRegistryFunctions[] = {
    DEF(GetSceneObjectFromKey, "(mkRegistryKey) -> mkSceneObject\nThe object the key names."),
    DEF(GetMovingObjectFromKey,
        "(mkRegistryKey) -> egMovingSceneObject\nThe same, as a moving object (no check)."),
    DEF(GetPhysicalObjectFromKey,
        "(mkRegistryKey) -> egPhysicalSceneObject\nThe same, as a physical object (no check)."),
    DEF(GetCharacterFromKey,
        "(mkRegistryKey) -> egCharacter\nThe same, as a character (no check)."),
    DEF(GetNameFromKey, "(mkRegistryKey) -> str\nThe key's name (None for 'NULL')."),
    {nullptr, nullptr, 0, nullptr},
};

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
