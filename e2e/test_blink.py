"""The LEDs blink. A test build of the program (never the shipped one) reads its disk counters from
"traffic.txt" beside it: the cases make drives read, write or both and watch the LEDs and the tip
on screen, as a user does."""
import re
import shutil
import statistics
import time

import pytest

from harness import (EXE, HELPERS, SLOW, TEST_BUILD, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK, holds,
                     wait_until)

LANE = "stress"  # beside the main lane, which would otherwise be the test command's longest
DARK, WRITING, READING, BOTH = "000000 000000", "000000 FF2626", "00D800 000000", "00D800 FF2626"
PLANTED = "winmm,winspool.drv=n,b"
ROOM = r"[0-9]+(,[0-9]+)? [KMGT]B free of [0-9]+(,[0-9]+)? [KMGT]B"  # the room on the drive, in the tip


@pytest.fixture
def blinking(lane, bar):
    """The test build, no rescan of the drives while the case runs (a drive that comes must be
    announced), E and F naming no drive at the start, figures with a decimal comma."""
    key = r"HKCU\Control Panel\International"
    lane.reg("add", key, "/v", "sDecimal", "/d", ",")
    b = bar("[settings]\nHDD Detect Interval=100000\nMinimize Button=1\n", TEST_BUILD)
    b.traffic(E="no drive", F="no drive")
    # Libraries lie beside the program, and Wine is told to prefer such copies to its own, as
    # Windows does for any library outside its known ones: the timers must still come from the
    # system's winmm, and the colour chooser's comdlg32 must not take winspool.drv from here.
    for name in ("winmm.dll", "winspool.drv"):
        shutil.copy(HELPERS / name, b.dir)
    b.start(env={"WINEDLLOVERRIDES": "mscoree,mshtml=;" + PLANTED})
    yield b
    lane.reg("add", key, "/v", "sDecimal", "/d", ".")


def timer_state(b):
    """The test build counts its winmm calls where it looks them up: the raises of the timer
    resolution not yet restored, and the timers started and not yet stopped."""
    try:
        text = (b.dir / "timer-calls.txt").read_bytes().decode()
    except OSError:
        return "unreadable"
    n = dict(re.findall(r"(\w+)=(\d+)", text))
    if not {"outstanding", "started", "stopped"} <= n.keys():
        return f"unreadable: {text!r}"
    return f"raised {n['outstanding']}, timers {int(n['started']) - int(n['stopped'])}"


def test_the_leds_follow_the_traffic_lock_and_arrival(lane, blinking):
    b = blinking
    c, led_d, e, f, z = b.leds("CDEFZ")
    d = lambda: b.pixels(*led_d.upper, *led_d.lower)
    for traffic, want, name in [("quiet", DARK, "quiet: D idle"), ("writing", WRITING, "writing: D's lower half in the write colour"),
                                ("quiet", DARK, "quiet again: idle"), ("reading", READING, "reading: the upper half in the read colour"),
                                ("both", BOTH, "both: both halves"), ("quiet", DARK, "quiet: idle")]:
        b.traffic(D=traffic, E="no drive", F="no drive")
        wait_until(d, want, 3, name)
    b.traffic(C="writing", E="no drive", F="no drive")
    wait_until(lambda: b.pixels(*c.lower), "FF2626", 3, "C writing: C's lower half")
    holds(d, DARK, 0.5, "C writing leaves D alone")

    # A letter that does not answer the counter query is asked once, then no more until Windows
    # announces a change of the drives; C, writing, is asked all the while (the positive control).
    def queries():  # how often the test build's source was asked, a letter from C
        try:
            counts = [int(n) for n in (b.dir / "queries.txt").read_text().split()]
        except (OSError, ValueError) as e:
            return f"unreadable: {e}"
        return counts if len(counts) == 24 else f"unreadable: {counts}"
    asked = lambda want: lambda q: isinstance(q, list) and want(q)
    b.traffic(C="writing", E="no drive", F="no drive", G="cannot answer")
    # The counts are written once a second: only a second of C's queries after a first reading
    # surely counts G's one failed question (G answered before it was told to fail).
    first = wait_until(queries, asked(lambda q: True), 5, "the counts written")
    before = wait_until(queries, asked(lambda q: q[0] >= first[0] + 25 and q[4] > 0), 10, "G asked")
    after = wait_until(queries, asked(lambda q: q[0] >= before[0] + 40), 10, "C asked for two seconds more")
    assert after[4] == before[4], f"G, which cannot answer, asked no more: {before[4]} -> {after[4]}"
    lane.helper("volume-arrival", "Blinkbar", "G")
    again = wait_until(queries, asked(lambda q: q[4] > before[4] and q[0] >= after[0] + 40), 10, "G asked again")
    assert again[4] == before[4] + 1, f"G asked once after the announcement: {before[4]} -> {again[4]}"

    # A query that does not return (a driver that stopped answering): the other LEDs keep
    # switching and the bar answers; the letter's tip says so, and it lights once it answers.
    for state, colour in (("quiet", "000000"), ("writing", "FF2626")):
        b.traffic(C=state, E="no drive", F="no drive", Z="not answering")
        wait_until(lambda: b.pixels(*c.lower), colour, 3, f"Z held: C {state}")
    lane.settle()
    b.hover("Z")
    wait_until(b.tip, re.compile(r"^Z:[^|]*\|fixed drive\|not answering(\|.*)?$"), 5, "Z's tip: not answering")
    lane.screen.move(600, 400)
    b.traffic(E="no drive", F="no drive", Z="writing")
    wait_until(lambda: b.pixels(*z.lower), "FF2626", 3, "Z answers again: it lights")
    b.traffic(E="no drive", F="no drive")

    # A locked session: no timer and no raised timer resolution until the unlock (only the poll
    # counts: a rescan every 100000 s is beyond any timer's period). The pointer rests on the bar,
    # an LED's tip shown, then on the minimize button: locked, the tip closes and the bar's thread
    # takes no message at all (the tooltips check the pointer while it rests on a tool); unlocked,
    # no tip comes back until the pointer moves.
    def taken(seconds):  # -1 where the count's reset never reached the bar's thread
        (b.dir / "wininfo-count.txt").unlink(missing_ok=True)
        lane.helper("count-events", "Blinkbar", seconds)
        return int((b.dir / "wininfo-count.txt").read_text())

    for letter, name in (("D", "an LED"), (None, "the minimize button")):
        monitoring = timer_state(b)
        b.traffic(E="no drive", F="no drive")
        b.hover(letter)
        unlocked = taken(1)
        b.post(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK)
        locked = wait_until(lambda: timer_state(b), "raised 0, timers 0", 3, "locked: the timers stopped")
        wait_until(b.tip_shown, 0, 3, f"locked, the pointer on {name}: the tip closed")
        b.traffic(D="writing", E="no drive", F="no drive")
        while_locked = taken(2)
        holds(d, DARK, 0.3, "locked: D stays dark while it writes")
        b.post(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK)
        wait_until(d, WRITING, 3, "unlocked: D lights at once")
        assert (monitoring, locked, timer_state(b), unlocked > 0, while_locked) == \
            ("raised 1, timers 1", "raised 0, timers 0", "raised 1, timers 1", True, 0), \
            f"the resolution raised and the poll running, messages taken in a second ({unlocked}); locked with " \
            f"the pointer on {name}: neither, and no message in 2 s; unlocked: both again"
        holds(b.tip_shown, 0, 1, f"unlocked, the pointer still on {name}: no tip until it moves")
        lane.screen.move(600, 400)

    # A drive that comes while the program runs lights once Windows announces it.
    b.traffic(E="reading", F="reading")  # but their letters named no drive at the scan
    wait_until(d, DARK, 3, "D quiet")
    holds(lambda: b.pixels(*e.upper), "000000", 0.6, "E not yet announced: dark, not asked")
    listener, _ = lane.hold("winevents", "Blinkbar", 30, 1)
    lane.helper("volume-arrival", "Blinkbar", "E")
    wait_until(lambda: b.pixels(*e.upper, *e.lower), READING, 3, "E announced: its upper half in the read colour")
    listener.wait(10 * SLOW)
    assert (lane.work / "hold.out").read_text().replace("\r", "").split("\n")[1] == "name id=3", "a screen reader is told E's name changed"
    holds(lambda: b.pixels(*f.upper), "000000", 0.5, "F, never announced, dark: no rescan lit E")


def newest_read(b):
    """The column of the newest second with a read, counted from the right."""
    seen = b.tip_chart(*[v for back in range(8) for v in (59 - back, -1)]).split()
    return seen.index("00D800") if "00D800" in seen else None


def test_a_drive_whose_file_system_stops_answering_holds_up_nothing(lane, bar, held_drive, case):
    """Q's file system stops answering (held_drive) before the bar starts, the shipped program and
    the test build alike: each shows and answers at once; the test build's C goes on lighting
    while the pointer rests on Q, a screen reader reads Q and Windows announces a change of the
    drives; released, Q's tip and name fill in."""
    held_drive.hold()
    settings = "[settings]\nHDD Detect Interval=100000\n"
    shipped = bar(settings, EXE, folder=case / "shipped").start()  # start() waits for the window, then settles
    shipped.hover("Q")
    wait_until(shipped.tip, re.compile(r"^Q:\|not answering\|"), 5, "the shipped program: Q's tip")
    # Released before the program ends: no process ends while a thread of it waits inside the
    # file system (Linux: a FUSE request already taken is waited out; Windows, too, finishes a
    # process only once its pending I/O is done: TerminateProcess's remarks).
    held_drive.release()
    lane.screen.move(600, 400)
    shipped.stop()

    held_drive.hold()
    b = bar(settings, TEST_BUILD)
    b.traffic(E="no drive", F="no drive")
    b.start()
    c = b.led("C")

    def c_follows(name):  # the LEDs go on: C lights and goes dark as its traffic says
        for state, colour in (("writing", "FF2626"), ("quiet", "000000")):
            b.traffic(C=state, E="no drive", F="no drive")
            wait_until(lambda: b.pixels(*c.lower), colour, 3, f"{name}: C {state}")
        lane.settle()  # and the bar's thread answers

    c_follows("started while Q hangs")
    b.hover("Q")
    wait_until(b.tip, re.compile(r"^Q:\|not answering\|"), 5, "Q's tip says it does not answer")
    c_follows("the pointer on Q")
    said = dict(line.split(" ", 1) for line in lane.helper("acc", "Blinkbar").split("\n"))
    assert said.get("id=15", "").split("|")[:2] == ["Q:", "not answering"], f"a screen reader hears what is known: {said}"
    c_follows("a screen reader read Q")
    lane.helper("volume-arrival", "Blinkbar", "Q")
    c_follows("Windows announced Q")

    listener, _ = lane.hold("winevents", "Blinkbar", 30, 1)
    held_drive.release()
    wait_until(b.tip, re.compile(r"^Q:[^|]*\|fixed drive\|"), 5, "released: the shown tip fills in")
    listener.wait(30 * SLOW)
    assert "name id=15" in (lane.work / "hold.out").read_text(), "a screen reader is told Q's name changed"
    lane.screen.move(600, 400)


def test_the_tip_shows_the_rates_the_minute_and_the_time_away(lane, blinking, case):
    b = blinking
    chart = lambda: b.tip_chart(59, 3, 59, -1, 0, 0, 0, 3)
    b.traffic(C="writing", E="no drive", F="no drive")
    time.sleep(1.5)  # a whole second of writes first
    b.hover("C")
    lane.screen.screenshot(case / "tooltip-writing.png")
    wait_until(b.tip, re.compile(r"^C:.*\|Read: 0 B/s, 0 ops/s\|Write: [0-9]+,[0-9] [KM]B/s, [1-9][0-9]* ops/s\|"
                                 r"Busy 50 %\|" + ROOM + r"\|peak 1,0 MB/s$"), 8,
               "the tip shows C writing, busy half the time (the test build's clock), the room on it, with a decimal comma")
    wait_until(chart, "FF2626 000000 000000 000000", name="the chart: the newest second written, the oldest empty")
    assert b.tip("auto-pop") == "32767", "the tip stays while the pointer rests: the longest auto-pop delay"
    b.traffic(C="reading", E="no drive", F="no drive")  # now C reads instead: the text follows within about a second
    wait_until(b.tip, re.compile(r"^C:.*\|Read: [0-9]+,[0-9] KB/s, [1-9][0-9]* ops/s\|Write: 0 B/s, 0 ops/s\|"
                                 r"Busy 50 %\|" + ROOM + r"\|peak 1,0 MB/s$"), 8, "the tip, still shown, follows the rates")
    wait_until(chart, "000000 00D800 000000 000000", name="the chart follows: the newest second read, scaled to the written peak")
    lane.screen.screenshot(case / "tooltip-reading.png")

    # Quiet now: the text stands still, and the chart still moves a column a second by itself.
    b.traffic(E="no drive", F="no drive")
    text = wait_until(b.tip, re.compile(r"\|Read: 0 B/s, 0 ops/s\|Write: 0 B/s, 0 ops/s\|Busy 0 %\|"), 8, "quiet: the tip says so")
    before = wait_until(lambda: newest_read(b), lambda c: c is not None and c >= 1, 3, "the quiet second drawn")
    t0 = time.monotonic()
    after = wait_until(lambda: newest_read(b), lambda c: c != before, 10, "the last reads move left")
    seconds = int(time.monotonic() - t0) + 1
    assert after is not None and before < after <= before + seconds, \
        f"quiet: the last reads move left by at most a column a second: {before} -> {after} in {seconds} s"
    assert b.tip() == text, "quiet: the text unchanged"

    # The fastest drives: gigabytes a second, each at its own height.
    b.traffic(C="8 GB/s", E="no drive", F="no drive")
    time.sleep(4)
    b.traffic(C="5 GB/s", E="no drive", F="no drive")
    wait_until(b.tip, re.compile(r"\|Write: 5,0 GB/s, [0-9]+ ops/s\|.*\|peak 8,0 GB/s$"), 8, "the tip in GB/s")

    def fast_chart():  # the newest second at 5 GB/s; an 8 GB/s second among the ten before it
        seen = b.tip_chart(59, 16, 59, 10, *[v for c in range(49, 59) for v in (c, 19)]).split()
        return seen[:2] + ["8 GB/s full" if "FF2626" in seen[2:] else "no 8 GB/s second"]
    wait_until(fast_chart, ["000000", "FF2626", "8 GB/s full"], name="the chart: 8 GB/s reaches the full 20 rows, 5 GB/s about 13")
    lane.screen.screenshot(case / "tooltip-fast.png")

    # Back from the notification area, the minute shows the time away as empty.
    lane.screen.move(600, 400)
    b.pick("Minimize To Tray")  # while C writes
    wait_until(b.visible, "0", name="in the notification area")
    away_at = time.monotonic()
    b.traffic(E="no drive", F="no drive")
    time.sleep(8)
    lane.screen.click(12, 32, repeat=2)
    wait_until(b.visible, "1", name="back")
    back_at = time.monotonic()
    b.hover("C")
    # Where the return and the time away lie depends on when the chart is read, so both are
    # placed by the clock: the seconds since the return (read after the chart, so never too few)
    # end at the newest column; before them the time away, empty where it is surely away (a
    # second of doubt at each end); before that C's writes, red, which fail a chart that stopped.
    seen = wait_until(lambda: b.tip_chart(*[v for c in range(60) for v in (c, 3)]).split(), lambda s: len(s) == 60,
                      name="the chart drawn in the tip").copy()
    read_at = time.monotonic()
    away, since = int(back_at - away_at), int(read_at - back_at) + 1
    back = 60 - since
    assert len(seen) == 60 and back - away - 3 >= 0, f"the chart read in time: {seen}"
    assert (seen[back - away - 3], seen[back - away + 1:back - 1], seen[59]) == \
        ("FF2626", ["000000"] * (away - 2), "000000"), \
        "the time away is empty, between C's writes before it and the quiet seconds since"

    # A slow drive and a fast one: how long an operation takes, and how many wait.
    b.traffic(C="slow", E="no drive", F="no drive")  # each read takes 25 ms, each write 120 ms
    b.hover("C")
    wait_until(b.tip, re.compile(r"\|Read: 80,0 KB/s, [0-9]+ ops/s, 25 ms\|Write: 1,0 MB/s, [0-9]+ ops/s, 120 ms\|"
                                 r"Busy 100 %, queue (2,[789]|3,[01])\|"), 8, "a slow drive: its response times and queue")
    lane.screen.screenshot(case / "tooltip-slow.png")
    b.traffic(C="fast", E="no drive", F="no drive")  # 2000 reads a second of 0.4 ms, 500 writes of 1.2 ms
    wait_until(b.tip, re.compile(r"\|Read: 7,8 MB/s, [0-9]+ ops/s, 0,4 ms\|Write: 3[12],[0-9] MB/s, [0-9]+ ops/s, 1,2 ms\|"
                                 r"Busy 50 %, queue 1,[345]\|"), 8, "a fast drive: tenths of a millisecond, a short queue")

    # The room: no line for a drive that is not ready, and a drive slow to tell it (the test build
    # answers after 5 s) holds nothing up: the tip comes without the line and takes it later.
    for letter_z, want, name in (("not ready", r"^Z:.*\|Busy 0 %$", "a drive that is not ready: no room line"),
                                 ("slow to tell its room", r"^Z:.*\|Busy 0 %$", "a drive slow to tell its room: the tip at once, without it"),
                                 (None, r"^Z:.*\|Busy 0 %\|" + ROOM + "$", "the room's line comes into the shown tip")):
        if letter_z:
            lane.screen.move(600, 400)
            wait_until(b.tip_shown, 0, 3, "the tip closed")
            b.traffic(Z=letter_z, E="no drive", F="no drive")
            b.hover("Z")
        wait_until(b.tip, re.compile(want), 8, name)
    lane.screen.move(600, 400)


def test_the_delay_to_the_pixels_and_no_library_from_beside_the_program(lane, blinking):
    b = blinking
    delays, d = [], b.led("D")
    for _ in range(10):  # from a counter change to D's lower half changed, both ways
        for traffic, colour in (("writing", "FF2626"), ("quiet", "000000")):
            t0 = time.monotonic()
            b.traffic(D=traffic, E="no drive", F="no drive")
            wait_until(lambda: b.pixels(*d.lower), colour, 5, "D's lower half changed")
            delays.append((time.monotonic() - t0) * 1000)
    print(f"delays_ms {' '.join(f'{d:.0f}' for d in delays)}\n"
          f"changes={len(delays)} median_ms={statistics.median(delays):.1f} max_ms={max(delays):.1f}")
    assert max(delays) < 1500, "every change within 1.5 s"

    b.pick("Set Background Icon Color")  # the colour chooser loads comdlg32, and nothing from beside the program
    chooser = lane.screen.window("Color")
    assert lane.helper("box").splitlines()[0] == "title: Color", "the colour chooser opens"
    lane.screen.focus(chooser)
    lane.screen.key("Escape")
    b.stop()
    loaded = lambda: [(b.dir / f).exists() for f in ("winmm-loaded.txt", "winspool-loaded.txt")]
    assert loaded() == [False, False], "neither winmm.dll nor winspool.drv from beside the program was loaded"
    # The same libraries in the same folder, loaded by a program that narrows nothing: by bare
    # name, and as comdlg32's import when it is loaded by full path. Without this the check above
    # proves nothing.
    shutil.copy(HELPERS / "wininfo.exe", b.dir / "bare.exe")
    env = {"WINEDLLOVERRIDES": "mscoree,mshtml=;" + PLANTED}
    lane.run([b.dir / "bare.exe", "load", "winmm.dll"], cwd=b.dir, env=env)
    lane.run([b.dir / "bare.exe", "load", r"C:\windows\system32\comdlg32.dll"], cwd=b.dir, env=env)
    assert loaded() == [True, True], "positive control: a program that narrows nothing loads both"
