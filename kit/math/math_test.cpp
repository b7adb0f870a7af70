#include "kit/math/math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A matrix whose elements are 1 to 16, row by row, without the flag.
mkMatrix44 Counting() {
  mkMatrix44 m;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m.m[i][j] = float(4 * i + j + 1);
  m.flags = 0u;
  return m;
}

void ExpectSame(const mkMatrix44& expected, const mkMatrix44& actual) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(expected.m[i][j], actual.m[i][j]) << i << "," << j;
  EXPECT_EQ(expected.flags, actual.flags);
}

TEST(MatrixTest, ResetWritesTheFlaggedIdentity) {
  mkMatrix44 m = Counting();
  Reset(m);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(m.m[i][j], i == j ? 1.0f : 0.0f);
  EXPECT_EQ(m.flags, 1u);
}

// Rows times columns: the product of the counting matrix and a translation
// shows which side each stands on.
TEST(MatrixTest, ProductIsRowsTimesColumns) {
  mkMatrix44 translate;
  Reset(translate);
  translate.m[0][3] = 2.0f;
  translate.flags = 0u;
  const mkMatrix44 a = Counting();
  mkMatrix44 expected = a;
  // a x T: column 3 gains 2 x column 0.
  for (int i = 0; i < 4; ++i) expected.m[i][3] = a.m[i][3] + 2.0f * a.m[i][0];
  ExpectSame(expected, a * translate);
  // T x a: row 0 gains 2 x row 3.
  expected = a;
  for (int j = 0; j < 4; ++j) expected.m[0][j] = a.m[0][j] + 2.0f * a.m[3][j];
  ExpectSame(expected, translate * a);
  // The full product, one element worked by hand: row 1 . column 2 of a x a
  // = 5*3 + 6*7 + 7*11 + 8*15.
  EXPECT_EQ((a * a).m[1][2], 254.0f);
}

// The identity flag is a shortcut: elements of a flagged matrix are not read.
TEST(MatrixTest, ProductTakesTheIdentityFlagAsAShortcut) {
  mkMatrix44 flagged = Counting();
  flagged.flags = 1u;  // claims to be the identity
  const mkMatrix44 a = Counting();
  ExpectSame(a, flagged * a);
  ExpectSame(a, a * flagged);
  mkMatrix44 identity;
  Reset(identity);
  ExpectSame(identity, flagged * flagged);
  // A true identity without its flag is multiplied out.
  mkMatrix44 unflagged = identity;
  unflagged.flags = 0u;
  EXPECT_EQ((unflagged * unflagged).flags, 0u);
}

TEST(QuaternionTest, AngleAndAxisUseTheHalfAngleAndTheAxisAsGiven) {
  mkQuat q;
  SetFromAngleAxis(q, 1.0f, {0.0f, 0.0f, 2.0f});
  EXPECT_EQ(q.fX, 0.0f);
  EXPECT_EQ(q.fY, 0.0f);
  EXPECT_EQ(q.fZ, 2.0f * std::sin(0.5f));  // not normalised
  EXPECT_EQ(q.fW, std::cos(0.5f));
}

// The matrix of a rotation about each axis turns the next axis round as the
// right-hand rule says, and carries no translation.
TEST(QuaternionTest, MatrixOfARotation) {
  const float t = 0.3f, c = std::cos(t), s = std::sin(t);
  mkQuat q;
  mkMatrix44 m = Counting();
  m.flags = 1u;
  SetFromAngleAxis(q, t, {0.0f, 0.0f, 1.0f});
  MakeMatrix(q, m);
  const float aboutZ[4][4] = {{c, -s, 0, 0}, {s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(m.m[i][j], aboutZ[i][j], 1e-6f) << i << "," << j;
  EXPECT_EQ(m.flags, 0u);
  SetFromAngleAxis(q, t, {1.0f, 0.0f, 0.0f});
  MakeMatrix(q, m);
  EXPECT_NEAR(m.m[2][1], s, 1e-6f);  // y turns toward z
  EXPECT_NEAR(m.m[1][2], -s, 1e-6f);
  SetFromAngleAxis(q, t, {0.0f, 1.0f, 0.0f});
  MakeMatrix(q, m);
  EXPECT_NEAR(m.m[0][2], s, 1e-6f);  // z turns toward x
  EXPECT_NEAR(m.m[2][0], -s, 1e-6f);
}

TEST(QuaternionTest, IdentityRotationGivesTheIdentityElementsWithoutTheFlag) {
  mkQuat q;
  SetFromAngleAxis(q, 0.0f, {0.0f, 0.0f, 1.0f});
  mkMatrix44 m;
  MakeMatrix(q, m);
  mkMatrix44 identity;
  Reset(identity);
  identity.flags = 0u;
  ExpectSame(identity, m);
}

}  // namespace
