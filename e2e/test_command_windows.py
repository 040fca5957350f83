"""The commands that open a window, a question or the notification area, or end the bar: each
picked as a user picks it and checked by what the user sees and by the exact bytes of the
settings file afterwards."""
import shutil

import pytest

from harness import (HELPERS, TEST_BUILD, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK, holds, saved,
                     wait_until, windows_path)


def test_the_notification_area(lane, bar):
    b = bar("[Settings]\r\nMinimize Button=1\r\nWinX=300\r\nWinY=200\r\n", TEST_BUILD)
    b.traffic()
    b.start()
    c, button = b.led("C"), b.minimize_button()
    before = b.hash()
    tray_icon = lambda: b.pixels(12, 32)  # red, in the lower half of the icon in Wine's tray
    state = lambda: (b.visible(), b.geometry())
    hidden_with_icon = lambda: (b.visible(), tray_icon())
    from_tray = lambda: lane.screen.click(12, 32, repeat=2)
    b.pick("Minimize To Tray")
    assert b.visible() == "0", "tray from the menu: bar hidden"
    wait_until(tray_icon, "FF0000", name="tray: the icon shows")
    lane.screen.click(12, 32)
    lane.screen.click(12, 32, button=3)
    lane.screen.key("Escape")
    holds(b.visible, "0", 1, "tray: single and right clicks leave it hidden")
    # A shell that restarts has lost every icon and says so with "TaskbarCreated". Wine's tray
    # keeps the icon anyway, so the helper takes it away first, as the lost shell did.
    assert lane.helper("lose-tray-icon", "Blinkbar") == "lost", "tray: the icon taken away"
    wait_until(tray_icon, "000000", name="tray: the icon gone with the shell")
    lane.helper("taskbar-created")
    wait_until(tray_icon, "FF0000", name="tray: the icon added again after the taskbar was made anew")
    from_tray()
    wait_until(state, ("1", "300,200 439x18"), name="tray: a double-click brings the bar back in place")
    wait_until(tray_icon, "000000", name="tray: the icon is gone")
    b.traffic(C="writing")
    wait_until(lambda: b.pixels(*c.lower), "FF2626", name="back from the tray: the LEDs light again")
    b.traffic()
    lane.screen.click(*c.middle)  # a click on an LED first: the button must still take its click
    lane.settle()
    lane.screen.click(*button)
    wait_until(hidden_with_icon, ("0", "FF0000"), name="tray from the button after a click on an LED")
    from_tray()
    wait_until(state, ("1", "300,200 439x18"), name="tray from the button: back in place")
    assert b.hash() == before, "tray: nothing saved"
    b.pick("Lock/Unlock Window Position")  # locked now, and a menu command was the last event
    lane.screen.click(*button)
    wait_until(hidden_with_icon, ("0", "FF0000"), name="tray from the button, locked: bar hidden, icon shown")
    from_tray()
    wait_until(state, ("1", "300,200 439x18"), name="tray from the button, locked: back in place")

    # A shell that refuses the icon (the test build's stands in: Wine's takes every one): the add
    # is tried again every second, but not while the session is locked, until the unlock.
    def adds():
        try:
            return int((b.dir / "tray-adds.txt").read_text())
        except (OSError, ValueError) as e:
            return f"unreadable: {e}"
    (b.dir / "tray.txt").write_text("refuse")
    lane.screen.click(*button)
    wait_until(b.visible, "0", name="tray refused: the bar hidden all the same")
    first = wait_until(adds, lambda n: isinstance(n, int), name="tray refused: an add asked")
    wait_until(adds, lambda n: isinstance(n, int) and n >= first + 2, 5, "tray refused: tried again every second")
    b.post(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK)
    lane.settle()
    held = adds()
    holds(adds, held, 2.5, "locked: no try while nobody can see the screen")
    b.post(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK)
    wait_until(adds, lambda n: isinstance(n, int) and n > held, 3, "unlocked: tried again")
    (b.dir / "tray.txt").write_text("take")
    wait_until(tray_icon, "FF0000", name="the shell takes it now: the icon shows")
    from_tray()
    wait_until(state, ("1", "300,200 439x18"), name="back from the icon the shell took late")


def test_the_transparency_dialog(lane, bar):
    b = bar("[Settings]\r\nTransparency=128\r\n").start()
    prepared = b.hash()
    b.pick("Adjust Window Transparency")
    title = "Adjust Window Transparency"
    info = lane.helper("window", title)
    f = lambda line, name: lane.field(info, line, name)
    assert f("window", "client") == "185,50", "dialog: client area"
    assert [f("child id=620", k) for k in ("pos", "min", "max", "focus", "rect")] == \
        ["128", "40", "255", "1", "30,10,125,20"], "dialog: slider at 128 with the focus"
    assert [f(f"child id={i}", "text") for i in (621, 622, 623)] == ['"40"', '"255"', '"128"'], "dialog: labels"
    lane.screen.focus(lane.screen.window(title))
    lane.screen.key("Home")
    label = lambda: lane.field(lane.helper("window", title), "child id=623", "text")
    wait_until(lambda: (b.alpha(), label()), ("40", '"40"'), name="Home: the bar at 40 at once")
    lane.screen.key("Right", "Right")
    wait_until(b.alpha, "42", name="Right twice: 42")
    assert b.hash() == prepared, "while open: nothing saved yet"
    lane.helper("close", title)
    wait_until(lambda: b.ini("Transparency"), "42", name="closed: the value saved")
    wait_until(lambda: lane.helper("window", title), "none", name="closed: the dialog goes")
    assert b.alpha() == "42", "closed: the bar keeps 42"


def test_the_drive_dialog(lane, bar, case):
    title = "Show/Hide Drive"
    b = bar().start()
    checked = lambda *ids: [lane.field(lane.helper("window", title), f"child id={i}", "checked") for i in ids]
    gone = lambda: lane.helper("window", title)

    def open_dialog():
        b.pick("Configure Drives")
        lane.screen.focus(lane.screen.window(title))
    open_dialog()
    info = lane.helper("window", title)
    assert lane.field(info, "window", "client") == "170,160", "drive dialog: client area"
    assert [lane.field(info, f"child id={i}", "rect") for i in (251, 256, 257, 274, 280)] == \
        ["10,10,40,20", "10,110,40,20", "50,10,40,20", "130,110,40,20", "10,135,150,20"], \
        "drive dialog: C, H, I, Z and the button in place"
    assert sum("class=Button" in l and "checked=1" in l for l in info.splitlines()) == 24, "drive dialog: all 24 ticked"
    lane.screen.key("Tab", "Tab", "space")  # D
    wait_until(lambda: checked(252), ["0"], name="D cleared")
    lane.helper("close", title)
    wait_until(gone, "none", name="closed: the dialog goes")
    assert (b.geometry(), b.hash()) == ("400,10 431x18", "none"), "closed: nothing changes"
    open_dialog()
    lane.screen.key("Tab", "Tab", "space", *["Tab"] * 23, "space")  # D, then Save Changes
    wait_until(b.geometry, "400,10 413x18", name="saved: the bar narrows")
    wait_until(b.text, saved(400, 10, drives="10" + "1" * 22), name="saved: the file")
    b.stop()

    b = bar("[Settings]\r\nDrives=000000000000000000000001\r\n", folder=case / "last-drive").start()
    open_dialog()
    lane.screen.key(*["Tab"] * 24, "space")  # from nowhere through C..Z: Z
    lane.settle()
    holds(lambda: checked(274), ["1"], 0.5, "the last ticked box cannot be cleared")
    # Typed while the bar's thread is busy, the keys wait behind the first mark that settle posts
    # (GetMessage takes posted messages before input): settle answers only once they are handled.
    _, said = lane.hold("busy", lane.bar_process(), 2)
    lane.screen.key("shift+Tab", "space", "Tab", "space")  # the same keys reach the boxes
    lane.settle(report=True)
    order = dict(f.split("=") for f in (b.dir / "wininfo-settle.txt").read_text().split())
    assert (said, order["input-at-first-mark"], int(order["marks"]) > 1, checked(273, 274)) == ("busy", "1", True, ["1", "0"]), \
        "with Y ticked, Z can be cleared; settle waited for the keys queued behind its first mark"
    lane.screen.key("Tab", "space")  # Save Changes
    wait_until(b.text, saved(400, 10, drives="0" * 22 + "10"), name="saved: Y alone")


def test_the_colours(lane, bar):
    b = bar("[Settings]\r\nWinX=200\r\n", TEST_BUILD)
    b.traffic()
    b.start()
    c = b.led("C")
    b.pick("Set Background Icon Color")
    chooser = lane.screen.window("Color")
    assert lane.helper("box").splitlines()[0] == "title: Color", "the chooser opens"
    lane.screen.focus(chooser)
    lane.screen.key("Escape")
    wait_until(b.text, saved(200, 10), name="cancelled: the file rewritten, same colours, the bar's position")
    assert b.pixels(*c.corner) == "000000", "cancelled: nothing redrawn"

    def choose(command):
        """Picks the fourth row's fifth basic colour, then OK; the colour it shows."""
        b.pick(command)
        w = lane.screen.window("Color")
        x, y = map(int, lane.screen.geometry(w).split()[0].split(","))
        # The swatch is read once the chooser has drawn it: the dialog's face first (its top left
        # corner), then the swatch in a colour of its own.
        swatch, face = wait_until(lambda: b.pixels(x + 144, y + 104, x + 5, y + 5).split(),
                                  lambda p: p[1] != "000000" and p[0] != p[1], 10, "the swatch drawn")
        lane.screen.click(x + 144, y + 104)
        lane.screen.click(x + 50, y + 282)  # OK
        wait_until(lambda: lane.screen.viewable(w), False, 10, "the chooser closed")
        return swatch
    colours = lambda: [b.ini(k) for k in ("ReadColor", "WriteColor", "BackColor", "TextColor")]
    swatch = choose("Set Write Icon Color")
    wait_until(colours, ["00D800", swatch, "000000", "FFFFFF"], name="write colour: only WriteColor changes")
    b.traffic(C="writing")
    wait_until(lambda: b.pixels(*c.lower), swatch, name="write colour: C writing shows it")
    b.traffic()
    assert choose("Set Read Icon Color") == swatch
    wait_until(colours, [swatch, swatch, "000000", "FFFFFF"], name="read colour: only ReadColor changes")
    choose("Set Text Icon Color")
    wait_until(colours, [swatch, swatch, "000000", swatch], name="text colour: only TextColor changes")
    choose("Set Background Icon Color")
    wait_until(lambda: b.ini("BackColor"), swatch, name="chosen: the file holds the new background")
    wait_until(lambda: b.pixels(*c.corner), swatch, name="chosen: the LEDs show it")


def test_restore_defaults(lane, bar):
    b = bar("[Settings]\r\nWinX=100\r\nIconSize=2\r\nLocked=1\r\nDrives=1\r\nReadColor=123456\r\n"
            "HDD Detect Interval=5\r\nTransparency=99\r\n").start()
    before = b.hash()
    b.pick("Restore Blinkbar defaults")
    assert lane.helper("box") == "title: Blinkbar\nButton: &Yes\nButton: &No\nStatic: Do you want to restore Blinkbar defaults?", \
        "restore: the question"
    lane.answer("n", exclude=b.win)
    assert (b.geometry(), b.hash()) == ("100,10 23x24", before), "restore No: nothing changes"
    b.pick("Restore Blinkbar defaults")
    lane.answer("y", exclude=b.win)
    wait_until(lambda: (b.geometry(), b.alpha()), ("100,10 431x18", "255"), name="restore Yes: the bar")
    assert b.text() == saved(100, 10, interval=5), "restore Yes: the file keeps the rescan interval and the bar's place"


def test_exit(lane, bar):
    b = bar("", TEST_BUILD)
    b.traffic()
    b.start()
    b.pick("Exit")
    assert [l for l in lane.helper("box").splitlines() if "Static" in l] == ["Static: Do you want to exit?"], "exit: the question"
    lane.answer("n", exclude=b.win)
    b.traffic(C="writing")
    c = b.led("C")
    wait_until(lambda: (b.alive(), b.pixels(*c.lower)), (True, "FF2626"), name="exit No: still running and the LEDs still switch")
    b.traffic()
    lane.screen.drag(*c.middle, 100, 30)
    wait_until(b.geometry, "500,40 431x18", name="dragged before Exit")
    # A drive's counter query that does not return: nothing waits for it, the program ends.
    b.traffic(H="not answering")
    wait_until(lambda: b.pixels(*c.lower), "000000", name="C quiet, H held")
    b.pick("Exit")
    lane.answer("y", exclude=b.win)
    assert b.exit_code(seconds=3) == 0, "exit Yes: ends with code 0 at once, though a query still hangs"
    assert b.text() == saved(500, 40), "exit Yes: the file with the current position"


@pytest.mark.parametrize("folder,uninstaller", [("uninstall", True), ("アンインストール テスト", True), ("portable", False)])
def test_uninstall_from_the_menu(lane, bar, case, folder, uninstaller):
    b = bar("[Settings]\r\nWinX=50\r\n", folder=case / folder)
    (b.dir / "Blinkbar.ini.tmp").write_bytes(b"[Settings]\r\nWinX=60\r\n")  # left by a cut-off save
    if uninstaller:
        shutil.copy(HELPERS / "fake_uninstaller.exe", b.dir / "unins000.exe")
    (case / "elsewhere").mkdir()
    b.start(cwd=case / "elsewhere")
    b.pick("Uninstall Blinkbar")
    assert [l for l in lane.helper("box").splitlines() if "Static" in l] == \
        ["Static: Do you want to uninstall Blinkbar?||Probably the first ever to appear from within the software :-)"], \
        "the question"
    lane.answer("n", exclude=b.win)
    assert (b.alive(), (b.dir / "Blinkbar.ini").exists()) == (True, True), "No keeps everything"
    b.pick("Uninstall Blinkbar")
    lane.answer("y", exclude=b.win)
    assert b.exit_code(10) == 0, "Yes ends with code 0 at once"
    assert [(b.dir / n).exists() for n in ("Blinkbar.ini", "Blinkbar.ini.tmp")] == [False, False], \
        "the settings file and a left-over replacement are deleted"
    b.stop()
    if not uninstaller:
        b.start()  # fails unless the bar shows again
        return
    record = b.dir / "uninstall-record.txt"
    wait_until(record.exists, True, 5, "the uninstaller ran")
    lines = wait_until(lambda: record.read_bytes().decode("utf-8", "replace").replace("\r", "").splitlines(),
                       lambda l: len(l) >= 2, 5, "its record written")
    assert lines[0] == f'"{windows_path(b.dir)}\\unins000.exe"  /NORESTART /SILENT', "the uninstaller's command line"
    assert lines[1] == windows_path(b.dir), "it runs in the program's folder"
