#include "kit/boids/vectors.h"

#include <gtest/gtest.h>

#include <vector>

#include "kit/testing/raw_slots.h"

namespace {

const mkVector3 kX = {1.0f, 0.0f, 0.0f};
const mkVector3 kY = {0.0f, 1.0f, 0.0f};
const mkVector3 kZ = {0.0f, 0.0f, 1.0f};
const mkVector3 kZero = {0.0f, 0.0f, 0.0f};

void ExpectVector(const mkVector3& expected, const mkVector3& actual) {
  EXPECT_FLOAT_EQ(expected.fX, actual.fX);
  EXPECT_FLOAT_EQ(expected.fY, actual.fY);
  EXPECT_FLOAT_EQ(expected.fZ, actual.fZ);
}

TEST(VelocityVectorTest, StoresDirectionNormalisedAndSpeedAsGiven) {
  ktVelocityVector velocity({3.0f, 0.0f, -4.0f}, -2.5f);
  ExpectVector({0.6f, 0.0f, -0.8f}, velocity.GetVector());
  EXPECT_EQ(velocity.GetSpeed(), -2.5f);

  velocity.SetVector({0.0f, 0.0f, 7.0f});
  ExpectVector(kZ, velocity.GetVector());
  EXPECT_EQ(velocity.GetSpeed(), -2.5f);

  velocity.Reset();
  ExpectVector(kZero, velocity.GetVector());
  EXPECT_EQ(velocity.GetSpeed(), 0.0f);
}

TEST(VelocityVectorTest, ZeroDirectionStaysZeroWithItsSpeed) {
  ktVelocityVector velocity;
  velocity.Set(kZero, 3.0f);
  ExpectVector(kZero, velocity.GetVector());
  EXPECT_EQ(velocity.GetSpeed(), 3.0f);
}

TEST(InfluenceVectorTest, ResetGivesFullInfluenceButConstructionNone) {
  ktInfluenceVector fresh;
  EXPECT_EQ(fresh.GetInfluence(), 0.0f);
  EXPECT_EQ(fresh.GetNext(), nullptr);

  ktInfluenceVector other;
  ktInfluenceVector vector(kY, 2.0f, 0.25f);
  vector.SetNext(&other);
  vector.Reset();
  ExpectVector(kZero, vector.GetVector());
  EXPECT_EQ(vector.GetSpeed(), 0.0f);
  EXPECT_EQ(vector.GetInfluence(), 1.0f);
  EXPECT_EQ(vector.GetNext(), &other);
  vector.ResetNext();
  EXPECT_EQ(vector.GetNext(), nullptr);

  vector.Set({0.0f, -2.0f, 0.0f}, 4.0f, 0.75f);
  ExpectVector({0.0f, -1.0f, 0.0f}, vector.GetVector());
  EXPECT_EQ(vector.GetSpeed(), 4.0f);
  EXPECT_EQ(vector.GetInfluence(), 0.75f);
}

TEST(AccumInfluenceVectorsTest, AddingAppendsInOrderAndClearsTheNewLink) {
  ktInfluenceVector a, b, c, stale;
  c.SetNext(&stale);
  ktAccumInfluenceVectors accumulator;
  EXPECT_EQ(accumulator.fMinInfluence, 0.1f);
  EXPECT_EQ(accumulator.fMaxInfluence, 0.9f);
  accumulator.AddAVector(&a);
  accumulator.AddAVector(nullptr);
  accumulator.AddAVector(&b);
  accumulator.AddAVector(&c);
  EXPECT_EQ(accumulator.fFirst, &a);
  EXPECT_EQ(accumulator.fLast, &c);
  EXPECT_EQ(a.GetNext(), &b);
  EXPECT_EQ(b.GetNext(), &c);
  EXPECT_EQ(c.GetNext(), nullptr);
}

struct Tendency {
  mkVector3 direction;
  float speed;
  float influence;
};

struct TallyCase {
  const char* name;
  std::vector<Tendency> tendencies;
  float minInfluence, maxInfluence;
  mkVector3 direction;  // expected
  float speed;          // expected
};

const float kRoot2 = 0.70710678f;

const TallyCase kTallyCases[] = {
    {"empty list", {}, 0.1f, 0.9f, kZero, 0.0f},
    {"all influences zero", {{kX, 1.0f, 0.0f}, {kY, 2.0f, 0.0f}}, 0.1f, 0.9f, kZero, 0.0f},
    {"one positive vector is taken whole", {{kY, 0.7f, 0.3f}}, 0.1f, 0.9f, kY, 0.7f},
    // Shares 0.1 and 0.9: the second dominates and discards the first,
    // which was counted (0.1 is not below 0.1).
    {"dominant second", {{kX, 1.0f, 1.0f}, {kY, 2.0f, 9.0f}}, 0.1f, 0.9f, kY, 2.0f},
    {"share exactly at the minimum counts",
     {{kX, 1.0f, 1.0f}, {kY, 2.0f, 9.0f}},
     0.1f,
     1.0f,
     {0.1f / 0.90553851f, 0.9f / 0.90553851f, 0.0f},
     0.1f * 1.0f + 0.9f * 2.0f},
    // Shares 1/11, 5/11, 5/11: the weak one is dropped and the others are
    // not renormalised, so the speed is below a true mean.
    {"weak vector skipped",
     {{kZ, 9.0f, 1.0f}, {kX, 1.0f, 5.0f}, {kY, 2.0f, 5.0f}},
     0.1f,
     0.9f,
     {kRoot2, kRoot2, 0.0f},
     5.0f / 11.0f * 3.0f},
    // The dominant vector stops the walk: the later one is not looked at.
    {"dominant stops the walk",
     {{kX, 1.0f, 2.0f}, {kY, 2.0f, 5.0f}, {kZ, 3.0f, 3.0f}},
     0.1f,
     0.5f,
     kY,
     2.0f},
    // Total 3: shares 2/3, 2/3 and -1/3; the negative one is skipped and
    // raises the others' shares.
    {"negative influence lowers the total",
     {{kX, 0.3f, 2.0f}, {kY, 0.6f, 2.0f}, {kZ, 5.0f, -1.0f}},
     0.1f,
     0.9f,
     {kRoot2, kRoot2, 0.0f},
     2.0f / 3.0f * 0.9f},
    {"influences cancelling to zero",
     {{kX, 1.0f, 1.0f}, {kY, 2.0f, -1.0f}},
     0.1f,
     0.9f,
     kZero,
     0.0f},
    // A negative total would make the negative vector "dominant" (share 2).
    {"negative total", {{kX, 1.0f, 1.0f}, {kY, 2.0f, -2.0f}}, 0.1f, 0.9f, kZero, 0.0f},
};

TEST(AccumInfluenceVectorsTest, TallyTable) {
  for (const TallyCase& c : kTallyCases) {
    SCOPED_TRACE(c.name);
    std::vector<ktInfluenceVector> vectors(c.tendencies.size());
    ktAccumInfluenceVectors accumulator(c.minInfluence, c.maxInfluence);
    for (size_t i = 0; i < vectors.size(); ++i) {
      const Tendency& t = c.tendencies[i];
      vectors[i].Set(t.direction, t.speed, t.influence);
      accumulator.AddAVector(&vectors[i]);
    }
    ktInfluenceVector out(kZ, 99.0f, 0.5f);
    ktInfluenceVector linked;
    out.SetNext(&linked);
    accumulator.TallyVectors(&out);
    ExpectVector(c.direction, out.GetVector());
    EXPECT_FLOAT_EQ(c.speed, out.GetSpeed());
    EXPECT_EQ(out.GetInfluence(), 0.5f);
    EXPECT_EQ(out.GetNext(), &linked);
  }
}

TEST(AccumInfluenceVectorsTest, DominantVectorIsTakenUnscaled) {
  ktInfluenceVector weak(kX, 1.0f, 1.0f);
  ktInfluenceVector strong({1.0f, 2.0f, 3.0f}, 0.3f, 9.0f);
  ktAccumInfluenceVectors accumulator;
  accumulator.AddAVector(&weak);
  accumulator.AddAVector(&strong);
  ktVelocityVector out;
  accumulator.TallyVectors(&out);
  // Re-normalising an already normalised direction may move the last bit.
  ExpectVector(strong.GetVector(), out.GetVector());
  EXPECT_EQ(out.GetSpeed(), 0.3f);
}

// Slot order, through the raw operation tables.
TEST(VectorSlotsTest, VelocityVector) {
  ktVelocityVector v;
  const mkVector3 direction = {0.0f, 0.0f, -2.0f};
  mktest::CallSlot<void>(&v, 1, &direction, 4.0f);  // Set
  ExpectVector({0.0f, 0.0f, -1.0f}, v.fDirection);
  EXPECT_EQ(v.fSpeed, 4.0f);
  mktest::CallSlot<void>(&v, 3, 6.0f);              // SetSpeed
  EXPECT_EQ(mktest::CallSlot<float>(&v, 5), 6.0f);  // GetSpeed
  const mkVector3 other = {5.0f, 0.0f, 0.0f};
  mktest::CallSlot<void>(&v, 2, &other);                 // SetVector
  ExpectVector(kX, mktest::CallSlot<mkVector3>(&v, 4));  // GetVector
  mktest::CallSlot<void>(&v, 0);                         // Reset
  EXPECT_EQ(v.fSpeed, 0.0f);
  ExpectVector(kZero, v.fDirection);
}

TEST(VectorSlotsTest, InfluenceVector) {
  ktInfluenceVector v, next;
  mktest::CallSlot<void>(&v, 0);  // Reset
  EXPECT_EQ(v.fInfluence, 1.0f);
  mktest::CallSlot<void>(&v, 7, &next);                            // SetNext
  EXPECT_EQ(mktest::CallSlot<ktInfluenceVector*>(&v, 10), &next);  // GetNext
  mktest::CallSlot<void>(&v, 6);                                   // ResetNext
  EXPECT_EQ(v.fNext, nullptr);
  const mkVector3 direction = {0.0f, 3.0f, 0.0f};
  mktest::CallSlot<void>(&v, 8, &direction, 2.0f, 0.25f);  // Set with influence
  ExpectVector(kY, v.fDirection);
  EXPECT_EQ(v.fSpeed, 2.0f);
  EXPECT_EQ(v.fInfluence, 0.25f);
  mktest::CallSlot<void>(&v, 9, 0.5f);               // SetInfluence
  EXPECT_EQ(mktest::CallSlot<float>(&v, 11), 0.5f);  // GetInfluence
  mktest::CallSlot<void>(&v, 1, &direction, 7.0f);   // Set, inherited
  EXPECT_EQ(mktest::CallSlot<float>(&v, 5), 7.0f);
  EXPECT_EQ(v.fInfluence, 0.5f);
}

TEST(VectorSlotsTest, AccumInfluenceVectors) {
  ktAccumInfluenceVectors accumulator;
  mktest::CallSlot<void>(&accumulator, 0, 0.2f, 0.8f);  // SetMinMaxInfluences
  EXPECT_EQ(accumulator.fMinInfluence, 0.2f);
  EXPECT_EQ(accumulator.fMaxInfluence, 0.8f);
  ktInfluenceVector v(kX, 3.0f, 1.0f);
  mktest::CallSlot<void>(&accumulator, 1, &v);  // AddAVector
  EXPECT_EQ(accumulator.fFirst, &v);
  ktVelocityVector out;
  mktest::CallSlot<void>(&accumulator, 2, &out);  // TallyVectors
  EXPECT_EQ(out.fSpeed, 3.0f);
}

TEST(VectorLayoutTest, FieldsFollowTheTableInOrder) {
  ktInfluenceVector v;
  EXPECT_EQ(mktest::OffsetOf(v, v.fDirection), std::ptrdiff_t(sizeof(void*)));
  EXPECT_EQ(mktest::OffsetOf(v, v.fSpeed), std::ptrdiff_t(sizeof(void*) + 12));
  EXPECT_EQ(mktest::OffsetOf(v, v.fInfluence), std::ptrdiff_t(sizeof(void*) + 16));
  const size_t pointer = sizeof(void*);
  EXPECT_EQ(mktest::OffsetOf(v, v.fNext),
            std::ptrdiff_t((pointer + 20 + pointer - 1) / pointer * pointer));
  ktAccumInfluenceVectors a;
  EXPECT_EQ(mktest::OffsetOf(a, a.fFirst), std::ptrdiff_t(sizeof(void*)));
  EXPECT_EQ(mktest::OffsetOf(a, a.fMinInfluence), std::ptrdiff_t(3 * sizeof(void*)));
  EXPECT_EQ(mktest::OffsetOf(a, a.fMaxInfluence), std::ptrdiff_t(3 * sizeof(void*) + 4));
}

}  // namespace
