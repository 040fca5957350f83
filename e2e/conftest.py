"""Fixtures of the end-to-end tests. A module names its lane (LANE, "main" unless it says): each
lane has an X server, a Wine prefix and a work folder of its own, made when a case first needs it
and ended with the run. Each case gets a fresh folder; every bar and program it started is ended
by its process id when it ends, pass or fail, and so is everything else on Ctrl-C."""
import atexit
import re
import shutil
import signal
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).parent))
from harness import EXE, Bar, HeldDrive, Lane, end_process, end_started, saved, started, wait_until  # noqa: E402

_lanes = {}


def _interrupted(signum, frame):
    raise KeyboardInterrupt  # leaves through the fixtures' clean-up, as Ctrl-C does


def pytest_configure(config):
    # Ctrl-C raises KeyboardInterrupt even where the run was started with it ignored (a background
    # job of a script), and the end of a lane's group (SIGTERM) does the same.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    signal.signal(signal.SIGTERM, _interrupted)
    atexit.register(end_started)


@pytest.fixture(scope="session")
def lanes():
    yield _lanes
    for lane in _lanes.values():
        lane.close()
    end_started()


def _lane(request, lanes):
    name = getattr(request.module, "LANE", "main")
    if name not in lanes:
        lanes[name] = Lane(name)
    return lanes[name]


@pytest.fixture
def lane(request, lanes):
    return _lane(request, lanes)


@pytest.fixture(scope="module")
def module_lane(request, lanes):
    return _lane(request, lanes)


@pytest.fixture(scope="module")
def module_bar(request, lanes):
    """Where a user's path goes on, one bar for the module's cases, each case a feature of it:
    the shipped program in a folder of the module's own, with the module's SETTINGS (none
    without) and ARGUMENTS, started once and ended when the module ends."""
    lane = _lane(request, lanes)
    folder = lane.work / request.module.__name__
    shutil.rmtree(folder, ignore_errors=True)
    b = Bar(lane, folder, EXE, getattr(request.module, "SETTINGS", None))
    b.arguments = getattr(request.module, "ARGUMENTS", ())
    b.start(*b.arguments)
    b.as_started = _state(b)
    yield b
    b.stop()


def _state(b):
    """What a case may leave changed on the module's bar: whether it runs, its place and size,
    what Windows says of its window and button, a menu or box left open, and the settings it
    saved last (every command that changes one saves them all), less the place, which a drag
    changes without a save. A bar that saved only its defaults is as it started."""
    info = b.helper("window", "Blinkbar") if b.alive() else "none"
    seen = [b.alive(), b.geometry(), b.helper("menu-state"), b.helper("box")]
    seen += [b.lane.field(info, "window", k) for k in ("visible", "topmost", "alpha")]
    seen.append(b.lane.field(info, "child id=5000", "visible"))
    text = re.sub(rb"WinX = -?\d+\r\nWinY = -?\d+\r\n", b"", b.text() or saved(0, 0))
    return seen + [text]


@pytest.fixture
def running(module_bar):
    """The module's bar as it started, for each case: one that a case before left otherwise
    (moved, resized, locked, a menu open, ended) is started again afresh. The settings file a
    case saved is removed, so that each case sees its own saves alone."""
    b = module_bar
    now = _state(b)
    (b.dir / "Blinkbar.ini").unlink(missing_ok=True)
    if now != b.as_started:
        print(f"the module's bar started again: {now} (as started: {b.as_started})")
        b.stop()
        b.start(*b.arguments)
    return b


@pytest.fixture
def case(request, lane):
    """A fresh folder for the case; what the case started is ended when it ends."""
    folder = lane.work / re.sub(r"[^\w.-]+", "-", request.node.name).strip("-")
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    before, bars = len(started), lane.count("Blinkbar")
    lane.screen.move(1000, 740)  # away from any bar: no tooltip over the LEDs
    yield folder
    while len(started) > before:
        end_process(started.pop())
    # A window of an ended program leaves the screen a moment later: the next case starts clean
    # (the module's own bar, if it has one, goes on).
    wait_until(lambda: lane.count("Blinkbar"), lambda n: n <= bars, 10, "no bar of the case left on the screen")


@pytest.fixture
def bar(case, lane):
    """A bar in the case's folder: bar(settings=None, program=EXE, folder=None); not started."""
    def make(settings=None, program=EXE, folder=None, name="blinkbar.exe"):
        return Bar(lane, folder or case, program, settings, name)
    return make


@pytest.fixture
def held_drive(lane):
    """Q: in the case's lane, a drive whose file system stops answering on .hold() (HeldDrive)."""
    drive = HeldDrive(lane, "Q")
    yield drive
    drive.close()


def pytest_collection_modifyitems(items):
    for item in items:  # what a case's lane is, for -m selection: pytest -m "lane_main"
        item.add_marker(getattr(pytest.mark, "lane_" + getattr(item.module, "LANE", "main")))
