// A fresh directory for one test, unique across processes, so that test
// programs of several builds can run at the same time.
#ifndef TESSERA_KIT_TESTING_TEMP_DIR_H_
#define TESSERA_KIT_TESTING_TEMP_DIR_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace mktest {

// Makes and returns an empty directory under the test temporary directory
// whose name starts with `stem`.
inline std::filesystem::path MakeTempDir(const std::string& stem) {
  std::random_device random;
  const std::filesystem::path base(::testing::TempDir());
  for (;;) {
    const std::filesystem::path dir = base / (stem + "_" + std::to_string(random()));
    std::error_code ec;
    if (std::filesystem::create_directories(dir, ec)) return dir;
  }
}

}  // namespace mktest

#endif  // TESSERA_KIT_TESTING_TEMP_DIR_H_
