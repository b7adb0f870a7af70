#include "stage/picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace stage {

namespace {

const char* const kColours[] = {"#1f77b4", "#2ca02c", "#9467bd", "#8c564b", "#e377c2",
                                "#17becf", "#bcbd22", "#7f7f7f", "#ff7f0e"};

std::string Number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", double(value));
  return text;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '&') out += "&amp;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

}  // namespace

void RunPicture::Record(const Model& model) {
  for (const auto& object : model.objects()) {
    const mkMatrix44 world = model.WorldMatrix(object.get());
    auto& path = paths_[object.get()];
    if (path.empty()) order_.push_back(object.get());
    if (side) {
      path.push_back({world.m[0][3], world.m[2][3], world.m[1][3]});
    } else {
      path.push_back({world.m[0][3], world.m[1][3], world.m[2][3]});
    }
    if (object->camera) {
      const mkPoint3 at = model.LookAt(*object);
      lookAts_[object.get()] = side ? mkPoint3{at.fX, at.fZ, at.fY} : at;
    }
  }
}

std::string RunPicture::Svg(const Model& model) const {
  auto moved = [](const std::vector<mkPoint3>& path) {
    for (const mkPoint3& p : path)
      if (p.fX != path[0].fX || p.fY != path[0].fY) return true;
    return false;
  };
  float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
  for (const SceneObject* object : order_)
    for (const mkPoint3& p : paths_.at(object)) {
      minX = std::min(minX, p.fX - object->radius);
      maxX = std::max(maxX, p.fX + object->radius);
      minY = std::min(minY, p.fY - object->radius);
      maxY = std::max(maxY, p.fY + object->radius);
    }
  for (const auto& entry : lookAts_) {
    const mkPoint3& at = entry.second;
    minX = std::min(minX, at.fX), maxX = std::max(maxX, at.fX);
    minY = std::min(minY, at.fY), maxY = std::max(maxY, at.fY);
  }
  if (order_.empty()) minX = minY = 0, maxX = maxY = 1;
  const float margin = 0.05f * std::max(maxX - minX, maxY - minY) + 1.0f;
  minX -= margin, minY -= margin, maxX += margin, maxY += margin;
  const float width = maxX - minX, height = maxY - minY;
  const float scale = 800.0f / std::max(width, height);
  // Room beside the drawing for the names of objects at its edges.
  const float pad = 160.0f;
  auto px = [&](float x) { return Number(pad + (x - minX) * scale); };
  auto py = [&](float y) { return Number(pad / 4 + (maxY - y) * scale); };
  const float font = 12.0f;

  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    Number(width * scale + 2 * pad) + "\" height=\"" +
                    Number(height * scale + pad / 2) + "\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  // Objects that stood still: circles of their radius, named.
  for (const SceneObject* object : order_) {
    const auto& path = paths_.at(object);
    if (moved(path)) continue;
    const mkPoint3& p = path[0];
    svg += "<circle cx=\"" + px(p.fX) + "\" cy=\"" + py(p.fY) + "\" r=\"" +
           Number(std::max(object->radius * scale, 2.0f)) +
           "\" fill=\"#dddddd\" stroke=\"#555555\"/>\n";
    svg += "<text x=\"" + px(p.fX) + "\" y=\"" + py(p.fY) + "\" font-size=\"" + Number(font) +
           "\" text-anchor=\"middle\" fill=\"#333333\">" + Escape(object->name) + "</text>\n";
  }
  // Paths: the player in red, others in turn; a ring at the start, a dot at
  // the end.
  size_t colour = 0;
  for (const SceneObject* object : order_) {
    const auto& path = paths_.at(object);
    if (!moved(path)) continue;
    const bool player = model.Object(model.GetPlayerHandle()) == object;
    const std::string stroke = player           ? "#d62728"
                               : object->camera ? "#000000"
                                                : kColours[colour++ % 9];
    svg += "<polyline fill=\"none\" stroke=\"" + stroke + "\" stroke-width=\"" +
           (player ? "3" : "1.5") + "\" points=\"";
    for (const mkPoint3& p : path) svg += px(p.fX) + "," + py(p.fY) + " ";
    svg += "\"/>\n";
    svg += "<circle cx=\"" + px(path.front().fX) + "\" cy=\"" + py(path.front().fY) +
           "\" r=\"5\" fill=\"white\" stroke=\"" + stroke + "\" stroke-width=\"2\"/>\n";
    svg += "<circle cx=\"" + px(path.back().fX) + "\" cy=\"" + py(path.back().fY) +
           "\" r=\"4\" fill=\"" + stroke + "\"/>\n";
    svg += "<text x=\"" + px(path.back().fX) + "\" y=\"" + py(path.back().fY + 7 / scale) +
           "\" font-size=\"" + Number(font) + "\" fill=\"" + stroke + "\">" + Escape(object->name) +
           "</text>\n";
  }
  // Where each camera looked last: a dashed line from its last position to
  // the look-at point, which is marked with a small ring.
  for (const SceneObject* object : order_) {
    auto at = lookAts_.find(object);
    if (at == lookAts_.end()) continue;
    const mkPoint3& from = paths_.at(object).back();
    svg += "<line x1=\"" + px(from.fX) + "\" y1=\"" + py(from.fY) + "\" x2=\"" + px(at->second.fX) +
           "\" y2=\"" + py(at->second.fY) +
           "\" stroke=\"#000000\" stroke-width=\"1\" stroke-dasharray=\"6,4\"/>\n";
    svg += "<circle cx=\"" + px(at->second.fX) + "\" cy=\"" + py(at->second.fY) +
           "\" r=\"3\" fill=\"none\" stroke=\"#000000\"/>\n";
  }
  svg += "</svg>\n";
  return svg;
}

bool RunPicture::Write(const std::string& path, const Model& model) const {
  std::ofstream out(path, std::ios::binary);
  out << Svg(model);
  return bool(out);
}

}  // namespace stage
