"""At 150 %: a Wine prefix of its own at 144 dots per inch. The program declares itself DPI-aware,
so Wine hands it the real scale and nothing is stretched: every length of the bar, the LEDs, the
tip's chart and the drive dialog is 1.5 times the 96-dpi design, drawn at that size."""
from harness import TEST_BUILD, wait_until

LANE = "144dpi"


def scale(lane, dpi):  # each new process reads the scale from the registry
    lane.reg("add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi))


def test_everything_at_one_and_a_half_times_its_size(lane, bar, case):
    settings = "[Settings]\r\nwinx=300\r\nwiny=10\r\n"
    scale(lane, 96)  # the chart at 100 %, for the size at 150 %
    b = bar(settings, TEST_BUILD, folder=case / "100").start()
    b.hover("C")  # a drive in every prefix
    area = wait_until(b.tip_chart_area, lambda a: isinstance(a, tuple), 8, "C's chart at 100 %")
    b.stop()
    scale(lane, 144)

    b = bar(settings, TEST_BUILD, folder=case / "150")  # at 300, 10 the whole bar fits the screen
    b.traffic()
    b.start()
    wait_until(b.geometry, "300,10 647x27", name="the bar: 24 LEDs of 27 pixels, less one")
    # D is the second LED, x 327..353: halves of 13 and 14 rows, then a separator of two columns.
    b.traffic(D="both")
    wait_until(lambda: b.pixels(328, 10, 350, 22, 328, 23, 350, 36, 351, 30, 352, 30, 353, 30),
               "00D800 00D800 FF2626 FF2626 FF2626 FFFFFF FFFFFF",
               name="D reads and writes: each half in its colour, a two-column separator")
    lane.screen.screenshot(case / "bar-150.png", 295, 5, 657, 37)
    # C's tip and its minute: the newest column above and below the middle, the oldest at the
    # middle (before the program ran: empty).
    b.traffic(C="both")
    b.hover("C")
    wait_until(lambda: b.tip_chart(59, -1, 59, 4, 0, 0), "00D800 FF2626 000000",
               name="C's tip: both halves of the newest second, nothing in the oldest")
    assert b.tip_chart_area()[2:] == (area[2] * 3 // 2, area[3] * 3 // 2), f"C's chart at 1.5 times its {area[2:]} at 100 %"
    lane.screen.screenshot(case / "tooltip-150.png")
    lane.screen.move(600, 400)
    b.traffic()
    b.pick("Configure Drives")
    lane.screen.window("Show/Hide Drive")
    info = lane.helper("window", "Show/Hide Drive")
    assert lane.field(info, "window", "client") == "255,240", "drive dialog: client area 255 x 240"
    assert [lane.field(info, f"child id={i}", "rect") for i in (251, 256, 257, 274, 280)] == \
        ["15,15,60,30", "15,165,60,30", "75,15,60,30", "195,165,60,30", "15,203,225,30"], \
        "drive dialog: C, H, I, Z and the button at 1.5 times their places"
    lane.helper("close", "Show/Hide Drive")
