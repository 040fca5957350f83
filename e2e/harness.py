"""The end-to-end harness: a private X server and Wine prefix per lane, the window helper that asks
Windows what only Windows knows, the screen and input through python-xlib (XTest), and the bar
started from a folder of its own and always ended by its process id."""
import hashlib
import os
import re
import select
import signal
import subprocess
import sys
import time
from pathlib import Path

from Xlib import X, XK, Xatom, display, error
from Xlib.ext import xtest

ROOT = Path(__file__).resolve().parents[1]
EXE = ROOT / "build/windows/blinkbar.exe"
HELPERS = ROOT / "build/windows/tests/windows"
TEST_BUILD = HELPERS / "blinkbar_e2e.exe"  # reads its disk counters from traffic.txt
WINE_RUN = str(ROOT / "scripts/wine-run.sh")
# A slower machine stretches every deadline: E2E_SLOW=3 gives each wait three times as long.
SLOW = float(os.environ.get("E2E_SLOW", "1"))

# Window messages the tests send or post, by their Windows names.
WM_ENDSESSION, WM_DISPLAYCHANGE, WM_WTSSESSION_CHANGE = 0x16, 0x7E, 0x2B1
WTS_SESSION_LOCK, WTS_SESSION_UNLOCK = 7, 8
ENDSESSION_CLOSEAPP = 1
WM_LBUTTONDBLCLK = 0x203
TRAY_MESSAGE = 0x30D5  # the bar's own notification-area callback message

# The popup menu's commands in their order (the N-th is item N), as a case names them.
MENU = ["About Blinkbar V1.02 - January 2009", "Configure Drives", "Set Read Icon Color", "Set Write Icon Color",
        "Set Background Icon Color", "Set Text Icon Color", "Set Drive Icon Size 1", "Set Drive Icon Size 2",
        "Set Drive Icon Size 3", "Adjust Window Transparency", "Show Minimize Button", "Set WindowOnTop",
        "Disable WindowOnTop", "Lock/Unlock Window Position", "Save Window Position", "Minimize To Tray",
        "Restore Blinkbar defaults", "Exit", "Uninstall Blinkbar"]
LETTERS = "CDEFGHIJKLMNOPQRSTUVWXYZ"


def menu_as_read(checked):
    """The popup menu as the helper reads it: every item, a separator after items 1, 2, 11, 16, 18."""
    lines = []
    for n, text in enumerate(MENU, 1):
        lines.append(f'item {n} checked={int(text in checked)} "{text}"')
        lines += ["separator"] if n in (1, 2, 11, 16, 18) else []
    return "\n".join(lines)
# The test build's disk counters, a state a letter (tests/support/file_counters.cpp).
TRAFFIC = {"quiet": "0", "reading": "1", "writing": "2", "both": "3", "switching": "4", "8 GB/s": "5",
           "5 GB/s": "6", "slow": "7", "fast": "8", "no drive": "-", "not ready": "9", "slow to tell its room": "S",
           "cannot answer": "F", "not answering": "H"}
TIP = {"text": 0, "area": 1, "auto-pop": 2}  # the lines of the helper's answer about the shown tip

started = []  # every process a test started, ended by its id however the run ends
lasting = []  # the lanes' helpers: up for the run, not for one case, ended with it all the same
XVFB = ["Xvfb", "-screen", "0", "1024x768x24", "-nolisten", "tcp"]
LANES = {  # name: Wine prefix, X server, first display tried
    "main": ("wineprefix", XVFB, 90),
    "stress": ("wineprefix-stress", XVFB, 90),
    # Xvfb cannot place two screens side by side for Wine (with +xinerama every screen is at
    # 0,0): two RandR outputs of Xorg's dummy driver can.
    "monitors": ("wineprefix-monitors", ["Xorg", "-config", str(ROOT / "scripts/xorg-dummy.conf"), "-noreset",
                 "-nolisten", "tcp", "-logfile", str(ROOT / "build/xorg-monitors.log"), "-novtswitch", "-sharevts"], 500),
    "144dpi": ("wineprefix-144dpi", XVFB, 90),
    "install": ("wineprefix-install", XVFB, 90),
    "bench": ("wineprefix-bench", XVFB, 90),  # its own: the figures end their prefix's programs
}


def wait_until(read, want, seconds=6, name="wait"):
    """Polls read() until it gives want (a value, a compiled pattern to search, or a predicate);
    returns what it read. Runs out after seconds times E2E_SLOW, failing with what it saw last."""
    if isinstance(want, re.Pattern):
        ok = lambda seen: isinstance(seen, (str, bytes)) and want.search(seen) is not None
    elif callable(want):
        ok = want
    else:
        ok = lambda seen: seen == want
    deadline = time.monotonic() + seconds * SLOW
    while True:
        seen = read()
        if ok(seen):
            return seen
        if time.monotonic() >= deadline:
            raise AssertionError(f"{name}: waited {seconds * SLOW:g} s for {want!r}; saw last {seen!r}")
        time.sleep(0.05)


def holds(read, want, seconds, name="holds"):
    """A negative check: read() must keep giving want for the whole time, stretched as waits are
    (what must not happen comes late on a slow machine too); fails on the first other reading."""
    until = time.monotonic() + seconds * SLOW
    while time.monotonic() < until:
        seen = read()
        assert seen == want, f"{name}: wanted {want!r} for {seconds} s; saw {seen!r}"
        time.sleep(0.2)


def file_hash(path):
    """The file's digest; "none" only where no file is there (also a moment inside a replace)."""
    try:
        return hashlib.md5(Path(path).read_bytes()).hexdigest()
    except FileNotFoundError:
        return "none"
    except OSError as e:  # a folder in its place, say: never taken for a missing file
        return f"unreadable: {e.__class__.__name__}"


def saved(x, y, locked=0, drives="1" * 24, read="00D800", write="FF2626", back="000000", text="FFFFFF",
          size=1, alpha=255, interval=10, button=0):
    """The exact bytes of a save: the settings file as the bar writes it."""
    return ("; Blinkbar V1.02 - January 2009 by the Blinkbar team\r\n; https://blinkbar.example.org\r\n"
            f"; \r\n[Settings]\r\nWinX = {x}\r\nWinY = {y}\r\nLocked = {locked}\r\nDrives = {drives}\r\n"
            f"ReadColor = {read}\r\nWriteColor = {write}\r\nBackColor = {back}\r\nTextColor = {text}\r\n"
            f"IconSize = {size}\r\nTransparency = {alpha}\r\nHDD Detect Interval = {interval}\r\n"
            f"Minimize Button = {button}\r\n").encode()


def opens_c(lane, name):
    """The root folder of C opened by one request, once: its one window found (else the step fails
    with `name`), none coming after it, and closed again, none left over for the next request."""
    count = lambda: len(re.findall(r'visible=1 class=ExplorerWClass text=" \(C:\)"', lane.helper("list")))
    wait_until(count, 1, 10, name)
    holds(count, 1, 1, f"{name}: once")
    lane.helper("close", " (C:)")
    wait_until(count, 0, 10, f"{name}: its window closed")


def end_process(proc, grace=5):
    """Ends one process this run started, by its id: asked first, then killed."""
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(grace)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def end_started():
    for processes in (started, lasting):
        while processes:
            end_process(processes.pop(), grace=2)


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class Screen:
    """What a user sees and does, straight through the X server."""

    def __init__(self, name):
        self.d = display.Display(name)
        self.root = self.d.screen().root
        self.net_name = self.d.intern_atom("_NET_WM_NAME")
        self.utf8 = self.d.intern_atom("UTF8_STRING")
        self.opacity_atom = self.d.intern_atom("_NET_WM_WINDOW_OPACITY")

    def pixel_row(self, x, y, w, h):
        return self.root.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF).data

    def pixels(self, *points):
        """RRGGBB of each (x, y) given as flat numbers, joined by spaces."""
        out = []
        for x, y in zip(points[::2], points[1::2]):
            b, g, r = self.pixel_row(x, y, 1, 1)[:3]
            out.append(f"{r:02X}{g:02X}{b:02X}")
        return " ".join(out)

    def frame(self, x, y, w, h):
        """The framed chart at the bottom of an area (an LED tip's client area) as a user sees it:
        the lowest rectangle drawn on the area's own background (its bottom-left corner's colour).
        Its frame LEFT TOP RIGHT BOTTOM, inclusive, or None."""
        data = self.pixel_row(x, y, w, h)
        at = lambda px, py: data[(py * w + px) * 4:(py * w + px) * 4 + 3]
        ground = at(0, h - 1)
        for bottom in range(h - 1, -1, -1):
            drawn = [px for px in range(w) if at(px, bottom) != ground]
            if drawn:
                break
        else:
            return None
        left, right, top = drawn[0], drawn[-1], bottom
        while top > 0 and at(left, top - 1) != ground:
            top -= 1
        return x + left, y + top, x + right, y + bottom

    def title(self, w):
        prop = w.get_full_property(self.net_name, self.utf8)
        if prop:
            return prop.value.decode("utf-8", "replace")
        name = w.get_wm_name()
        return name.decode("latin-1") if isinstance(name, bytes) else name

    def windows(self, title):
        """The viewable top-level X windows whose title matches (a whole-title pattern)."""
        found = []
        for w in self.root.query_tree().children:
            try:
                if w.get_attributes().map_state != X.IsViewable:
                    continue
                name = self.title(w)
            except error.XError:
                continue  # gone meanwhile
            if name is not None and re.fullmatch(title, name):
                found.append(w)
        return found

    def window(self, title, seconds=20):
        """The first viewable window titled so, waited for; fails when none comes."""
        return wait_until(lambda: (self.windows(title) or [None])[0], lambda w: w is not None,
                          seconds, f"a window titled {title!r}")

    def viewable(self, w):
        try:
            return w.get_attributes().map_state == X.IsViewable
        except error.XError:
            return False

    def geometry(self, w):
        """"x,y wxh" of an X window on the screen, or why not."""
        try:
            g = w.get_geometry()
            at = w.translate_coords(self.root, 0, 0)
            return f"{-at.x},{-at.y} {g.width}x{g.height}"
        except error.XError as e:
            return f"unreadable: {type(e).__name__}"

    def opacity(self, w):
        """_NET_WM_WINDOW_OPACITY: the number, or "absent"."""
        try:
            prop = w.get_full_property(self.opacity_atom, Xatom.CARDINAL)
        except error.XError as e:
            return f"unreadable: {type(e).__name__}"
        return str(prop.value[0]) if prop else "absent"

    def move(self, x, y):
        xtest.fake_input(self.d, X.MotionNotify, x=x, y=y)
        self.d.sync()

    def button(self, number, down):
        xtest.fake_input(self.d, X.ButtonPress if down else X.ButtonRelease, number)
        self.d.sync()

    def click(self, x=None, y=None, button=1, repeat=1):
        if x is not None:
            self.move(x, y)
        for i in range(repeat):
            if i:
                time.sleep(0.08)
            self.button(button, True)
            self.button(button, False)

    def key(self, *names):
        """Each name an X key name, "+" joining held keys ("Down", "Return", "shift+F10", "y")."""
        for name in names:
            codes = [self.d.keysym_to_keycode(XK.string_to_keysym(
                {"shift": "Shift_L", "ctrl": "Control_L"}.get(part, part))) for part in name.split("+")]
            assert all(codes), f"no key for {name!r}"
            for code in codes:
                xtest.fake_input(self.d, X.KeyPress, code)
            for code in reversed(codes):
                xtest.fake_input(self.d, X.KeyRelease, code)
            self.d.sync()
            time.sleep(0.012)  # keys a little apart: Wine reads some key states late

    def focus(self, w):
        """Gives w the keyboard focus and waits until the server says it has it."""
        def focused():
            try:
                w.set_input_focus(X.RevertToParent, X.CurrentTime)
                self.d.sync()
                return self.d.get_input_focus().focus == w
            except error.XError:
                return False
        wait_until(focused, True, 5, "the keyboard focus")

    def drag(self, x, y, dx, dy, steps=10):
        """Pressed at (x, y), moved by (dx, dy) in steps, let go: Windows' own move loop follows."""
        self.move(x, y)
        self.button(1, True)
        time.sleep(0.2)
        for i in range(1, steps + 1):
            self.move(x + i * dx // steps, y + i * dy // steps)
            time.sleep(0.04)
        self.button(1, False)

    def screenshot(self, path, x=0, y=0, w=None, h=None):
        args = ["import", "-window", "root"]
        if w:
            args += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
        subprocess.run(args + [str(path)], env={**os.environ, "DISPLAY": self.d.get_display_name()},
                       check=False)


class Helper:
    """One wininfo process answers the questions about windows on its pipes: a Wine start costs
    about 0.3 s and a case asks many. One that does not answer is started again."""

    SERVED = set("window menu list text box tip close command post stats "
                 "monitors taskbar-created volume-arrival ended key settle menu-state menu-place "
                 "lose-tray-icon model-uistate".split())
    # What acts on a window: a code other than 0 is a failure, raised with the verb's own words.
    # The others read, and their code says what they read ("none", "busy", "running").
    ACTIONS = set("close post command volume-arrival taskbar-created lose-tray-icon settext acc count-events "
                  "model-uistate".split())

    def __init__(self, lane):
        self.lane, self.proc, self.token = lane, None, 0

    def _start(self):
        self.proc = subprocess.Popen([WINE_RUN, str(HELPERS / "wininfo.exe"), "serve"],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, env=self.lane.env)
        lasting.append(self.proc)
        self.buffer = b""

    def stop(self):
        if self.proc:
            end_process(self.proc, grace=2)
            if self.proc in lasting:
                lasting.remove(self.proc)
            self.proc = None

    def __call__(self, *args, seconds=60):
        """wininfo's answer to a question (its output, lines joined by newlines). An action that
        failed, and a helper that did not answer, fail the step with what was said."""
        args = [str(a) for a in args]
        if args[0] in self.SERVED:
            out, code = self._ask(args, seconds)
        else:
            out, code = self.lane.run_capture([str(HELPERS / "wininfo.exe"), *args], seconds)
        if args[0] in self.ACTIONS and code != 0:
            raise AssertionError(f"wininfo {' '.join(args)}: {out or f'failed with code {code}'}")
        return out

    def _ask(self, args, seconds):
        if not self.proc or self.proc.poll() is not None:
            self._start()
        self.token += 1
        marker = f"\x1f{self.token} ".encode()
        self.proc.stdin.write(("\t".join([str(self.token), *args]) + "\n").encode("cp1252", "replace"))
        self.proc.stdin.flush()
        deadline = time.monotonic() + seconds * SLOW
        while time.monotonic() < deadline:
            at = self.buffer.find(marker)
            end = self.buffer.find(b"\n", at)
            if at >= 0 and end >= 0:
                answer, code = self.buffer[:at], int(self.buffer[at + len(marker):end])
                self.buffer = self.buffer[end + 1:]
                # An answer given up on before ends in its own marker: keep only what follows it.
                answer = answer.rsplit(b"\x1f", 1)[-1].split(b"\n", 1)[-1] if b"\x1f" in answer else answer
                # A program the helper started shares its output, and Wine writes its own notes
                # there ("wine: Read access denied for device Z:", asked a drive's label), which no
                # Windows program prints.
                lines = answer.decode("cp1252").replace("\r", "").split("\n")
                return "\n".join(line for line in lines if not line.lstrip().startswith("wine: ")).rstrip("\n"), code
            ready, _, _ = select.select([self.proc.stdout], [], [], 0.5)
            if ready:
                chunk = os.read(self.proc.stdout.fileno(), 65536)
                if not chunk:
                    break
                self.buffer += chunk
        self.stop()
        raise AssertionError(f"the helper did not answer {args} within {seconds * SLOW:g} s")


class Lane:
    """An X server, a Wine prefix, a work folder and a helper."""

    def __init__(self, name):
        prefix, server_args, first_display = LANES[name]
        prefix = ROOT / "build" / prefix
        self.name = name
        self.work = ROOT / "build" / ("e2e" if name == "main" else f"e2e-{name}")
        self.work.mkdir(parents=True, exist_ok=True)
        self.env = {**os.environ, "WINEPREFIX": str(prefix), "LC_ALL": "C.UTF-8",
                    "WINEDEBUG": os.environ.get("WINEDEBUG", "-all")}
        self.x, self.keeper, self.helper = None, None, Helper(self)
        try:  # a start that fails halfway ends what it started
            self.x = self._start_x(server_args, first_display)
            if name == "monitors":  # before any Wine program: each takes the monitors as it finds them
                self._two_monitors()
            # Makes the prefix when it is new. The prefix's server ends when its last program does:
            # one kept up (wineserver -p) made the test command no quicker, loaded or not.
            subprocess.run([WINE_RUN, "cmd", "/c", "exit"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=False)
            self.screen = Screen(self.env["DISPLAY"])
            self._desktop_shell()
        except BaseException:
            self.close()
            raise

    def _desktop_shell(self):
        """A desktop shell that starts programs as the signed-in user, as Windows always has one
        for a session. Wine's explorer sometimes never serves its windows (ShellWindows: no class
        registered, for good) when it started on a loaded machine: then the prefix's server is
        ended and started again. A program kept up for the lane keeps the server and the shell."""
        for attempt in range(3):
            # A program for the lane's life: Wine ends its desktop a few seconds after the last
            # program counted on it leaves, and the helper's serving process is not counted.
            self.keeper = subprocess.Popen([WINE_RUN, str(HELPERS / "wininfo.exe"), "stay"], env=self.env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            lasting.append(self.keeper)
            try:
                wait_until(lambda: self.helper("shell"), "answers", 15, "the desktop shell answers")
                return
            except AssertionError:
                print(f"lane {self.name}: the desktop shell did not answer; the Wine server started again")
                self.helper.stop()
                subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL, check=False)
                end_process(self.keeper, grace=2)
        raise RuntimeError(f"lane {self.name}: no desktop shell answered after three starts of the Wine server")

    def _two_monitors(self):
        def arranged():
            xrandr = lambda *args: subprocess.run(["xrandr", *args], env=self.env, capture_output=True, text=True)
            xrandr("--addmode", "DUMMY1", "1024x768")
            xrandr("--fb", "2048x768", "--output", "DUMMY0", "--mode", "1024x768", "--pos", "0x0", "--primary",
                   "--output", "DUMMY1", "--mode", "1024x768", "--pos", "1024x0")
            return xrandr("--listmonitors").stdout.count(" DUMMY")
        wait_until(arranged, 2, 10, "two monitors")

    def _start_x(self, server_args, first):
        """An X server on a display of its own: sessions started side by side may pick the same
        number at once, so the display is ours only when its lock file names our server."""
        for attempt in range(5):
            n = first + (os.getpid() * 7 + attempt * 37) % 400
            while Path(f"/tmp/.X{n}-lock").exists():
                n += 1
            proc = subprocess.Popen([server_args[0], f":{n}", *server_args[1:]],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            started.append(proc)
            self.env["DISPLAY"] = f":{n}"
            try:
                wait_until(lambda: subprocess.run(["xdpyinfo"], env=self.env, capture_output=True).returncode,
                           0, 10, "the X server")
                if Path(f"/tmp/.X{n}-lock").read_text().strip() == str(proc.pid):
                    return proc
            except (AssertionError, OSError):
                pass
            end_process(proc, grace=2)
        raise RuntimeError(f"no X server ({server_args[0]}) could be started on a display of its own")

    def close(self):
        self.helper.stop()
        if self.keeper:
            end_process(self.keeper, grace=2)
        if self.x:
            subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL, check=False)
            end_process(self.x, grace=2)

    def launch(self, args, cwd=None, log=None, env=None):
        """A Windows program started in the background and remembered: ended by its id."""
        out = open(log, "wb") if log else subprocess.DEVNULL
        proc = subprocess.Popen([WINE_RUN, *map(str, args)], cwd=cwd or self.work, stdout=out,
                                stderr=subprocess.STDOUT, env={**self.env, **(env or {})})
        started.append(proc)
        return proc

    def run(self, args, seconds=120, cwd=None, env=None):
        """A Windows program run to its end: its exit code (124 when it had to be ended)."""
        proc = self.launch(args, cwd, env=env)
        try:
            return proc.wait(seconds * SLOW)
        except subprocess.TimeoutExpired:
            end_process(proc, 1)
            return 124
        finally:
            started.remove(proc)

    def run_capture(self, args, seconds=120, cwd=None, env=None):
        """Its output and exit code (the output into a file: Wine's servers may inherit a pipe and
        hold it open). A program that does not end in time fails the step."""
        out = self.work / f"output-{os.getpid()}.txt"
        proc = self.launch(args, cwd, log=out, env=env)
        try:
            code = proc.wait(seconds * SLOW)
        except subprocess.TimeoutExpired:
            end_process(proc, 1)
            raise AssertionError(f"{' '.join(map(str, args))} did not end within {seconds * SLOW:g} s")
        finally:
            started.remove(proc)
        return out.read_bytes().decode("utf-8", "replace").replace("\r", "").rstrip("\n"), code

    def run_output(self, args, seconds=120, cwd=None, env=None):
        return self.run_capture(args, seconds, cwd, env)[0]

    def bar_process(self):
        """The shown bar's Windows process id: a new process's X window may have an old id."""
        m = re.search(r" pid=(\d+) visible=1 class=BlinkbarBar ", self.helper("list"))
        return m.group(1) if m else None

    def hold(self, what, target, seconds, *more):
        """From the background: holds a file (hold|hold-read), keeps the thread of a bar's
        process (its Windows id) busy, or listens to what a window's process tells screen readers
        (winevents, a title); the holder and what it said once in place."""
        out = self.work / "hold.out"
        out.unlink(missing_ok=True)
        proc = self.launch([HELPERS / "wininfo.exe", what, target, seconds, *more], log=out)
        said = lambda: out.read_bytes().decode().replace("\r", "").strip() if out.exists() else ""
        wait_until(said, re.compile("held|busy|listening"), 5, f"{what} in place")
        return proc, said()

    def settle(self, report=False):
        """Returns once every bar's thread has taken and handled what was sent to it before: menu
        commands, keys and clicks; a bar that does not get there in time fails the step. With
        `report`, how it went is written beside each bar ("wininfo-settle.txt")."""
        answer = self.helper("settle", *(["report"] if report else []))
        assert answer == "settled", f"the bars did not take what was sent to them: {answer}"

    def reg(self, *args):
        return self.run(["reg", *args, "/f"])

    def field(self, info, line, name):
        """Field NAME=VALUE of the line of `wininfo window` output that starts with LINE; None
        where the window is not there ("none"). A line or field missing otherwise fails."""
        if info == "none":
            return None
        for text in info.splitlines():
            if text == line or text.startswith(line + " "):
                m = re.search(rf"(?:^| ){re.escape(name)}=(\S*)", text)
                assert m, f"no {name}= in the window's {line!r}: {text!r}"
                return m.group(1)
        raise AssertionError(f"no {line!r} in what the helper read of the window: {info!r}")

    def count(self, title):
        return len(self.screen.windows(title))

    def box(self, title="Blinkbar", exclude=None, seconds=20):
        """The X window of the box titled so (not the bar's own window), waited for."""
        def find():
            return next((w for w in self.screen.windows(re.escape(title)) if w != exclude), None)
        return wait_until(find, lambda w: w is not None, seconds, f"a box titled {title!r}")

    def answer(self, key, title="Blinkbar", exclude=None):
        """Answers the box with a key, and waits until it has gone and the bars took it."""
        w = self.box(title, exclude)
        self.screen.focus(w)
        self.screen.key(key)
        wait_until(lambda: self.screen.viewable(w), False, 5, f"the box {title!r} closed")
        self.settle()


class HeldDrive:
    """A drive letter whose file system stops answering when told: held_fs.py (FUSE) mounted in
    the lane's work folder and given the letter by Wine's mount manager, as a mapped drive whose
    server went away or a disk that spins up keeps every question of it waiting. What only Wine
    asks of it still answers (held_fs.Held.spared)."""

    def __init__(self, lane, letter):
        self.lane, self.letter = lane, letter
        self.mount = lane.work / f"held-{letter.lower()}"
        self.hold_file = lane.work / f"held-{letter.lower()}.hold"
        self.link = Path(lane.env["WINEPREFIX"]) / "dosdevices" / f"{letter.lower()}:"
        self.proc = None
        self.release()
        self._unmount()  # one a killed run left
        self.mount.mkdir(exist_ok=True)
        self.proc = subprocess.Popen(["/usr/bin/python3", str(Path(__file__).parent / "held_fs.py"), str(self.mount),
                                      str(self.hold_file)], stdout=subprocess.DEVNULL,
                                     stderr=open(lane.work / "held-fs.log", "wb"))
        try:
            mounted = lambda: os.path.ismount(self.mount) or ("ended: see held-fs.log" if self.proc.poll() is not None else False)
            wait_until(mounted, True, 10, "the held file system mounted")
            self.link.unlink(missing_ok=True)
            lane.helper("define-drive", letter, self.mount)
            assert self.link.is_symlink(), f"{letter}: defined"
        except BaseException:
            self.close()
            raise

    def hold(self):
        self.hold_file.touch()

    def release(self):
        self.hold_file.unlink(missing_ok=True)

    def _unmount(self):
        if os.path.ismount(self.mount):
            subprocess.run(["fusermount", "-u", "-z", str(self.mount)], stderr=subprocess.DEVNULL, check=False)

    def close(self):
        """Released first: what still waits on it (a question, Wine's own) goes on and ends."""
        self.release()
        if self.link.is_symlink():
            self.lane.helper("define-drive", self.letter)
        self.link.unlink(missing_ok=True)
        self._unmount()
        if self.proc:
            end_process(self.proc, grace=5)


class Led:
    """Where an LED is on the screen: its middle, and a pixel in its upper (read) and lower (write)
    half, clear of the presence marker and the separator."""

    def __init__(self, bar_geometry, rect):
        bx, by = map(int, bar_geometry.split()[0].split(","))
        x, y, _, size = map(int, rect.split(","))
        self.left, self.top, self.size = bx + x, by + y, size
        self.middle = (self.left + size // 2, self.top + size // 2)
        self.upper = (self.left + 1, self.top + size // 6)
        self.lower = (self.left + 1, self.top + size - 4)
        self.corner = (self.left, self.top + size - 1)  # bottom left: the background


class Bar:
    """Blinkbar started from a folder of its own, with the settings a case gives it."""

    def __init__(self, lane, folder, program=EXE, settings=None, name="blinkbar.exe"):
        self.lane, self.dir, self.proc, self.win = lane, Path(folder), None, None
        self.screen, self.helper = lane.screen, lane.helper
        if program:
            self.dir.mkdir(parents=True, exist_ok=True)
            (self.dir / name).write_bytes(Path(program).read_bytes())
        self.exe = self.dir / name
        if settings is not None:
            (self.dir / "Blinkbar.ini").write_bytes(settings.encode() if isinstance(settings, str) else settings)
        self.last_right_click = 0.0

    # -- starting and ending
    def launch(self, *args, cwd=None, env=None, log=None):
        self.proc = self.lane.launch([self.exe, *args], cwd=cwd or self.dir,
                                     log=log or self.dir / "run.log", env=env)
        return self.proc

    def start(self, *args, **kw):
        """Starts it and waits for its window and its first drive scan; fails when none shows."""
        self.launch(*args, **kw)
        self.win = wait_until(lambda: (self.screen.windows("Blinkbar") or [None])[0] if self.alive() else "ended",
                              lambda w: w is not None, 15, "the bar's window")
        assert self.win != "ended", f"the bar ended at its start: {self.proc.returncode}"
        self.lane.settle()
        return self

    def alive(self):
        return self.proc is not None and self.proc.poll() is None

    def exit_code(self, seconds=20):
        try:
            return self.proc.wait(seconds * SLOW)
        except subprocess.TimeoutExpired:
            end_process(self.proc, 1)
            return 124

    def stop(self):
        """Ends it by its id and waits until its window has left the screen, so that the next
        start cannot take the old window for its own."""
        if self.proc:
            end_process(self.proc)
            if self.proc in started:
                started.remove(self.proc)
        if self.win is not None:
            wait_until(lambda: self.screen.viewable(self.win), False, 5, "the ended bar's window gone")

    # -- what the user sees
    def geometry(self):
        return self.screen.geometry(self.win)

    def info(self):
        return self.helper("window", "Blinkbar")

    def get(self, line, name):
        return self.lane.field(self.info(), line, name)

    def visible(self):
        return self.get("window", "visible")

    def alpha(self):
        return self.get("window", "alpha")

    def opacity(self):
        return self.screen.opacity(self.win)

    def pixels(self, *points):
        return self.screen.pixels(*points)

    def ini(self, key):
        """The value of KEY in the settings file beside the program (None without one)."""
        try:
            text = (self.dir / "Blinkbar.ini").read_bytes().decode("latin-1")
        except OSError:
            return None
        m = re.search(rf"^{re.escape(key)} = ([^\r\n]*)", text, re.M)
        return m.group(1) if m else None

    def text(self):
        try:
            return (self.dir / "Blinkbar.ini").read_bytes()
        except OSError:
            return None

    def hash(self):
        return file_hash(self.dir / "Blinkbar.ini")

    def led(self, letter):
        """The LED of that drive letter where the bar stands now."""
        return self.leds(letter)[0]

    def minimize_button(self):
        """The middle of the minimize button on the screen."""
        bx, by = map(int, self.geometry().split()[0].split(","))
        x, y, w, h = map(int, self.get("child id=5000", "rect").split(","))
        return bx + x + w // 2, by + y + h // 2

    def leds(self, letters):
        """The LEDs of those letters, read at once."""
        geometry, info = self.geometry(), self.info()
        return [Led(geometry, self.lane.field(info, f"child id={LETTERS.index(l) + 1}", "rect")) for l in letters]

    def traffic(self, every="quiet", **letters):
        """The test build's disk counters by name (TRAFFIC), for every letter and for some:
        traffic(C="writing", E="no drive"). Replaced whole."""
        text = "".join(TRAFFIC[letters.get(letter, every)] for letter in LETTERS)
        self.traffic_text(text)

    def traffic_text(self, text):
        """The same, a character per letter from C (drawn at random by the soak)."""
        (self.dir / "traffic.new").write_text(text.ljust(24, "0"))
        os.replace(self.dir / "traffic.new", self.dir / "traffic.txt")

    # -- the LED's tip
    def tip_chart_area(self):
        """The tip's chart inside its frame: (left, top, width, height), or why it is not there."""
        at = self.tip("area").split()
        if len(at) != 4 or not all(v.isdigit() for v in at):
            return f"unreadable tip: {at}"
        found = self.screen.frame(*map(int, at))
        if not found:
            return "no chart"
        left, top, right, bottom = found
        return left + 1, top + 1, right - left - 1, bottom - top - 1

    def tip_chart(self, *points):
        """Pixels of the chart: sixty equal columns (0 the oldest second, 59 the newest), each
        point (column, row) with rows counted from the middle, downwards positive."""
        area = self.tip_chart_area()
        if isinstance(area, str):
            return area
        left, top, width, height = area
        column = width // 60
        if not column or width % 60:
            return f"not sixty columns: {area}"
        return self.pixels(*[v for c, r in zip(points[::2], points[1::2])
                             for v in (left + c * column + column // 2, top + height // 2 + r)])

    def tip(self, line="text"):
        """The visible tip's text, its lines joined by "|"; its client area on the screen, "X Y W H"
        ("area"); its auto-pop delay in ms ("auto-pop"). "no tip" without one."""
        lines = self.helper("tip").split("\n")
        return lines[TIP[line]] if len(lines) == 3 else lines[0]

    def tip_shown(self):
        return self.helper("list").count("visible=1 class=tooltips_class32")

    def hover(self, letter=None):
        """The pointer comes to rest over an LED (over the minimize button without a letter): two
        moves, as a hand makes them, a moment apart; then its tip shows."""
        x, y = self.led(letter).middle if letter else self.minimize_button()
        self.screen.move(x - 2, y - 2)
        time.sleep(0.3)  # the pace of the hand, not a wait: the tip is waited for below
        self.screen.move(x, y)
        wait_until(self.tip_shown, 1, 6, "a tip shown")

    # -- the menu
    def menu_is(self, state):
        wait_until(lambda: self.helper("menu-state"), state, 10, f"the menu {state}")

    def right_click(self, x, y):
        """A right press within the double-click time of the one before is a WM_RBUTTONDBLCLK,
        which opens no menu (GetDoubleClickTime: 500 ms by default): wait that out first."""
        rest = self.last_right_click + 0.6 - time.monotonic()
        if rest > 0:
            time.sleep(rest)
        self.screen.click(x, y, button=3)
        self.last_right_click = time.monotonic()

    def read_menu(self):
        (self.dir / "wininfo-menu.txt").unlink(missing_ok=True)
        self.helper("menu")
        path = self.dir / "wininfo-menu.txt"
        return path.read_bytes().decode("cp1252").replace("\r", "").rstrip("\n") if path.exists() else "no menu read"

    def menu_items(self, led="C"):
        """The menu opened by a right-click on that LED, left open."""
        self.right_click(*self.led(led).middle)
        self.menu_is("open")
        return self.read_menu()

    def menu_checks(self, led="C"):
        """The texts of the menu's checked commands, the menu closed again."""
        checked = re.findall(r'^item \d+ checked=1 "(.*)"$', self.menu_items(led), re.M)
        self.screen.key("Escape")
        self.menu_is("closed")
        return checked

    def pick(self, command, led="C"):
        """Right-click on that LED, then the command with the keyboard (separators are skipped)
        and Return; returns once the bar has handled it, or opened what it shows."""
        self.right_click(*self.led(led).middle)
        self.menu_is("open")
        self.screen.key(*["Down"] * (MENU.index(command) + 1), "Return")
        self.menu_is("closed")
        self.lane.settle()

    def command(self, *commands, times=1):
        """Menu commands posted as picking them does, the list `times` over; the Windows process id."""
        out = self.helper("command", "Blinkbar", ",".join(str(MENU.index(c) + 1) for c in commands), times)
        m = re.match(r"pid=(\d+)", out)
        return int(m.group(1)) if m else None

    def post(self, message, wparam=0, lparam=0, to=""):
        """Posts to the bar, or (to="focus") to its window with the keyboard focus."""
        return self.helper("post", "Blinkbar", message, wparam, lparam, *([to] if to else []))


if __name__ == "__main__":
    # harness.py COMMAND...: runs a command in the main lane's X server and Wine prefix (the
    # Windows test programs under ctest), ending both after it.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    lane = None
    try:
        lane = Lane("main")
        code = subprocess.run(sys.argv[1:], env=lane.env).returncode
    except KeyboardInterrupt:
        code = 130
    finally:
        end_started()
        if lane:
            lane.close()
    sys.exit(code)
