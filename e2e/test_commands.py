"""The simple commands of the right-click menu, each a case on one bar as started with the defaults,
picked as a user picks them (a right-click on an LED, then the arrow keys and Return) and checked
by what the user sees and by the exact bytes of the settings file afterwards."""
from harness import holds, saved, wait_until


def test_the_three_led_sizes(running):
    running.pick("Set Drive Icon Size 2")
    wait_until(running.geometry, "400,10 575x24", name="size 2: bar")
    assert running.get("child id=2", "rect") == "24,0,24,24", "size 2: LED D is 24 pixels"
    assert running.menu_checks() == ["Set Drive Icon Size 2"], "size 2: only it checked"
    assert running.text() == saved(400, 10, size=2), "size 2: file"
    running.pick("Set Drive Icon Size 3")
    wait_until(running.geometry, "400,10 719x30", name="size 3: bar")
    assert running.ini("IconSize") == "3", "size 3: file"
    assert running.menu_checks() == ["Set Drive Icon Size 3"], "size 3: only it checked"
    running.pick("Set Drive Icon Size 1")
    wait_until(running.geometry, "400,10 431x18", name="size 1: bar")
    assert running.text() == saved(400, 10), "size 1: file"


def test_the_minimize_button(running):
    running.pick("Show Minimize Button")
    wait_until(running.geometry, "400,10 439x18", name="button shown: bar 8 wider")
    assert [running.get("child id=5000", k) for k in ("visible", "rect", "text")] == ["1", "431,0,8,18", '"|"'], \
        "button shown: at the right end, captioned |"
    assert running.ini("Minimize Button") == "1", "button shown: file"
    assert running.menu_checks() == ["Set Drive Icon Size 1", "Show Minimize Button"], "button shown: checked"
    running.pick("Show Minimize Button")
    assert (running.geometry(), running.get("child id=5000", "visible")) == ("400,10 431x18", "0"), "button hidden again"
    assert running.ini("Minimize Button") == "0", "button hidden again: file"


def test_the_lock(lane, running):
    running.pick("Lock/Unlock Window Position")
    assert running.menu_checks() == ["Set Drive Icon Size 1", "Lock/Unlock Window Position"], "lock: checked"
    assert running.ini("Locked") == "1", "lock: file"
    place = running.geometry()
    lane.screen.drag(*running.led("C").middle, 80, 80, steps=8)
    lane.settle()
    holds(running.geometry, place, 0.4, "lock: a drag is refused")
    running.pick("Lock/Unlock Window Position")
    assert running.ini("Locked") == "0", "unlock: file"


def test_window_on_top(running):
    running.pick("Disable WindowOnTop")
    assert running.get("window", "topmost") == "0", "Disable WindowOnTop"
    running.pick("Set WindowOnTop")
    assert running.get("window", "topmost") == "1", "Set WindowOnTop"
    running.pick("Disable WindowOnTop")
    running.pick("Set Drive Icon Size 2")
    assert running.get("window", "topmost") == "1", "topmost again after the next layout"
    running.pick("Set Drive Icon Size 1")


def test_save_window_position_after_a_drag(lane, running):
    x, y = map(int, running.geometry().split()[0].split(","))
    lane.screen.drag(*running.led("C").middle, 100, 70)
    wait_until(running.geometry, f"{x + 100},{y + 70} 431x18", name="dragged")
    assert running.text() is None, "the drag saved nothing"
    running.pick("Save Window Position")
    assert running.text() == saved(x + 100, y + 70), "the file: the new place, the rest as it was"


def test_the_about_box(lane, running):
    running.pick("About Blinkbar V1.02 - January 2009")
    assert lane.helper("box") == """title: About Blinkbar V1.02 - January 2009
Button: OK
Static: Blinkbar 2009 by the Blinkbar team|https://blinkbar.example.org|team@blinkbar.example.org||\
Disk activity code 2009, Blinkbar team, team@blinkbar.example.org||Check the ReadMe_vx.xx.rtf file for more info.""", \
        "about: title and text"
    lane.answer("Return", "About Blinkbar V1.02 - January 2009")
    assert lane.helper("box") == "no box", "about: closed"
