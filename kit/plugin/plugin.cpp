#include "kit/plugin/plugin.h"

#include "kit/stream/stream.h"

bool GrowableArray::Append(void* element) {
  if (fCount == kMaxCount) return false;
  if (fCount == fCapacity) {
    const uint32_t n = uint32_t(fCount) + 1;
    uint32_t capacity = n > 7 ? n + n / 2 : n;
    if (capacity > kMaxCount) capacity = kMaxCount;
    void** block = new (std::nothrow) void*[capacity];
    if (block == nullptr) return false;
    for (uint16_t i = 0; i < fCount; ++i) block[i] = fElements[i];
    delete[] fElements;
    fElements = block;
    fCapacity = uint16_t(capacity);
  }
  fElements[fCount++] = element;
  return true;
}

void GrowableArray::Clear() {
  delete[] fElements;
  fElements = nullptr;
  fCount = 0;
  fCapacity = 0;
}

void mkRefCounted::ReleaseReference() {
  if (fRefCount == 1) {
    Destroy(1);
    return;
  }
  --fRefCount;
}
void mkRefCounted::AddReference() { ++fRefCount; }
void mkRefCounted::Reserved3(int32_t) {}
void mkRefCounted::WriteState(mkStream*) {}
void mkRefCounted::Reserved5(int32_t) {}
void mkRefCounted::Reserved6(int32_t) {}
void mkRefCounted::ReadState(mkStream*) {}
void mkRefCounted::Reserved8(int32_t) {}
void mkRefCounted::Reserved9(int32_t, int32_t) {}
void* mkRefCounted::Reserved10(void* value) { return value; }
void mkRefCounted::Reserved11() {}

void mkStatefulObject::WriteState(mkStream* stream) {
  if (fStateRecord != nullptr) fStateRecord->WriteState(stream);
}
void mkStatefulObject::ReadState(mkStream* stream) {
  if (fStateRecord != nullptr) fStateRecord->ReadState(stream);
}
mkStatefulObject::~mkStatefulObject() {
  if (fStateRecord != nullptr) fStateRecord->ReleaseReference();
}

void mkKeyedObject::WriteState(mkStream* stream) {
  mkStatefulObject::WriteState(stream);
  stream->Write32(uint32_t(fStateValue));
}
void mkKeyedObject::ReadState(mkStream* stream) {
  mkStatefulObject::ReadState(stream);
  fStateValue = int32_t(stream->Read32());
}
mkKeyedObject::~mkKeyedObject() {
  if (fCurrentKey != nullptr) fCurrentKey->fObject = nullptr;
  for (uint16_t i = 0; i < fEarlierKeys.fCount; ++i) {
    auto* key = static_cast<mkRegistryKey*>(fEarlierKeys[i]);
    if (key != nullptr) key->fObject = nullptr;
  }
  fCurrentKey = nullptr;
  fEarlierKeys.Clear();
}

void egXCmd::WriteState(mkStream*) {}
void egXCmd::ReadState(mkStream*) {}
void egXCmd::SetSceneApi(egSceneApi* api) { fSceneApi = api; }
void egXCmd::Reserved13(int32_t, int32_t, int32_t, int32_t, int32_t) {}
void egXCmd::Reserved14() {}
void egXCmd::Reserved15(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void egXCmd::Reserved16(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}

// Brains pass their state operations on like every other operation.
void egBrainDll::WriteState(mkStream* stream) { PassOn()->WriteState(stream); }
void egBrainDll::ReadState(mkStream* stream) { PassOn()->ReadState(stream); }
int32_t egBrainDll::GetType() { return 300; }
int32_t egBrainDll::Update(float time) { return PassOn()->Update(time); }
int32_t egBrainDll::PreUpdate(float time) { return PassOn()->PreUpdate(time); }
int32_t egBrainDll::Reset() { return PassOn()->Reset(); }
int32_t egBrainDll::SendParams(int32_t argc, const char** argv) {
  return PassOn()->SendParams(argc, argv);
}
int32_t egBrainDll::PrepareToDetach() { return PassOn()->PrepareToDetach(); }
int32_t egBrainDll::PrepareToAttach(int32_t value) { return PassOn()->PrepareToAttach(value); }
int32_t egBrainDll::CanCollideWith(mkSceneObject* object) {
  return PassOn()->CanCollideWith(object);
}
int32_t egBrainDll::ReportCollision(mkSceneObject* first, mkSceneObject* second) {
  return PassOn()->ReportCollision(first, second);
}
int32_t egBrainDll::WantGravity() { return PassOn()->WantGravity(); }
const char* egBrainDll::GetName() { return "DllBrain"; }
int32_t egBrainDll::StartBehavior(float time, mkGBehavior* behavior) {
  return PassOn()->StartBehavior(time, behavior);
}
void egBrainDll::PersonaChanged() { PassOn()->PersonaChanged(); }
void egBrainDll::SetFalling() { PassOn()->SetFalling(); }
void egBrainDll::UpdateGoals() { PassOn()->UpdateGoals(); }
mkVector3 egBrainDll::AdjustVectorA(const mkVector3& vector) {
  return PassOn()->AdjustVectorA(vector);
}
mkVector3 egBrainDll::AdjustVectorB(const mkVector3& vector) {
  return PassOn()->AdjustVectorB(vector);
}
mkVector3 egBrainDll::AdjustVectorC(const mkVector3& vector) {
  return PassOn()->AdjustVectorC(vector);
}
int32_t egBrainDll::ApplyValue(int32_t value) { return PassOn()->ApplyValue(value); }
void egBrainDll::GetIn() { PassOn()->GetIn(); }

void egBrainClassDll::SetSceneApi(egSceneApi* api) { fSceneApi = api; }
void egBrainClassDll::Prepare() {}
void egBrainClassDll::SendClassParams(const char*, int32_t, const char**) {}
