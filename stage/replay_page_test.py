#!/usr/bin/env python3
"""The replay page in a real browser: plays example scenes with
`stage --replay`, opens the pages in headless Chromium, drives them through
their own controls (slider, step and end buttons, a click on the map and on
the object list) and checks what they show against the stage's own message
lines and call trace of the same run.

usage: replay_page_test.py STAGE SOURCE_DIR
Exits 77 (skipped) when no Chromium is installed.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SKIPPED = 77


class Browser:
    """Headless Chromium driven over the DevTools protocol on a pipe (fds 3
    and 4 of the browser): JSON messages ended by a null byte."""

    def __init__(self, program):
        to_browser_r, self.to_browser = os.pipe()
        self.from_browser, from_browser_w = os.pipe()

        def fds():
            # Moved out of the way first: either end may already be fd 3 or 4.
            read_end, write_end = os.dup(to_browser_r), os.dup(from_browser_w)
            os.dup2(read_end, 3)
            os.dup2(write_end, 4)

        self.profile = tempfile.mkdtemp(prefix="replay-chromium-")
        self.process = subprocess.Popen(
            [program, "--headless", "--disable-gpu", "--no-sandbox", "--no-first-run",
             "--remote-debugging-pipe", "--user-data-dir=" + self.profile,
             "--window-size=1300,900", "about:blank"],
            preexec_fn=fds, close_fds=False, stdout=subprocess.DEVNULL,
            stderr=None if os.environ.get("REPLAY_TEST_VERBOSE") else subprocess.DEVNULL)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.buffer = b""
        self.next_id = 0
        self.session = None
        targets = self.call("Target.getTargets")["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        self.session = self.call("Target.attachToTarget",
                                 {"targetId": page["targetId"], "flatten": True})["sessionId"]

    def call(self, method, params=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if self.session is not None and not method.startswith("Target."):
            message["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self.buffer:
                chunk = os.read(self.from_browser, 1 << 16)
                if not chunk:
                    raise RuntimeError("the browser closed its pipe")
                self.buffer += chunk
            text, self.buffer = self.buffer.split(b"\0", 1)
            reply = json.loads(text)
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply["result"]

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate",
                           {"expression": expression, "returnByValue": True})
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def open(self, path):
        self.call("Page.navigate", {"url": "file://" + path})
        deadline = time.time() + 20
        while time.time() < deadline:
            if self.evaluate("document.readyState === 'complete' && "
                             "document.body !== null && 'frame' in document.body.dataset"):
                return
            time.sleep(0.05)
        raise RuntimeError(f"{path} did not load")

    def click(self, x, y):
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent",
                      {"type": kind, "x": x, "y": y, "button": "left", "clickCount": 1})

    def close(self):
        self.process.kill()
        self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)


# What the page shows: its frame, the message lines, every object's position
# (and where it is drawn on the map), and the object panel.
SHOWN = """JSON.stringify({
  frame: document.getElementById('frame').textContent,
  messages: [...document.querySelectorAll('#messages li')].map(li => li.textContent),
  trace: [...document.querySelectorAll('#trace li')].map(li => li.textContent),
  traceNote: document.getElementById('traceNote').textContent,
  objects: Object.fromEntries([...document.querySelectorAll('#objects tbody tr')].map(tr =>
      [tr.dataset.name, [tr.querySelector('.x').textContent, tr.querySelector('.y').textContent,
                         tr.dataset.px, tr.dataset.py]])),
  info: document.getElementById('info').textContent})"""


def shown(browser):
    return json.loads(browser.evaluate(SHOWN))


def slide(browser, frame):
    browser.evaluate("(() => { const s = document.getElementById('slider'); "
                     f"s.value = {frame}; s.dispatchEvent(new Event('input')); }})()")


def press(browser, button):
    browser.evaluate(f"document.getElementById('{button}').click()")


failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def play(stage, source, scene, out, frames=None):
    """Plays a scene with a replay page (and a trace, unless the number of
    frames is given); returns the page's path, the message lines by frame and
    the trace lines."""
    page = os.path.join(out, os.path.basename(scene) + ".html")
    trace = os.path.join(out, os.path.basename(scene) + ".trace")
    options = ["--frames", str(frames)] if frames else ["--trace", trace]
    result = subprocess.run([stage, "--replay", page] + options + [scene], cwd=source,
                            stdout=subprocess.PIPE, text=True, check=True)
    messages = {}
    for line in result.stdout.splitlines():
        messages.setdefault(int(line[1:line.index(" ")]), []).append(line)
    if frames:
        return page, messages, []
    with open(trace, encoding="utf-8") as f:
        return page, messages, f.read().splitlines()


def check_end(browser, messages, last, what):
    """Goes to the last frame; the page shows its message lines, and the
    creatures where the stage says they end."""
    press(browser, "last")
    now = shown(browser)
    check(now["frame"] == str(last), f"{what}: the last frame")
    check(now["messages"] == messages[last], f"{what} last frame: {now['messages']}")
    ends = 0
    for line in messages[last]:
        m = re.match(r"@\d+ stage: (\S+) \(cHopkin\) ends at (\S+) (\S+) ", line)
        if not m:
            continue
        ends += 1
        got = now["objects"][m.group(1)]
        check(near(got[0], float(m.group(2))) and near(got[1], float(m.group(3))),
              f"{what} end: {m.group(1)} at {got}, the stage says {line}")
    check(ends == 6, f"{what}: six creatures end")
    return now


def first_positions(trace, frame):
    """Where each object stood when the frame began, as the first
    GetWorldPos of it in that frame's trace says."""
    found = {}
    pattern = re.compile(r"@%d GetWorldPos\(([^,]+), &\(([-\d.e+]+) ([-\d.e+]+) " % frame)
    for line in trace:
        m = pattern.match(line)
        if m and m.group(1) not in found:
            found[m.group(1)] = (float(m.group(2)), float(m.group(3)))
    return found


def near(text, value):
    return abs(float(text) - value) <= 0.006


def main():
    stage, source = sys.argv[1], os.path.abspath(sys.argv[2])
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if chromium is None:
        print("skipped: no chromium (tools/run-tests.sh installs it)")
        return SKIPPED
    out = tempfile.mkdtemp(prefix="replay-page-")
    browser = Browser(chromium)
    try:
        # The creatures: positions against the trace, the last frame against
        # the stage's closing lines.
        page, messages, trace = play(stage, source, "scenes/hopkin.scene", out)
        browser.open(page)
        for frame, step in ((39, None), (40, "next"), (250, None), (249, "prev")):
            if step is None:
                slide(browser, frame)
            else:
                press(browser, step)
            now = shown(browser)
            check(now["frame"] == str(frame), f"hopkin: frame {frame} shown, not {now['frame']}")
            expected = first_positions(trace, frame + 1)
            check(len(expected) >= 7, f"hopkin: positions in the trace of frame {frame + 1}")
            for name, (x, y) in expected.items():
                got = now["objects"].get(name)
                check(got is not None and near(got[0], x) and near(got[1], y),
                      f"hopkin frame {frame}: {name} at {got} in the page, {x} {y} in the trace")
            check(now["messages"] == messages.get(frame, []), f"hopkin frame {frame}: messages")
            # The trace lines of the frame as the stage wrote them: the whole
            # run's trace is kept, and nothing says that lines are missing.
            mark = f"@{frame} "
            lines = [line[len(mark):] for line in trace if line.startswith(mark)]
            check(len(lines) > 200 and now["trace"] == lines and now["traceNote"] == "",
                  f"hopkin frame {frame}: {len(now['trace'])} trace lines of {len(lines)}, "
                  f"{now['traceNote']!r}")
        now = check_end(browser, messages, 599, "hopkin")
        mark = "@599 "
        check(shown(browser)["trace"] == [line[len(mark):] for line in trace
                                          if line.startswith(mark)], "hopkin: the last frame's trace")
        policy = browser.evaluate("document.getElementById('policy').textContent")
        check(policy == "Every message line and trace line of the run is kept.", f"policy: {policy}")
        # A click on a creature on the map shows it.
        x, y = now["objects"]["Cove..Hopkin03"][2:]
        box = json.loads(browser.evaluate(
            "JSON.stringify(document.getElementById('map').getBoundingClientRect())"))
        browser.click(box["left"] + float(x), box["top"] + float(y))
        info = shown(browser)["info"]
        got = now["objects"]["Cove..Hopkin03"]
        check(info.startswith("Cove..Hopkin03  (character)") and "brain     cHopkin" in info and
              f"position  x {got[0]}  y {got[1]}" in info, f"hopkin click: {info!r}")

        # Zoom with the wheel about the pointer, pan with a drag, and reset;
        # names on the map do not overprint one another.
        slide(browser, 75)
        before = shown(browser)["objects"]
        cx, cy = (float(v) for v in before["Cove..Hopkin03"][2:])
        browser.call("Input.dispatchMouseEvent", {"type": "mouseWheel", "x": box["left"] + cx,
                                                  "y": box["top"] + cy, "deltaX": 0,
                                                  "deltaY": -500})
        zoomed = shown(browser)["objects"]
        zx, zy = (float(v) for v in zoomed["Cove..Hopkin03"][2:])
        ox, oy = (float(v) for v in before["Cove..Hopkin01"][2:])
        nx, ny = (float(v) for v in zoomed["Cove..Hopkin01"][2:])
        check(abs(zx - cx) < 1 and abs(zy - cy) < 1, f"zoom: the creature under the pointer "
                                                     f"moved from {cx},{cy} to {zx},{zy}")
        check(abs(nx - zx) > 2 * abs(ox - cx) - 1 and abs(ny - zy) > 2 * abs(oy - cy) - 1,
              f"zoom: Hopkin01 from {ox},{oy} to {nx},{ny}")
        for kind, x in (("mousePressed", 300), ("mouseMoved", 340), ("mouseReleased", 340)):
            browser.call("Input.dispatchMouseEvent",
                         {"type": kind, "x": box["left"] + x, "y": box["top"] + 300,
                          "button": "left", "buttons": 1 if kind != "mouseReleased" else 0,
                          "clickCount": 1})
        panned = shown(browser)["objects"]
        check(abs(float(panned["Cove..Hopkin03"][2]) - zx - 40) < 1, "pan: moved 40 pixels")
        labels = json.loads(browser.evaluate("document.getElementById('map').dataset.labels"))
        check(labels[:1] == ["Cove..Hopkin03"], f"labels: the chosen object's first: {labels[:3]}")
        press(browser, "reset")
        check(shown(browser)["objects"]["Cove..Hopkin03"] == before["Cove..Hopkin03"],
              "reset: the view as it was")
        labels = json.loads(browser.evaluate("document.getElementById('map').dataset.labels"))
        check("Cove..ZoveziWallBlocker" in labels and len(labels) < len(before),
              f"labels at 50-unit scale: {len(labels)} of {len(before)} written")

        # The door: message lines frame by frame, the variable and flag that
        # commands keep.
        page, messages, trace = play(stage, source, "scenes/door.scene", out)
        browser.open(page)
        press(browser, "first")
        for frame in range(6):
            if frame > 0:
                press(browser, "next")
            now = shown(browser)
            check(now["frame"] == str(frame), f"door: frame {frame}")
            check(now["messages"] == messages.get(frame, []),
                  f"door frame {frame}: {now['messages']} against {messages.get(frame)}")
        slide(browser, 2)
        browser.evaluate("document.querySelector('#objects tr[data-name=\"Door\"]').click()")
        info = shown(browser)["info"]
        check("variable  3" in info, f"door frame 2: {info!r}")
        slide(browser, 1)
        browser.evaluate("document.querySelector('#objects tr[data-name=\"Lamp\"]').click()")
        info = shown(browser)["info"]
        check("flag      set (1)" in info, f"door frame 1: {info!r}")

        # Marks under the timeline at the frames with message lines, and the
        # frames with warnings apart.
        marked = json.loads(browser.evaluate("document.getElementById('marks').dataset.frames"))
        warned = json.loads(browser.evaluate("document.getElementById('marks').dataset.warnings"))
        check(marked == sorted(messages), f"door marks: {marked} against {sorted(messages)}")
        check(warned == sorted(f for f, lines in messages.items()
                               if any(" warning: " in line for line in lines)),
              f"door warning marks: {warned}")

        # Playback: Play advances frames with the clock; the arrow keys step.
        press(browser, "first")
        press(browser, "play")
        time.sleep(1.0)
        press(browser, "play")
        played = int(shown(browser)["frame"])
        check(played > 0, f"door: Play advanced to frame {played}")
        press(browser, "first")
        browser.call("Input.dispatchKeyEvent", {"type": "keyDown", "key": "ArrowRight",
                                                "code": "ArrowRight", "windowsVirtualKeyCode": 39})
        check(shown(browser)["frame"] == "1", "door: the right arrow key steps to frame 1")

        # Positions that are not finite: shown as such, not drawn, said once;
        # the page still loads.
        scene = os.path.join(out, "far.scene")
        with open(scene, "w", encoding="utf-8") as f:
            f.write("frames 4\nobject Far at 3e38 0 0\nobject Near at 1 1 0\n"
                    "at 0 glide Far -3e38 0 0 0.5\n")
        page, messages, _ = play(stage, source, scene, out, frames=4)
        notes = [line for lines in messages.values() for line in lines if "not finite" in line]
        check(len(notes) == 1, f"far: the stage says once that a position is not finite: {notes}")
        browser.open(page)
        slide(browser, 2)
        now = shown(browser)
        check(now["objects"]["Far"][:3] == ["not finite", "0.00", ""],
              f"far: Far shown as not finite and not drawn: {now['objects']['Far']}")
        check(now["objects"]["Near"][2] != "", f"far: Near drawn: {now['objects']['Near']}")
        browser.evaluate("document.querySelector('#objects tr[data-name=\"Far\"]').click()")
        info = shown(browser)["info"]
        check("position  x not finite  y 0.00" in info, f"far: {info!r}")

        # The camera pane: a camera that turns as it passes keeps the object
        # that it looks at in the middle; another object is off to its side,
        # on the side where it stands.
        scene = os.path.join(out, "eye.scene")
        with open(scene, "w", encoding="utf-8") as f:
            f.write("frames 31\ncamera Eye at -10 -10 1 lookat 0 0 1 fov 60\n"
                    "object Post at 0 0 1\nobject Tree at 5 0 1\nplayer Walker at -5 5 1\n"
                    "at 0 glide Eye 10 -10 1 1\n")
        page, _, _ = play(stage, source, scene, out, frames=31)
        browser.open(page)
        for frame in (0, 14, 30):
            slide(browser, frame)
            seen = json.loads(browser.evaluate("document.getElementById('eye').dataset.seen"))
            post = seen.get("Post")
            check(post is not None and abs(post[0] - 360) < 1 and abs(post[1] - 120) < 1,
                  f"eye frame {frame}: Post at {post}, not in the middle")
            if frame == 14:
                # At the end of frame 14, from (0 -10 1) looking along +y: Tree at
                # x 5 is to the right, by 120 / tan(30 degrees) * 5 / 10 pixels.
                tree = seen.get("Tree")
                check(tree is not None and abs(tree[0] - (360 + 120 / 0.57735 * 0.5)) < 2 and
                      abs(tree[1] - 120) < 1, f"eye frame 14: Tree at {tree}")
        note = browser.evaluate("document.getElementById('eyeNote').textContent")
        check(note.startswith("Eye at x 10.00 y -10.00 z 1.00, looking at x 0.00 y 0.00 z 1.00, "
                              "field of view 60.0 degrees"), f"eye: {note!r}")

        # "#frame=N&object=NAME" in the address opens the page there.
        door = os.path.join(out, "door.scene.html")
        browser.open(door + "#frame=3&object=Door")
        now = shown(browser)
        check(now["frame"] == "3" and now["info"].startswith("Door  ("),
              f"door #frame=3: frame {now['frame']}, {now['info'][:20]!r}")

        # A long run stays a small page that still ends where the stage says.
        page, messages, _ = play(stage, source, "scenes/hopkin.scene", out, frames=10000)
        size = os.path.getsize(page)
        check(size < 3_000_000, f"hopkin, 10000 frames: a page of {size} bytes")
        browser.open(page)
        check_end(browser, messages, 9999, "hopkin, 10000 frames")
    finally:
        browser.close()
        shutil.rmtree(out, ignore_errors=True)
    print("failures:", len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
