// A picture of a scene run: an SVG drawing, seen from above (x to the right,
// y up), of the paths that the moving objects took, with the objects that
// stood still drawn as circles of their radius and named. Cameras are drawn
// in black, with a dashed line to the point they looked at last. Firemarbles
// are marked by their light: gold when lit at the end of the run, dark when
// not, with a gold ring when they were lit for a while and went out.
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

 private:
  std::map<const SceneObject*, std::vector<mkPoint3>> paths_;
  std::map<const SceneObject*, mkPoint3> lookAts_;  // of cameras, at the last record
  std::vector<const SceneObject*> order_;
  std::map<const SceneObject*, bool> everLit_;  // firemarbles
};

}  // namespace stage

#endif  // TESSERA_STAGE_PICTURE_H_
