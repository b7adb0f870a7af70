#include "stage/picture.h"
#include "stage/markup.h"
#include "stage/replay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace stage {

namespace {

const char* const kColours[] = {"#1f77b4", "#2ca02c", "#9467bd", "#8c564b", "#e377c2",
                                "#17becf", "#bcbd22", "#7f7f7f", "#ff7f0e"};
const char kPlayerColour[] = "#d62728";

// Coordinates with two decimals; labels in short decimals: 2, 0.5, 1e+03.
std::string Number(double value) {
  return FixedNumber(value);
}

std::string Short(double value) {
  return ShortNumber(value);
}

std::string Escape(const std::string& text) {
  return MarkupText(text, MarkupEscapes::kAttributeText);
}

// A round step (1, 2 or 5 times a power of ten) that cuts `span` into at most
// `count` pieces.
double RoundStep(double span, int count) {
  if (!(span > 0.0)) return 1.0;
  const double raw = span / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 5.0, 10.0})
    if (factor * power >= raw) return factor * power;
  return 10.0 * power;
}

std::string Text(double x, double y, const std::string& text, const char* extra = "",
                 int size = 12) {
  return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" font-size=\"" +
         std::to_string(size) + "\"" + extra + ">" + text + "</text>\n";
}

std::string Line(double x1, double y1, double x2, double y2, const std::string& stroke,
                 const char* width = "1") {
  return "<line x1=\"" + Number(x1) + "\" y1=\"" + Number(y1) + "\" x2=\"" + Number(x2) +
         "\" y2=\"" + Number(y2) + "\" stroke=\"" + stroke + "\" stroke-width=\"" + width +
         "\"/>\n";
}

}  // namespace

void RunPicture::Record(const Model& model) {
  const float now = model.seconds() + model.delta();
  end_ = now;
  const bool kept = frames_++ % stride_ == 0;
  bool full = false;
  for (const auto& object : model.objects()) {
    const mkMatrix44 world = model.WorldMatrix(object.get());
    // Seen from the side, the picture's y is the scene's z.
    const mkPoint3 at = side ? mkPoint3{world.m[0][3], world.m[2][3], world.m[1][3]}
                             : mkPoint3{world.m[0][3], world.m[1][3], world.m[2][3]};
    // A position that is not finite is left out (the stage says so once).
    if (!std::isfinite(at.fX) || !std::isfinite(at.fY)) continue;
    Path& path = paths_[object.get()];
    if (path.points.empty()) order_.push_back(object.get());
    path.last = at;
    if (object->fireMarble) everLit_[object.get()] |= object->lit != 0;
    if (object->camera) {
      const mkPoint3 look = model.LookAt(*object);
      const mkPoint3 seen = side ? mkPoint3{look.fX, look.fZ, look.fY} : look;
      if (std::isfinite(seen.fX) && std::isfinite(seen.fY)) lookAts_[object.get()] = seen;
    }
    if (kept || path.points.empty()) {
      path.points.push_back(at);
      path.times.push_back(now);
    }
    full = full || path.points.size() >= kMaxPoints;
  }
  if (full && kept) {
    for (auto& [object, path] : paths_) {
      size_t k = 0;
      for (size_t i = 0; i < path.points.size(); i += 2, ++k) {
        path.points[k] = path.points[i];
        path.times[k] = path.times[i];
      }
      path.points.resize(k);
      path.times.resize(k);
    }
    stride_ *= 2;
  }
  // Flags and variables of scene objects.
  model.ForEachObjectRecord(
      [&](const Model::ContextKey& key, const SceneObject& object, uintptr_t kind, int32_t value) {
        auto [it, added] = states_.try_emplace(key);
        State& state = it->second;
        if (added) {
          state.object = object.name;
          state.kind = int32_t(kind);
          stateOrder_.push_back(key);
        }
        const bool same =
            !state.changes.empty() &&
            (kind == Model::kFlagRecord ? (state.changes.back().second != 0) == (value != 0)
                                        : state.changes.back().second == value);
        if (same) return;
        if (state.changes.size() >= kMaxPoints) {
          state.full = true;
          return;
        }
        // The value took effect during the frame that just ended.
        state.changes.emplace_back(now - model.delta(), value);
      });
}

std::string RunPicture::Svg(const Model& model) const {
  auto moved = [](const std::vector<mkPoint3>& points) {
    for (const mkPoint3& p : points)
      if (p.fX != points[0].fX || p.fY != points[0].fY) return true;
    return false;
  };
  // The paths with their end points, and which of them moved.
  std::vector<std::pair<const SceneObject*, Path>> paths;
  for (const SceneObject* object : order_) {
    Path path = paths_.at(object);
    path.points.push_back(path.last);
    path.times.push_back(end_);
    paths.emplace_back(object, std::move(path));
  }
  // The bounds leave out points so far off that the rest would shrink to a
  // point (and whose sums could overflow).
  float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
  const auto inBounds = [](const mkPoint3& p) {
    return std::fabs(p.fX) <= kMaxDrawnCoordinate && std::fabs(p.fY) <= kMaxDrawnCoordinate;
  };
  for (const auto& [object, path] : paths)
    for (const mkPoint3& p : path.points) {
      if (!inBounds(p)) continue;
      minX = std::min(minX, p.fX - object->radius);
      maxX = std::max(maxX, p.fX + object->radius);
      minY = std::min(minY, p.fY - object->radius);
      maxY = std::max(maxY, p.fY + object->radius);
    }
  for (const auto& entry : lookAts_) {
    const mkPoint3& at = entry.second;
    if (!inBounds(at)) continue;
    minX = std::min(minX, at.fX), maxX = std::max(maxX, at.fX);
    minY = std::min(minY, at.fY), maxY = std::max(maxY, at.fY);
  }
  if (minX > maxX || minY > maxY) minX = minY = 0, maxX = maxY = 1;
  const float margin = 0.05f * std::max(maxX - minX, maxY - minY) + 1.0f;
  minX -= margin, minY -= margin, maxX += margin, maxY += margin;
  const double width = maxX - minX, height = maxY - minY;
  const double scale = 600.0 / std::max(width, height);
  // The map, then the legend to its right, then the flags and variables
  // below.
  const double left = 20, top = 30;
  const double mapWidth = width * scale, mapHeight = height * scale;
  const double legendX = left + mapWidth + 30, legendWidth = 300;
  auto px = [&](float x) { return left + (x - minX) * scale; };
  auto py = [&](float y) { return top + (maxY - y) * scale; };
  const double markStep = RoundStep(end_, 10);

  std::string body;
  body += "<rect x=\"" + Number(left) + "\" y=\"" + Number(top) + "\" width=\"" + Number(mapWidth) +
          "\" height=\"" + Number(mapHeight) + "\" fill=\"none\" stroke=\"#cccccc\"/>\n";
  body += Text(left, top - 10, "Seen from above (x to the right, y up)", " fill=\"#333333\"");
  // Objects that stood still: circles of their radius, named beside them.
  // They are drawn first: the paths go over them and their names, so that
  // no name hides a path. Firemarbles are gold when lit, dark when not, with
  // a gold ring when they were lit for a while.
  bool fireMarbles = false;
  for (const auto& [object, path] : paths) {
    if (moved(path.points)) continue;
    const mkPoint3& p = path.points[0];
    const double r = std::max(object->radius * scale, 3.0);
    std::string fill = "#dddddd", outline = "#555555", name = object->name;
    if (object->fireMarble) {
      fireMarbles = true;
      const auto seen = everLit_.find(object);
      const bool wasLit = seen != everLit_.end() && seen->second;
      fill = object->lit ? "#ffcc00" : "#333333";
      outline = object->lit || wasLit ? "#ff9900\" stroke-width=\"3" : "#555555";
      name += object->lit ? " (lit)" : wasLit ? " (went out)" : " (dark)";
    }
    body += "<circle cx=\"" + Number(px(p.fX)) + "\" cy=\"" + Number(py(p.fY)) + "\" r=\"" +
            Number(r) + "\" fill=\"" + fill + "\" stroke=\"" + outline + "\"/>\n";
    body += Text(px(p.fX) + r + 3, py(p.fY) + 4, Escape(name), " fill=\"#333333\"");
  }
  // Paths: the player in red, others in turn; a ring at the start, a dot at
  // the end and small marks at equal times. Their names are in the legend.
  std::vector<std::pair<std::string, std::string>> legend;  // colour, name
  size_t colour = 0;
  bool playerMoved = false;
  for (const auto& [object, path] : paths) {
    if (!moved(path.points)) continue;
    const bool player = model.Object(model.GetPlayerHandle()) == object;
    const std::string stroke = player           ? kPlayerColour
                               : object->camera ? "#000000"
                                                : kColours[colour++ % 9];
    legend.emplace_back(stroke, object->name);
    playerMoved = playerMoved || player;
    body += "<polyline fill=\"none\" stroke=\"" + stroke + "\" stroke-width=\"" +
            (player ? "3" : "1.5") + "\" points=\"";
    for (const mkPoint3& p : path.points) body += Number(px(p.fX)) + "," + Number(py(p.fY)) + " ";
    body += "\"/>\n";
    double next = markStep;
    for (size_t i = 0; i < path.points.size(); ++i) {
      if (path.times[i] + 1e-6 < next) continue;
      while (next <= path.times[i] + 1e-6) next += markStep;
      body += "<circle cx=\"" + Number(px(path.points[i].fX)) + "\" cy=\"" +
              Number(py(path.points[i].fY)) + "\" r=\"2\" fill=\"" + stroke + "\"/>\n";
    }
    body += "<circle cx=\"" + Number(px(path.points.front().fX)) + "\" cy=\"" +
            Number(py(path.points.front().fY)) + "\" r=\"5\" fill=\"white\" stroke=\"" + stroke +
            "\" stroke-width=\"2\"/>\n";
    body += "<circle cx=\"" + Number(px(path.points.back().fX)) + "\" cy=\"" +
            Number(py(path.points.back().fY)) + "\" r=\"4\" fill=\"" + stroke + "\"/>\n";
  }
  // Where each camera looked last: a dashed line from its last position to
  // the look-at point, which is marked with a small ring.
  for (const auto& [object, path] : paths) {
    auto at = lookAts_.find(object);
    if (at == lookAts_.end()) continue;
    const mkPoint3& from = path.points.back();
    body += "<line x1=\"" + Number(px(from.fX)) + "\" y1=\"" + Number(py(from.fY)) + "\" x2=\"" +
            Number(px(at->second.fX)) + "\" y2=\"" + Number(py(at->second.fY)) +
            "\" stroke=\"#000000\" stroke-width=\"1\" stroke-dasharray=\"6,4\"/>\n";
    body += "<circle cx=\"" + Number(px(at->second.fX)) + "\" cy=\"" + Number(py(at->second.fY)) +
            "\" r=\"3\" fill=\"none\" stroke=\"#000000\"/>\n";
  }
  // The scale: a bar of a round length, at the map's lower left.
  const double unit = RoundStep(width, 5);
  const double barY = top + mapHeight - 12;
  body += Line(left + 10, barY, left + 10 + unit * scale, barY, "#333333", "2");
  body += Line(left + 10, barY - 4, left + 10, barY + 4, "#333333");
  body += Line(left + 10 + unit * scale, barY - 4, left + 10 + unit * scale, barY + 4, "#333333");
  body += Text(left + 10, barY - 6, Short(unit) + " units", " fill=\"#333333\"");

  // The legend.
  double y = top + 4;
  body += Text(legendX, y, "Legend", " font-weight=\"bold\"");
  y += 20;
  for (const auto& [stroke, name] : legend) {
    body += Line(legendX, y - 4, legendX + 24, y - 4, stroke, "3");
    body += Text(legendX + 30, y, Escape(name));
    y += 18;
  }
  if (playerMoved) {
    body += Text(legendX + 30, y, "(red and thick: the player)", " fill=\"#d62728\"");
    y += 18;
  }
  if (!legend.empty()) {
    body += "<circle cx=\"" + Number(legendX + 6) + "\" cy=\"" + Number(y - 4) +
            "\" r=\"5\" fill=\"white\" stroke=\"#333333\" stroke-width=\"2\"/>\n";
    body += Text(legendX + 30, y, "where a path starts");
    y += 18;
    body += "<circle cx=\"" + Number(legendX + 6) + "\" cy=\"" + Number(y - 4) +
            "\" r=\"4\" fill=\"#333333\"/>\n";
    body += Text(legendX + 30, y, "where it ends");
    y += 18;
    body += "<circle cx=\"" + Number(legendX + 6) + "\" cy=\"" + Number(y - 4) +
            "\" r=\"2\" fill=\"#333333\"/>\n";
    body += Text(legendX + 30, y, "a mark every " + Short(markStep) + " s");
    y += 18;
  }
  body += "<circle cx=\"" + Number(legendX + 6) + "\" cy=\"" + Number(y - 4) +
          "\" r=\"5\" fill=\"#dddddd\" stroke=\"#555555\"/>\n";
  body += Text(legendX + 30, y, "an object that stood still");
  y += 18;
  if (!lookAts_.empty()) {
    body += Line(legendX, y - 4, legendX + 24, y - 4, "#000000\" stroke-dasharray=\"6,4");
    body += Text(legendX + 30, y, "where a camera looked last");
    y += 18;
  }
  if (fireMarbles) {
    body += "<circle cx=\"" + Number(legendX + 6) + "\" cy=\"" + Number(y - 4) +
            "\" r=\"5\" fill=\"#ffcc00\" stroke=\"#ff9900\" stroke-width=\"3\"/>\n";
    body += Text(legendX + 30, y, "a firemarble: gold lit, dark not");
    y += 18;
  }
  body += Text(legendX, y, Short(frames_) + " frames, " + Short(end_) + " s");
  const double legendBottom = y + 10;

  // Flags and variables over time, one lane each, under a time axis.
  double bottom = std::max(top + mapHeight, legendBottom);
  if (!stateOrder_.empty()) {
    const double labelWidth = 180, laneHeight = 30;
    const double x0 = left + labelWidth, x1 = std::max(legendX + legendWidth, left + 600.0);
    auto tx = [&](double t) { return x0 + (end_ > 0 ? t / end_ : 0.0) * (x1 - x0); };
    double laneTop = bottom + 40;
    body +=
        Text(left, laneTop - 16, "Object flags and variables over time", " font-weight=\"bold\"");
    for (const auto& key : stateOrder_) {
      const State& state = states_.at(key);
      const bool flag = state.kind == int32_t(Model::kFlagRecord);
      body += Text(left, laneTop + laneHeight / 2 + 4,
                   Escape(state.object) + (flag ? " flag" : " variable"));
      body += Line(x0, laneTop + laneHeight, x1, laneTop + laneHeight, "#dddddd");
      int32_t low = 0, high = 1;
      for (const auto& change : state.changes)
        low = std::min(low, change.second), high = std::max(high, change.second);
      auto vy = [&](int32_t v) {
        return laneTop + laneHeight - 4 -
               (double(v) - low) / (double(high) - low) * (laneHeight - 12);
      };
      for (size_t i = 0; i < state.changes.size(); ++i) {
        const auto [from, value] = state.changes[i];
        const double until = i + 1 < state.changes.size() ? state.changes[i + 1].first : end_;
        if (flag) {
          if (value != 0)
            body += "<rect x=\"" + Number(tx(from)) + "\" y=\"" + Number(laneTop + 6) +
                    "\" width=\"" + Number(std::max(tx(until) - tx(from), 1.0)) + "\" height=\"" +
                    Number(laneHeight - 10) + "\" fill=\"#f2b701\"/>\n";
          continue;
        }
        if (i > 0)
          body +=
              Line(tx(from), vy(state.changes[i - 1].second), tx(from), vy(value), "#1f77b4", "2");
        body += Line(tx(from), vy(value), tx(until), vy(value), "#1f77b4", "2");
        if (state.changes.size() <= 64)
          body += Text(tx(from) + 3, vy(value) - 3, std::to_string(value), " fill=\"#1f77b4\"", 10);
      }
      if (flag) body += Text(x1 + 6, laneTop + laneHeight / 2 + 4, "set", " fill=\"#b08800\"");
      if (state.full) body += Text(x1 + 6, laneTop + laneHeight, "(later changes not drawn)");
      laneTop += laneHeight;
    }
    // The time axis.
    body += Line(x0, laneTop, x1, laneTop, "#333333");
    for (double t = 0; t <= end_ + 1e-6; t += markStep) {
      body += Line(tx(t), laneTop, tx(t), laneTop + 5, "#333333");
      body += Text(tx(t), laneTop + 18, Short(t) + " s", " text-anchor=\"middle\"");
    }
    bottom = laneTop + 30;
  }

  const double totalWidth = std::max(legendX + legendWidth, left + 600.0) + 80;
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(totalWidth) +
                    "\" height=\"" + Number(bottom + 10) + "\" font-family=\"sans-serif\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg += body;
  svg += "</svg>\n";
  return svg;
}

}  // namespace stage
