#include "stage/expect.h"

#include <algorithm>
#include <cstddef>

namespace stage {

namespace {

// One line of the edit script: ' ' kept, '-' only in expected, '+' only in
// actual, with its index in its own list.
struct Edit {
  char kind;
  size_t index;
};

// The shortest edit script between a[0, n) and b[0, m) (Myers' greedy
// algorithm), or false when it needs more than `limit` edits.
bool ShortestEdits(const std::vector<std::string>& a, size_t aFrom, size_t n,
                   const std::vector<std::string>& b, size_t bFrom, size_t m, int limit,
                   std::vector<Edit>* edits) {
  const int max = std::min<int>(limit, int(n + m));
  const int offset = max + 1;
  std::vector<int> v(size_t(2 * max + 3), 0);
  std::vector<std::vector<int>> history;
  int found = -1;
  for (int d = 0; d <= max && found < 0; ++d) {
    history.push_back(v);
    for (int k = -d; k <= d; k += 2) {
      int x = (k == -d || (k != d && v[size_t(offset + k - 1)] < v[size_t(offset + k + 1)]))
                  ? v[size_t(offset + k + 1)]
                  : v[size_t(offset + k - 1)] + 1;
      int y = x - k;
      while (x < int(n) && y < int(m) && a[aFrom + size_t(x)] == b[bFrom + size_t(y)]) ++x, ++y;
      v[size_t(offset + k)] = x;
      if (x >= int(n) && y >= int(m)) {
        found = d;
        break;
      }
    }
  }
  if (found < 0) return false;
  // Walk back from the end through the saved rows.
  std::vector<Edit> reversed;
  int x = int(n), y = int(m);
  for (int d = found; d > 0; --d) {
    const std::vector<int>& row = history[size_t(d)];
    const int k = x - y;
    const bool down =
        k == -d || (k != d && row[size_t(offset + k - 1)] < row[size_t(offset + k + 1)]);
    const int prevK = down ? k + 1 : k - 1;
    const int prevX = row[size_t(offset + prevK)];
    const int prevY = prevX - prevK;
    while (x > prevX && y > prevY) reversed.push_back({' ', aFrom + size_t(--x)}), --y;
    if (down)
      reversed.push_back({'+', bFrom + size_t(--y)});
    else
      reversed.push_back({'-', aFrom + size_t(--x)});
  }
  while (x > 0 && y > 0) reversed.push_back({' ', aFrom + size_t(--x)}), --y;
  edits->insert(edits->end(), reversed.rbegin(), reversed.rend());
  return true;
}

// "START,COUNT" of a hunk's side as diff -u writes it: a count of 1 is left
// out, and an empty side names the line before it.
std::string Range(size_t start, size_t count) {
  if (count == 1) return std::to_string(start + 1);
  return std::to_string(count == 0 ? start : start + 1) + "," + std::to_string(count);
}

}  // namespace

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.emplace_back(text, at, end - at);
    at = end + 1;
  }
  return lines;
}

std::string UnifiedDiff(const std::vector<std::string>& expected,
                        const std::vector<std::string>& actual, const std::string& expectedName,
                        const std::string& actualName, int maxEdits) {
  if (expected == actual) return "";
  // The common start and end are kept without a search.
  size_t head = 0;
  while (head < expected.size() && head < actual.size() && expected[head] == actual[head]) ++head;
  size_t tail = 0;
  while (tail < expected.size() - head && tail < actual.size() - head &&
         expected[expected.size() - 1 - tail] == actual[actual.size() - 1 - tail])
    ++tail;
  std::vector<Edit> edits;
  for (size_t i = 0; i < head; ++i) edits.push_back({' ', i});
  const size_t n = expected.size() - head - tail, m = actual.size() - head - tail;
  if (!ShortestEdits(expected, head, n, actual, head, m, maxEdits, &edits)) {
    for (size_t i = 0; i < n; ++i) edits.push_back({'-', head + i});
    for (size_t i = 0; i < m; ++i) edits.push_back({'+', head + i});
  }
  for (size_t i = 0; i < tail; ++i) edits.push_back({' ', expected.size() - tail + i});

  // Hunks: the changes with three lines of context, joined where their
  // contexts meet.
  constexpr size_t kContext = 3;
  std::string out = "--- " + expectedName + "\n+++ " + actualName + "\n";
  size_t i = 0;
  // Line numbers before edits[i] on each side.
  size_t aLine = 0, bLine = 0;
  while (i < edits.size()) {
    size_t change = i;
    while (change < edits.size() && edits[change].kind == ' ') ++change;
    if (change == edits.size()) break;
    const size_t skip = change - i > kContext ? change - i - kContext : 0;
    const size_t start = i + skip;
    const size_t aStart = aLine + skip, bStart = bLine + skip;
    // The hunk runs until more than twice the context of kept lines in a
    // row, or the end, and keeps the context's worth of them.
    size_t end = change, kept = 0;
    while (end < edits.size()) {
      if (edits[end].kind == ' ') {
        if (kept == 2 * kContext) break;
        ++kept;
      } else {
        kept = 0;
      }
      ++end;
    }
    if (kept > kContext) end -= kept - kContext;
    size_t aCount = 0, bCount = 0;
    for (size_t e = start; e < end; ++e) {
      if (edits[e].kind != '+') ++aCount;
      if (edits[e].kind != '-') ++bCount;
    }
    out += "@@ -" + Range(aStart, aCount) + " +" + Range(bStart, bCount) + " @@\n";
    for (size_t e = start; e < end; ++e) {
      const std::string& line =
          edits[e].kind == '+' ? actual[edits[e].index] : expected[edits[e].index];
      out += edits[e].kind;
      out += line;
      out += '\n';
    }
    for (size_t e = i; e < end; ++e) {
      if (edits[e].kind != '+') ++aLine;
      if (edits[e].kind != '-') ++bLine;
    }
    i = end;
  }
  return out;
}

}  // namespace stage
