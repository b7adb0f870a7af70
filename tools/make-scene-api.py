#!/usr/bin/env python3
"""Writes docs/scene-api.md, the reference of the scene module SceneAPIc, from
the table of scene operations (kit/host/scene_ops.inc) and the stage's list of
the operations it models (stage/modelled_ops.inc).

  tools/make-scene-api.py           rewrites docs/scene-api.md
  tools/make-scene-api.py --check   fails when docs/scene-api.md is not what
                                    the tables give (a test runs this)
"""
import re
import sys
from pathlib import Path

TOP = Path(__file__).resolve().parent.parent
OPS = TOP / "kit/host/scene_ops.inc"
MODELLED = TOP / "stage/modelled_ops.inc"
PAGE = TOP / "docs/scene-api.md"

ROW = re.compile(r'^MK_SCENE_OP\((.+?), (\w+), \((.*?)\), \((.*?)\), "(.*?)", "(.*?)", "(.*?)", "(.*?)"\)$')

# Operations that the stage does not model go to the area whose operations
# they resemble, by the first rule that their name matches; the rest go to
# the groups after the stage's areas.
AREA_RULES = [
    (r"^(Sound)", "SoundOps"),
    (r"^(Anim|Beh)", "AnimationOps"),
    (r"^Cam", "CameraOps"),
    (r"^(Flock|FM|IsFlock|IsFireMarble)", "FlockOps"),
    (r"^(Timer|EventTimer|ActorTimer)", "TimerOps"),
    (r"^(Brain|SetBrain|GetBrain)", "BrainOps"),
    (r"^Net", "NetworkOps"),
    (r"^(Detector|XCmd|RegisterXCmd|ExecActor|Event|GetTrig|GetXCmdByID)", "ActorOps"),
    (r"(GetKey$|KeyByID$|^KeyGetName|^VarSet)", "KeyOps"),
    (r"^(GetContact|GetExternVelocity|SetExternVelocity|GetFreefall|SetCurrentsAffect|"
     r"ToggleCurrentsAffect|GetCurrentsAffect)", "PhysicalOps"),
    (r"^(Mouse|Joystick|Console|SetInput|SetMouse|SetController|SetMovement|SetAttitude|"
     r"SaveInput|LoadInput|GetActionKey|GetCheatKey|GameSetController)", "Input"),
    (r"^(Portal|Light|Fog|Scene|Node|GetPortal|GetLight|GetEnvironment|GetSceneNode)", "World"),
    (r"^(Persona|Inventory|Grab|Missile|GetMissile|GetInventory|FindBehavior|EnableBehavior|"
     r"GetPlayingOneShot|SetPlayingOneShot|GetCurPersona|IsCurrentBehavior|SetSwim|ToggleSwim|"
     r"GetCharacterByID)", "Characters"),
    (r"^(IK|GetIK|Guide)", "Rigs"),
    (r"^(Bounds|Interp|GetClosestPointToLine|GetScreenFromWorld)", "Math"),
    (r"^(Is|Get|Set|Toggle|Warp|Attach|Does|Cleanup|TransformChanged)", "ObjectOps"),
    (r".", "GameOps"),
]
EXTRA_AREAS = [
    ("Input", "Input: keys, mouse, joystick, console and controller settings"),
    ("World", "World: rooms, portals, lights and fog"),
    ("Characters", "Characters: personas, inventory, grabbing and missiles"),
    ("Rigs", "Inverse kinematics and guide rails"),
    ("Math", "Bounds, interpolation and screen positions"),
]

KINDS = {"l": "int", "i": "int", "f": "float", "O": "list of texts"}


def read_ops():
    ops = []
    for line in OPS.read_text().splitlines():
        m = ROW.match(line)
        if m:
            ret, name, params, _, fmt, types, defaults, result = m.groups()
            ops.append(dict(ret=ret, name=name, fmt=fmt, types=types, defaults=defaults,
                            result=result))
    return ops


def read_modelled():
    """The stage's areas in their order ({class: title}) and {name: class}."""
    areas, modelled, title = {}, {}, None
    for line in MODELLED.read_text().splitlines():
        m = re.match(r"^// (.+) \((ops_\w+\.cpp.*)\)$", line)
        if m:
            title = m.group(1)
            continue
        m = re.match(r"^STAGE_OP\((\w+), (\w+)\)$", line)
        if m:
            areas.setdefault(m.group(1), title)
            modelled[m.group(2)] = m.group(1)
    return areas, modelled


def signature(op):
    types = dict(item.split(" ", 1) for item in op["types"].split(", ") if item)
    defaults = dict(item.split(": ", 1) for item in op["defaults"].split(", ") if item)
    args, position, optional = [], 0, False
    for code in op["fmt"]:
        if code == "|":
            optional = True
            continue
        position += 1
        key = str(position)
        if code == "s":
            kind = types.get(key, "text")
            if kind == "void":
                kind = "any pointer"
        else:
            kind = KINDS[code]
        if optional:
            value = defaults.get(key, "?")
            kind += " = " + ("NULL" if value == "none" else value)
        args.append(kind)
    return "%s(%s)" % (op["name"], ", ".join(args))


def result(op):
    r = op["result"]
    return {"": "None", "l": "int", "f": "float", "s": "text"}.get(r, r)


def stage_answer(op, modelled):
    if op["name"] in modelled:
        return "modelled"
    ret = op["ret"]
    if ret == "void":
        return "does nothing"
    if ret == "int32_t":
        return "0"
    if ret == "float":
        return "0.0"
    if ret == "const char*":
        return "None"
    return '"NULL"'


def page():
    ops = read_ops()
    areas, modelled = read_modelled()
    groups = {key: [] for key in list(areas) + [key for key, _ in EXTRA_AREAS]}
    for op in ops:
        area = modelled.get(op["name"])
        if area is None:
            area = next(a for pattern, a in AREA_RULES if re.search(pattern, op["name"]))
        groups[area].append(op)
    titles = dict(areas)
    titles.update(EXTRA_AREAS)
    count = sum(1 for op in ops if op["name"] in modelled)
    out = [
        "# The scene module `SceneAPIc`",
        "",
        "<!-- Written by tools/make-scene-api.py from kit/host/scene_ops.inc and",
        "     stage/modelled_ops.inc; edit those and run the script. -->",
        "",
        "A script reaches the scene through the module `SceneAPIc`: one function for",
        "each of the %d operations of the scene interface, under the operation's own" % len(ops),
        "name, with its arguments in the same order (`docs/python.md` shows how a",
        "script imports and calls them). Objects cross as pointer strings",
        '("_1a2b3c_mkSceneObject_p", or "NULL"); points, vectors, matrices and the',
        "boxes that operations write their answers into are objects of `mkTypesc`",
        "(`docs/script-modules.md`): make one, pass its pointer string, read it back.",
        "",
        "Each row gives the call with the kind of each argument in order (a pointer",
        "type is a pointer string of that type, \"text\" plain text, \"any pointer\" a",
        "pointer string of any type), and after `=` the value that an argument left",
        "out takes; the result (a pointer type is the pointer string of the object",
        "returned, \"NULL\" when there is none); and what the stage answers: \"modelled\"",
        "when its model answers the operation (%d of them), otherwise the default that" % count,
        "it returns (\"does nothing\" for an operation without a result). The game",
        "engine answers every operation; the stage traces an unmodelled call as",
        "`[not modelled]`.",
        "",
        "```",
        "import SceneAPIc",
        'door = SceneAPIc.GetSceneObjectByID("Door")',
        "SceneAPIc.GetWorldPos(door, where)        # the third argument is 0 when left out",
        "```",
        "",
        "Areas, as the stage groups the operations it models (`stage/ops.h`), then the",
        "operations that it has no area for:",
        "",
    ]
    for key, ops_in in groups.items():
        if ops_in:
            out.append("- [%s](#%s) (%d)" % (titles[key], anchor(titles[key]), len(ops_in)))
    for key, ops_in in groups.items():
        if not ops_in:
            continue
        out += ["", "## " + titles[key], "", "| Call | Result | Stage |", "|---|---|---|"]
        for op in ops_in:
            out.append("| `%s` | %s | %s |" % (signature(op), result(op), stage_answer(op, modelled)))
    return "\n".join(out) + "\n"


def anchor(title):
    return re.sub(r"[^a-z0-9 -]", "", title.lower()).replace(" ", "-")


def main():
    text = page()
    if sys.argv[1:] == ["--check"]:
        if PAGE.read_text() != text:
            print("docs/scene-api.md is not what tools/make-scene-api.py writes from the tables; "
                  "run tools/make-scene-api.py")
            return 1
        return 0
    PAGE.write_text(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
