// Objects related by name. Scene objects of one kind are numbered: a room
// prefix ending in "..", a kind name and a two-digit number, as in
// Cove..Lamp01. These commands reach an object's relatives by building
// their names from the base object's name, and bind a scene variable to
// what they find.
//
// Names are built in buffers of kNameLimit bytes: base names of 3 to 99
// characters are checked first, with the messages that scripts know; a
// built name longer than 99 characters is refused with a warning, and
// nothing is bound or run.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "kiln/commands.h"
#include "kit/plugin/command.h"

namespace {

// The room prefix (with its "..") must begin at an offset below this.
constexpr size_t kRoomSeparatorLimit = 39;

// Lettered relatives run from a to z.
constexpr int32_t kLetters = 26;

bool gPickRandomRelatedSeeded = false;

// The base object's name, after the checks that every command of this file
// makes; empty (after a warning) when a check fails. `command` names the
// command in the length messages.
std::string_view BaseName(egSceneApi* api, const char* objectName, const char* command,
                          const char* owner) {
  mkSceneObject* object = api->GetSceneObjectByID(objectName);
  if (object == nullptr) {
    ktWarn(api, "%s: base object %s not found", owner, objectName);
    return {};
  }
  const char* id = api->GetID(object);
  const std::string_view name = id != nullptr ? id : "";
  if (name.size() <= 2) {
    ktWarn(api, "%s: base object name needs to have at least three characters (NAMExx)", command);
    return {};
  }
  if (name.size() >= kNameLimit) {
    ktWarn(api, "%s: base object name is too big!", command);
    return {};
  }
  return name;
}

// The room prefix of `name` with its "..", or empty after the warning
// `format` when there is none below the offset limit.
std::string_view RoomPrefix(egSceneApi* api, std::string_view name, const char* format) {
  const size_t at = name.find("..");
  if (at == std::string_view::npos || at >= kRoomSeparatorLimit) {
    ktWarn(api, format, std::string(name).c_str());
    return {};
  }
  return name.substr(0, at + 2);
}

void WarnTooLong(egSceneApi* api, const char* command,
                 std::initializer_list<std::string_view> parts) {
  std::string name;
  for (std::string_view part : parts) name += part;
  ktWarn(api, "%s: related name longer than %d characters: %.40s...", command, int(kNameLimit - 1),
         name.c_str());
}

// The number k in the "%02d" form of numbered names.
struct Number {
  explicit Number(int32_t k) { std::snprintf(text, sizeof text, "%02d", k); }
  char text[16];
};

}  // namespace

int32_t FindRelatedObjCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                               egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  const std::string_view name = BaseName(api, argv[0], "PickRandomRelatedObject", "FindRelatedObj");
  if (name.empty()) return 1;
  const std::string_view room =
      RoomPrefix(api, name, "FindRelatedObj: Can't find room or name too big; in %s");
  if (room.empty()) return 1;
  const std::string_view number = name.substr(name.size() - 2);
  char related[kNameLimit];
  if (!KilnJoinName(related, {room, argv[2], number})) {
    WarnTooLong(api, "FindRelatedObj", {room, argv[2], number});
    return 1;
  }
  mkRegistryKey* key = api->GetObjKeyByID(argv[1]);
  mkSceneObject* object = api->GetSceneObjectByID(related);
  api->VarSetTo(key, object);
  ktLog(api, "FindRelatedObj: Found related object %s", related);
  return 1;
}

int32_t LoopRelatedObjsCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                                egTrigDetector* detector) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  const std::string_view name =
      BaseName(api, argv[0], "PickRandomRelatedObject", "LoopRelatedObjs");
  if (name.empty()) return 1;
  const std::string_view room =
      RoomPrefix(api, name, "LoopRelatedObj: Can't find room or name too big; in %s");
  if (room.empty()) return 1;
  const char digit = name[name.size() - 3];
  const int32_t count = int32_t(static_cast<unsigned char>(digit)) - '0';
  if (count < 1 || count > 9)
    ktWarn(api, "LoopRelatedObjs: WARNING: number of relatives in object not 1-9 (its %c)", digit);
  egTrigActor* actor = api->GetTrigActorByID(argv[3]);
  if (actor == nullptr) {
    ktWarn(api, "LoopRelatedObj: Can't find %s Actor to execute", argv[3]);
    return 1;
  }
  const std::string_view number = name.substr(name.size() - 2);
  char related[kNameLimit] = "";
  // The relatives are lettered a to z: a count past 26 (a byte above '9'
  // before the number) runs out of letters.
  const int32_t lettered = count < kLetters ? count : kLetters;
  for (int32_t i = 0; i < lettered; ++i) {
    const char letter[2] = {char('a' + i), '\0'};
    if (!KilnJoinName(related, {room, argv[2], number, letter})) {
      WarnTooLong(api, "LoopRelatedObjs", {room, argv[2], number, letter});
      return 1;
    }
    mkSceneObject* object = api->GetSceneObjectByID(related);
    if (object != nullptr) {
      api->VarSetTo(api->GetObjKeyByID(argv[1]), object);
      api->ExecActor(actor, detector, 1, -1);
    } else {
      ktWarn(api, "LoopRelatedObj: Can't find related %s object", related);
    }
  }
  ktLog(api, "LoopRelatedObj: %s with %d relations", related, count);
  return 1;
}

int32_t PickRandomRelatedObjectCmd::Run(int32_t argc, const char** argv, egActorInstance*,
                                        egTrigActor*, egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  if (!gPickRandomRelatedSeeded) {
    std::srand(unsigned(std::time(nullptr)));
    gPickRandomRelatedSeeded = true;
  }
  const std::string_view name =
      BaseName(api, argv[1], "PickRandomRelatedObject", "PickRandomRelatedObject");
  if (name.empty()) return 1;
  const int32_t low = ktAtoi(std::string(name.substr(name.size() - 2)).c_str());
  const int32_t high = ktAtoi(argv[2]);
  if (high < 1) return 1;
  // A maximum below the base number leaves an empty range: nothing to
  // pick, and no divisor.
  const int64_t range = int64_t(high) - low + 1;
  if (range <= 0) {
    ktWarn(api, "PickRandomRelatedObject: max_number %d leaves nothing to pick from %s", high,
           std::string(name).c_str());
    return 1;
  }
  const int32_t k = int32_t(low + std::rand() % range);
  const std::string_view stem = name.substr(0, name.size() - 2);
  const Number number(k);
  char picked[kNameLimit];
  if (!KilnJoinName(picked, {stem, number.text})) {
    WarnTooLong(api, "PickRandomRelatedObject", {stem, number.text});
    return 1;
  }
  mkSceneObject* object = api->GetSceneObjectByID(picked);
  if (object != nullptr) {
    ktLog(api, "PickRandomRelatedObject: %s is the random object picked", picked);
  } else {
    ktWarn(api, "PickRandomRelatedObject: %s does not exist for some reason", picked);
  }
  api->VarSetTo(api->GetObjKeyByID(argv[0]), object);
  return 1;
}

int32_t NextIdleRelatedObjectCmd::Run(int32_t argc, const char** argv, egActorInstance*,
                                      egTrigActor*, egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  const std::string_view name =
      BaseName(api, argv[1], "NextIdleRelatedObject", "NextIdleRelatedObject");
  if (name.empty()) return 1;
  const int32_t low = ktAtoi(std::string(name.substr(name.size() - 2)).c_str());
  const int32_t high = ktAtoi(argv[2]);
  mkRegistryKey* key = api->GetObjKeyByID(argv[0]);
  api->VarSetTo(key, nullptr);
  if (high >= 1 && high >= low) {
    const std::string_view stem = name.substr(0, name.size() - 2);
    for (int32_t k = low; k <= high; ++k) {
      const Number number(k);
      char candidate[kNameLimit];
      if (!KilnJoinName(candidate, {stem, number.text})) {
        WarnTooLong(api, "NextIdleRelatedObject", {stem, number.text});
        break;
      }
      mkSceneObject* object = api->GetSceneObjectByID(candidate);
      if (object == nullptr) {
        ktWarn(api, "NextIdleRelatedObject: %s object not found", candidate);
        continue;
      }
      mkGBehavior* behavior = api->GetBehaviorFromName(object, "");
      if (behavior == nullptr) {
        ktWarn(api, "NextIdleRelatedObject: %s behavior not found?", candidate);
        continue;
      }
      if (api->BehGetPlaying(behavior, api->GetSecs(), 1) == 0) {
        api->VarSetTo(key, object);
        ktLog(api, "NextIdleRelatedObject: %s object was found to be idle", candidate);
        break;
      }
      if (k == INT32_MAX) break;
    }
  }
  if (argc == 4 && api->EventFind(argv[3]) != 0) return 0;
  return 1;
}
