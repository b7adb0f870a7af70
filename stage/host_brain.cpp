#include "stage/host_brain.h"

#include "stage/model.h"

namespace stage {

void HostBrain::Note(const char* name) {
  std::string text = model->Label(owner) + ".brain." + name;
  CallTrace::Line line(model->trace(), text.c_str());
  line.Finish(pluginCall ? "" : "[without SetPluginCall]");
  pluginCall = 0;
}

egPhysicalSceneObject* HostBrain::GetOwner() {
  return Model::ToHandle<egPhysicalSceneObject>(owner);
}
egCharacter* HostBrain::GetOwnerChar() {
  return owner->character ? Model::ToHandle<egCharacter>(owner) : nullptr;
}
egMovingSceneObject* HostBrain::GetOwnerMove() {
  return Model::ToHandle<egMovingSceneObject>(owner);
}
mkSceneObject* HostBrain::GetOwnerObj() {
  return Model::ToHandle<mkSceneObject>(owner);
}
int32_t HostBrain::GetFlags() {
  return 0;
}
egGameController* HostBrain::GetController() {
  return &model->controller();
}
egBrainDll* HostBrain::GetBrainDll() {
  return plugin;
}
void HostBrain::SetPluginCall(int32_t value) {
  pluginCall = value;
}
int32_t HostBrain::Update(float) {
  return Note("Update"), 0;
}
int32_t HostBrain::PreUpdate(float) {
  return Note("PreUpdate"), 0;
}
int32_t HostBrain::Reset() {
  return Note("Reset"), 0;
}
int32_t HostBrain::SendParams(int32_t, const char**) {
  return Note("SendParams"), 0;
}
int32_t HostBrain::PrepareToDetach() {
  return Note("PrepareToDetach"), 0;
}
int32_t HostBrain::PrepareToAttach(int32_t) {
  return Note("PrepareToAttach"), 0;
}
int32_t HostBrain::CanCollideWith(mkSceneObject*) {
  return Note("CanCollideWith"), 1;
}
int32_t HostBrain::ReportCollision(mkSceneObject*, mkSceneObject*) {
  return Note("ReportCollision"), 0;
}
int32_t HostBrain::WantGravity() {
  return Note("WantGravity"), 1;
}
int32_t HostBrain::StartBehavior(float, mkGBehavior*) {
  return Note("StartBehavior"), 0;
}
void HostBrain::PersonaChanged() {
  Note("PersonaChanged");
}
void HostBrain::SetFalling() {
  Note("SetFalling");
}
void HostBrain::UpdateGoals() {
  Note("UpdateGoals");
}
mkVector3* HostBrain::AdjustVectorA(mkVector3* result, const mkVector3& v) {
  Note("AdjustVectorA");
  *result = v;
  return result;
}
mkVector3* HostBrain::AdjustVectorB(mkVector3* result, const mkVector3& v) {
  Note("AdjustVectorB");
  *result = v;
  return result;
}
mkVector3* HostBrain::AdjustVectorC(mkVector3* result, const mkVector3& v) {
  Note("AdjustVectorC");
  *result = v;
  return result;
}
int32_t HostBrain::ApplyValue(int32_t) {
  return Note("ApplyValue"), 0;
}
void HostBrain::GetIn() {
  Note("GetIn");
}
void HostBrain::WriteState(mkStream*) {
  Note("WriteState");
}
egCamera* HostBrain::GetBrainCamera() {
  return owner->camera ? Model::ToHandle<egCamera>(owner) : nullptr;
}
void HostBrain::HostPrepareHook() {
  CallTrace::Line(model->trace(), (model->Label(owner) + ".brain.HostPrepareHook").c_str())
      .Finish();
}
void HostBrain::ReadState(mkStream*) {
  Note("ReadState");
}

int32_t HostBrain::GetVehicleFlags() {
  CallTrace::Line line(model->trace(), (model->Label(owner) + ".brain.GetVehicleFlags").c_str());
  line.Result(vehicleFlags);
  return vehicleFlags;
}
void HostBrain::SetVehicleFlags(int32_t flags) {
  CallTrace::Line line(model->trace(), (model->Label(owner) + ".brain.SetVehicleFlags").c_str());
  line.Arg(flags);
  line.Finish();
  vehicleFlags = flags;
}
mkSceneObject* HostBrain::GetVehicle() {
  return Model::ToHandle<mkSceneObject>(vehicle);
}
egCharacter* HostBrain::GetDriver() {
  return Model::ToHandle<egCharacter>(driver);
}
void HostBrain::SetWaitState(float time, const char* animation) {
  CallTrace::Line line(model->trace(), (model->Label(owner) + ".brain.SetWaitState").c_str());
  line.Arg(time);
  line.Arg(animation);
  line.Finish();
}

}  // namespace stage
