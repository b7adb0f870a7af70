// Everything a scene author writes is described in docs/: every command,
// brain and brain class that the built plug-ins list (read from their own
// name lists), and every statement and timeline verb that the scene reader
// takes (read from its own tables), each with an example line. The test
// grows by itself as plug-ins, statements and verbs are added.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "stage/plugin_loader.h"
#include "stage/scene_file.h"
#include "stage/timeline_verbs.h"

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

// The words that the timeline's table in docs/scene-format.md gives each verb
// are the words that its row takes: a word in brackets may be left out, and
// "WORD ..." is any number of words.
TEST(DocsTest, EveryTimelineVerbTakesTheWordsThatItsDescriptionGives) {
  const std::vector<std::string> format = DocLines("scene-format.md");
  const auto start = std::find(format.begin(), format.end(), "## The timeline");
  ASSERT_NE(start, format.end());
  // The verb's forms in the first cells of the table's rows ("key CODE down").
  std::vector<std::vector<std::string>> forms;
  const std::regex firstCell(R"(^\| (`[^`]*`( / `[^`]*`)*) \|)"), form("`([^`]*)`");
  for (auto line = start + 1; line != format.end() && line->rfind("## ", 0) != 0; ++line) {
    std::smatch cell;
    if (!std::regex_search(*line, cell, firstCell)) continue;
    const std::string text = cell[1];
    for (std::sregex_iterator it(text.begin(), text.end(), form), end; it != end; ++it) {
      std::istringstream in((*it)[1].str());
      forms.emplace_back(std::istream_iterator<std::string>(in),
                         std::istream_iterator<std::string>());
    }
  }
  for (const stage::TimelineVerb& verb : stage::TimelineVerbs()) {
    bool described = false;
    for (const auto& words : forms) {
      if (words.empty() || words[0] != verb.name) continue;
      described = true;
      size_t low = 0, high = 0;
      for (size_t i = 1; i < words.size(); ++i) {
        if (words[i] == "...") {
          low -= 1;
          high = stage::kManyWords;
        } else {
          low += words[i].front() == '[' && words[i].back() == ']' ? 0 : 1;
          high += 1;
        }
      }
      EXPECT_EQ(low, verb.low) << words[0] << " as described";
      EXPECT_EQ(high, verb.high) << words[0] << " as described";
    }
    EXPECT_TRUE(described) << "verb " << verb.name;
  }
}

// The pages that a reader reads: the README and every page in docs/.
std::vector<fs::path> Pages() {
  std::vector<fs::path> pages = {fs::path(TESSERA_SOURCE_DIR) / "README.md"};
  for (const auto& entry : fs::directory_iterator(TESSERA_SOURCE_DIR "/docs"))
    if (entry.path().extension() == ".md") pages.push_back(entry.path());
  std::sort(pages.begin(), pages.end());
  return pages;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every file of the tree that a page names exists: a path in backquotes that
// starts with a folder of the tree (`kit/host/scene_ops.inc`,
// `scenes/door.scene`), and the target of every link and picture
// ([scene-api.md](scene-api.md), relative to the page). Paths with a
// placeholder in capitals (`scenes/NAME.expected`) or a wildcard are names
// of a kind, not of a file; built files are not in the tree.
TEST(DocsTest, EveryFileThatAPageNamesExists) {
  const fs::path top(TESSERA_SOURCE_DIR);
  const std::regex quoted(
      "`((kit|stage|docs|scenes|tools|setup|script|kiln|hopkin|grove|swarm|fuzz|conformance|"
      "cmake)/[A-Za-z0-9_./-]*)[` ]");
  const std::regex link(R"(\]\(([^)#: ]+)(#[^)]*)?\))");
  // Built files (`conformance/abi_check.exe`) are named as the build makes
  // them.
  const std::regex placeholder("[A-Z]{3,}|\\*|\\.(exe|dll|so)$");
  int named = 0;
  for (const fs::path& page : Pages()) {
    const std::string text = ReadText(page);
    for (auto [re, base] : {std::pair{&quoted, top}, std::pair{&link, page.parent_path()}})
      for (std::sregex_iterator it(text.begin(), text.end(), *re), end; it != end; ++it) {
        const std::string name = (*it)[1];
        if (std::regex_search(name, placeholder)) continue;
        ++named;
        EXPECT_TRUE(fs::exists(base / name))
            << page.filename().string() << " names " << name << ", which does not exist";
      }
  }
  EXPECT_GT(named, 50);
}

// The README's list of example scenes names every scene under scenes/.
TEST(DocsTest, TheReadmeListsEveryExampleScene) {
  const std::string readme = ReadText(fs::path(TESSERA_SOURCE_DIR) / "README.md");
  const size_t from = readme.find("Example scenes come with the project:");
  ASSERT_NE(from, std::string::npos);
  const std::string list =
      readme.substr(from, readme.find("\n\n", readme.find("\n- ", from)) - from);
  int scenes = 0;
  for (const auto& entry : fs::directory_iterator(TESSERA_SOURCE_DIR "/scenes")) {
    if (entry.path().extension() != ".scene") continue;
    ++scenes;
    const std::string name = "`scenes/" + entry.path().filename().string() + "`";
    EXPECT_NE(list.find("- " + name), std::string::npos)
        << name << " is not in the README's list of example scenes";
  }
  EXPECT_GT(scenes, 10);
}

}  // namespace
