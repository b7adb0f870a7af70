// The arithmetic base of the boid library: every steering tendency is a
// velocity (a unit direction and, separately, a speed), an influence vector
// gives such a velocity a weight, and an accumulator folds a list of
// influence vectors into one velocity.
//
//   ktAccumInfluenceVectors accumulator;            // limits 0.1 and 0.9
//   accumulator.AddAVector(&cruising);              // vectors stay the caller's
//   accumulator.AddAVector(&avoid);
//   accumulator.TallyVectors(&result);
//
// Binary interface: scripts reach these classes through their operation
// tables, so each class lists its virtual operations in slot order and has
// neither a virtual destructor nor overloaded virtual operations. None of
// them owns another object. The small operations are defined here so that
// the steering step, which knows the class of its own vectors, runs them
// inline; each class keeps its first operation (Reset) in vectors.cpp, where
// its operation table is made.
#ifndef TESSERA_KIT_BOIDS_VECTORS_H_
#define TESSERA_KIT_BOIDS_VECTORS_H_

#include <cstdint>

#include "kit/math/math.h"

// The accumulator's default limits (scripts see them as DEFAULT_MININFLUENCE
// and DEFAULT_MAXINFLUENCE).
inline constexpr float DEFAULT_MININFLUENCE = 0.1f;
inline constexpr float DEFAULT_MAXINFLUENCE = 0.9f;

// A direction and a speed. The direction is stored normalised whenever it is
// set from a vector of non-zero length; a zero vector is stored as it is.
// The speed is not clamped and may be 0 or negative.
class ktVelocityVector {
 public:
  // Direction (0, 0, 0), speed 0.
  ktVelocityVector();
  // As Set(vector, speed).
  ktVelocityVector(const mkVector3& vector, float speed);

  // Slot 0: direction and speed become 0.
  virtual void Reset();
  // Slot 1: stores the vector normalised, and the speed.
  virtual void Set(const mkVector3& vector, float speed) {
    SetVector(vector);
    fSpeed = speed;
  }
  // Slot 2: stores the vector normalised; the speed is kept.
  virtual void SetVector(const mkVector3& vector) {
    mkVector3 direction = vector;
    Normalize(direction);
    fDirection = direction;
  }
  // Slot 3.
  virtual void SetSpeed(float speed) { fSpeed = speed; }
  // Slot 4: a copy of the direction.
  virtual mkVector3 GetVector() { return fDirection; }
  // Slot 5.
  virtual float GetSpeed() { return fSpeed; }

  mkVector3 fDirection;
  float fSpeed;
};

// A velocity with a weight, and the link of the accumulator list that holds
// it (not owned).
class ktInfluenceVector final : public ktVelocityVector {
 public:
  // Direction 0, speed 0, influence 0, no next vector.
  ktInfluenceVector();
  // As Set(vector, speed, influence); no next vector.
  ktInfluenceVector(const mkVector3& vector, float speed, float influence);

  // Slot 0: direction and speed become 0 and the influence 1.0 (a freshly
  // constructed vector has influence 0); the next link is kept.
  void Reset() override;
  // Slots 1 to 5 are those of ktVelocityVector.
  // Slot 6: the next link becomes null.
  virtual void ResetNext() { fNext = nullptr; }
  // Slot 7.
  virtual void SetNext(ktInfluenceVector* next) { fNext = next; }
  // Slot 8: the three-argument Set (scripts: ktInfluenceVector_Set): the
  // two-argument Set, then the influence. It has a name of its own so that no
  // virtual operation is overloaded; Set(vector, speed, influence) below
  // calls it.
  virtual void SetWithInfluence(const mkVector3& vector, float speed, float influence) {
    Set(vector, speed);
    fInfluence = influence;
  }
  // Slot 9.
  virtual void SetInfluence(float influence) { fInfluence = influence; }
  // Slot 10.
  virtual ktInfluenceVector* GetNext() { return fNext; }
  // Slot 11.
  virtual float GetInfluence() { return fInfluence; }

  using ktVelocityVector::Set;
  void Set(const mkVector3& vector, float speed, float influence) {
    SetWithInfluence(vector, speed, influence);
  }

  float fInfluence;
  ktInfluenceVector* fNext;
};

// Folds a list of influence vectors into one velocity: tendencies with less
// than the minimum share of the total influence are ignored, and the first
// one with at least the maximum share replaces the blend. The list runs
// through the vectors' own next links in the order of adding; the vectors
// belong to whoever added them and must outlive their membership (there is
// no removal).
class ktAccumInfluenceVectors final {
 public:
  // An empty list with the limits DEFAULT_MININFLUENCE and DEFAULT_MAXINFLUENCE.
  ktAccumInfluenceVectors();
  ktAccumInfluenceVectors(float minInfluence, float maxInfluence);

  // Slot 0: the shares below which a vector is skipped and from which a
  // vector takes over alone. Not checked: min above max simply lets a vector
  // dominate before it could be skipped.
  virtual void SetMinMaxInfluences(float minInfluence, float maxInfluence);
  // Slot 1: appends `vector` and clears its next link. Adding a vector that
  // is already in the list is not detected and cuts the list at that vector.
  // A null vector is ignored.
  virtual void AddAVector(ktInfluenceVector* vector);
  // Slot 2: writes the blend into the direction (normalised) and speed of
  // `out`; out's influence and next link, if it has them, are not touched.
  // When the influences do not sum to a positive total (an empty list, all
  // zero, or positive and negative weights cancelling or outweighing) no
  // vector has a meaningful share and the result is direction 0, speed 0.
  // A null `out` is ignored.
  virtual void TallyVectors(ktVelocityVector* out) {
    if (out == nullptr) return;
    float total = 0.0f;
    for (ktInfluenceVector* v = fFirst; v != nullptr; v = v->GetNext()) total += v->GetInfluence();

    mkVector3 sum = {0.0f, 0.0f, 0.0f};
    float speed = 0.0f;
    // Written so that a NaN total also counts as "no positive total".
    if (total > 0.0f) {
      const float scale = 1.0f / total;
      for (ktInfluenceVector* v = fFirst; v != nullptr; v = v->GetNext()) {
        const float share = v->GetInfluence() * scale;
        if (share < fMinInfluence) continue;
        if (share >= fMaxInfluence) {
          // A dominant tendency replaces whatever was blended before it.
          sum = v->GetVector();
          speed = v->GetSpeed();
          break;
        }
        sum = sum + v->GetVector() * share;
        speed += v->GetSpeed() * share;
      }
    }
    out->SetVector(sum);
    out->SetSpeed(speed);
  }

  ktInfluenceVector* fFirst;
  ktInfluenceVector* fLast;
  float fMinInfluence;
  float fMaxInfluence;
};

#endif  // TESSERA_KIT_BOIDS_VECTORS_H_
