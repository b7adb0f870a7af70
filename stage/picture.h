// A picture of a scene run: an SVG drawing, seen from above (x to the right,
// y up) or from the side (x to the right, z up), of the paths that the
// moving objects took, with the objects that stood still drawn as circles of
// their radius and named. Cameras are drawn in black, with a dashed line to
// the point they looked at last.
#ifndef TESSERA_STAGE_PICTURE_H_
#define TESSERA_STAGE_PICTURE_H_

#include <map>
#include <string>
#include <vector>

#include "stage/model.h"

namespace stage {

class RunPicture {
 public:
  // Records the world position of every object at the end of a frame.
  void Record(const Model& model);
  // Writes the drawing; false when the file cannot be written.
  bool Write(const std::string& path, const Model& model) const;
  // The drawing as text.
  std::string Svg(const Model& model) const;

  // Seen from the side: set before the first Record.
  bool side = false;

 private:
  std::map<const SceneObject*, std::vector<mkPoint3>> paths_;
  std::map<const SceneObject*, mkPoint3> lookAts_;  // of cameras, at the last record
  std::vector<const SceneObject*> order_;
};

}  // namespace stage

#endif  // TESSERA_STAGE_PICTURE_H_
