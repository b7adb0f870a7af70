// Object flags and variables: a flag (record 1001) and an integer (record
// 1002) that scene scripts attach to any scene object, and the commands that
// set them and branch on them.
//
// Only SetObjFlag checks that its object exists. The others use the lookup's
// result as it is: every name that names no object shares the records of the
// null object, which scenes may rely on.
#include <cstdio>
#include <cstring>

#include "kiln/commands.h"
#include "kit/plugin/command.h"

namespace {

// The actor name of TransObjVar is built in a buffer of this size; a longer
// name is refused.
constexpr size_t kActorNameLimit = kNameLimit;

// Applies "=", "+" or "-" with 32-bit wrap-around; false (and the value
// unchanged) for any other operator.
bool ApplyOperator(const char* op, int32_t number, int32_t* value) {
  const uint32_t v = uint32_t(*value), n = uint32_t(number);
  if (std::strcmp(op, "=") == 0) {
    *value = number;
  } else if (std::strcmp(op, "+") == 0) {
    *value = int32_t(v + n);
  } else if (std::strcmp(op, "-") == 0) {
    *value = int32_t(v - n);
  } else {
    return false;
  }
  return true;
}

// The digit text of a transition: "9" for values above 9.
void TransitionDigits(int32_t value, char* text, size_t size) {
  std::snprintf(text, size, "%d", value > 9 ? 9 : value);
}

}  // namespace

int32_t SetObjFlagCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                           egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object =
      ktFindObjectOrWarn(api, argv[0], "SetObjFlag: Can't find object to set flag on");
  if (object == nullptr) return 1;
  int32_t scratch;
  int32_t* flag = ktIntRecord(api, object, kObjectFlagRecord, &scratch);
  const char* what = argv[1];
  if (std::strcmp(what, "true") == 0) {
    *flag = 1;
  } else if (std::strcmp(what, "false") == 0) {
    *flag = 0;
  } else if (std::strcmp(what, "toggle") == 0) {
    *flag = *flag == 0 ? 1 : 0;
  } else {
    ktWarn(api, "SetObjFlag: Unrecognized setting: %s", what);
  }
  ktLog(api, "SetObjFlag: %s was set to %s", api->GetID(object), *flag != 0 ? "true" : "false");
  return 1;
}

int32_t IfObjFlagCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                          egTrigDetector* detector) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = api->GetSceneObjectByID(argv[0]);
  int32_t scratch;
  const int32_t flag = *ktIntRecord(api, object, kObjectFlagRecord, &scratch);
  ktRunActorByName(api, flag != 0 ? argv[1] : argv[2], detector,
                   {"IfObjFlag: nothing to execute", "IfObjFlag: %s Actor was not found"});
  return 1;
}

int32_t SetObjVarCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                          egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = api->GetSceneObjectByID(argv[0]);
  int32_t scratch;
  int32_t* variable = ktIntRecord(api, object, kObjectVariableRecord, &scratch);
  if (!ApplyOperator(argv[1], ktAtoi(argv[2]), variable))
    ktWarn(api, "SetObjVar: Unrecognized operator: %s", argv[1]);
  ktLog(api, "SetObjVar: %s is set to %d", api->GetID(object), *variable);
  return 1;
}

int32_t IfObjVarCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                         egTrigDetector* detector) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = api->GetSceneObjectByID(argv[0]);
  int32_t scratch;
  const int32_t variable = *ktIntRecord(api, object, kObjectVariableRecord, &scratch);
  const int32_t number = ktAtoi(argv[1]);
  const char* name = variable < number ? argv[2] : variable == number ? argv[3] : argv[4];
  ktRunActorByName(api, name, detector,
                   {"IfObjvar: nothing to execute", "IfObjVar: %s Actor was not found"});
  return 1;
}

int32_t CaseObjVarCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                           egTrigDetector* detector) {
  egSceneApi* api = fSceneApi;
  // Without an actor there is nothing to choose from.
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = api->GetSceneObjectByID(argv[0]);
  int32_t scratch;
  const int32_t variable = *ktIntRecord(api, object, kObjectVariableRecord, &scratch);
  const int32_t last = argc - 2;
  const int32_t choice = variable < 0 ? 0 : variable > last ? last : variable;
  ktRunActorByName(api, argv[1 + choice], detector,
                   {"CaseObjVar: nothing to execute", "CaseObjVar: %s Actor was not found"});
  return 1;
}

int32_t TransObjVarCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                            egTrigDetector* detector) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = api->GetSceneObjectByID(argv[0]);
  int32_t scratch;
  int32_t* variable = ktIntRecord(api, object, kObjectVariableRecord, &scratch);
  const int32_t old = *variable;
  if (!ApplyOperator(argv[1], ktAtoi(argv[2]), variable))
    ktWarn(api, "TransObjVar: Unrecognized operator: %s", argv[1]);
  // The maximum is tested first: above Max means Max even when Max is
  // negative; only a value not above Max is raised to 0.
  const int32_t max = ktAtoi(argv[3]);
  if (*variable > max) {
    *variable = max;
  } else if (*variable < 0) {
    *variable = 0;
  }
  ktLog(api, "TransObjVar: %s is set to %d", api->GetID(object), *variable);

  char from[16], to[16];
  TransitionDigits(old, from, sizeof from);
  TransitionDigits(*variable, to, sizeof to);
  const char* base = argv[4];
  const size_t baseLength = std::strlen(base), fromLength = std::strlen(from);
  const size_t length = baseLength + fromLength + std::strlen(to);
  if (length >= kActorNameLimit) {
    ktWarn(api, "TransObjVar: actor name longer than %d characters: %.40s...",
           int(kActorNameLimit - 1), base);
    return 1;
  }
  char name[kActorNameLimit];
  std::memcpy(name, base, baseLength);
  std::memcpy(name + baseLength, from, fromLength);
  std::memcpy(name + baseLength + fromLength, to, std::strlen(to) + 1);
  ktRunActorByName(api, name, detector, {nullptr, "TransObjVar: %s Actor was not found"});
  return 1;
}
