#include "kit/plugin/plugin.h"

#include <tuple>

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
void mkRefCounted::AddReference() {
  ++fRefCount;
}
void mkRefCounted::Reserved3(int32_t) {}
void mkRefCounted::WriteState(mkStream*) {}
void mkRefCounted::Reserved5(int32_t) {}
void mkRefCounted::Reserved6(int32_t) {}
void mkRefCounted::ReadState(mkStream*) {}
void mkRefCounted::Reserved8(int32_t) {}
void mkRefCounted::Reserved9(int32_t, int32_t) {}
void* mkRefCounted::Reserved10(void* value) {
  return value;
}
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
void egXCmd::SetSceneApi(egSceneApi* api) {
  fSceneApi = api;
}
void egXCmd::Reserved13(int32_t, int32_t, int32_t, int32_t, int32_t) {}
void egXCmd::Reserved14() {}
void egXCmd::Reserved15(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void egXCmd::Reserved16(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}

namespace {

// Calls the host brain's operation `op` with `args` and returns its result
// unchanged.
template <class Ret, class... Params, class... Args>
Ret CallHostBrain(egBrain* brain, Ret (egBrain::*op)(Params...), std::tuple<Args...> args) {
  return std::apply([&](auto&&... a) { return (brain->*op)(static_cast<decltype(a)&&>(a)...); },
                    args);
}

// A vector operation: the host brain fills a buffer of the plug-in's own,
// and the three floats at the pointer that it returns are copied into the
// caller's result (which may be the argument itself). A host that returns
// no pointer leaves its answer in the buffer.
mkVector3* CallHostBrain(egBrain* brain, mkVector3* (egBrain::*op)(mkVector3*, const mkVector3&),
                         std::tuple<mkVector3*&, const mkVector3&> args) {
  mkVector3* result = std::get<0>(args);
  const mkVector3& vector = std::get<1>(args);
  mkVector3 answer = vector;
  const mkVector3* given = (brain->*op)(&answer, vector);
  *result = given != nullptr ? *given : answer;
  return result;
}

}  // namespace

// Brains pass their state operations on like every other operation.
#define MK_BRAIN_OP(Slot, Ret, Name, Params, Args)                              \
  Ret egBrainDll::Name Params {                                                 \
    return CallHostBrain(PassOn(), &egBrain::Name, std::forward_as_tuple Args); \
  }
#define MK_BRAIN_STATE_OP(Slot, Ret, Name, Params, Args) \
  Ret egBrainDll::Name Params {                          \
    return PassOn()->Name Args;                          \
  }
#include "kit/host/brain_ops.inc"

int32_t egBrainDll::GetType() {
  return 300;
}
const char* egBrainDll::GetName() {
  return "DllBrain";
}

void egBrainClassDll::SetSceneApi(egSceneApi* api) {
  fSceneApi = api;
}
void egBrainClassDll::Prepare() {}
void egBrainClassDll::SendClassParams(const char*, int32_t, const char**) {}
