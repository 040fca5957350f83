"""The bar as its settings file and Windows' version start it: layouts from the file, a position
on no monitor, and the version gate."""
import pytest

from harness import holds, opens_c, wait_until


def test_size_3_with_the_button_locked(lane, bar):
    b = bar("[Settings]\r\nIconSize=3\r\nMinimize Button=1\r\nLocked=1\r\n").start()
    wait_until(b.geometry, "400,10 727x30", name="place and size")
    assert [b.get("child id=5000", k) for k in ("rect", "text", "visible")] == ["719,0,8,30", '"|"', "1"], \
        "the button at the right end, captioned |, shown"
    assert b.menu_checks() == ["Set Drive Icon Size 3", "Show Minimize Button", "Lock/Unlock Window Position"], \
        "size 3, locked, button: check marks"
    lane.screen.drag(*b.led("C").middle, 80, 80, steps=8)
    lane.settle()
    holds(b.geometry, "400,10 727x30", 0.4, "locked: a drag leaves the bar")
    lane.screen.click(*b.led("C").middle, repeat=2)
    opens_c(lane, "locked: a double-click still opens C")


def test_three_drives_and_half_opacity(lane, bar):
    b = bar("[Settings]\r\nDrives=110000000000000000000001\r\nTransparency=128\r\n").start()
    wait_until(b.geometry, "400,10 53x18", name="C, D and Z: place and size")
    info = b.info()
    assert lane.field(info, "child id=24", "rect") == "36,0,18,18", "Z next to D"
    hidden = [(lane.field(info, f"child id={i}", "visible"), lane.field(info, f"child id={i}", "rect")) for i in range(3, 24)]
    assert hidden == [("0", "36,0,18,18")] * 21, "hidden controls stacked at 36"
    assert (lane.field(info, "window", "alpha"), b.opacity()) == ("128", "2155905152"), "opacity from the file, and its X property"


def test_a_short_drive_mask_and_the_lowest_opacity(lane, bar):
    b = bar("[Settings]\r\nDrives=111\r\nMinimize Button=0\r\nTransparency=45\r\nIconSize=2\r\n").start()
    wait_until(b.geometry, "400,10 71x24", name="three LEDs of 24")
    info = b.info()
    assert [lane.field(info, f"child id={i}", k) for i in (2, 4) for k in ("visible", "rect")] == \
        ["1", "24,0,24,24", "0", "72,0,24,24"], "D shown, F hidden at 72"
    assert lane.field(info, "child id=5000", "visible") == "0", "button hidden"
    assert b.menu_checks() == ["Set Drive Icon Size 2"], "size 2 checked"
    lane.screen.move(*b.led("C").middle)
    lane.screen.click(button=5)  # a notch is 10: without the stop 45 would become 35
    wait_until(b.alpha, "40", name="the wheel down stops at 40")


def test_a_position_on_no_monitor(bar):
    text = "[settings]\nwinx=5000\nwiny=-20\nIconSize=2\n"
    b = bar(text).start()
    wait_until(b.geometry, "512,-20 575x24", name="a position on no monitor comes back, a negative one stays")
    assert b.text() == text.encode(), "and the file is not rewritten"


# The version Wine reports to blinkbar.exe alone. "default" is the prefix's own, Windows 7 as a
# workstation (6.1, product type 1); Wine's "win7" setting reports a server product type instead.
# Without a manifest Wine's "win10" reports 6.2, as Windows itself does.
# XP's controls need comctl32 loaded before them (the program does so there): its LEDs are drawn.
@pytest.mark.parametrize("version,refused", [("win2003", True), ("default", False), ("win10", False),
                                             ("winxp", False)])
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
            b.win = lane.screen.window("Blinkbar")
            lane.settle()
            c = b.led("C")
            assert b.pixels(c.left + 17, c.top + 4, c.left, c.top + 17) == "FFFFFF 000000", \
                f"{version}: the LEDs drawn, a separator in the text colour beside the background"
    finally:
        lane.reg("delete", key)
