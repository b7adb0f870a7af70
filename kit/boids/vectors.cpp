#include "kit/boids/vectors.h"

ktVelocityVector::ktVelocityVector() : fDirection{0.0f, 0.0f, 0.0f}, fSpeed(0.0f) {}

ktVelocityVector::ktVelocityVector(const mkVector3& vector, float speed)
    : fDirection{0.0f, 0.0f, 0.0f}, fSpeed(0.0f) {
  ktVelocityVector::Set(vector, speed);
}

void ktVelocityVector::Reset() {
  fDirection = {0.0f, 0.0f, 0.0f};
  fSpeed = 0.0f;
}

void ktVelocityVector::Set(const mkVector3& vector, float speed) {
  SetVector(vector);
  fSpeed = speed;
}

void ktVelocityVector::SetVector(const mkVector3& vector) {
  fDirection = vector;
  Normalize(fDirection);
}

void ktVelocityVector::SetSpeed(float speed) {
  fSpeed = speed;
}

mkVector3 ktVelocityVector::GetVector() {
  return fDirection;
}

float ktVelocityVector::GetSpeed() {
  return fSpeed;
}

ktInfluenceVector::ktInfluenceVector() : fInfluence(0.0f), fNext(nullptr) {}

ktInfluenceVector::ktInfluenceVector(const mkVector3& vector, float speed, float influence)
    : fInfluence(0.0f), fNext(nullptr) {
  ktInfluenceVector::SetWithInfluence(vector, speed, influence);
}

void ktInfluenceVector::Reset() {
  ktVelocityVector::Reset();
  fInfluence = 1.0f;
}

void ktInfluenceVector::ResetNext() {
  fNext = nullptr;
}

void ktInfluenceVector::SetNext(ktInfluenceVector* next) {
  fNext = next;
}

void ktInfluenceVector::SetWithInfluence(const mkVector3& vector, float speed, float influence) {
  Set(vector, speed);
  fInfluence = influence;
}

void ktInfluenceVector::SetInfluence(float influence) {
  fInfluence = influence;
}

ktInfluenceVector* ktInfluenceVector::GetNext() {
  return fNext;
}

float ktInfluenceVector::GetInfluence() {
  return fInfluence;
}

ktAccumInfluenceVectors::ktAccumInfluenceVectors()
    : ktAccumInfluenceVectors(DEFAULT_MININFLUENCE, DEFAULT_MAXINFLUENCE) {}

ktAccumInfluenceVectors::ktAccumInfluenceVectors(float minInfluence, float maxInfluence)
    : fFirst(nullptr), fLast(nullptr), fMinInfluence(minInfluence), fMaxInfluence(maxInfluence) {}

void ktAccumInfluenceVectors::SetMinMaxInfluences(float minInfluence, float maxInfluence) {
  fMinInfluence = minInfluence;
  fMaxInfluence = maxInfluence;
}

void ktAccumInfluenceVectors::AddAVector(ktInfluenceVector* vector) {
  if (vector == nullptr) return;
  if (fFirst == nullptr) {
    fFirst = vector;
  } else {
    fLast->SetNext(vector);
  }
  fLast = vector;
  vector->ResetNext();
}

void ktAccumInfluenceVectors::TallyVectors(ktVelocityVector* out) {
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
