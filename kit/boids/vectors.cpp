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

ktInfluenceVector::ktInfluenceVector() : fInfluence(0.0f), fNext(nullptr) {}

ktInfluenceVector::ktInfluenceVector(const mkVector3& vector, float speed, float influence)
    : fInfluence(0.0f), fNext(nullptr) {
  ktInfluenceVector::SetWithInfluence(vector, speed, influence);
}

void ktInfluenceVector::Reset() {
  ktVelocityVector::Reset();
  fInfluence = 1.0f;
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
