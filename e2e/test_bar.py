"""The real blinkbar.exe as a user meets it: window place, size and styles, opacity, LED pixels, the
menu, drags, double-clicks, a second copy, close requests, layouts from the settings file and the
version gate."""
import re
import shutil

import pytest

from harness import ENDSESSION_CLOSEAPP, HELPERS, WM_ENDSESSION, holds, wait_until

MENU = """item 1 checked=0 "About Blinkbar V1.02 - January 2009"
separator
item 2 checked=0 "Configure Drives"
separator
item 3 checked=0 "Set Read Icon Color"
item 4 checked=0 "Set Write Icon Color"
item 5 checked=0 "Set Background Icon Color"
item 6 checked=0 "Set Text Icon Color"
item 7 checked=1 "Set Drive Icon Size 1"
item 8 checked=0 "Set Drive Icon Size 2"
item 9 checked=0 "Set Drive Icon Size 3"
item 10 checked=0 "Adjust Window Transparency"
item 11 checked=0 "Show Minimize Button"
separator
item 12 checked=0 "Set WindowOnTop"
item 13 checked=0 "Disable WindowOnTop"
item 14 checked=0 "Lock/Unlock Window Position"
item 15 checked=0 "Save Window Position"
item 16 checked=0 "Minimize To Tray"
separator
item 17 checked=0 "Restore Blinkbar defaults"
item 18 checked=0 "Exit"
separator
item 19 checked=0 "Uninstall Blinkbar\""""


def opens_c(lane):
    """The root folder of C, opened by a double-click, found and closed again."""
    found = wait_until(lambda: lane.helper("list"), re.compile(r'visible=1 class=ExplorerWClass text=" \(C:\)"'),
                       10, "C's folder opened")
    lane.helper("close", " (C:)")
    return bool(found)


def test_defaults_then_menu_wheel_drag_double_click_close_and_a_second_copy(lane, bar):
    b = bar().start("ignored", "/arguments", "C:\\")  # arguments it must ignore
    wait_until(b.geometry, "400,10 431x18", name="defaults: place and size")
    info = b.info()
    f = lambda line, name: lane.field(info, line, name)
    assert f("window", "visible") == "1", "defaults: visible"
    assert f("window", "topmost") == "1", "defaults: topmost"
    assert f("window", "toolwindow") == "1", "defaults: tool window, no taskbar entry"
    assert (f("window", "layered"), f("window", "alpha")) == ("1", "255"), "defaults: layered and opaque"
    assert f("window", "style") == "0x94000000", "defaults: borderless popup"
    assert b.opacity() == "absent", "defaults: no X opacity property when opaque"
    assert f("child id=5000", "visible") == "0", "defaults: button hidden"
    # Per LED the bottom-left corner in the background, the separator column in the text colour
    # (the last one lies outside the window), and the marker only on C and Z (Wine's drives).
    points, want = [], []
    for slot in range(24):
        x = 400 + slot * 18
        points += [x, 27]
        want.append("000000")
        if slot < 23:
            points += [x + 17, 14]
            want.append("FFFFFF")
        mark = "FFFFFF" if slot in (0, 23) else "000000"
        points += [x + 7, 10, x + 8, 11]
        want += [mark, mark]
    assert b.pixels(*points) == " ".join(want), "defaults: LED background, separators and presence markers"

    assert b.menu_items(405, 15) == MENU, "menu: 19 items, 5 separators, exact texts, size 1 checked"
    lane.screen.key("Escape")
    wait_until(lambda: lane.helper("menu"), "no menu", name="menu: Escape closes it")
    assert b.geometry() == "400,10 431x18", "menu: nothing changed"
    assert b.menu_checks(820, 15) == "7", "menu: a right press on an LED far right opens it too"
    for keys in ("Menu", "shift+F10"):  # as any context menu opens from the keyboard
        lane.screen.focus(b.win)
        lane.screen.key(keys)
        b.menu_is("open")
        assert b.read_menu() == MENU, f"menu: {keys} opens the same menu"
        place = lane.helper("menu-place").split()
        assert len(place) == 4 and place[1] == place[3], f"menu: {keys} opens it at the focused control's corner: {place}"
        lane.screen.key("Escape")
        b.menu_is("closed")

    lane.screen.move(405, 15)
    for _ in range(3):
        lane.screen.click(button=5)
    wait_until(b.alpha, "225", name="wheel: three notches down")
    wait_until(b.opacity, str(225 * 4294967295 // 255), name="wheel: X opacity follows")
    for _ in range(5):
        lane.screen.click(button=4)
    wait_until(b.alpha, "255", name="wheel: up stops at 255")

    lane.screen.drag(405, 15, 100, 60)
    wait_until(b.geometry, "500,70 431x18", name="drag: the bar follows the pointer")
    lane.screen.click(510, 75)
    lane.screen.move(700, 400)
    lane.screen.move(720, 420)
    holds(b.geometry, "500,70 431x18", 0.9, "click and release: the bar stays put")
    # An explorer.exe lies beside the program, as anything may in a download folder: a stand-in
    # that leaves a record when it runs. Windows looks for a bare program name there first.
    shutil.copy(HELPERS / "fake_uninstaller.exe", b.dir / "explorer.exe")
    lane.screen.click(505, 75, repeat=2)
    assert opens_c(lane), "double-click on C opens its root folder"
    planted_ran = (b.dir / "uninstall-record.txt").exists()
    shutil.copy(HELPERS / "wininfo.exe", b.dir / "bare.exe")  # the positive control
    lane.run([b.dir / "bare.exe", "start", "explorer.exe C:\\"])
    assert (planted_ran, (b.dir / "uninstall-record.txt").exists()) == (False, True), \
        "the explorer.exe beside it never ran; a bare name started from there runs it"
    for name in ("explorer.exe", "bare.exe", "uninstall-record.txt"):
        (b.dir / name).unlink()
    assert b.hash() == "none", "start-up and all of that wrote no settings file"

    lane.helper("close", "Blinkbar")
    # The end of a session called off (wParam 0): the session goes on, and so does the bar.
    b.post(WM_ENDSESSION, 0, ENDSESSION_CLOSEAPP)
    lane.helper("settle")
    holds(lambda: (b.alive(), b.visible()), (True, "1"), 1,
          "a close request, and an end of the session called off: still running and visible")

    second = lane.run([b.exe], seconds=30, cwd=b.dir)
    assert second == 0, "second copy: ends at once with code 0"
    assert lane.count("Blinkbar") == 1, "second copy: one bar only"
    assert b.alive(), "second copy: the first one runs on"
    assert b.hash() == "none", "second copy: the settings file untouched"


def test_layouts_from_the_settings_file(lane, bar, case):
    b = bar("[Settings]\r\nIconSize=3\r\nMinimize Button=1\r\nLocked=1\r\n", folder=case / "big").start()
    wait_until(b.geometry, "400,10 727x30", name="size 3 with the button: place and size")
    assert b.get("child id=5000", "rect") == "719,0,8,30", "size 3 with the button: button place"
    assert b.get("child id=5000", "text") == '"|"', "size 3 with the button: caption"
    assert b.get("child id=5000", "visible") == "1", "size 3 with the button: visible"
    assert b.menu_checks() == "9 11 14", "size 3, locked, button: check marks"
    lane.screen.drag(405, 15, 80, 80, steps=8)
    holds(b.geometry, "400,10 727x30", 0.4, "locked: a drag leaves the bar")
    lane.screen.click(405, 15, repeat=2)
    assert opens_c(lane), "locked: a double-click still opens C"
    b.stop()

    b = bar("[Settings]\r\nDrives=110000000000000000000001\r\nTransparency=128\r\n", folder=case / "three").start()
    wait_until(b.geometry, "400,10 53x18", name="C, D and Z: place and size")
    info = b.info()
    assert lane.field(info, "child id=24", "rect") == "36,0,18,18", "C, D and Z: Z next to D"
    hidden = [(lane.field(info, f"child id={i}", "visible"), lane.field(info, f"child id={i}", "rect")) for i in range(3, 24)]
    assert hidden == [("0", "36,0,18,18")] * 21, "C, D and Z: hidden controls stacked at 36"
    assert lane.field(info, "window", "alpha") == "128", "opacity from the file"
    assert b.opacity() == "2155905152", "opacity from the file: X property"
    b.stop()

    b = bar("[Settings]\r\nDrives=111\r\nMinimize Button=0\r\nTransparency=45\r\nIconSize=2\r\n", folder=case / "short").start()
    wait_until(b.geometry, "400,10 71x24", name="a short mask: three LEDs of 24")
    info = b.info()
    assert [lane.field(info, f"child id={i}", k) for i in (2, 4) for k in ("visible", "rect")] == \
        ["1", "24,0,24,24", "0", "72,0,24,24"], "a short mask: D shown, F hidden at 72"
    assert lane.field(info, "child id=5000", "visible") == "0", "button hidden"
    assert b.menu_checks() == "8", "size 2 checked"
    lane.screen.move(405, 15)
    lane.screen.click(button=5)  # a notch is 10: without the stop 45 would become 35
    wait_until(b.alpha, "40", name="wheel: down stops at 40")
    b.stop()

    text = "[settings]\nwinx=5000\nwiny=-20\nIconSize=2\n"
    b = bar(text, folder=case / "off-screen").start()
    wait_until(b.geometry, "512,-20 575x24", name="a position on no monitor comes back, a negative one stays")
    assert b.text() == text.encode(), "and the file is not rewritten"


# The version Wine reports to blinkbar.exe alone. "default" is the prefix's own, Windows 7 as a
# workstation (6.1, product type 1); Wine's "win7" setting reports a server product type instead.
# Without a manifest Wine's "win10" reports 6.2, as Windows itself does.
@pytest.mark.parametrize("version,refused", [("win2003", True), ("default", False), ("win10", False)])
def test_the_version_gate(lane, bar, version, refused):
    key = r"HKCU\Software\Wine\AppDefaults\blinkbar.exe"
    if version == "default":
        lane.reg("delete", key)
    else:
        lane.reg("add", key, "/v", "Version", "/d", version)
    try:
        b = bar()
        b.launch()
        shown = wait_until(lambda: (lane.count("Information"), lane.count("Blinkbar")), lambda s: any(s),
                           10, "a box or a bar")
        if refused:
            assert [l for l in lane.helper("text", "Information").splitlines() if "Static" in l] == [
                "Static: This Operating System is not suitable for Blinkbar!|Check Readme_vx.xx.rtf for details"], \
                f"{version}: refused with the message"
            assert shown[1] == 0 and lane.count("Blinkbar") == 0, f"{version}: no bar"
            lane.answer("Return", "Information")
            assert b.exit_code() == 0, f"{version}: ends with code 0 once dismissed"
            assert b.hash() == "none", f"{version}: nothing written"
        else:
            assert shown == (0, 1), f"{version}: starts normally"
    finally:
        lane.reg("delete", key)
