// Where scene objects are, as the host reports it: an object's world
// position, its world axes, and the object that a scene variable names. Every
// output is zeroed before the host is asked, so that a host that fills in
// nothing gives the origin or zero vectors rather than garbage.
//
// The readers take any handle of a scene object (mkSceneObject, a character,
// a camera, ...): the host's handles of one object stand at the same address.
#ifndef TESSERA_KIT_HOST_SCENE_GEOMETRY_H_
#define TESSERA_KIT_HOST_SCENE_GEOMETRY_H_

#include <cstdint>
#include <type_traits>

#include "kit/host/host.h"

// Whether `Handle` is a host handle of a scene object.
template <class Handle>
constexpr bool ktIsSceneObjectHandle =
    std::is_same_v<Handle, mkSceneObject> || std::is_same_v<Handle, egMovingSceneObject> ||
    std::is_same_v<Handle, egPhysicalSceneObject> || std::is_same_v<Handle, egCharacter> ||
    std::is_same_v<Handle, egCamera>;

// The scene object that `object` is a handle of.
template <class Handle>
mkSceneObject* ktAsSceneObject(Handle* object) {
  static_assert(ktIsSceneObjectHandle<std::remove_const_t<Handle>>, "not a scene object handle");
  return reinterpret_cast<mkSceneObject*>(const_cast<std::remove_const_t<Handle>*>(object));
}

// The object's world position: GetWorldPos with `mode` as its last value (0
// the object's pivot, 1 its centre; the host decides). The origin when the
// host gives none.
template <class Handle>
mkPoint3 ktWorldPosition(egSceneApi* api, Handle* object, int32_t mode = 0) {
  mkPoint3 p{0.0f, 0.0f, 0.0f};
  api->GetWorldPos(ktAsSceneObject(object), &p, mode);
  return p;
}

// The three world axes of an object (GetWorldAxes), as the host gives them:
// not normalised; zero vectors when the host gives none.
struct ktWorldAxes {
  mkVector3 view;
  mkVector3 up;
  mkVector3 right;
};

template <class Handle>
ktWorldAxes ktWorldAxesOf(egSceneApi* api, Handle* object) {
  ktWorldAxes axes{{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}};
  api->GetWorldAxes(ktAsSceneObject(object), &axes.view, &axes.up, &axes.right);
  return axes;
}

// The object that the scene variable (registry key) `name` names: null when
// the scene has no such variable or it names nothing.
inline mkSceneObject* ktVariableObject(egSceneApi* api, const char* name) {
  mkRegistryKey* key = api->GetObjKeyByID(name);
  return key != nullptr ? static_cast<mkSceneObject*>(key->fObject) : nullptr;
}

#endif  // TESSERA_KIT_HOST_SCENE_GEOMETRY_H_
