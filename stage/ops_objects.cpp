// Scene objects: their kinds, lookups by name, flags, transforms and the
// hierarchy.
#include "stage/ops.h"

namespace stage {

int32_t ObjectOps::IsCamera(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr && o->camera;
}
int32_t ObjectOps::IsCharacter(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr && o->character;
}
int32_t ObjectOps::IsLight(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr && o->light;
}
int32_t ObjectOps::IsPhysical(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr && (o->character || o->brain != nullptr);
}
int32_t ObjectOps::IsMoving(mkSceneObject* a1) {
  return IsPhysical(a1);
}

mkSceneObject* ObjectOps::GetSceneObjectByID(const char* a1) {
  return a1 == nullptr ? nullptr : Model::ToHandle<mkSceneObject>(model_.FindObject(a1));
}
egPhysicalSceneObject* ObjectOps::GetPhysicalSceneObjectByID(const char* a1) {
  auto* object = model_.Object(GetSceneObjectByID(a1));
  return IsPhysical(Model::ToHandle<mkSceneObject>(object))
             ? Model::ToHandle<egPhysicalSceneObject>(object)
             : nullptr;
}
egCharacter* ObjectOps::GetCharacterByID(const char* a1) {
  auto* object = model_.Object(GetSceneObjectByID(a1));
  return object != nullptr && object->character ? Model::ToHandle<egCharacter>(object) : nullptr;
}
egLight* ObjectOps::GetLightByID(const char* a1) {
  auto* object = model_.Object(GetSceneObjectByID(a1));
  return object != nullptr && object->light ? Model::ToHandle<egLight>(object) : nullptr;
}

int32_t ObjectOps::Flag(mkSceneObject* a1, int32_t SceneObject::*flag) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr ? o->*flag : 0;
}
void ObjectOps::SetFlag(mkSceneObject* a1, int32_t SceneObject::*flag, int32_t value) {
  if (SceneObject* o = model_.Object(a1)) o->*flag = value != 0;
}
void ObjectOps::ToggleFlag(mkSceneObject* a1, int32_t SceneObject::*flag) {
  if (SceneObject* o = model_.Object(a1)) o->*flag = !(o->*flag);
}

const char* ObjectOps::GetID(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr ? o->name.c_str() : kNoObjectName;
}

// The stage's objects have their centre at their pivot, so both forms of the
// position are the translation of the world matrix.
int32_t ObjectOps::GetWorldPos(mkSceneObject* a1, mkPoint3* a2, int32_t a3) {
  SceneObject* o = model_.Object(a1);
  if (o == nullptr || a2 == nullptr) return 0;
  mkMatrix44 scratch;
  const mkMatrix44& world = model_.WorldMatrix(o, scratch);
  *a2 = {world.m[0][3], world.m[1][3], world.m[2][3]};
  return 1;
}

int32_t ObjectOps::GetDelWorldPos(mkSceneObject* a1, mkVector3* a2) {
  if (model_.Object(a1) == nullptr || a2 == nullptr) return 0;
  *a2 = {0, 0, 0};
  return 1;
}

int32_t ObjectOps::GetLocalToWorld(mkSceneObject* a1, mkMatrix44* a2) {
  SceneObject* o = model_.Object(a1);
  if (o == nullptr || a2 == nullptr) return 0;
  *a2 = model_.WorldMatrix(o);
  return 1;
}

// Axes are the columns of the world matrix's rotation part: x, y, z, or for
// an object with view axes -y, z, -x (view, up, right). Written out for
// each form: the per-frame path asks for them several times per creature.
int32_t ObjectOps::GetWorldAxes(mkSceneObject* a1, mkVector3* a2, mkVector3* a3, mkVector3* a4) {
  SceneObject* o = model_.Object(a1);
  if (o == nullptr) return 0;
  mkMatrix44 scratch;
  const mkMatrix44& w = model_.WorldMatrix(o, scratch);
  const auto column = [&w](int c, float s) {
    return mkVector3{s * w.m[0][c], s * w.m[1][c], s * w.m[2][c]};
  };
  if (o->viewAxes) {
    if (a2 != nullptr) *a2 = column(1, -1.0f);
    if (a3 != nullptr) *a3 = column(2, 1.0f);
    if (a4 != nullptr) *a4 = column(0, -1.0f);
  } else {
    if (a2 != nullptr) *a2 = column(0, 1.0f);
    if (a3 != nullptr) *a3 = column(1, 1.0f);
    if (a4 != nullptr) *a4 = column(2, 1.0f);
  }
  return 1;
}

int32_t ObjectOps::GetLocalMatrix(mkSceneObject* a1, mkMatrix44* a2) {
  SceneObject* o = model_.Object(a1);
  if (o == nullptr || a2 == nullptr) return 0;
  *a2 = o->local;
  return 1;
}

void ObjectOps::SetLocalMatrix(mkSceneObject* a1, mkMatrix44* a2) {
  SceneObject* o = model_.Object(a1);
  if (o != nullptr && a2 != nullptr) o->local = *a2;
}

float ObjectOps::GetRadius(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr ? o->radius : 0.0f;
}

mkSceneObject* ObjectOps::GetRoot(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  if (o == nullptr) return nullptr;
  int depth = 0;
  while (o->parent != nullptr && depth++ < 256) o = o->parent;
  return Model::ToHandle<mkSceneObject>(o);
}
int32_t ObjectOps::GetNumChildren(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr ? int32_t(o->children.size()) : 0;
}
mkSceneObject* ObjectOps::GetChild(mkSceneObject* a1, int32_t a2) {
  SceneObject* o = model_.Object(a1);
  if (o == nullptr || a2 < 0 || size_t(a2) >= o->children.size()) return nullptr;
  return Model::ToHandle<mkSceneObject>(o->children[size_t(a2)]);
}
mkSceneObject* ObjectOps::GetParent(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr ? Model::ToHandle<mkSceneObject>(o->parent) : nullptr;
}

// AttachObject(parent, child, attach, ...): a non-zero third value makes
// `child` a child of `parent`; 0 detaches it from its parent.
void ObjectOps::AttachObject(mkSceneObject* a1, mkSceneObject* a2, int32_t a3, int32_t, int32_t) {
  SceneObject* parent = model_.Object(a1);
  SceneObject* child = model_.Object(a2);
  if (child == nullptr) return;
  if (child->parent != nullptr) {
    auto& siblings = child->parent->children;
    for (auto it = siblings.begin(); it != siblings.end(); ++it)
      if (*it == child) {
        siblings.erase(it);
        break;
      }
    child->parent = nullptr;
  }
  if (a3 != 0 && parent != nullptr && parent != child) {
    for (SceneObject* p = parent; p != nullptr; p = p->parent)
      if (p == child) return;  // would make a cycle
    child->parent = parent;
    parent->children.push_back(child);
  }
}

}  // namespace stage
