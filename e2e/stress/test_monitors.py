"""Two monitors side by side (1024 x 768 each, the primary on the left): a bar saved on the second
starts there, is dragged across to the first and back, and follows a monitor that goes; a
position off every monitor comes back to the primary screen's middle, one that reaches a monitor
stays."""
import subprocess

import pytest

from harness import WM_DISPLAYCHANGE, holds, wait_until

LANE = "monitors"
BOTH = "monitor rect=0,0,1024,768 primary=1\nmonitor rect=1024,0,1024,768 primary=0"


def test_a_bar_on_the_second_monitor(lane, bar):
    monitors = lambda: lane.helper("monitors")
    wait_until(monitors, BOTH, name="Windows sees two monitors side by side")
    b = bar("[Settings]\r\nWinX=1500\r\nWinY=100\r\n").start()
    wait_until(b.geometry, "1500,100 431x18", name="saved on the second monitor: starts there")
    saved_place = lambda: (b.ini("WinX"), b.ini("WinY"))
    lane.screen.drag(1505, 105, -1000, 100)
    wait_until(b.geometry, "500,200 431x18", name="dragged across to the first")
    b.command("Save Window Position")  # a save takes its time on a slow disk
    wait_until(saved_place, ("500", "200"), name="the position saved on the first")
    lane.screen.drag(505, 205, 1200, 100)
    wait_until(b.geometry, "1700,300 431x18", name="and back to the second")
    b.command("Save Window Position")
    wait_until(saved_place, ("1700", "300"), name="the position saved on the second")
    b.stop()
    b.start()
    wait_until(b.geometry, "1700,300 431x18", name="saved on the second again: starts there")
    # The second monitor goes while the bar runs on it. Windows then sends WM_DISPLAYCHANGE to
    # every top-level window; Wine 8 updates its monitors but sends nothing, so the test does.
    xrandr = lambda *args: subprocess.run(["xrandr", *args], env=lane.env, capture_output=True)
    try:
        xrandr("--output", "DUMMY1", "--off")
        wait_until(monitors, BOTH.split("\n")[0], name="the second monitor goes")
        b.post(WM_DISPLAYCHANGE, 32)
        wait_until(b.geometry, "512,300 431x18", name="the bar on it comes back to the primary's middle")
    finally:
        xrandr("--output", "DUMMY1", "--mode", "1024x768", "--pos", "1024x0")
    wait_until(monitors, BOTH, name="the second monitor comes back")
    b.post(WM_DISPLAYCHANGE, 32)
    lane.settle()
    holds(lambda: (b.geometry(), b.ini("WinX")), ("512,300 431x18", "1700"), 0.5,
          "the bar stays where it came back, and nothing was saved")


@pytest.mark.parametrize("where,x,y,place", [
    ("across the seam: stays", 900, 50, "900,50"), ("right of both: the primary's middle", 2100, 50, "512,50"),
    ("below both: the primary's middle", 100, 800, "100,384"), ("left of both: the primary's middle", -3000, 50, "512,50"),
    ("reaching the first from the left: stays", -200, 50, "-200,50")])
def test_where_a_saved_place_starts(bar, where, x, y, place):
    b = bar(f"[Settings]\r\nWinX={x}\r\nWinY={y}\r\n").start()
    assert b.geometry().split()[0] == place, where
