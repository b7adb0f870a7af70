// The timeline verbs: what a scene file's `at FRAME VERB WORDS...` and an
// actor's step `do VERB WORDS...` do. Each verb is one row: its name, how
// many words follow it, what checks those words and takes their values, and
// what the stage then does. The scene file reader checks entries with the
// rows (ReadTimelineWords in stage/scene_file.h), and the stage applies an
// entry through its row, whether the timeline or an actor's step brings it.
// docs/scene-format.md describes every row (stage_docs_test checks it).
#ifndef TESSERA_STAGE_TIMELINE_VERBS_H_
#define TESSERA_STAGE_TIMELINE_VERBS_H_

#include <cstddef>
#include <string_view>
#include <vector>

namespace stage {

class Stage;
struct TimelineEntry;

// `high` of a verb that takes any number of words.
inline constexpr size_t kManyWords = size_t(1) << 20;

struct TimelineVerb {
  // A view, so that a word of another length fails without a call.
  std::string_view name;
  // The words after the verb: at least `low`, at most `high`.
  size_t low, high;
  // Checks the words and takes their values into the entry (its code, on,
  // point and seconds); null when the words are names that the action looks
  // up. False, quietly, when a word is wrong: the caller reports the entry.
  bool (*read)(TimelineEntry* entry);
  // Does it on the stage that plays the entry, whose words have been read.
  void (*apply)(Stage& stage, const TimelineEntry& entry);
};

// Every verb, in the order that TimelineVerbNames gives them.
const std::vector<TimelineVerb>& TimelineVerbs();
// The verb called `name`, or null.
const TimelineVerb* FindTimelineVerb(std::string_view name);

}  // namespace stage

#endif  // TESSERA_STAGE_TIMELINE_VERBS_H_
