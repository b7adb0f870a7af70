// A picture of a scene run: an SVG drawing, seen from above (x to the right,
// y up) or from the side (x to the right, z up), of the paths that the
// moving objects took, with marks at equal
// times, and of the objects that stood still, drawn as circles of their
// radius and named; a legend and a scale beside it. Cameras are drawn in
// black, with a dashed line to the point they looked at last. Firemarbles
// are marked by their light: gold when lit at the end of the run, dark when
// not, with a gold ring when they were lit for a while and went out. Below
// it, the object flags and variables that commands kept (records 1001 and
// 1002) over time.
#ifndef TESSERA_STAGE_PICTURE_H_
#define TESSERA_STAGE_PICTURE_H_

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "stage/model.h"

namespace stage {

class RunPicture {
 public:
  // A path keeps at most this many points: when it is full, every other
  // point is dropped and from then on only every other frame is recorded, so
  // that a long run's picture takes bounded memory. A flag or variable keeps
  // at most this many changes.
  static constexpr size_t kMaxPoints = 4096;

  // Records the world position of every object, and the value of every
  // object flag and variable, at the end of a frame.
  void Record(const Model& model);
  // The drawing as text.
  std::string Svg(const Model& model) const;

  // Seen from the side: set before the first Record.
  bool side = false;

 private:
  struct Path {
    std::vector<mkPoint3> points;
    std::vector<float> times;  // seconds at each point
    mkPoint3 last{0, 0, 0};    // where the object ended
  };
  // A flag (record 1001) or variable (record 1002) of an object.
  struct State {
    std::string object;
    int32_t kind = 0;
    std::vector<std::pair<float, int32_t>> changes;  // from this time on, this value
    bool full = false;                               // later changes not kept
  };
  std::map<const SceneObject*, Path> paths_;
  std::vector<const SceneObject*> order_;
  std::map<const SceneObject*, mkPoint3> lookAts_;  // of cameras, at the last record
  std::map<const SceneObject*, bool> everLit_;      // firemarbles
  std::map<Model::ContextKey, State> states_;
  std::vector<Model::ContextKey> stateOrder_;
  long frames_ = 0;   // recorded so far
  long stride_ = 1;   // frames from one kept point to the next
  float end_ = 0.0f;  // seconds at the last frame's end
};

}  // namespace stage

#endif  // TESSERA_STAGE_PICTURE_H_
