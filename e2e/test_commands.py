"""Every command of the right-click menu, picked as a user picks it (a right-click on the bar, then
the arrow keys and Return), each checked by what the user sees and by the exact bytes of the
settings file afterwards."""
import shutil

import pytest

from harness import HELPERS, TEST_BUILD, holds, wait_until, windows_path

ALL = "1" * 24


def saved(x, y, locked=0, drives=ALL, read="00D800", write="FF2626", back="000000", text="FFFFFF",
          size=1, alpha=255, interval=10, button=0):
    """The exact text of a save."""
    return ("; Blinkbar V1.02 - January 2009 by the Blinkbar team\r\n; https://blinkbar.example.org\r\n"
            f"; \r\n[Settings]\r\nWinX = {x}\r\nWinY = {y}\r\nLocked = {locked}\r\nDrives = {drives}\r\n"
            f"ReadColor = {read}\r\nWriteColor = {write}\r\nBackColor = {back}\r\nTextColor = {text}\r\n"
            f"IconSize = {size}\r\nTransparency = {alpha}\r\nHDD Detect Interval = {interval}\r\n"
            f"Minimize Button = {button}\r\n").encode()


def test_sizes_button_lock_topmost_save_position_and_about(lane, bar):
    b = bar().start()
    b.pick(8)
    wait_until(b.geometry, "400,10 575x24", name="size 2: bar")
    assert b.get("child id=2", "rect") == "24,0,24,24", "size 2: LED D is 24 pixels"
    assert b.menu_checks() == "8", "size 2: only item 8 checked"
    assert b.text() == saved(400, 10, size=2), "size 2: file"
    b.pick(9)
    wait_until(b.geometry, "400,10 719x30", name="size 3: bar")
    assert b.ini("IconSize") == "3", "size 3: file"
    assert b.menu_checks() == "9", "size 3: only item 9 checked"
    b.pick(7)
    wait_until(b.geometry, "400,10 431x18", name="size 1: bar")
    assert b.text() == saved(400, 10), "size 1: file"

    b.pick(11)
    wait_until(b.geometry, "400,10 439x18", name="button shown: bar 8 wider")
    assert [b.get("child id=5000", k) for k in ("visible", "rect", "text")] == ["1", "431,0,8,18", '"|"'], \
        "button shown: at the right end, captioned |"
    assert b.ini("Minimize Button") == "1", "button shown: file"
    assert b.menu_checks() == "7 11", "button shown: item 11 checked"
    b.pick(11)
    assert (b.geometry(), b.get("child id=5000", "visible")) == ("400,10 431x18", "0"), "button hidden again"
    assert b.ini("Minimize Button") == "0", "button hidden again: file"
    b.pick(14)
    assert b.menu_checks() == "7 14", "lock: item 14 checked"
    assert b.ini("Locked") == "1", "lock: file"
    lane.screen.drag(405, 15, 80, 80, steps=8)
    holds(b.geometry, "400,10 431x18", 0.4, "lock: a drag is refused")
    b.pick(14)
    assert b.ini("Locked") == "0", "unlock: file"
    b.pick(13)
    assert b.get("window", "topmost") == "0", "Disable WindowOnTop"
    b.pick(12)
    assert b.get("window", "topmost") == "1", "Set WindowOnTop"
    b.pick(13)
    b.pick(8)
    assert b.get("window", "topmost") == "1", "topmost again after the next layout"
    b.pick(7)
    lane.screen.drag(405, 15, 100, 70)
    wait_until(b.geometry, "500,80 431x18", name="dragged")
    (b.dir / "Blinkbar.ini").unlink()
    b.pick(15, 505, 85)
    assert b.text() == saved(500, 80), "Save Window Position after a drag"

    b.pick(1, 505, 85)
    assert lane.helper("box") == """title: About Blinkbar V1.02 - January 2009
Button: OK
Static: Blinkbar 2009 by the Blinkbar team|https://blinkbar.example.org|team@blinkbar.example.org||\
Disk activity code 2009, Blinkbar team, team@blinkbar.example.org||Check the ReadMe_vx.xx.rtf file for more info.""", \
        "about: title and text"
    lane.answer("Return", "About Blinkbar V1.02 - January 2009")
    assert lane.helper("box") == "no box", "about: closed"


def test_the_notification_area(lane, bar):
    b = bar("[Settings]\r\nMinimize Button=1\r\nWinX=300\r\nWinY=200\r\n", TEST_BUILD)
    b.traffic("0")
    b.start()
    before = b.hash()
    tray_icon = lambda: b.pixels(12, 32)  # red, in the lower half of the icon in Wine's tray
    state = lambda: (b.visible(), b.geometry())
    hidden_with_icon = lambda: (b.visible(), tray_icon())
    from_tray = lambda: lane.screen.click(12, 32, repeat=2)
    b.pick(16, 305, 205)
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
    b.traffic("2")
    wait_until(lambda: b.pixels(301, 214), "FF2626", name="back from the tray: the LEDs light again")
    b.traffic("0")
    lane.screen.click(305, 205)  # a click on an LED first: the button must still take its click
    lane.helper("settle")
    lane.screen.click(734, 208)  # the minimize button at the bar's right end
    wait_until(hidden_with_icon, ("0", "FF0000"), name="tray from the button after a click on an LED")
    from_tray()
    wait_until(state, ("1", "300,200 439x18"), name="tray from the button: back in place")
    assert b.hash() == before, "tray: nothing saved"
    b.pick(14, 305, 205)  # locked now, and a menu command was the last event
    lane.screen.click(734, 208)
    wait_until(hidden_with_icon, ("0", "FF0000"), name="tray from the button, locked: bar hidden, icon shown")
    from_tray()
    wait_until(state, ("1", "300,200 439x18"), name="tray from the button, locked: back in place")


def test_the_transparency_dialog(lane, bar):
    b = bar("[Settings]\r\nTransparency=128\r\n").start()
    prepared = b.hash()
    b.pick(10)
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
    wait_until(lambda: lane.field(lane.helper("window", title), "window", "visible"), None, name="closed: the dialog goes")
    assert b.alpha() == "42", "closed: the bar keeps 42"


def test_the_drive_dialog(lane, bar, case):
    title = "Show/Hide Drive"
    b = bar().start()
    checked = lambda *ids: [lane.field(lane.helper("window", title), f"child id={i}", "checked") for i in ids]
    gone = lambda: lane.field(lane.helper("window", title), "window", "visible")

    def open_dialog():
        b.pick(2)
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
    wait_until(gone, None, name="closed: the dialog goes")
    assert (b.geometry(), b.hash()) == ("400,10 431x18", "none"), "closed: nothing changes"
    open_dialog()
    lane.screen.key("Tab", "Tab", "space", *["Tab"] * 23, "space")  # D, then Save Changes
    wait_until(b.geometry, "400,10 413x18", name="saved: the bar narrows")
    wait_until(b.text, saved(400, 10, drives="10" + "1" * 22), name="saved: the file")
    b.stop()

    b = bar("[Settings]\r\nDrives=000000000000000000000001\r\n", folder=case / "last-drive").start()
    open_dialog()
    lane.screen.key(*["Tab"] * 24, "space")  # from nowhere through C..Z: Z
    lane.helper("settle")
    holds(lambda: checked(274), ["1"], 0.5, "the last ticked box cannot be cleared")
    lane.screen.key("shift+Tab", "space", "Tab", "space")  # the same keys reach the boxes
    wait_until(lambda: checked(273, 274), ["1", "0"], name="with Y ticked, Z can be cleared")
    lane.screen.key("Tab", "space")  # Save Changes
    wait_until(b.text, saved(400, 10, drives="0" * 22 + "10"), name="saved: Y alone")


def test_the_colours(lane, bar):
    b = bar("[Settings]\r\nWinX=200\r\n", TEST_BUILD)
    b.traffic("0")
    b.start()
    b.pick(5, 205, 15)
    chooser = lane.screen.window("Color")
    assert lane.helper("box").splitlines()[0] == "title: Color", "the chooser opens"
    lane.screen.focus(chooser)
    lane.screen.key("Escape")
    wait_until(b.text, saved(200, 10), name="cancelled: the file rewritten, same colours, the bar's position")
    assert b.pixels(201, 27) == "000000", "cancelled: nothing redrawn"

    def choose(item):
        """Picks the fourth row's fifth basic colour, then OK; the colour it shows."""
        b.pick(item, 205, 15)
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
    swatch = choose(4)
    wait_until(colours, ["00D800", swatch, "000000", "FFFFFF"], name="write colour: only WriteColor changes")
    b.traffic("2")
    wait_until(lambda: b.pixels(201, 24), swatch, name="write colour: C writing shows it")
    b.traffic("0")
    assert choose(3) == swatch
    wait_until(colours, [swatch, swatch, "000000", "FFFFFF"], name="read colour: only ReadColor changes")
    choose(6)
    wait_until(colours, [swatch, swatch, "000000", swatch], name="text colour: only TextColor changes")
    choose(5)
    wait_until(lambda: b.ini("BackColor"), swatch, name="chosen: the file holds the new background")
    wait_until(lambda: b.pixels(201, 27), swatch, name="chosen: the LEDs show it")


def test_restore_defaults_and_exit(lane, bar, case):
    b = bar("[Settings]\r\nWinX=100\r\nIconSize=2\r\nLocked=1\r\nDrives=1\r\nReadColor=123456\r\n"
            "HDD Detect Interval=5\r\nTransparency=99\r\n").start()
    before = b.hash()
    b.pick(17, 105, 15)
    assert lane.helper("box") == "title: Blinkbar\nButton: &Yes\nButton: &No\nStatic: Do you want to restore Blinkbar defaults?", \
        "restore: the question"
    lane.answer("n", exclude=b.win)
    assert (b.geometry(), b.hash()) == ("100,10 23x24", before), "restore No: nothing changes"
    b.pick(17, 105, 15)
    lane.answer("y", exclude=b.win)
    wait_until(lambda: (b.geometry(), b.alpha()), ("100,10 431x18", "255"), name="restore Yes: the bar")
    assert b.text() == saved(100, 10, interval=5), "restore Yes: the file keeps the rescan interval and the bar's place"
    b.stop()

    b = bar("", TEST_BUILD, folder=case / "exit")
    b.traffic("0")
    b.start()
    b.pick(18)
    assert [l for l in lane.helper("box").splitlines() if "Static" in l] == ["Static: Do you want to exit?"], "exit: the question"
    lane.answer("n", exclude=b.win)
    b.traffic("2")
    wait_until(lambda: (b.alive(), b.pixels(401, 24)), (True, "FF2626"), name="exit No: still running and the LEDs still switch")
    b.traffic("0")
    lane.screen.drag(405, 15, 100, 30)
    wait_until(b.geometry, "500,40 431x18", name="dragged before Exit")
    b.pick(18, 505, 50)
    lane.answer("y", exclude=b.win)
    assert b.exit_code() == 0, "exit Yes: ends with code 0"
    assert b.text() == saved(500, 40), "exit Yes: the file with the current position"


@pytest.mark.parametrize("folder,uninstaller", [("uninstall", True), ("アンインストール テスト", True), ("portable", False)])
def test_uninstall_from_the_menu(lane, bar, case, folder, uninstaller):
    b = bar("[Settings]\r\nWinX=50\r\n", folder=case / folder)
    (b.dir / "Blinkbar.ini.tmp").write_bytes(b"[Settings]\r\nWinX=60\r\n")  # left by a cut-off save
    if uninstaller:
        shutil.copy(HELPERS / "fake_uninstaller.exe", b.dir / "unins000.exe")
    (case / "elsewhere").mkdir()
    b.start(cwd=case / "elsewhere")
    b.pick(19, 55, 15)
    assert [l for l in lane.helper("box").splitlines() if "Static" in l] == \
        ["Static: Do you want to uninstall Blinkbar?||Probably the first ever to appear from within the software :-)"], \
        "the question"
    lane.answer("n", exclude=b.win)
    assert (b.alive(), (b.dir / "Blinkbar.ini").exists()) == (True, True), "No keeps everything"
    b.pick(19, 55, 15)
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
