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
ALL4 = "4" * 24


def points(size, count=8):
    """One pixel in the upper and one in the lower half of each of the first LEDs at a size."""
    return [v for n in range(count) for v in (400 + n * size + 2, 16, 400 + n * size + 2, 10 + size - 4)]


def pictures(b, size, count=12):
    """How many different pictures of those LEDs samples about 30 ms apart show."""
    seen = set()
    for _ in range(count):
        seen.add(b.pixels(*points(size)))
        time.sleep(0.03)
    return len(seen)


@pytest.mark.timeout(300 + CYCLES)
def test_stop_and_start_under_switching_leds(lane, bar):
    b = bar("", TEST_BUILD)
    b.traffic(ALL4)
    b.start()
    wait_until(lambda: pictures(b, 18), lambda n: n >= 2, 10, "every LED switches on every tick")

    stop = threading.Event()

    def flip():
        while not stop.wait(0.3):
            b.traffic("44----" + "4" * 18)
            if stop.wait(0.3):
                break
            b.traffic(ALL4)
    flipper = threading.Thread(target=flip)
    flipper.start()
    try:
        t0 = time.monotonic()
        b.command("7,8", CYCLES // 2)
        b.command("9")  # the last one: LEDs of 30 pixels say the queue is done
        wait_until(lambda: b.geometry().endswith("x30"), True, 60 + CYCLES // 2, "every command done")
        elapsed = time.monotonic() - t0
    finally:
        stop.set()
        flipper.join()
    print(f"{CYCLES} stop/start cycles (and one more) in {elapsed * 1000:.0f} ms: {CYCLES / elapsed:.0f} per second")
    assert b.alive(), "no hang: every command done, the program alive"

    b.traffic("123-01" + "0" * 18)  # C reads, D writes, E both, F vanished, G quiet, H reads
    wait_until(lambda: b.pixels(*points(30, 6)),
               "00D800 000000 000000 FF2626 00D800 FF2626 000000 000000 000000 000000 00D800 000000",
               3, "afterwards the LEDs show the traffic")
    b.traffic("123101" + "0" * 18)
    wait_until(lambda: b.pixels(*points(30, 4)[-4:]), "00D800 000000", 3, "the vanished drive comes back")

    b.traffic(ALL4)
    wait_until(lambda: pictures(b, 30), lambda n: n >= 2, 10, "switching before the dialog")
    b.command("2")  # Configure Drives: monitoring stops while it is open
    lane.screen.window("Show/Hide Drive")
    lane.helper("settle")
    holds(lambda: pictures(b, 30), 1, 1, "while monitoring is stopped no LED changes")
    lane.helper("close", "Show/Hide Drive")
    wait_until(lambda: lane.count("Show/Hide Drive"), 0, name="the dialog closed")
    wait_until(lambda: pictures(b, 30), lambda n: n >= 2, 10, "started again, they switch again")
