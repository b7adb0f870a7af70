// The shovel vehicle brain: the machine waits between rides, the driver
// stands while the camera drives or observes.
#include <cstring>

#include "grove/grove.h"

namespace {

constexpr const char* kShovelWait = "ShovelRoot..shovel_wait";
constexpr int32_t kFlagRiding = 2, kFlagBoarding = 4, kFlagOneShot = 8;

}  // namespace

int32_t ShovelVehicleBrain::GetType() {
  return 302;
}
const char* ShovelVehicleBrain::GetName() {
  return "ShovelVehicle";
}

int32_t ShovelVehicleBrain::PreUpdate(float time) {
  egSceneApi* api = fSceneApi;
  egPlayerVehicleBrain* vehicle = Vehicle();
  mkSceneObject* owner = fBrain->GetOwnerObj();
  mkGBehavior* behavior = api->GetBehavior(owner);
  if (behavior != nullptr && api->BehGetPlaying(behavior, time, 1) == 0 &&
      (vehicle->GetVehicleFlags() & kFlagBoarding) != 0) {
    egCharacter* character = fBrain->GetOwnerChar();
    if (character != nullptr && PlayAnimation(api, character, kShovelWait) &&
        character == vehicle->GetDriver()) {
      api->SetPlayingOneShot(character, 0);
      vehicle->SetVehicleFlags(vehicle->GetVehicleFlags() & ~kFlagOneShot);
    }
    mkSceneObject* machine = vehicle->GetVehicle();
    if (api->GetRoot(owner) != machine) api->AttachObject(machine, owner, 1, 1, 0);
    vehicle->SetVehicleFlags(vehicle->GetVehicleFlags() & ~(kFlagRiding | kFlagBoarding));
  }
  egCharacter* driver = vehicle->GetDriver();
  if (driver != nullptr && api->GetPlayingOneShot(driver) != 0 &&
      api->GetAnimating(vehicle->GetVehicle()) == 0)
    api->SetPlayingOneShot(driver, 0);
  return PassOn()->PreUpdate(time);
}

int32_t ShovelVehicleBrain::Update(float time) {
  PassOn()->Update(time);
  egSceneApi* api = fSceneApi;
  egPlayerVehicleBrain* vehicle = Vehicle();
  mkSceneObject* machine = vehicle->GetVehicle();
  mkGBehavior* machineBehavior = machine != nullptr ? api->GetBehavior(machine) : nullptr;
  if (machineBehavior != nullptr) {
    // The behaviour's name, cut to the text's size.
    char text[kTextLimit] = {};
    mkRegistryKey* key = api->BehGetKey(machineBehavior);
    const char* keyName = key != nullptr ? api->KeyGetName(key) : nullptr;
    const char* name = keyName != nullptr ? api->GetBehNameFromRegName(keyName, text) : nullptr;
    if (name != nullptr && name != text) {
      const size_t length = std::strlen(name);
      const size_t kept = length < size_t(kTextLimit - 1) ? length : size_t(kTextLimit - 1);
      std::memcpy(text, name, kept);
      text[kept] = '\0';
    }
    api->WindowString(text, 310, 70, 0.0f, 3);
  }
  egCharacter* driver = vehicle->GetDriver();
  if (driver != nullptr && api->GetPlayingOneShot(driver) != 0) return 1;

  const int32_t mode = api->CamGetMode(api->GetCamera());
  if (api->CamIsDriveMode(mode) == 0 && api->CamIsObserverMode(mode) == 0) {
    const int32_t flags = vehicle->GetVehicleFlags();
    if (api->GetBehavior(fBrain->GetOwnerObj()) != nullptr &&
        (flags & (kFlagRiding | kFlagBoarding)) != 0)
      return 1;
    vehicle->SetVehicleFlags(flags & ~(kFlagRiding | kFlagBoarding));
    return 1;
  }
  if (driver != nullptr && PlayAnimation(api, driver, "idle") && driver == vehicle->GetDriver()) {
    api->SetPlayingOneShot(driver, 0);
    vehicle->SetVehicleFlags(vehicle->GetVehicleFlags() & ~kFlagOneShot);
  }
  vehicle->SetWaitState(api->GetSecs(), kShovelWait);
  return 1;
}
