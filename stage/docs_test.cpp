// Everything a scene author writes is described in docs/: every command,
// brain and brain class that the built plug-ins list (read from their own
// name lists), and every statement and timeline verb that the scene reader
// takes (read from its own tables), each with an example line. The test
// grows by itself as plug-ins, statements and verbs are added.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "stage/plugin_loader.h"
#include "stage/scene_file.h"

namespace {

namespace fs = std::filesystem;

// The lines of every page in docs/.
std::vector<std::string> DocLines(const std::string& only = "") {
  std::vector<std::string> lines;
  for (const auto& entry : fs::directory_iterator(TESSERA_SOURCE_DIR "/docs")) {
    if (entry.path().extension() != ".md") continue;
    if (!only.empty() && entry.path().filename() != only) continue;
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
  }
  return lines;
}

bool AnyLine(const std::vector<std::string>& lines, const std::string& pattern) {
  const std::regex re(pattern);
  for (const std::string& line : lines)
    if (std::regex_search(line, re)) return true;
  return false;
}

std::string Quoted(const std::string& name) {
  return std::regex_replace(name, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

TEST(DocsTest, EveryListedCommandBrainAndBrainClassIsDescribedWithAnExample) {
  const std::vector<std::string> docs = DocLines();
  const char* const kPlugins[] = {STAGE_ALL_PLUGINS};
  ASSERT_GT(sizeof kPlugins / sizeof kPlugins[0], 1u);
  for (const char* path : kPlugins) {
    std::string error;
    auto library = stage::PluginLibrary::Load(path, &error);
    ASSERT_NE(library, nullptr) << error;
    const struct {
      const std::vector<std::string>& names;
      const char* example;  // how a scene file uses one
    } kKinds[] = {
        {library->xcmdNames, R"((actor \S+|run) )"},
        {library->brainNames, R"(brain \S+ )"},
        {library->brainClassNames, R"(brainclass \S+ )"},  // CLASS or CLASS:FIRST
    };
    for (const auto& kind : kKinds)
      for (const std::string& name : kind.names) {
        EXPECT_TRUE(AnyLine(docs, "`" + Quoted(name) + "[` ]"))
            << name << " (" << library->name << ") is described nowhere in docs/";
        EXPECT_TRUE(AnyLine(docs, kind.example + Quoted(name) + "( |$|:)"))
            << name << " (" << library->name << ") has no example in docs/";
      }
  }
}

TEST(DocsTest, EveryStatementAndTimelineVerbIsDescribedWithAnExample) {
  const std::vector<std::string> format = DocLines("scene-format.md");
  ASSERT_FALSE(format.empty());
  for (const std::string& name : stage::StatementNames()) {
    // A row of its own: the statement with its arguments, and an example.
    EXPECT_TRUE(AnyLine(format, "^\\| `" + name + "[ `].*\\| `" + name + " [^`]*` \\|$"))
        << "statement " << name;
  }
  for (const std::string& verb : stage::TimelineVerbNames()) {
    EXPECT_TRUE(AnyLine(format, "^\\| (`[^`]*` / )?`" + verb + "[ `]")) << "verb " << verb;
    EXPECT_TRUE(AnyLine(format, "`at [0-9]+ " + verb + "[ `]")) << "verb " << verb << " example";
  }
}

}  // namespace
