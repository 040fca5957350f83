"""Stop and start: the test build, every LED switching on every tick, takes many menu commands that
each stop monitoring, re-render, lay out, save and start again (icon size 1, 2, 1, ...), while
drives E to H vanish and come back every 0.3 s. Then: no hang, the LEDs show exactly the traffic,
vanished drives are idle and come back, and while a dialog holds monitoring stopped no LED changes
at all. STOP_START_CYCLES sets how many (200; 1000 for a release)."""
import os
import threading
import time

import pytest

from harness import TEST_BUILD, holds, wait_until

LANE = "stress"
CYCLES = int(os.environ.get("STOP_START_CYCLES", "200"))


def points(b, letters="CDEFGHIJ"):
    """One pixel in the upper and one in the lower half of each of those LEDs."""
    return [v for led in b.leds(letters) for v in (*led.upper, *led.lower)]


def pictures(b, count=12):
    """How many different pictures of the first LEDs samples about 30 ms apart show."""
    at, seen = points(b), set()
    for _ in range(count):
        seen.add(b.pixels(*at))
        time.sleep(0.03)
    return len(seen)


@pytest.mark.timeout(300 + CYCLES)
def test_stop_and_start_under_switching_leds(lane, bar):
    b = bar("", TEST_BUILD)
    b.traffic("switching")
    b.start()
    wait_until(lambda: pictures(b), lambda n: n >= 2, 10, "every LED switches on every tick")

    stop = threading.Event()

    def flip():
        while not stop.wait(0.3):
            b.traffic("switching", E="no drive", F="no drive", G="no drive", H="no drive")
            if stop.wait(0.3):
                break
            b.traffic("switching")
    flipper = threading.Thread(target=flip)
    flipper.start()
    try:
        t0 = time.monotonic()
        b.command("Set Drive Icon Size 1", "Set Drive Icon Size 2", times=CYCLES // 2)
        b.command("Set Drive Icon Size 3")  # the last one: LEDs of 30 pixels say the queue is done
        wait_until(lambda: b.geometry().endswith("x30"), True, 60 + CYCLES // 2, "every command done")
        elapsed = time.monotonic() - t0
    finally:
        stop.set()
        flipper.join()
    print(f"{CYCLES} stop/start cycles (and one more) in {elapsed * 1000:.0f} ms: {CYCLES / elapsed:.0f} per second")
    assert b.alive(), "no hang: every command done, the program alive"

    b.traffic(C="reading", D="writing", E="both", F="no drive", H="reading")
    at = points(b, "CDEFGH")
    wait_until(lambda: b.pixels(*at),
               "00D800 000000 000000 FF2626 00D800 FF2626 000000 000000 000000 000000 00D800 000000",
               3, "afterwards the LEDs show the traffic")
    b.traffic(C="reading", D="writing", E="both", F="reading", H="reading")
    lane.helper("volume-arrival", "Blinkbar", "F")  # as Windows announces a volume that comes
    wait_until(lambda: b.pixels(*at[12:16]), "00D800 000000", 3, "the vanished drive comes back")

    b.traffic("switching")
    wait_until(lambda: pictures(b), lambda n: n >= 2, 10, "switching before the dialog")
    b.command("Configure Drives")  # monitoring stops while it is open
    lane.screen.window("Show/Hide Drive")
    lane.settle()
    holds(lambda: pictures(b), 1, 1, "while monitoring is stopped no LED changes")
    lane.helper("close", "Show/Hide Drive")
    wait_until(lambda: lane.count("Show/Hide Drive"), 0, name="the dialog closed")
    wait_until(lambda: pictures(b), lambda n: n >= 2, 10, "started again, they switch again")
