"""The real blinkbar.exe as a user first meets it, started once with no settings file, each feature
a case of its own on that bar: window place, size and styles, opacity, LED pixels, the menu, the
wheel, drags, the drive opened by a double-click, the keyboard and a screen reader, close requests
and a second copy."""
import re
import shutil

import pytest

from harness import ENDSESSION_CLOSEAPP, HELPERS, LETTERS, SLOW, WM_ENDSESSION, holds, menu_as_read, opens_c, saved, wait_until

MENU_SHOWN = menu_as_read(checked=["Set Drive Icon Size 1"])
FOCUSABLE, INVISIBLE = 0x100000, 0x8000  # STATE_SYSTEM_FOCUSABLE, STATE_SYSTEM_INVISIBLE
WM_KEYDOWN, VK_RETURN = 0x100, 0x0D


# Started with no settings file (the defaults) and with arguments, which it must ignore.
SETTINGS = None
ARGUMENTS = ("ignored", "/arguments", "C:\\")


def test_the_defaults_place_size_and_styles(lane, running):
    wait_until(running.geometry, "400,10 431x18", name="place and size")
    info = running.info()
    f = lambda line, name: lane.field(info, line, name)
    assert [f("window", k) for k in ("visible", "topmost", "toolwindow", "layered", "alpha", "style")] == \
        ["1", "1", "1", "1", "255", "0x94000000"], "visible, topmost, a tool window (no taskbar entry), layered and opaque, a borderless popup"
    assert (running.opacity(), f("child id=5000", "visible")) == ("absent", "0"), "no X opacity property when opaque, the button hidden"


def test_the_leds_background_separators_and_presence_markers(running):
    # Per LED the bottom-left corner in the background, the separator column in the text colour
    # (the last one lies outside the window), and the marker only on C and Z (Wine's drives).
    points, want = [], []
    for slot, led in enumerate(running.leds(LETTERS)):
        points += [led.left, led.top + 17]
        want.append("000000")
        if slot < 23:
            points += [led.left + 17, led.top + 4]
            want.append("FFFFFF")
        mark = "FFFFFF" if slot in (0, 23) else "000000"
        points += [led.left + 7, led.top, led.left + 8, led.top + 1]
        want += [mark, mark]
    assert running.pixels(*points) == " ".join(want)


def test_the_menu(lane, running):
    before = running.geometry()
    assert running.menu_items("C") == MENU_SHOWN, "19 items, 5 separators, exact texts, size 1 checked"
    lane.screen.key("Escape")
    wait_until(lambda: lane.helper("menu"), "no menu", name="Escape closes it")
    assert running.geometry() == before, "nothing changed"
    assert running.menu_checks("Z") == ["Set Drive Icon Size 1"], "a right press on an LED far right opens it too"


@pytest.mark.parametrize("keys", ["Menu", "shift+F10"])
def test_the_menu_from_the_keyboard(lane, running, keys):
    """As any context menu opens from the keyboard, at the focused control's corner."""
    lane.screen.focus(running.win)
    lane.screen.key(keys)
    running.menu_is("open")
    assert running.read_menu() == MENU_SHOWN, f"{keys} opens the same menu"
    place = lane.helper("menu-place").split()
    assert len(place) == 4 and place[1] == place[3], f"{keys} opens it at the focused control's corner: {place}"
    lane.screen.key("Escape")
    running.menu_is("closed")


def test_the_wheel_sets_the_opacity(lane, running):
    lane.screen.move(*running.led("C").middle)
    for _ in range(3):
        lane.screen.click(button=5)
    wait_until(running.alpha, "225", name="three notches down")
    wait_until(running.opacity, str(225 * 4294967295 // 255), name="the X opacity follows")
    for _ in range(5):
        lane.screen.click(button=4)
    wait_until(running.alpha, "255", name="up stops at 255")


def test_a_drag_moves_the_bar_and_a_click_does_not(lane, running):
    x, y = map(int, running.geometry().split()[0].split(","))
    lane.screen.drag(*running.led("C").middle, 100, 60)
    moved = f"{x + 100},{y + 60} 431x18"
    wait_until(running.geometry, moved, name="the bar follows the pointer")
    lane.screen.click(*running.led("D").middle)
    lane.screen.move(700, 400)
    lane.screen.move(720, 420)
    holds(running.geometry, moved, 0.9, "click and release: the bar stays put")


def test_the_drive_opens_by_a_double_click_the_keyboard_and_a_screen_reader_and_nothing_planted_runs(lane, running):
    # An explorer.exe lies beside the program, as anything may in a download folder: a stand-in
    # that leaves a record when it runs. Windows looks for a bare program name there running.
    shutil.copy(HELPERS / "fake_uninstaller.exe", running.dir / "explorer.exe")
    lane.screen.click(*running.led("C").middle, repeat=2)
    opens_c(lane, "a double-click on C opens its root folder")

    # A screen reader, through the accessibility API: every LED by its drive's name, its kind,
    # what its tip says (the room on it too) and "Open", which opens the drive.
    said = dict(line.split(" ", 1) for line in lane.helper("acc", "Blinkbar").split("\n"))
    c, d = (said.get(f"id={n}", "").split("|") for n in (1, 2))
    assert (len(c), len(d)) == (6, 6) and len(said) == 25, f"24 LEDs and the button, each read whole: {said}"
    assert (c[:2], c[3:], d) == (["C:", "fixed drive"], ["43", c[4], "Open"], ["D: no drive", "", "", "43", d[4], "Open"]), \
        "C and D named by letter (C: with its label, which Wine's drive has none of), their kind, a button that opens"
    assert re.fullmatch(r"activity not available; [0-9.]+ [KMGT]B free of [0-9.]+ [KMGT]B", c[2]), \
        f"C's value: what its tip says, with the room on it: {c[2]!r}"
    assert int(c[4], 16) & (FOCUSABLE | INVISIBLE) == FOCUSABLE, f"C focusable and shown: {c[4]}"
    lane.helper("acc", "Blinkbar", "C")
    opens_c(lane, "a screen reader's default action on C opens its root folder")

    # The keyboard: Tab reaches the LEDs once the bar has the focus, the focused one shows the
    # cue Windows draws (only after keyboard use), Enter and Space open it, the menu key opens the
    # menu at it.
    led_c, led_d = running.leds("CD")
    edge = lambda led: running.pixels(*[v for row in range(2, 8) for v in (led.left, led.top + row)])
    dark = "000000 " * 5 + "000000"
    cue = "000000 FFFFFF " * 2 + "000000 FFFFFF"
    # Wine has no keyboard cues (every cue shows, asked for or not): the helper gives the bar
    # Windows' rule, under which a cue shows only once the bar itself asks for it.
    lane.helper("model-uistate", "Blinkbar")
    lane.screen.click(*led_c.middle)  # the bar active, as a click makes it
    lane.settle()
    assert edge(led_c) == dark, "a click: no cue"
    listener, _ = lane.hold("winevents", "Blinkbar", 30, 3)  # what a screen reader hears meanwhile
    for keys, cues in (("Tab", (cue, dark)), ("Tab", (dark, cue)), ("shift+Tab", (cue, dark))):
        lane.screen.key(keys)
        wait_until(lambda: (edge(led_c), edge(led_d)), cues, 3, f"{keys}: the cue drawn on one LED alone")
    listener.wait(10 * SLOW)
    assert (lane.work / "hold.out").read_text().replace("\r", "").split("\n")[1:4] == ["focus id=1", "focus id=2", "focus id=1"], \
        "a screen reader is told of each move of the focus"
    lane.screen.key("Menu")
    running.menu_is("open")
    assert lane.helper("menu-place") == f"menu {led_c.left},{led_c.top + led_c.size} focus {led_c.left},{led_c.top + led_c.size}", \
        "the menu key opens the menu at the focused LED"
    lane.screen.key("Escape")
    running.menu_is("closed")
    for key in ("Return", "space"):
        lane.screen.click(*led_d.middle)  # back from the folder's window: the focus where it was
        lane.settle()
        if key == "Return":  # held: Windows repeats its key-down with the previous-state bit set
            for _ in range(3):
                running.post(WM_KEYDOWN, VK_RETURN, 0x40000001, "focus")
        lane.screen.key(key)
        opens_c(lane, f"{key} on the focused C opens its root folder" + " (held: once)" * (key == "Return"))

    planted_ran = (running.dir / "uninstall-record.txt").exists()
    shutil.copy(HELPERS / "wininfo.exe", running.dir / "bare.exe")  # the positive control
    lane.run([running.dir / "bare.exe", "start", "explorer.exe C:\\"])
    assert (planted_ran, (running.dir / "uninstall-record.txt").exists()) == (False, True), \
        "the explorer.exe beside it never ran; a bare name started from there runs it"
    for name in ("explorer.exe", "bare.exe", "uninstall-record.txt"):
        (running.dir / name).unlink()


def test_a_close_request_and_an_end_of_the_session_called_off(lane, running):
    lane.helper("close", "Blinkbar")
    # The end of a session called off (wParam 0): the session goes on, and so does the bar.
    running.post(WM_ENDSESSION, 0, ENDSESSION_CLOSEAPP)
    lane.settle()
    holds(lambda: (running.alive(), running.visible()), (True, "1"), 1, "still running and visible")


def test_a_second_copy_ends_at_once(lane, running):
    assert lane.run([running.exe], seconds=30, cwd=running.dir) == 0, "it ends at once with code 0"
    lane.settle()
    assert (lane.count("Blinkbar"), running.alive()) == (1, True), "one bar only: the running one runs on"


def test_nothing_is_saved_until_a_command_saves(lane, running):
    """A drag and the wheel change the bar and save nothing; a command that saves does."""
    x, y = map(int, running.geometry().split()[0].split(","))
    lane.screen.drag(*running.led("C").middle, 40, 30)
    wait_until(running.geometry, f"{x + 40},{y + 30} 431x18", name="dragged")
    lane.screen.click(*running.led("C").middle, button=5)
    wait_until(running.alpha, "245", name="a notch of the wheel")
    lane.settle()
    assert running.hash() == "none", "neither saved anything"
    running.pick("Save Window Position")
    assert running.text() == saved(x + 40, y + 30, alpha=245), "the command saves both"
