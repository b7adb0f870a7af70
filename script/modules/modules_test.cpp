// mkTypesc, mkUtilc, egBrainc, egGameControllerc, mkRegistryc and ktFlocksc
// through the stage: scripts call the functions, and the test checks what
// they printed and, for matrices (which have no element accessors), the
// native objects themselves, found through the pointer strings that the
// script printed. Expected values are worked out by hand or computed here by
// an independent formula in 32-bit floats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "kit/math/math.h"
#include "kit/osc/osc.h"
#include "stage/stage.h"
#include "stage/testing/stage_fixture.h"

namespace {

namespace fs = std::filesystem;
using stagetest::Lines;

// How a script prints a float ('%.9g' tells every 32-bit float apart).
std::string F(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", double(value));
  return text;
}

// The numbers of a printed line.
std::vector<float> Numbers(const std::string& line) {
  std::vector<float> numbers;
  const char* p = line.c_str();
  char* end = nullptr;
  for (float f = std::strtof(p, &end); end != p; f = std::strtof(p, &end)) {
    numbers.push_back(f);
    p = end;
  }
  return numbers;
}

std::string Floats(std::initializer_list<float> values) {
  std::string text;
  for (float v : values) text += (text.empty() ? "" : " ") + F(v);
  return text;
}

// The script-side helpers that every test script starts with.
const char kPrelude[] =
    "from mkTypesc import *\n"
    "from ktFlocksc import *\n"
    "import mkUtilc, egBrainc, egGameControllerc, mkRegistryc, SceneAPIc\n"
    "def fl(*values): print(' '.join('%.9g' % v for v in values))\n"
    "def v3(v): fl(mkVector3_fX_get(v), mkVector3_fY_get(v), mkVector3_fZ_get(v))\n"
    "def p3(p): fl(mkPoint3_fX_get(p), mkPoint3_fY_get(p), mkPoint3_fZ_get(p))\n"
    "def q4(q): fl(mkQuat_fX_get(q), mkQuat_fY_get(q), mkQuat_fZ_get(q), mkQuat_fW_get(q))\n"
    "def err(f, *args):\n"
    "    try:\n"
    "        f(*args)\n"
    "        print('no error')\n"
    "    except Exception as e:\n"
    "        print(type(e).__name__ + ': ' + str(e))\n";

class ModulesTest : public stagetest::StageFixture {
 protected:
  ModulesTest() : StageFixture({SCRIPTXCMD_PLUGIN_PATH}) { gameDirectory_ = "modules"; }

  void SetUp() override {
    StageFixture::SetUp();
    Scene("object Rock\nobject Stone at 3 4 0\nobject Post at 10 0 0\nobject Gate at -10 0 0\n");
  }

  // Runs kPrelude + `text` as a script; returns the lines that it printed.
  Lines Python(const std::string& text) {
    std::ofstream(dir_ / "python" / "run.py") << kPrelude << text;
    Run("Python", {"run.py"});
    Lines lines;
    const auto& messages = stage_.model().messages();
    for (size_t i = first_; i < messages.size(); ++i) {
      std::string t = messages[i].text;
      if (!t.empty() && t.back() == ' ') t.pop_back();
      lines.push_back(t);
    }
    return lines;
  }

  // The trace lines of the last script's calls of operation `name`.
  Lines Calls(const std::string& name) {
    Lines calls;
    const auto& lines = stage_.model().trace().lines();
    for (size_t i = traceFirst_; i < lines.size(); ++i)
      if (lines[i].rfind("@0 " + name + "(", 0) == 0) calls.push_back(lines[i].substr(3));
    return calls;
  }

  // The native object named by pointer string `text`.
  template <class T>
  static T* Native(const std::string& text) {
    unsigned long long address = 0;
    EXPECT_EQ(std::sscanf(text.c_str(), "_%llx", &address), 1) << text;
    return reinterpret_cast<T*>(uintptr_t(address));
  }
};

void ExpectMatrix(const mkMatrix44& m, const float (&expected)[4][4], uint32_t flags) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(m.m[i][j], expected[i][j]) << i << "," << j;
  EXPECT_EQ(m.flags, flags);
}

// --- mkTypesc ----------------------------------------------------------------------

struct ValueCase {
  const char* name;
  const char* script;
  std::string expected;
};

std::string Renormalised(float x, float y, float z) {
  const float s = x * x + y * y + z * z;
  const float h = s * 0.5f;
  const float y1 = 1.5f - h;
  const float y2 = y1 * (1.5f - h * y1 * y1);
  const float y3 = y2 * (1.5f - h * y2 * y2);
  return Floats({x * y3, y * y3, z * y3});
}

TEST_F(ModulesTest, PointVectorPlaneAndColourArithmetic) {
  const ValueCase cases[] = {
      {"add", "mkPoint3_add(p, p, q); p3(p)", Floats({5, 8, 11})},
      {"sub", "mkPoint3_sub(p, p, q); p3(p)", Floats({-3, -4, -5})},
      {"mul", "mkVector3_mul(v, u, 0.5); v3(v)", Floats({1.5f, 2, 0})},
      {"div", "mkVector3_div(v, u, 3); v3(v)", Floats({1, 4.0f / 3.0f, 0})},
      {"point div", "mkPoint3_div(p, q, 4); p3(p)", Floats({1, 1.5f, 2})},
      {"cmp", "print(mkPoint3_cmp(p, q), mkPoint3_cmp(p, p), mkVector3_cmp(u, v))", "1 0 1"},
      {"inner", "fl(mkPoint3_InnerProduct(p, q), mkVector3_InnerProduct(u, u))", "40 25"},
      {"magnitude",
       "fl(mkVector3_Magnitude(u), mkVector3_MagnitudeSquared(u), "
       "mkPoint3_MagnitudeSquared(p))",
       "5 25 14"},
      {"set", "mkVector3_Set(v, q, p); v3(v)", Floats({3, 4, 5})},
      {"normalize", "mkVector3_Normalize(u); v3(u)", Floats({3.0f * (1.0f / 5.0f), 0.8f, 0})},
      {"normalize zero", "z = new_mkVector3(0, 0, 0); mkVector3_Normalize(z); v3(z)", "0 0 0"},
      {"renormalize", "w = new_mkVector3(0.6, 0.81, 0.01); mkVector3_Renormalize(w); v3(w)",
       Renormalised(0.6f, 0.81f, 0.01f)},
      {"renormalize zero", "z = new_mkVector3(0, 0, 0); mkVector3_Renormalize(z); v3(z)", "0 0 0"},
      {"plane point",
       "n = new_mkPlane3(0, 0, 0, 0); mkPlane3_setUsingPoint(n, q, u); "
       "fl(mkPlane3_fA_get(n), mkPlane3_fB_get(n), mkPlane3_fC_get(n), "
       "mkPlane3_fD_get(n))",
       "3 4 0 -36"},
      {"plane scalar",
       "n = new_mkPlane3(1, 1, 1, 1); mkPlane3_setUsingScalar(n, u, -2.5); "
       "fl(mkPlane3_fA_get(n), mkPlane3_fD_get(n))",
       "3 -2.5"},
      {"colour",
       "c = new_mkColorRGBA(); d = new_mkColorRGBA(); mkColorRGBA_red_set(d, 0.25); "
       "mkColorRGBA_alpha_set(d, 1); print(mkColorRGBA_cmp(c, c), "
       "mkColorRGBA_cmp(c, d)); mkColorRGBA_add(c, d, d); mkColorRGBA_mul(c, c, 3); "
       "fl(mkColorRGBA_red_get(c), mkColorRGBA_green_get(c), mkColorRGBA_blue_get(c), "
       "mkColorRGBA_alpha_get(c))",
       "0 1\n1.5 0 0 6"},
      {"boxes",
       "s = new_mkScalar(); b = new_mkBool32(); i = new_Int32(); "
       "fl(mkScalar_get(s)); mkScalar_set(s, 0.1); mkBool32_set(b, -1); "
       "Int32_set(i, 2147483647); print(repr(mkScalar_get(s)), mkBool32_get(b), "
       "Int32_get(i))",
       "0\n0.10000000149011612 -1 2147483647"},
  };
  for (const ValueCase& c : cases) {
    const Lines said =
        Python(std::string("p = new_mkPoint3(1, 2, 3); q = new_mkPoint3(4, 6, 8)\n"
                           "u = new_mkVector3(3, 4, 0); v = new_mkVector3(0, 0, 1)\n") +
               c.script + "\n");
    std::string joined;
    for (const std::string& l : said) joined += (joined.empty() ? "" : "\n") + l;
    EXPECT_EQ(joined, c.expected) << c.name;
  }
}

TEST_F(ModulesTest, QuaternionRoutines) {
  const float half = std::sin(0.5f), cosHalf = std::cos(0.5f);
  // GetAngleAxis of that quaternion: angle 2 acos(w), axis (x, y, z) / sin(acos(w)).
  const float h = std::acos(cosHalf), s = std::sin(h);
  const ValueCase cases[] = {
      {"angle axis", "mkQuat_SetFromAngleAxis(q, 1.0, z); q4(q)", Floats({0, 0, half, cosHalf})},
      {"axis unnormalised", "a = new_mkVector3(0, 0, 2); mkQuat_SetFromAngleAxis(q, 1.0, a); q4(q)",
       Floats({0, 0, 2 * half, cosHalf})},
      {"get angle axis",
       "mkQuat_SetFromAngleAxis(q, 1.0, z); k = new_mkScalar(); a = new_mkVector3(9, 9, 9); "
       "mkQuat_GetAngleAxis(q, k, a); fl(mkScalar_get(k)); v3(a)",
       F(2 * h) + "\n" + Floats({0, 0, half / s})},
      {"get angle axis of the identity",
       "mkQuat_Identity(q); k = new_mkScalar(); a = new_mkVector3(9, 9, 9); "
       "mkQuat_GetAngleAxis(q, k, a); fl(mkScalar_get(k)); v3(a)",
       "0\n0 0 0"},
      {"angle of w above 1 is clamped",
       "mkQuat_Set(q, 0, 0, 0, 2); k = new_mkScalar(); a = new_mkVector3(9, 9, 9); "
       "mkQuat_GetAngleAxis(q, k, a); fl(mkScalar_get(k)); v3(a)",
       "0\n0 0 0"},
      {"identity",
       "mkQuat_Identity(q); print(mkQuat_IsIdentity(q)); mkQuat_Set(q, 0, 0, 0, -1); "
       "print(mkQuat_IsIdentity(q))",
       "1\n0"},
      {"dot and magnitude",
       "mkQuat_Set(q, 1, 2, 2, 4); fl(mkQuat_Dot(q, q), mkQuat_Magnitude(q), "
       "mkQuat_MagnitudeSquared(q))",
       "25 5 25"},
      {"scaling",
       "mkQuat_Set(q, 1, 2, 3, 4); mkQuat_mul(r, q, 2); mkQuat_add(r, r, q); q4(r); "
       "mkQuat_div(r, r, 3); mkQuat_sub(r, r, q); q4(r); print(mkQuat_cmp(r, q))",
       "3 6 9 12\n0 0 0 0\n1"},
      {"normalize", "mkQuat_Set(q, 0, 3, 0, 4); mkQuat_Normalize(q); q4(q)",
       Floats({0, 3 * (1.0f / 5.0f), 0, 4 * (1.0f / 5.0f)})},
      {"normalize zero",
       "mkQuat_Set(q, 0, 0, 0, 0); mkQuat_Normalize(q); "
       "mkQuat_NormalizeIfNeeded(q); q4(q)",
       "0 0 0 0"},
      // 0.6 and 0.8 as floats square and sum to exactly 1.0 or not: either
      // way the rule is "untouched iff exactly 1.0".
      {"normalize if needed", "mkQuat_Set(q, 0, 0, 0.6, 0.8); mkQuat_NormalizeIfNeeded(q); q4(q)",
       (0.6f * 0.6f + 0.8f * 0.8f == 1.0f)
           ? Floats({0, 0, 0.6f, 0.8f})
           : Floats({0, 0, 0.6f * (1.0f / std::sqrt(0.6f * 0.6f + 0.8f * 0.8f)),
                     0.8f * (1.0f / std::sqrt(0.6f * 0.6f + 0.8f * 0.8f))})},
      {"slerp of equal quaternions is linear",
       "mkQuat_SetFromAngleAxis(q, 1.0, z); mkQuat_SetFromSlerp(r, q, q, 0.3, 0); q4(r)",
       Floats({0, 0, 0.7f * half + 0.3f * half, 0.7f * cosHalf + 0.3f * cosHalf})},
      {"slerp to the negation gives q1",
       "mkQuat_SetFromAngleAxis(q, 1.0, z); mkQuat_mul(r, q, -1); mkQuat_SetFromSlerp(r, q, r, "
       "0.3, 0); q4(r)",
       Floats({0, 0, 0.7f * half + (-0.3f) * (-half), 0.7f * cosHalf + (-0.3f) * (-cosHalf)})},
      {"rotate",
       "mkQuat_SetFromAngleAxis(q, 1.5707964, z); x = new_mkVector3(1, 0, 0); "
       "mkQuat_Rotate(q, x); v3(x)",
       ""},
  };
  for (const ValueCase& c : cases) {
    const Lines said = Python(std::string("q = new_mkQuat(0, 0, 0, 1); r = new_mkQuat(0, 0, 0, 1)\n"
                                          "z = new_mkVector3(0, 0, 1)\n") +
                              c.script + "\n");
    std::string joined;
    for (const std::string& l : said) joined += (joined.empty() ? "" : "\n") + l;
    if (std::string(c.name) == "rotate") {
      // q^-1 (v, 0) q for a quarter turn about z: (1, 0, 0) goes to (0, -1, 0).
      float x, y, zz;
      ASSERT_EQ(std::sscanf(joined.c_str(), "%f %f %f", &x, &y, &zz), 3) << joined;
      EXPECT_NEAR(x, 0.0f, 1e-6f);
      EXPECT_NEAR(y, -1.0f, 1e-6f);
      EXPECT_EQ(zz, 0.0f);
      continue;
    }
    EXPECT_EQ(joined, c.expected) << c.name;
  }
}

TEST_F(ModulesTest, SlerpWeightsOfDistinctQuaternions) {
  // Independent formula: theta = acos(c), k1 = sin((1-t) theta)/sin theta.
  const Lines said = Python(
      "a = new_mkQuat(0, 0, 0, 1); b = new_mkQuat(0, 0, 1, 0); r = new_mkQuat(0, 0, 0, 0)\n"
      "mkQuat_SetFromSlerp(r, a, b, 0.25, 0); q4(r)\n");
  const float theta = std::acos(0.0f);
  const float phi = 0.25f * theta;
  const float k1 = std::sin(theta - phi) / std::sin(theta), k2 = std::sin(phi) / std::sin(theta);
  EXPECT_EQ(said, (Lines{Floats({0, 0, k2, k1})}));
}

TEST_F(ModulesTest, MatricesAndTheIdentityFlag) {
  const Lines said = Python(
      "m = new_mkMatrix44(); n = new_mkMatrix44(); o = new_mkMatrix44(); t = new_mkMatrix44()\n"
      "print(m, n, o, t)\n"
      "v = new_mkVector3(2, 3, 4)\n"
      "mkMatrix44_Reset(m); mkMatrix44_Reset(n); mkMatrix44_mul(o, m, n)\n"
      "print(mkMatrix44_cmp(m, o))\n"
      "mkMatrix44_MakeTranslateMat(t, v)\n"
      "g = new_mkVector3(0, 0, 0); mkMatrix44_GetTranslate(t, g); v3(g)\n"
      "mkMatrix44_mul(m, t, t)\n"
      "print(mkMatrix44_IsIdentity(n), mkMatrix44_IsIdentity(t))\n");
  ASSERT_EQ(said.size(), 4u) << said.back();
  std::vector<std::string> names;
  for (size_t at = 0, end; at < said[0].size(); at = end + 1) {
    end = said[0].find(' ', at);
    if (end == std::string::npos) end = said[0].size();
    names.push_back(said[0].substr(at, end - at));
  }
  const float identity[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  ExpectMatrix(*Native<mkMatrix44>(names[2]), identity, 1u);
  EXPECT_EQ(said[1], "0");
  EXPECT_EQ(said[2], "2 3 4");
  const float twice[4][4] = {{1, 0, 0, 4}, {0, 1, 0, 6}, {0, 0, 1, 8}, {0, 0, 0, 1}};
  ExpectMatrix(*Native<mkMatrix44>(names[0]), twice, 0u);
  EXPECT_EQ(said[3], "1 0");

  // The flag is a shortcut: a flagged matrix is not read.
  mkMatrix44* m = Native<mkMatrix44>(names[0]);
  mkMatrix44* n = Native<mkMatrix44>(names[1]);
  n->m[0][1] = 7.0f;  // still flagged
  EXPECT_EQ(Python("mkMatrix44_mul(o, m, n); print(mkMatrix44_cmp(o, m))"), (Lines{"0"}));
  ExpectMatrix(*Native<mkMatrix44>(names[2]), twice, 0u);
  // IsIdentity recomputes it; a negative zero off the diagonal counts as 0.
  n->m[0][1] = -0.0f;
  n->flags = 0u;
  EXPECT_EQ(Python("print(mkMatrix44_IsIdentity(n))"), (Lines{"1"}));
  EXPECT_EQ(n->flags, 1u);

  // SetRotate about axis 1 by pi/2 keeps the other elements.
  *m = {{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}, 1u};
  EXPECT_EQ(Python("mkMatrix44_SetRotate(m, 1, 1.5707964)"), Lines{});
  const float c = std::cos(1.5707964f), s = std::sin(1.5707964f);
  const float rotated[4][4] = {{c, 2, s, 4}, {5, 6, 7, 8}, {-s, 10, c, 12}, {13, 14, 15, 16}};
  ExpectMatrix(*m, rotated, 0u);
  EXPECT_EQ(Python("err(mkMatrix44_SetRotate, m, 3, 1.0)"),
            (Lines{"ValueError: mkMatrix44_SetRotate: axis 3 is not 0, 1 or 2"}));
  ExpectMatrix(*m, rotated, 0u);

  // Scale, transpose, determinant, adjoint and inverse.
  EXPECT_EQ(Python("mkMatrix44_MakeScaleMat(m, v); fl(mkMatrix44_GetDeterminant(m))\n"
                   "mkMatrix44_GetInverse(m, o)\n"
                   "mkMatrix44_SetScale(t, v); mkMatrix44_GetTranspose(t, n)"),
            (Lines{"24"}));
  const float inverse[4][4] = {{12.0f * (1.0f / 24.0f), 0, 0, 0},
                               {0, 8.0f * (1.0f / 24.0f), 0, 0},
                               {0, 0, 6.0f * (1.0f / 24.0f), 0},
                               {0, 0, 0, 24.0f * (1.0f / 24.0f)}};
  ExpectMatrix(*Native<mkMatrix44>(names[2]), inverse, 0u);
  const float scaledTransposed[4][4] = {{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {2, 3, 4, 1}};
  ExpectMatrix(*Native<mkMatrix44>(names[1]), scaledTransposed, 0u);

  // A general matrix: its inverse times itself is the identity.
  *m = {{{2, 0, 1, 3}, {1, 3, 0, 1}, {0, 1, 4, 2}, {1, 0, 0, 1}}, 0u};
  EXPECT_EQ(Python("mkMatrix44_GetInverse(m, o); mkMatrix44_mul(n, m, o)"), Lines{});
  const mkMatrix44& product = *Native<mkMatrix44>(names[1]);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(product.m[i][j], i == j ? 1.0f : 0.0f, 1e-5f);
  // A singular matrix: the flagged identity.
  *m = {{{1, 2, 3, 4}, {2, 4, 6, 8}, {0, 1, 0, 1}, {1, 0, 0, 1}}, 0u};
  EXPECT_EQ(Python("fl(mkMatrix44_GetDeterminant(m)); mkMatrix44_GetInverse(m, o)"), (Lines{"0"}));
  ExpectMatrix(*Native<mkMatrix44>(names[2]), identity, 1u);
}

TEST_F(ModulesTest, LookAtMatricesAndAxes) {
  const Lines said = Python(
      "m = new_mkMatrix44(); print(m)\n"
      "f = new_mkPoint3(1, 2, 3); at = new_mkPoint3(5, 2, 3); up = new_mkVector3(0, 0, 1)\n"
      "a = new_mkVector3(9, 9, 9); b = new_mkVector3(9, 9, 9); c = new_mkVector3(9, 9, 9)\n"
      "mkMatrix44_Make(m, f, at, up); mkMatrix44_GetAxis(m, a, b, c); v3(a); v3(b); v3(c)\n"
      "mkMatrix44_MakeCamera(m, f, at, up)\n"
      "mkMatrix44_GetAxisFromCamera(m, 'NULL', b, 'NULL'); v3(a); v3(b)\n");
  ASSERT_EQ(said.size(), 6u) << said[0];
  // Make: N = norm(from - at) = (-1, 0, 0); U = up x N = (0, -1, 0);
  // V = U x N = (0, 0, -1). Columns U, N, V; GetAxis gives -N, V, -U.
  // (Zeros are compared as numbers: their signs come from the products.)
  EXPECT_EQ(Numbers(said[1]), (std::vector<float>{1, 0, 0}));
  EXPECT_EQ(Numbers(said[2]), (std::vector<float>{0, 0, -1}));
  EXPECT_EQ(Numbers(said[3]), (std::vector<float>{0, 1, 0}));
  // MakeCamera: F = from - at = (-4, 0, 0); R = norm(up x F) = (0, -1, 0);
  // F = (-1, 0, 0); V = norm(F x R) = (0, 0, 1). Rows -R, V, F, times the
  // translation by -from.
  const float camera[4][4] = {{0, 1, 0, -2}, {0, 0, 1, -3}, {-1, 0, 0, 1}, {0, 0, 0, 1}};
  const mkMatrix44& m = *Native<mkMatrix44>(said[0]);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(m.m[i][j], camera[i][j]) << i << "," << j;
  EXPECT_EQ(m.flags, 0u);
  EXPECT_EQ(said[4], said[1]);  // "NULL" skipped the first vector
  EXPECT_EQ(Numbers(said[5]), (std::vector<float>{0, 0, -1}));
}

TEST_F(ModulesTest, QuaternionAndMatrixConversions) {
  const Lines said = Python(
      "m = new_mkMatrix44(); q = new_mkQuat(0, 0, 0, 1); r = new_mkQuat(0, 0, 0, 0)\n"
      "z = new_mkVector3(0, 0, 1); mkQuat_SetFromAngleAxis(q, 0.5, z)\n"
      "mkQuat_MakeMatrix(q, m); print(m); mkQuat_SetFromMatrix(r, m); q4(r)\n"
      "h = new_mkMatrix44(); mkMatrix44_Reset(h); mkMatrix44_SetRotate(h, 0, 3.1415927)\n"
      "mkQuat_SetFromMatrix(r, h); q4(r)\n");
  ASSERT_EQ(said.size(), 3u) << said[0];
  const mkMatrix44& m = *Native<mkMatrix44>(said[0]);
  const float c = std::cos(0.5f), s = std::sin(0.5f);
  EXPECT_NEAR(m.m[0][0], c, 1e-6f);
  EXPECT_NEAR(m.m[0][1], -s, 1e-6f);
  EXPECT_NEAR(m.m[1][0], s, 1e-6f);
  float x, y, zz, w;
  ASSERT_EQ(std::sscanf(said[1].c_str(), "%f %f %f %f", &x, &y, &zz, &w), 4);
  EXPECT_NEAR(zz, std::sin(0.25f), 1e-6f);
  EXPECT_NEAR(w, std::cos(0.25f), 1e-6f);
  // A half turn about x: a = 0, b = -(cos + cos)/2 = 1, so x = 1.
  ASSERT_EQ(std::sscanf(said[2].c_str(), "%f %f %f %f", &x, &y, &zz, &w), 4);
  EXPECT_EQ(x, 1.0f);
  EXPECT_EQ(w, 0.0f);
}

TEST_F(ModulesTest, ObjectsAreTrackedFromMakingToFreeing) {
  const Lines said = Python(
      "p = new_mkPoint3(1, 2, 3); v = new_mkVector3(0, 0, 0)\n"
      "delete_mkPoint3(p)\n"
      "err(delete_mkPoint3, p)\n"
      "err(mkPoint3_fX_get, p)\n"
      "err(mkPoint3_fX_get, v)\n"
      "err(mkVector3_fX_get, v.replace('mkVector3', 'mkPoint3'))\n"
      "err(mkPoint3_fX_get, '_10_mkPoint3_p')\n"
      "err(mkPoint3_fX_get, 'NULL')\n"
      "err(mkVector3_div, v, v, 0.0)\n"
      "err(Int32_set, new_Int32(), 2**31)\n"
      "err(delete_mkScalar, '_1A_mkScalar_p')\n"
      "f = new_ktInfluenceVector()\n"
      "err(delete_ktVelocityVector, f)\n"
      "err(ktVelocityVector_GetSpeed, f)\n"
      "err(ktVelocityVector_GetSpeed, f.replace('_ktInfluenceVector', "
      "'_class_ktInfluenceVector'))\n"
      "err(ktFlock_GetCount, f)\n"
      "err(ktFlock_AddAvoidObjects, new_ktFlock('NULL'), ['a', 1])\n"
      "err(mkPoint3_add, v, v)\n"
      "s = SceneAPIc.GetSceneObjectByID('Rock'); k = new_mkScalar()\n"
      "err(SceneAPIc.GetWorldPos, s, p)\n"
      "err(SceneAPIc.GetWorldPos, s, 'NULL')\n");
  EXPECT_EQ(said,
            (Lines{
                "TypeError: Type error in argument 1 of delete_mkPoint3. Expected _mkPoint3_p.",
                "TypeError: Type error in argument 1 of mkPoint3_fX_get. Expected _mkPoint3_p.",
                "TypeError: Type error in argument 1 of mkPoint3_fX_get. Expected _mkPoint3_p.",
                "TypeError: Type error in argument 1 of mkVector3_fX_get. Expected _mkVector3_p.",
                "TypeError: Type error in argument 1 of mkPoint3_fX_get. Expected _mkPoint3_p.",
                "TypeError: Type error in argument 1 of mkPoint3_fX_get. Expected _mkPoint3_p.",
                "ZeroDivisionError: mkVector3_div: division by zero",
                "OverflowError: Int32_set: 2147483648 does not fit in 32 bits",
                "TypeError: Type error in argument 1 of delete_mkScalar. Expected _mkScalar_p.",
                "TypeError: Type error in argument 1 of delete_ktVelocityVector. Expected "
                "_ktVelocityVector_p.",
                "no error",
                "no error",
                "TypeError: Type error in argument 1 of ktFlock_GetCount. Expected _ktFlock_p.",
                "TypeError: list must contain strings",
                "TypeError: mkPoint3_add() takes exactly 3 arguments (2 given)",
                "TypeError: Type error in argument 2 of GetWorldPos. Expected _mkPoint3_p.",
                "no error",
            }));
}

// Tuples of exactly str, float and int are read without PyArg_ParseTuple;
// everything else still gets its conversions and its messages.
TEST_F(ModulesTest, ArgumentsConvertAsTheRuntimeConvertsThem) {
  const Lines said = Python(
      "q = new_mkPoint3(1, 2, 3); s = SceneAPIc.GetSceneObjectByID('Stone')\n"
      "err(mkPoint3_fX_get, q + '\\0')\n"
      "err(mkPoint3_mul, q, q, 2); p3(q)\n"
      "err(mkPoint3_mul, q, q, '2')\n"
      "err(mkMatrix44_SetRotate, new_mkMatrix44(), True, 0.5)\n"
      "err(mkMatrix44_SetRotate, new_mkMatrix44(), 2**70, 0.5)\n"
      "err(SceneAPIc.GetWorldPos, s + '\\0', q)\n"
      "err(SceneAPIc.GetWorldPos, s, 'NULL\\0')\n"
      "err(SceneAPIc.GetWorldPos, s, q, 2**70)\n"
      "err(SceneAPIc.GetWorldPos, s, q, True); p3(q)\n");
  EXPECT_EQ(
      said,
      (Lines{"ValueError: embedded null character", "no error", "2 4 6",
             "TypeError: must be real number, not str", "no error",
             "OverflowError: Python int too large to convert to C long",
             "ValueError: embedded null character", "ValueError: embedded null character",
             "OverflowError: Python int too large to convert to C long", "no error", "3 4 0"}));
}

// --- ktFlocksc ----------------------------------------------------------------------

TEST_F(ModulesTest, FlockConstantsToTheLastBit) {
  const Lines said = Python(
      "import ktFlocksc\n"
      "for k, v in ktFlocksc.__dict__.items():\n"
      "    if isinstance(v, (int, float)) and not k.startswith('_'): print(k, repr(v))\n"
      "print(mkUtilc.ktOSC_RECT_WAVE, mkUtilc.ktOSC_TRIANGLE_WAVE, mkUtilc.ktOSC_SINE_WAVE, "
      "mkUtilc.ktOSC_LINE1_WAVE, mkUtilc.ktOSC_LINE0_WAVE)\n");
  EXPECT_EQ(said, (Lines{
                      "DEFAULT_MaxSpeed 1.0",
                      "DEFAULT_DesiredSpeed 0.5",
                      "DEFAULT_DesiredInfluence 1.0",
                      "DEFAULT_MaxChange 0.10000000149011612",
                      "DEFAULT_SeparationDist 5.0",
                      "DEFAULT_CohesionDist 10.0",
                      "DEFAULT_PerceptionRange 100.0",
                      "DEFAULT_WaypointCloseEnough 5.0",
                      "DEFAULT_DesiredCruisingInfluence 0.5",
                      "DEFAULT_DesiredKeepDistanceInfluence 1.0",
                      "DEFAULT_DesiredCohesionInfluence 1.0",
                      "DEFAULT_DesiredMatchHeadingInfluence 0.5",
                      "DEFAULT_DesiredSteerToCenterInfluence 0.5",
                      "DEFAULT_DesiredSteerToLeaderInfluence 0.5",
                      "DEFAULT_DesiredGatheringPlaceInfluence 0.5",
                      "MaxBoids 30",
                      "Max_Friends_Visible 15",
                      "MaxAvoidObjects 20",
                      "MaxGatheringPlaces 10",
                      "INFINITY 999999.0",
                      "DEFAULT_MININFLUENCE 0.10000000149011612",
                      "DEFAULT_MAXINFLUENCE 0.8999999761581421",
                      "1 2 3 4 5",
                  }));
}

TEST_F(ModulesTest, FlocksBoidsAndTheirParameters) {
  const Lines said = Python(
      "api = egBrainc.egBrainDll_GetSceneApi('NULL')\n"
      "f = new_ktFlock(api)\n"
      "a = new_ktBoid(SceneAPIc.GetObjKeyByID('Rock'), f, api)\n"
      "b = new_ktBoid(SceneAPIc.GetObjKeyByID('Stone'), f, api)\n"
      "ktFlock_AddTo(f, a); ktFlock_AddTo(f, b); ktFlock_AddTo(f, b)\n"
      "print(ktFlock_GetCount(f), ktFlock_GetFirstMember(f) == a, ktBoid_GetNext(a) == b)\n"
      "print(ktFlock_GetMaxAvoidObjects(f), ktFlock_GetMaxGatheringPlaces(f))\n"
      "ktFlock_SetMaxSpeed(f, 3.5); fl(ktBoid_GetMaxSpeed(a)); ktFlock_UpdateMaxSpeed(f)\n"
      "fl(ktBoid_GetMaxSpeed(a), ktBoid_GetMaxSpeed(b))\n"
      "ktBoid_SetMaxSpeed(b, 7); ktBoid_DefaultMaxSpeed(a); fl(ktBoid_GetMaxSpeed(b), "
      "ktBoid_GetMaxSpeed(a), ktFlock_GetMaxSpeed(f))\n"
      "ktFlock_SetWaypoint(f, 3); ktFlock_IncWaypoint(f); print(ktFlock_GetWaypoint(f))\n"
      "err(ktFlock_AddAvoidObjects, f, ('Post',))\n"
      "print(ktFlock_GetAvoidObjects(f).endswith('_mkRegistryKey_pp'))\n"
      "ktFlock_SetLeader(f, b); print(ktFlock_GetLeader(f) == b)\n"
      "delete_ktBoid(b)\n"
      "print(ktFlock_GetCount(f), ktBoid_GetNext(a), ktFlock_GetLeader(f))\n"
      "print(ktFlock_GetAvoidObjects(f))\n");
  ASSERT_EQ(said.size(), 11u) << said.back();
  EXPECT_EQ(said[0], "2 True True");
  EXPECT_EQ(said[1], "20 10");
  EXPECT_EQ(said[2], "1");
  EXPECT_EQ(said[3], "3.5 3.5");
  EXPECT_EQ(said[4], "7 3.5 3.5");
  EXPECT_EQ(said[5], "4");
  EXPECT_EQ(said[6], "TypeError: not a list");
  EXPECT_EQ(said[7], "True");
  EXPECT_EQ(said[8], "True");
  EXPECT_EQ(said[9], "1 NULL NULL");
  // The tuple added nothing: every entry of the avoid list is still null.
  mkRegistryKey** keys = Native<mkRegistryKey*>(said[10]);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(keys[i], nullptr) << i;
}

TEST_F(ModulesTest, SteeringAcceptsAnInfluenceVectorAsTheCurrentVelocity) {
  const Lines said = Python(
      "api = egBrainc.egBrainDll_GetSceneApi('NULL')\n"
      "f = new_ktFlock(api)\n"
      "a = new_ktBoid(SceneAPIc.GetObjKeyByID('Rock'), f, api); ktFlock_AddTo(f, a)\n"
      "ktBoid_SetInFlock(a, 1)\n"
      "d = new_mkVector3(1, 0, 0); cur = new_ktInfluenceVector()\n"
      "ktInfluenceVector_Set(cur, d, 0.5, 1.0); out = new_ktInfluenceVector()\n"
      "ktBoid_FlockIt(a, cur, out); fl(ktVelocityVector_GetSpeed(out))\n"
      "fl(ktBoid_AvoidBlockers(a, 3, 1, 2, out))\n"
      "fl(ktBoid_GetWhereToDistance(a))\n"
      "delete_ktFlock(f)\n"
      "ktBoid_FlockIt(a, cur, out); g = new_mkVector3(9, 9, 9); ktVelocityVector_GetVector(out, "
      "g); v3(g); fl(ktVelocityVector_GetSpeed(out), ktInfluenceVector_GetInfluence(out))\n");
  // The boid's own step with no neighbours: it keeps cruising (the speed is
  // the library's, so it is only checked to be a number); a boid with no
  // flock left writes zero.
  ASSERT_EQ(said.size(), 5u) << said.back();
  EXPECT_EQ(said[1], "0");
  EXPECT_EQ(said[2], "999999");
  EXPECT_EQ(said[3], "0 0 0");
  EXPECT_EQ(said[4], "0 0");
}

TEST_F(ModulesTest, AccumulatorsForgetFreedVectors) {
  const Lines said = Python(
      "acc = new_ktAccumInfluenceVectors(0.1, 0.9)\n"
      "x = new_mkVector3(1, 0, 0); y = new_mkVector3(0, 1, 0)\n"
      "a = new_ktInfluenceVector(); ktInfluenceVector_Set(a, x, 2.0, 0.5)\n"
      "b = new_ktInfluenceVector(); ktInfluenceVector_Set(b, y, 4.0, 0.5)\n"
      "ktAccumInfluenceVectors_AddAVector(acc, a); ktAccumInfluenceVectors_AddAVector(acc, b)\n"
      "print(ktInfluenceVector_GetNext(a) == b)\n"
      "delete_ktInfluenceVector(b)\n"
      "print(ktInfluenceVector_GetNext(a))\n"
      "out = new_ktVelocityVector(); ktAccumInfluenceVectors_TallyVectors(acc, out)\n"
      "g = new_mkVector3(0, 0, 0); ktVelocityVector_GetVector(out, g); v3(g)\n"
      "fl(ktVelocityVector_GetSpeed(out))\n");
  // Only a is left, with the whole influence: it takes over alone.
  EXPECT_EQ(said, (Lines{"True", "NULL", "1 0 0", "2"}));
}

// --- mkUtilc -----------------------------------------------------------------------

TEST_F(ModulesTest, GeometryHelpers) {
  const Lines said = Python(
      "rock = SceneAPIc.GetSceneObjectByID('Rock'); stone = SceneAPIc.GetSceneObjectByID('Stone')\n"
      "post = SceneAPIc.GetSceneObjectByID('Post')\n"
      "fl(mkUtilc.Distance(rock, stone))\n"
      "x = new_mkVector3(1, 0, 0); mx = new_mkVector3(-1, 0, 0)\n"
      "fl(mkUtilc.VectorsFacingWithin(x, mx, 0.5), mkUtilc.VectorsFacingWithin(x, x, 2), "
      "mkUtilc.VectorsFacingWithin(x, x, 8), mkUtilc.VectorsFacingWithin(x, mx, 0))\n"
      "fl(mkUtilc.HowMuchRotatedHorz(rock, stone))\n"
      "z = new_mkVector3(0, 0, 1); mkUtilc.Rotate(stone, z, 1.5707964)\n"
      "fl(round(mkUtilc.HowMuchRotatedHorz(rock, stone), 6))\n"
      "mkUtilc.Rotate(stone, z, 3.1415927)\n"
      "fl(round(mkUtilc.HowMuchRotatedHorz(rock, stone), 6))\n"
      "mkUtilc.FaceViewTowardsHorz(rock, post)\n"
      "fl(mkUtilc.ObjFacingWithin(rock, post, 1.0), mkUtilc.ObjFacingWithin(post, rock, 1.0))\n"
      "v = new_mkVector3(2, 0, 0); mkUtilc.Move(post, v, 1.5)\n"
      "fl(mkUtilc.Distance(rock, post))\n");
  EXPECT_EQ(said, (Lines{"25", "1 0 0.5 1", "0", "0.75", "0.25", "1 0", "169"}));
  // FaceViewTowardsHorz of a target straight ahead turns by 0: one
  // SetLocalMatrix with the unchanged matrix.
  EXPECT_EQ(Calls("SetLocalMatrix").size(), 4u);
}

TEST_F(ModulesTest, OscillatorsAreThinAccessors) {
  const Lines said = Python(
      "o = mkUtilc.new_ktOscillator(); mkUtilc.ktOscillator_SetWave(o, 2.0)\n"
      "fl(mkUtilc.ktOscillator_GetBeginTime(o), mkUtilc.ktOscillator_GetDeltaTime(o, 2.25), "
      "mkUtilc.ktOscillator_Oscillate(o, 2.25))\n"
      "d = mkUtilc.new_ktDampOscillator(); mkUtilc.ktOscillator_SetWave(d, 0, "
      "mkUtilc.ktOSC_LINE1_WAVE); mkUtilc.ktDampOscillator_SetEaseIn(d, 2.0)\n"
      "fl(mkUtilc.ktDampOscillator_GetEaseIn(d), mkUtilc.ktDampOscillator_IsDampedExpired(d))\n"
      "w = mkUtilc.new_ktVecOscillator(); mkUtilc.ktVecOscillator_SetVector(w, new_mkVector3(2, "
      "0, 0))\n"
      "r = mkUtilc.ktVecOscillator_Oscillate(w, 0.25); v3(r); delete_mkVector3(r)\n"
      "err(mkUtilc.ktDampOscillator_GetMiddle, o)\n"
      "fl(mkUtilc.ktOscillator_Oscillate(w, 0.25))\n");
  ktOscillator sine;
  sine.SetWave(2.0f);
  ktVecOscillator vec;
  vec.SetDefault();
  vec.SetVector({2, 0, 0});
  const mkVector3 r = vec.Oscillate(0.25f);
  ktVecOscillator plain;
  plain.SetDefault();
  EXPECT_EQ(said,
            (Lines{Floats({2, 0.25f, sine.Oscillate(2.25f)}), "2 0", Floats({r.fX, r.fY, r.fZ}),
                   "TypeError: Type error in argument 1 of ktDampOscillator_GetMiddle. "
                   "Expected _ktDampOscillator_p.",
                   F(static_cast<ktOscillator&>(plain).Oscillate(0.25f))}));
}

// --- egBrainc, egGameControllerc, mkRegistryc ------------------------------------------

TEST_F(ModulesTest, BrainControllerAndRegistry) {
  std::ofstream(dir_ / "python" / "pilot.py")
      << "import egBrainc as B, egGameControllerc as G, mkRegistryc as R\n"
         "class Pilot:\n"
         "    def __init__(self, me): self.me = me\n"
         "    def Update(self, t):\n"
         "        me = self.me\n"
         "        host = B.egBrainDll_GetBrain(me)\n"
         "        print(B.egBrain_GetOwnerObj(host).endswith('_mkSceneObject_p'),"
         " B.egBrain_GetBrainDll(host) == me, B.egBrainDll_GetCamBrain(me).endswith("
         "'_egCameraBrain_p'))\n"
         "        c = B.egBrain_GetController(host)\n"
         "        G.egGC_SetFlags(c, 3)\n"
         "        print(G.egGC_isTesseraType(c), G.egGC_isCairnType(c))\n"
         "        G.egGC_SetJumpKeyDown(c, 5); G.egGC_SetJumpKeyDown(c, 0)\n"
         "        print(G.egGC_isJumpKeyDown(c), G.egGC_isKeyDown(c, 99))\n"
         "        return 0\n"
         "def brain(me): return Pilot(me)\n";
  Python("");
  traceFirst_ = stage_.model().trace().lines().size();
  const size_t first = stage_.model().messages().size();
  ASSERT_TRUE(
      stage_.model().AttachBrainClass(stage_.model().FindObject("Rock"), "PythonMgr:pilot.py"));
  stage_.model().hostBrains().back()->plugin->Update(0.5f);
  Lines lines;
  for (size_t i = first; i < stage_.model().messages().size(); ++i)
    lines.push_back(stage_.model().messages()[i].text);
  EXPECT_EQ(lines, (Lines{"True True True ", "2 1 ", "0 0 "}));
  EXPECT_EQ(Calls("controller.SetScalarInputState"),
            (Lines{"controller.SetScalarInputState(14, 1, null)",
                   "controller.SetScalarInputState(14, 0, null)"}));
  const Lines said = Python(
      "print(egBrainc.egBrain_GetOwner('NULL'), egBrainc.egBrain_GetFlags('NULL'), "
      "mkRegistryc.GetNameFromKey('NULL'), mkRegistryc.GetSceneObjectFromKey('NULL'))\n"
      "k = SceneAPIc.GetObjKeyByID('Stone')\n"
      "print(mkRegistryc.GetNameFromKey(k), mkRegistryc.GetCharacterFromKey(k) == "
      "SceneAPIc.GetSceneObjectByID('Stone').replace('mkSceneObject', 'egCharacter'))\n"
      "err(mkRegistryc.GetNameFromKey, SceneAPIc.GetSceneObjectByID('Stone'))\n"
      "err(egGameControllerc.egGC_isJumpKeyDown, 'NULL')\n");
  EXPECT_EQ(said, (Lines{"NULL 0 None NULL", "Stone True",
                         "TypeError: Type error in argument 1 of GetNameFromKey. Expected "
                         "_mkRegistryKey_p.",
                         "no error"}));
}

// --- The argument policy ------------------------------------------------------------

// Calls that once ended the host (a forged host pointer string decoded and
// dereferenced), read past a list, hung it (a ring of boids) or silently
// truncated a number, and what each says now. Nothing reaches the host.
struct PolicyCase {
  const char* call;
  const char* said;
};
const PolicyCase kPolicyCases[] = {
    {"egGameControllerc.egGC_isCairnType('_deadbeef_egGameController_p')",
     "TypeError: Type error in argument 1 of egGC_isCairnType. Expected _egGameController_p."},
    {"egGameControllerc.egGC_SetFlags('_deadbeef_egGameController_p', 1)",
     "TypeError: Type error in argument 1 of egGC_SetFlags. Expected _egGameController_p."},
    {"egGameControllerc.egGC_SetCursorKey('NULL', '_10_mkRegistryKey_p')",
     "TypeError: Type error in argument 2 of egGC_SetCursorKey. Expected _mkRegistryKey_p."},
    {"egBrainc.egBrain_GetOwnerChar('_68c59065c50a_egBrain_p')",
     "TypeError: Type error in argument 1 of egBrain_GetOwnerChar. Expected _egBrain_p."},
    {"egBrainc.egBrain_GetController('_1_egBrain_p')",
     "TypeError: Type error in argument 1 of egBrain_GetController. Expected _egBrain_p."},
    {"egBrainc.egBrainDll_GetBrain('_ffffffffffffffff_egBrainDll_p')",
     "TypeError: Type error in argument 1 of egBrainDll_GetBrain. Expected _egBrainDll_p."},
    {"mkRegistryc.GetSceneObjectFromKey('_10_mkRegistryKey_p')",
     "TypeError: Type error in argument 1 of GetSceneObjectFromKey. Expected _mkRegistryKey_p."},
    {"mkRegistryc.GetNameFromKey('_deadbeef_mkRegistryKey_p')",
     "TypeError: Type error in argument 1 of GetNameFromKey. Expected _mkRegistryKey_p."},
    {"SceneAPIc.RegisterXCmd(iv, '_10_egXCmd_p')",
     "TypeError: Type error in argument 2 of RegisterXCmd. Expected _egXCmd_p."},
    {"SceneAPIc.GetWorldPos('_10_mkSceneObject_p', new_mkPoint3(0, 0, 0))",
     "TypeError: Type error in argument 1 of GetWorldPos. Expected _mkSceneObject_p."},
    {"new_ktFlock('_10_egSceneApi_p')",
     "TypeError: Type error in argument 1 of new_ktFlock. Expected _egSceneApi_p."},
    {"SceneAPIc.XCmdRun('NULL', 40, ['inner.py'])",
     "TypeError: Type error in argument 2 of XCmdRun. Expected a count from 0 to 1."},
    {"SceneAPIc.XCmdRun('NULL', -1, [])",
     "TypeError: Type error in argument 2 of XCmdRun. Expected a count from 0 to 0."},
    {"SceneAPIc.BrainClassSendParams('x', 3, ['a', 'b'])",
     "TypeError: Type error in argument 2 of BrainClassSendParams. Expected a count from 0 to 2."},
    {"ktBoid_SetNext(a, a)", "ValueError: ktBoid_SetNext: the link would close a ring of boids"},
    {"ktBoid_SetNext(b, a)", "ValueError: ktBoid_SetNext: the link would close a ring of boids"},
    {"ktInfluenceVector_SetNext(iv, iv)",
     "ValueError: ktInfluenceVector_SetNext: the link would close a ring of vectors"},
    {"mkUtilc.ktOscillator_SetBipolar(o, 2**32)",
     "OverflowError: ktOscillator_SetBipolar: 4294967296 does not fit in 32 bits"},
    {"ktFlock_SetWaypoint(f, 2**32 + 3)",
     "OverflowError: ktFlock_SetWaypoint: 4294967299 does not fit in 32 bits"},
    {"ktBoid_SetWaypoint(a, -2**31 - 1)",
     "OverflowError: ktBoid_SetWaypoint: -2147483649 does not fit in 32 bits"},
    {"SceneAPIc.SetInputEnable(2**32)",
     "OverflowError: SetInputEnable: 4294967296 does not fit in 32 bits"},
    {"egBrainc.egBrain_GetFlags('NULL\\x00')", "ValueError: embedded null character"},
    {"ktFlock_GetCount(f + '\\x00')", "ValueError: embedded null character"},
    {"SceneAPIc.GetID('NULL\\x00')", "ValueError: embedded null character"},
    {"SceneAPIc.ApiMessage('a\\x00b')", "ValueError: embedded null character"},
    {"ktFlock_RemoveFrom(f, 'NULL')", "no error"},
    {"ktFlock_SetWaypoint(f, 2**31 - 1)", "no error"},
    // An object of a type that the expected one accepts: only a live one,
    // named by the type it was made as, at its own address.
    {"ktVelocityVector_GetSpeed(iv)", "no error"},
    {"ktAccumInfluenceVectors_TallyVectors(acc, iv)", "no error"},
    {"ktVelocityVector_GetSpeed(gone)",
     "TypeError: Type error in argument 1 of ktVelocityVector_GetSpeed. Expected "
     "_ktVelocityVector_p."},
    {"ktVelocityVector_GetSpeed(vv.replace('ktVelocityVector', 'ktInfluenceVector'))",
     "TypeError: Type error in argument 1 of ktVelocityVector_GetSpeed. Expected "
     "_ktVelocityVector_p."},
    {"ktInfluenceVector_GetInfluence(iv.replace('ktInfluenceVector', 'ktVelocityVector'))",
     "TypeError: Type error in argument 1 of ktInfluenceVector_GetInfluence. Expected "
     "_ktInfluenceVector_p."},
    {"ktVelocityVector_GetSpeed('_%x_ktInfluenceVector_p' % (int(iv[1:iv.index('_k')], 16) + 8))",
     "TypeError: Type error in argument 1 of ktVelocityVector_GetSpeed. Expected "
     "_ktVelocityVector_p."},
    {"ktVelocityVector_GetSpeed(a)",
     "TypeError: Type error in argument 1 of ktVelocityVector_GetSpeed. Expected "
     "_ktVelocityVector_p."},
    {"ktAccumInfluenceVectors_TallyVectors(acc, iv + 'x')",
     "TypeError: Type error in argument 2 of ktAccumInfluenceVectors_TallyVectors. Expected "
     "_ktVelocityVector_p."},
    {"mkScalar_get(k.replace('mkScalar', 'float'))",
     "TypeError: Type error in argument 1 of mkScalar_get. Expected _mkScalar_p."},
    {"SceneAPIc.CamGetFOV(SceneAPIc.GetCamera(), k)", "no error"},
};

TEST_F(ModulesTest, ForgedPointersRingsCountsAndWideNumbersAreRefused) {
  std::string script =
      "iv = new_ktInfluenceVector(); o = mkUtilc.new_ktOscillator()\n"
      "f = new_ktFlock('NULL'); a = new_ktBoid('NULL', f, 'NULL'); b = new_ktBoid('NULL', f, "
      "'NULL')\n"
      "ktFlock_AddTo(f, a); ktFlock_AddTo(f, b)\n"
      "vv = new_ktVelocityVector(); acc = new_ktAccumInfluenceVectors(0.1, 0.9); k = "
      "new_mkScalar()\n"
      "gone = new_ktInfluenceVector(); delete_ktInfluenceVector(gone)\n";
  Lines expected;
  for (const PolicyCase& c : kPolicyCases) {
    script += std::string("err(lambda: ") + c.call + ")\n";
    expected.push_back(c.said);
  }
  script +=
      "print(ktFlock_GetCount(f), ktFlock_GetFirstMember(f) == a, ktBoid_GetNext(a) == b, "
      "ktFlock_GetWaypoint(f))\n";
  expected.push_back("2 True True 2147483647");
  EXPECT_EQ(Python(script), expected);
  for (const char* op : {"RegisterXCmd", "XCmdRun", "BrainClassSendParams", "GetWorldPos",
                         "SetInputEnable", "GetID"})
    EXPECT_EQ(Calls(op), Lines{}) << op;
}

// Floats that are NaN or infinite stop at the binder and at SceneAPIc with
// the function and the argument named; the library's "none" distance
// (999999.0) and the other finite values pass. Nothing reaches the host.
const PolicyCase kNonFiniteCases[] = {
    {"ktFlock_SetMaxSpeed(f, float('nan'))",
     "ValueError: ktFlock_SetMaxSpeed: argument 2 is not a finite number"},
    {"ktBoid_SetPerceptionRange(a, float('inf'))",
     "ValueError: ktBoid_SetPerceptionRange: argument 2 is not a finite number"},
    {"ktBoid_AvoidBlockers(a, 10.0, -float('inf'), 2.0, iv)",
     "ValueError: ktBoid_AvoidBlockers: argument 3 is not a finite number"},
    {"ktInfluenceVector_Set(iv, x, 1.0, float('nan'))",
     "ValueError: ktInfluenceVector_Set: argument 4 is not a finite number"},
    {"mkUtilc.ktOscillator_SetPeriodTime(o, float('inf'))",
     "ValueError: ktOscillator_SetPeriodTime: argument 2 is not a finite number"},
    {"mkUtilc.ktOscillator_SetWave(o, 0.0, 0, 1.0, float('nan'))",
     "ValueError: ktOscillator_SetWave: argument 5 is not a finite number"},
    {"SceneAPIc.SoundSetClassVolume(1, float('nan'))",
     "ValueError: SoundSetClassVolume: argument 2 is not a finite number"},
    {"SceneAPIc.CamSetGlobalFOVMult(-float('inf'))",
     "ValueError: CamSetGlobalFOVMult: argument 1 is not a finite number"},
    {"SceneAPIc.SoundSetVolume('NULL', 0.5, float('inf'))",
     "ValueError: SoundSetVolume: argument 3 is not a finite number"},
    {"ktBoid_SetPerceptionRange(a, INFINITY)", "no error"},
    {"ktFlock_SetMaxSpeed(f, 3.4e38)", "no error"},
};

TEST_F(ModulesTest, NonFiniteFloatsAreRefusedWithTheirArgument) {
  std::string script =
      "iv = new_ktInfluenceVector(); o = mkUtilc.new_ktOscillator()\n"
      "x = new_mkVector3(1, 0, 0)\n"
      "f = new_ktFlock('NULL'); a = new_ktBoid('NULL', f, 'NULL')\n";
  Lines expected;
  for (const PolicyCase& c : kNonFiniteCases) {
    script += std::string("err(lambda: ") + c.call + ")\n";
    expected.push_back(c.said);
  }
  script += "print(ktBoid_GetPerceptionRange(a), ktFlock_GetMaxSpeed(f) > 3e38)\n";
  expected.push_back("999999.0 True");
  EXPECT_EQ(Python(script), expected);
  for (const char* op : {"SoundSetClassVolume", "CamSetGlobalFOVMult", "SoundSetVolume"})
    EXPECT_EQ(Calls(op), Lines{}) << op;
}

// Type strings that a script writes take no room in the register: after a
// hundred made-up types, a host object of a type handed out for the first
// time (the game controller) still passes.
TEST_F(ModulesTest, MadeUpTypeStringsLeaveTheRegisterAsItWas) {
  std::ofstream(dir_ / "python" / "keeper.py") << "kept = []\n"
                                                  "class Keeper:\n"
                                                  "    def __init__(self, me): kept.append(me)\n"
                                                  "def brain(me): return Keeper(me)\n";
  ASSERT_TRUE(
      stage_.model().AttachBrainClass(stage_.model().FindObject("Rock"), "PythonMgr:keeper.py"));
  const Lines said = Python(
      "import keeper\n"
      "refused = 0\n"
      "for i in range(100):\n"
      "    try:\n"
      "        SceneAPIc.XCmdFindContext('_10_junk%d_p' % i)\n"
      "    except TypeError:\n"
      "        refused += 1\n"
      "c = egBrainc.egBrain_GetController(egBrainc.egBrainDll_GetBrain(keeper.kept[0]))\n"
      "egGameControllerc.egGC_SetFlags(c, 3)\n"
      "print(refused, egGameControllerc.egGC_isTesseraType(c))\n");
  EXPECT_EQ(said, (Lines{"100 2"}));
}

// A previous link set by hand cannot make an unlinking close a ring: a bare
// LinkOut is refused, and taking a boid out of a flock's list joins the
// neighbours that the list holds.
TEST_F(ModulesTest, UnlinkingNeverClosesARing) {
  const Lines said = Python(
      "f = new_ktFlock('NULL'); a, b, c = [new_ktBoid('NULL', f, 'NULL') for i in range(3)]\n"
      "for x in (a, b, c): ktFlock_AddTo(f, x)\n"
      "ktBoid_SetPrev(b, c)\n"
      "err(ktBoid_LinkOut, b)\n"
      "err(ktFlock_RemoveFrom, f, b)\n"
      "print(ktFlock_GetCount(f), ktBoid_GetNext(a) == c, ktBoid_GetNext(c))\n"
      "ktFlock_AddTo(f, b); ktBoid_SetPrev(c, b); delete_ktBoid(c)\n"
      "print(ktFlock_GetCount(f), ktBoid_GetNext(a) == b, ktBoid_GetNext(b))\n"
      "g = new_ktFlock('NULL'); ktBoid_SetPrev(a, b); ktFlock_AddTo(g, a)\n"
      "print(ktFlock_GetCount(f), ktFlock_GetCount(g), ktFlock_GetFirstMember(f) == b, "
      "ktBoid_GetNext(b))\n"
      "ktFlock_UpdateAll(f); ktFlock_UpdateAll(g)\n");
  EXPECT_EQ(said, (Lines{"ValueError: ktBoid_LinkOut: the link would close a ring of boids",
                         "no error", "2 True NULL", "2 True NULL", "1 1 True NULL"}));
}

// Freeing a flock unlinks its own members only: a boid built with it but
// held by another flock's list stays there.
TEST_F(ModulesTest, FreeingAFlockUnlinksExactlyItsOwnMembers) {
  const Lines said = Python(
      "f1 = new_ktFlock('NULL'); f2 = new_ktFlock('NULL')\n"
      "a = new_ktBoid('NULL', f2, 'NULL'); b = new_ktBoid('NULL', f1, 'NULL')\n"
      "c = new_ktBoid('NULL', f2, 'NULL'); d = new_ktBoid('NULL', f1, 'NULL')\n"
      "for x in (a, b, c): ktFlock_AddTo(f2, x)\n"
      "ktFlock_AddTo(f1, d)\n"
      "keys = ktFlock_GetAvoidObjects(f1)\n"
      "delete_ktFlock(f1)\n"
      "print(ktFlock_GetCount(f2), ktBoid_GetNext(a) == b, ktBoid_GetNext(b) == c, "
      "ktBoid_GetNext(d))\n"
      "ktFlock_RemoveFrom(f2, b); print(ktFlock_GetCount(f2), ktBoid_GetNext(a) == c)\n"
      "ktFlock_RemoveFrom(f2, a); ktFlock_RemoveFrom(f2, c); print(ktFlock_GetCount(f2))\n"
      "err(ktFlock_GetCount, f1)\n");
  EXPECT_EQ(said, (Lines{"3 True True NULL", "2 True", "0",
                         "TypeError: Type error in argument 1 of ktFlock_GetCount. Expected "
                         "_ktFlock_p."}));
}

// Whether a brain pointer string is checked does not depend on whether a
// Python brain was set up before: a forged one is refused before and after,
// a genuine one is taken while its brain lives and refused once the host
// released it.
TEST_F(ModulesTest, BrainPointersAreCheckedTheSameBeforeAndAfterTheFirstBrain) {
  std::ofstream(dir_ / "python" / "keeper.py") << "import egBrainc\n"
                                                  "kept = []\n"
                                                  "class Keeper:\n"
                                                  "    def __init__(self, me): kept.append(me)\n"
                                                  "def brain(me): return Keeper(me)\n";
  const char kForged[] = "err(egBrainc.egBrainDll_GetBrain, '_ffffffffffffffff_egBrainDll_p')\n";
  const std::string refused =
      "TypeError: Type error in argument 1 of egBrainDll_GetBrain. Expected _egBrainDll_p.";
  EXPECT_EQ(Python(kForged), Lines{refused});
  egBrainClassDll* manager = stage_.model().FindBrainClass("PythonMgr");
  ASSERT_NE(manager, nullptr);
  egBrainDll* brain = manager->MakeBrain("keeper.py", "Rock");
  ASSERT_NE(brain, nullptr);
  const char kGenuine[] =
      "import keeper\n"
      "err(egBrainc.egBrainDll_GetBrain, keeper.kept[0])\n";
  EXPECT_EQ(Python(std::string(kForged) + kGenuine), (Lines{refused, "no error"}));
  brain->ReleaseReference();  // the host's only reference: the brain goes
  EXPECT_EQ(Python(kGenuine), Lines{refused});
}

// Every function of the seven modules called with arguments drawn at random
// from a pool: objects that the calls made (some of them freed again),
// pointer strings forged for every type seen, "NULL", odd numbers, long,
// empty and non-ASCII texts, and lists of the wrong type and length. Each
// function's argument count is read from its own message for a call with
// too few and too many arguments. Exceptions of the kinds a bad argument
// raises are expected; a crash, a hang or any other exception fails, and
// the host must carry on afterwards.
const char kRandomCalls[] = R"(
import random, sys
import mkTypesc, ktFlocksc, keeper
modules = [SceneAPIc, mkTypesc, mkUtilc, egBrainc, egGameControllerc, mkRegistryc, ktFlocksc]
functions = [(m.__name__, n, getattr(m, n)) for m in modules for n in sorted(dir(m))
             if callable(getattr(m, n)) and not n.startswith('_')]
rng = random.Random(SEED)
made = [SceneAPIc.GetSceneObjectByID('Rock'), SceneAPIc.GetObjKeyByID('Stone'),
        SceneAPIc.GetPlayer(), SceneAPIc.GetCamera()] + keeper.kept
made = [m for m in made if m.startswith('_')]
types = set()
expect = {}
good = {}
values = ['NULL', 0, -1, 1, 3, 2**31, -2**31 - 1, 2**32 + 3, 2**63, -2**63 - 1, 0.5, -7.25,
          float('nan'), float('inf'), -float('inf'), '', 'x' * 5000, '\u00fcn\u00efc\u00f8d\u00e9 \u6587',
          '\ud800', 'a\0b', 'Rock', 'Stone', 'Post', None, True, [], ['a'], ['Rock', 'Stone'], [1, 2],
          ('a',), ['x' * 5000] * 3, ['Rock'] * 40, {}, 'NULL\0']
expected = (TypeError, ValueError, OverflowError, ZeroDivisionError, UnicodeError)
seen = {}

def typeof(text):
    rest = text[1:]
    while rest and rest[0] in '0123456789abcdef': rest = rest[1:]
    return rest

def forged():
    t = rng.choice(sorted(types)) if types else '_mkPoint3_p'
    base = rng.choice(made) if made else '_10_x_p'
    digits = base[1:len(base) - len(typeof(base))] or '10'
    choice = rng.randrange(5)
    if choice == 0: return '_deadbeef' + t
    if choice == 1: return '_1' + t
    if choice == 2: return '_ffffffffffffffff' + t
    if choice == 3: return '_%x%s' % (int(digits or '0', 16) + 8, t)
    return '_' + digits + t

for m in made: types.add(typeof(m))

def arg(name, position):
    kept = good.get((name, position))
    if kept and rng.random() < 0.4:
        v = rng.choice(kept)
        if isinstance(v, float): return rng.choice([v, 0.0, 1e30, float('nan'), -1.5])
        if isinstance(v, int) and not isinstance(v, bool): return rng.choice([v, 0, -1, 2**31 - 1, 7])
        return v
    t = expect.get((name, position))
    if t is not None and rng.random() < 0.7:
        fits = [m for m in made if typeof(m) == t]
        r = rng.random()
        if fits and r < 0.85: return rng.choice(fits)
        if r < 0.95: return '_deadbeef' + t
        return 'NULL'
    r = rng.random()
    if r < 0.5 and made: return rng.choice(made)
    if r < 0.7: return forged()
    return rng.choice(values)

def call(name, f, args):
    try:
        result = f(*args)
    except expected as e:
        seen[type(e).__name__] = seen.get(type(e).__name__, 0) + 1
        words = str(e).split()
        if words[:3] == ['Type', 'error', 'in'] and len(words) == 8:
            expect[(name, int(words[3]))] = words[7][:-1]
        return
    for i, a in enumerate(args):
        kept = good.setdefault((name, i + 1), [])
        if len(kept) < 8: kept.append(a)
    if isinstance(result, str) and result.startswith('_') and len(made) < 400:
        made.append(result)
        types.add(typeof(result))

counts = {}
def arity(name, f):
    if name not in counts:
        low, high = 0, 6
        for probe in ((), tuple(range(20))):
            try:
                f(*probe)
            except TypeError as e:
                words = str(e).split()
                if 'takes' in words:
                    i = words.index('takes')
                    n = int(words[i + 2]) if words[i + 2].isdigit() else 0
                    if words[i + 1] == 'exactly': low = high = n
                    elif words[i + 1] == 'at' and words[i + 2] == 'least': low = int(words[i + 3])
                    elif words[i + 1] == 'at' and words[i + 2] == 'most': high = int(words[i + 3])
                    elif words[i + 1] == 'no': low = high = 0
            except expected:
                pass
        counts[name] = (low, max(low, high))
    return counts[name]

calls = 0
for round in range(CALLS):
    if round < len(functions):
        module, name, f = functions[round]
    else:
        module, name, f = rng.choice(functions)
    low, high = arity(module + '.' + name, f)
    n = rng.randint(low, high) if rng.random() < 0.9 else rng.randint(0, 7)
    call(name, f, [arg(name, i + 1) for i in range(n)])
    calls += 1
print('seed', SEED, 'calls', calls, 'functions', len(functions))
)";

TEST_F(ModulesTest, RandomCallsOfEveryFunctionLeaveTheHostRunning) {
  std::ofstream(dir_ / "python" / "keeper.py") << "kept = []\n"
                                                  "class Keeper:\n"
                                                  "    def __init__(self, me): kept.append(me)\n"
                                                  "def brain(me): return Keeper(me)\n";
  ASSERT_TRUE(
      stage_.model().AttachBrainClass(stage_.model().FindObject("Rock"), "PythonMgr:keeper.py"));
  for (int seed = 1; seed <= 8; ++seed) {
    std::string script = kRandomCalls;
    for (const char* name : {"SEED", "CALLS"}) {
      const std::string value = name[0] == 'S' ? std::to_string(seed) : "10000";
      for (size_t at = script.find(name); at != std::string::npos; at = script.find(name, at))
        script.replace(at, std::strlen(name), value);
    }
    const Lines said = Python(script);
    ASSERT_FALSE(said.empty()) << seed;
    // Only the last line: the functions print what they print.
    EXPECT_EQ(said.back(), "seed " + std::to_string(seed) + " calls 10000 functions 798") << seed;
  }
  EXPECT_EQ(Python("print('still here')\n"), Lines{"still here"});
}

// Each function's documentation line names its arguments in order: as many
// before "[" as the function requires, as many in all as it takes.
TEST_F(ModulesTest, EveryDocLineNamesTheArgumentsItsFunctionTakes) {
  const Lines said = Python(
      "import mkTypesc, ktFlocksc\n"
      "def counts(f):\n"
      "    low, high = None, None\n"
      "    for probe in ((), tuple(range(20))):\n"
      "        try:\n"
      "            f(*probe)\n"
      "            low = high = 0\n"
      "        except TypeError as e:\n"
      "            w = str(e).split()\n"
      "            if 'takes' not in w: continue\n"
      "            i = w.index('takes')\n"
      "            if w[i + 1] == 'exactly': low = high = int(w[i + 2])\n"
      "            elif w[i + 1] == 'no': low = high = 0\n"
      "            elif w[i + 2] == 'least': low = int(w[i + 3])\n"
      "            elif w[i + 2] == 'most': high = int(w[i + 3])\n"
      "    return low, high\n"
      "def named(doc):\n"
      "    inside = doc.split('\\n')[0].split(' -> ')[0].strip()[1:-1]\n"
      "    required, _, optional = inside.partition('[')\n"
      "    n = len([a for a in required.split(',') if a.strip()])\n"
      "    m = len([a for a in optional.rstrip(']').split(',') if a.strip()])\n"
      "    return n, n + m\n"
      "checked = 0\n"
      "for m in (mkTypesc, mkUtilc, egBrainc, egGameControllerc, mkRegistryc, ktFlocksc):\n"
      "    for name in sorted(dir(m)):\n"
      "        f = getattr(m, name)\n"
      "        if not callable(f) or name.startswith('_'): continue\n"
      "        checked += 1\n"
      "        if counts(f) != named(f.__doc__):\n"
      "            print(m.__name__, name, counts(f), named(f.__doc__))\n"
      "print('checked', checked)\n");
  EXPECT_EQ(said, Lines{"checked 364"});
}

// --- Exported entry points -------------------------------------------------------------

TEST_F(ModulesTest, ExportedModuleEntriesWorkOnceTheInterpreterIsUp) {
  // Before the interpreter is up, init creates nothing and fini frees only
  // the tables: both are harmless.
  const stage::PluginLibrary& library = *stage_.plugins()[0];
  using Entry = void (*)();
  const char* names[] = {"ktFlocksc", "mkRegistryc", "egBrainc", "egGameControllerc"};
  for (const char* name : names) {
    reinterpret_cast<Entry>(library.Symbol(("fini" + std::string(name)).c_str()))();
    reinterpret_cast<Entry>(library.Symbol(("init" + std::string(name)).c_str()))();
  }
  EXPECT_EQ(Python("print(INFINITY)"), (Lines{"999999.0"}));
  // After a release and a new creation the module works with its full
  // tables: an influence vector still passes as a velocity.
  for (const char* name : names) {
    reinterpret_cast<Entry>(library.Symbol(("fini" + std::string(name)).c_str()))();
    reinterpret_cast<Entry>(library.Symbol(("init" + std::string(name)).c_str()))();
  }
  EXPECT_EQ(Python("import importlib, ktFlocksc; ktFlocksc = importlib.import_module('ktFlocksc')\n"
                   "i = ktFlocksc.new_ktInfluenceVector()\n"
                   "fl(ktFlocksc.ktVelocityVector_GetSpeed(i))\n"
                   "print(mkRegistryc.GetNameFromKey(SceneAPIc.GetObjKeyByID('Rock')))\n"),
            (Lines{"0", "Rock"}));
}

// --- The reference in the docs ----------------------------------------------------

// Writes the reference part of docs/script-modules.md from the modules
// themselves: every function with its documentation string (arguments and
// result, then what it does) and every constant with its value.
const char kReferenceScript[] =
    "import sys\n"
    "out = []\n"
    "for name in ('mkTypesc', 'mkUtilc', 'egBrainc', 'egGameControllerc', 'mkRegistryc',"
    " 'ktFlocksc'):\n"
    "    m = __import__(name)\n"
    "    out += ['### ' + name, '', '| Function | Arguments and result | What it does |',"
    " '|---|---|---|']\n"
    "    constants = []\n"
    "    for key, value in m.__dict__.items():\n"
    "        if key.startswith('_'): continue\n"
    "        if isinstance(value, (int, float)):\n"
    "            constants.append('| `%s` | %r |' % (key, value)); continue\n"
    "        if not callable(value): continue\n"
    "        doc = (value.__doc__ or 'UNDOCUMENTED').replace('|', '\\\\|')\n"
    "        signature, _, text = doc.partition('\\n')\n"
    "        out.append('| `%s` | `%s` | %s |' % (key, signature, text))\n"
    "    out.append('')\n"
    "    if constants:\n"
    "        out += ['| Constant | Value |', '|---|---|'] + constants + ['']\n"
    "open(sys.argv[1], 'w').write('\\n'.join(out))\n";

TEST_F(ModulesTest, TheDocsListEveryFunctionAndConstantOfTheModules) {
  std::ofstream(dir_ / "python" / "reference.py") << kReferenceScript;
  const fs::path made = dir_ / "reference.md";
  stage_.RunCommand("Python", {"reference.py", made.string()});
  std::ifstream in(made);
  std::stringstream generated;
  generated << in.rdbuf();
  ASSERT_FALSE(generated.str().empty());
  EXPECT_EQ(generated.str().find("UNDOCUMENTED"), std::string::npos);

  std::ifstream page(TESSERA_SOURCE_DIR "/docs/script-modules.md");
  std::stringstream text;
  text << page.rdbuf();
  const std::string begin = "<!-- reference: generated from the modules -->\n";
  const size_t at = text.str().find(begin);
  ASSERT_NE(at, std::string::npos) << "docs/script-modules.md has no reference marker";
  const std::string reference = text.str().substr(at + begin.size());
  if (reference != generated.str()) {
    const fs::path copy = fs::path(home_) / "script-modules-reference.md";
    std::ofstream(copy) << generated.str();
    ADD_FAILURE() << "the reference in docs/script-modules.md differs from the modules; the "
                     "generated text is in "
                  << copy.string() << ": put it after the marker";
  }
}

}  // namespace
