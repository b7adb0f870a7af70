// A picture of a scene run: an SVG drawing, seen from above (x to the right,
// y up), of the paths that the moving objects took, with the objects that
// stood still drawn as circles of their radius and named.
#ifndef TESSERA_STAGE_PICTURE_H_
#define TESSERA_STAGE_PICTURE_H_

#include <map>
#include <string>
#include <vector>

#include "stage/model.h"

namespace stage {

class RunPicture {
 public:
  // A path keeps at most this many points: when it is full, every other
  // point is dropped and from then on only every other frame is recorded, so
  // that a long run's picture takes bounded memory.
  static constexpr size_t kMaxPoints = 4096;

  // Records the world position of every object at the end of a frame.
  void Record(const Model& model);
  // Writes the drawing; false when the file cannot be written.
  bool Write(const std::string& path, const Model& model) const;
  // The drawing as text.
  std::string Svg(const Model& model) const;

 private:
  std::map<const SceneObject*, std::vector<mkPoint3>> paths_;
  std::map<const SceneObject*, mkPoint3> last_;  // where each object ended
  std::vector<const SceneObject*> order_;
  long frames_ = 0;  // recorded so far
  long stride_ = 1;  // frames from one kept point to the next
};

}  // namespace stage

#endif  // TESSERA_STAGE_PICTURE_H_
