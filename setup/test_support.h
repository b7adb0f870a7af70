// Helpers shared by the setup tests: the shipped profiles, temporary files.
#ifndef TESSERA_SETUP_TEST_SUPPORT_H_
#define TESSERA_SETUP_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "kit/testing/temp_dir.h"
#include "setup/platform_profile.h"

namespace setuptest {

inline std::string ProfilePath(const std::string& name) {
  return std::string(TESSERA_SOURCE_DIR) + "/setup/profiles/" + name;
}

inline std::string TestDataPath(const std::string& name) {
  return std::string(TESSERA_SOURCE_DIR) + "/setup/testdata/" + name;
}

inline HardwareProfile LoadProfile(const std::string& name) {
  HardwareProfile profile;
  std::string error;
  EXPECT_TRUE(LoadHardwareProfile(ProfilePath(name), &profile, &error)) << error;
  return profile;
}

inline HardwareProfile ParseProfile(const std::string& text) {
  HardwareProfile profile;
  std::string error;
  EXPECT_TRUE(ParseHardwareProfile(text, &profile, &error)) << error;
  return profile;
}

// A path in a temporary directory of this test process, unique to the
// running test.
inline std::string TempPath(const std::string& name) {
  static const std::string dir = mktest::MakeTempDir("setup_test").string() + "/";
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string unique = std::string(info->test_suite_name()) + "." + info->name();
  for (char& c : unique) {
    if (c == '/') c = '_';
  }
  return dir + unique + "." + name;
}

// The moment that tests write into logs: Monday 16 April 2001, 12:07:39.
inline std::tm FixedTime() {
  std::tm time{};
  time.tm_year = 2001 - 1900;
  time.tm_mon = 3;
  time.tm_mday = 16;
  time.tm_wday = 1;
  time.tm_hour = 12;
  time.tm_min = 7;
  time.tm_sec = 39;
  return time;
}

// The whole file as bytes; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::string bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

inline bool FileExists(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

}  // namespace setuptest

#endif  // TESSERA_SETUP_TEST_SUPPORT_H_
