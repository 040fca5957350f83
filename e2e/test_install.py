"""The installer and the uninstaller as a user meets them: silent and interactive installs, installs
while Blinkbar runs (the installed one, another copy, a file held by something else), a reinstall
that keeps the settings, the uninstaller from the menu and by hand, and Scoop's way of keeping the
settings file. Each case starts from a prefix with nothing installed."""
import re
import shutil
import subprocess
import zipfile
from pathlib import Path

import pytest

from harness import (HELPERS, ROOT, SLOW, WM_ENDSESSION, ENDSESSION_CLOSEAPP, Bar, file_hash, holds,
                     wait_until, windows_path)

DIST = ROOT / "build/windows/dist"
LANE = "install"  # each case installs and uninstalls: a prefix of their own, beside the main lane
SETUP = next(DIST.glob("Blinkbar-*-setup.exe"), DIST / "no setup built")
KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Blinkbar"
FILES = "LICENSE.txt Readme.txt blinkbar.exe unins000.exe"


class Installed:
    """Where the installer puts things in this prefix, and what Windows says about them."""

    def __init__(self, lane):
        self.lane = lane
        say = lambda text: lane.run_output(["cmd", "/c", "echo", text]).strip()
        unix = lambda path: Path(lane.run_output(["winepath", "-u", path]).strip())
        self.local = say("%LOCALAPPDATA%")
        self.windir = self.local + r"\Programs\Blinkbar"
        self.dir = unix(self.windir)
        programs = unix(say("%APPDATA%") + r"\Microsoft\Windows\Start Menu\Programs")
        self.menu_link = programs / "Blinkbar.lnk"
        self.startup_link = next((p for p in programs.iterdir() if p.name.lower() == "startup"), programs / "Startup") / "Blinkbar.lnk"
        self.unix = unix

    def setup(self, *args, seconds=120):
        return self.lane.run([SETUP, *args], seconds)

    def files(self):
        try:
            return " ".join(sorted(p.name for p in self.dir.iterdir()))
        except OSError:  # not there, or going while an uninstall removes it
            return ""

    def entry_state(self):
        """"absent" only when Windows says so: a read that failed is no evidence of a removal."""
        first = self.lane.helper("key", KEY).split("\n")[0]
        return first if first in ("present", "absent") else f"unreadable: {first}"

    def value(self, name):
        m = re.search(rf"^{re.escape(name)}=(.*)$", self.lane.helper("key", KEY), re.M)
        return m.group(1) if m else None

    def gone(self):
        gone = not self.dir.exists() and not self.menu_link.exists() and not self.startup_link.exists() \
            and self.entry_state() == "absent"
        return "gone" if gone else f"still there: {self.files()}"

    def older_entry(self):
        """As an older version left the entry: an install that fails must not name the new one."""
        self.lane.reg("add", "HKCU\\" + KEY, "/v", "DisplayVersion", "/d", "1.01")

    def hold(self, what, seconds, name=None):
        """Holds the installed program's file (hold|hold-read), or keeps a bar busy."""
        return self.lane.hold(what, name or self.windir + r"\blinkbar.exe", seconds)

    def start(self, program, log):
        return self.lane.launch([program], log=self.lane.work / log)

    def page(self, text):
        m = re.search(text, self.lane.helper("text", "Blinkbar Setup"))
        return m.group(0) if m else None

    def go_on(self, w, page=None, name=None, seconds=6):
        """Return in the installer's window w, once it shows the page (a pattern of its texts)."""
        if page:
            wait_until(lambda: self.page(page), page, seconds, name or f"the page: {page}")
        self.lane.screen.focus(w)
        self.lane.screen.key("Return")

    def box_says(self, text):
        return text in self.lane.helper("box")

    def end_bars(self):
        """Ends what the installer started, as the end of a session does."""
        for _ in range(5):
            pid = self.lane.bar_process()
            if not pid:
                break
            self.lane.helper("post", "Blinkbar", WM_ENDSESSION, 1, ENDSESSION_CLOSEAPP)
            self.lane.helper("ended", pid, 20)
        wait_until(lambda: self.lane.count("Blinkbar"), 0, 10, "no bar left")

    def uninstalled_by_hand(self, name):
        wait_until(self.gone, "gone", 20, name)
        self.close_uninstaller()

    def close_uninstaller(self, page="Uninstallation Complete"):
        """Closes an uninstall by hand at its last page, as a user does: a page left open would
        stand in a later step's way."""
        wait_until(lambda: page in self.lane.helper("text", "Blinkbar Uninstall"), True, name=f"the uninstaller's page: {page}")
        self.go_on(self.lane.screen.window("Blinkbar Uninstall .*"))
        wait_until(lambda: self.lane.count("Blinkbar Uninstall.*"), 0, 10, "the uninstaller closed")

    def clean(self):
        subprocess.run(["chattr", "-i", str(self.dir / "blinkbar.exe")], capture_output=True)
        self.end_bars()
        if (self.dir / "unins000.exe").exists():
            self.lane.run([self.dir / "unins000.exe", "/S"])
            wait_until(lambda: (self.dir / "blinkbar.exe").exists(), False, 10, "the old install removed")
        shutil.rmtree(self.dir, ignore_errors=True)
        for link in (self.menu_link, self.startup_link):
            link.unlink(missing_ok=True)
        self.lane.reg("delete", "HKCU\\" + KEY)


_paths = {}


@pytest.fixture
def inst(lane, case):
    if lane.name not in _paths:
        _paths[lane.name] = Installed(lane)
    installed = _paths[lane.name]
    installed.clean()
    yield installed
    # A program file made unchangeable is made changeable again, also after a failure: "rm -rf
    # build" could not remove it otherwise.
    subprocess.run(["chattr", "-i", str(installed.dir / "blinkbar.exe")], capture_output=True)
    installed.end_bars()


def installed_bar(inst):
    b = Bar(inst.lane, inst.dir, program=None)
    b.win = inst.lane.screen.window("Blinkbar")
    return b


def installed_and_running(lane, inst):
    """Blinkbar installed silently and running from its folder; its Windows process id."""
    assert inst.setup("/S") == 0
    b = Bar(lane, inst.dir, program=None)
    b.start(log=lane.work / "installed-run.log")  # the program's output kept out of its folder
    return b, lane.bar_process()


def test_a_silent_install(inst):
    assert inst.setup("/S") == 0, "the installer ends with code 0"
    assert inst.files() == FILES, "the installed files"
    assert file_hash(inst.dir / "blinkbar.exe") == file_hash(DIST / "blinkbar.exe"), "the installed program is the built one"
    assert (inst.menu_link.exists(), inst.startup_link.exists()) == (True, True), "Start-menu and Startup shortcuts"
    assert [inst.value(v) for v in ("DisplayName", "DisplayVersion", "Publisher")] == \
        ["Blinkbar", "1.02", "The Blinkbar developers"], "installed-programs entry: name, version, publisher"
    assert [inst.value("DisplayIcon"), inst.value("UninstallString")] == \
        [inst.windir + r"\blinkbar.exe,0", f'"{inst.windir}\\unins000.exe"'], "installed-programs entry: icon and uninstall string"
    assert re.fullmatch("0x0*[1-9a-f][0-9a-f]*", inst.value("EstimatedSize") or ""), "installed-programs entry: a size in KB"
    # A bar it started would show at least half a second after it ended.
    holds(lambda: inst.lane.count("Blinkbar"), 0, 2, "a silent install does not start Blinkbar")


def test_a_copy_running_from_elsewhere(lane, bar, inst):
    """The zip's copy, say: an install or an uninstall touches only its own folder's program."""
    assert inst.setup("/S") == 0
    bar().start()
    portable = lane.bar_process()
    runs = lambda: "yes" if portable and lane.bar_process() == portable and lane.count("Blinkbar") == 1 \
        else f"bars: {lane.bar_process()} {lane.count('Blinkbar')}"
    assert (inst.setup("/S"), runs()) == (0, "yes"), "a silent install leaves a Blinkbar running from elsewhere alone and starts none"
    # The installed program's file read a moment by another program (a virus scanner, a backup)
    # is waited for; the Blinkbar running elsewhere is still not the one replaced.
    _, said = inst.hold("hold-read", 3)
    assert (said, inst.setup("/S")) == ("held", 0), "the installed program's file held by another program: the install waits, code 0"
    holds(runs, "yes", 3, "... and neither ends nor starts a Blinkbar")
    inst.start(inst.dir / "unins000.exe", "uninstall.log")
    lane.answer("y", "Blinkbar Uninstall")  # Remove Blinkbar? Yes, and no question about the other copy
    inst.uninstalled_by_hand("an uninstall by hand removes Blinkbar without asking to close the other copy")
    assert inst.setup("/S") == 0, "the install again, silently"
    lane.run([inst.dir / "unins000.exe", "/S"])  # as winget's QuietUninstallString
    wait_until(inst.gone, "gone", name="a silent uninstall removes it at once too")
    assert runs() == "yes", "the other copy runs on"


def test_the_installed_program_and_its_uninstall_from_the_menu(lane, inst):
    b, _ = installed_and_running(lane, inst)
    version = lane.helper("version", windows_path(inst.dir / "blinkbar.exe"))
    assert version.split("\n") == ["FileVersion=1.02", "ProductVersion=1.02", "ProductName=Blinkbar",
                                   "FileDescription=Blinkbar disk-activity indicator", "fixed=1.2.0.0", "icons=1"], \
        "Explorer's properties: version, product, description"
    b.pick("Set Drive Icon Size 2")
    assert b.ini("IconSize") == "2", "a menu command saves beside the installed program"
    b.pick("Uninstall Blinkbar")
    lane.answer("y", exclude=b.win)
    assert b.exit_code() == 0, "Uninstall Blinkbar: the program ends with code 0"
    wait_until(inst.gone, "gone", 20, "Uninstall Blinkbar: folder, shortcuts and entry are gone")
    assert lane.count("Blinkbar") == 0, "Uninstall Blinkbar: Blinkbar is no longer running"


def test_an_interactive_install(lane, bar, inst, case):
    portable = bar().start()
    # Inside a job, as PowerShell's "Start-Process setup.exe -Wait" runs it.
    job = lane.launch([HELPERS / "wininfo.exe", "job", windows_path(SETUP), 120], log=case / "job.log")
    w = lane.screen.window("Blinkbar Setup.*")
    inst.go_on(w, "Welcome to Blinkbar Setup", "welcome page")
    inst.go_on(w, "Choose Components", "components page")
    wait_until(lambda: inst.page(r"C:\\users\\[^\\]+\\AppData\\Local\\Programs\\Blinkbar"), inst.windir,
               name="folder page proposes the per-user folder")
    # The folder chosen is checked again: here a portable copy runs.
    assert lane.helper("settext", "Blinkbar Setup", windows_path(portable.dir)) == "set", "the portable folder typed in"
    inst.go_on(w)
    wait_until(lambda: inst.box_says("Blinkbar is running"), True, name="the installer asks to close the Blinkbar running in the chosen folder")
    lane.answer("Escape", "Blinkbar Setup")
    wait_until(lambda: inst.page("Choose Install Location"), "Choose Install Location", name="Cancel stays on the folder page")
    portable.stop()
    lane.helper("settext", "Blinkbar Setup", inst.windir)
    # A file left in the folder chosen, read a few seconds by another program: the page waits
    # for it, says which file it waits for, and keeps answering meanwhile.
    inst.dir.mkdir(parents=True, exist_ok=True)
    (inst.dir / "blinkbar.exe").write_text("left behind")
    holder, said = inst.hold("hold-read", 8)
    inst.go_on(w)
    wait_until(lambda: lane.helper("text", "Please wait"), re.compile(re.escape(inst.windir + "\\blinkbar.exe")),
               name="the installer says which file it waits for")
    assert (said, inst.page(re.escape(inst.windir))) == ("held", inst.windir), \
        "the wizard answers while it waits: its folder box read through a message"
    holder.wait(30 * SLOW)
    inst.go_on(w, "Start Blinkbar now", "the last page offers to start Blinkbar", 10)
    # Finish started Blinkbar; else what the installer said instead
    wait_until(lambda: lane.count("Blinkbar") or lane.helper("box"), 1, 20, "Finish starts Blinkbar")
    assert job.wait(30 * SLOW) == 0
    assert (case / "job.log").read_text().replace("\r", "").strip() == "exit=0 left=0", \
        "the installer ends with code 0, and the bar it started is the shell's: the job empties"
    assert (inst.files(), inst.menu_link.exists(), inst.startup_link.exists()) == (FILES, True, True), \
        "interactive install: files and both shortcuts"


def test_a_silent_upgrade_over_the_running_installed_blinkbar(lane, inst):
    """A package manager's silent upgrade: the bar, moved and not yet saved, is closed as the end
    of a session closes it (saving nothing), and runs again after the install, as last saved."""
    b, old = installed_and_running(lane, inst)
    b.pick("Set Drive Icon Size 2")  # saved at once, where the bar stands
    saved = [b.ini(k) for k in ("IconSize", "WinX", "WinY")]
    lane.screen.drag(*b.led("C").middle, 100, 60)
    wait_until(b.geometry, "500,70 575x24", name="the bar moved, not saved")
    # As PowerShell's "Start-Process setup.exe /S -Wait" runs it, inside a job that it waits to
    # empty: the bar started again belongs to the desktop shell, not to the installer's job.
    job = lane.helper("job", f"{windows_path(SETUP)} /S", 60)
    wait_until(lane.bar_process, lambda p: p and p != old, 10, "Blinkbar runs again")
    assert job == "exit=0 left=0", "a silent install over a running Blinkbar ends with code 0, outside the installer's job"
    assert saved == ["2", "400", "10"], "nothing saved on the way: the settings as the command saved them"
    wait_until(lambda: lane.count("Blinkbar"), 1, name="the old window gone")
    b = installed_bar(inst)
    assert (file_hash(inst.dir / "blinkbar.exe"), *[b.ini(k) for k in ("IconSize", "WinX", "WinY")]) == \
        (file_hash(DIST / "blinkbar.exe"), "2", "400", "10"), "the new program in place, its settings as last saved"
    # Its window shows before its first layout: the place is waited for.
    wait_until(b.geometry, "400,10 575x24", name="the new program started where it was last saved")


# An install that cannot finish leaves the bar running: one that does not answer the end of the
# session in time is told nothing, and one that ended while its file stays held is started again.
def test_an_install_leaves_a_bar_that_answers_nothing_running(lane, inst):
    _, running = installed_and_running(lane, inst)
    inst.older_entry()
    answers = lambda: "yes" if lane.bar_process() == running and lane.helper("settle") == "settled" else f"bar: {lane.bar_process()}"
    holder, said = inst.hold("busy", round(12 * SLOW), running)
    assert said == "busy", "a bar that answers nothing for a while"
    assert (inst.setup("/S"), inst.value("DisplayVersion")) == (2, "1.01"), "the install gives up with code 2, nothing installed"
    holder.wait(30 * SLOW)
    wait_until(answers, "yes", name="the bar answers again, the same one")
    holds(answers, "yes", 3, "... and runs on: no end reaches it later")


def test_an_install_that_cannot_replace_the_file_starts_the_bar_it_ended_again(lane, inst):
    _, running = installed_and_running(lane, inst)
    inst.older_entry()
    holder, said = inst.hold("hold-read", round(25 * SLOW))
    assert said == "held", "the program file held by another program"
    assert (inst.setup("/S"), inst.value("DisplayVersion")) == (2, "1.01"), \
        "an install that ended the bar but cannot replace its file: code 2, nothing installed"
    wait_until(lane.bar_process, lambda p: p and p != running, name="... and the bar it ended runs again")
    holder.wait(30 * SLOW)
    lane.screen.window("Blinkbar")


def test_an_interactive_install_asks_to_close_the_running_blinkbar(lane, inst):
    installed_and_running(lane, inst)
    before = file_hash(inst.dir / "unins000.exe")
    setup = inst.start(SETUP, "setup.log")
    wait_until(lambda: inst.box_says("Blinkbar is running"), True, 20, "an interactive install asks to close Blinkbar")
    assert inst.box_says("icon in the notification area"), "the question names the notification-area icon too"
    lane.answer("Escape", "Blinkbar Setup")
    assert (setup.wait(20 * SLOW), file_hash(inst.dir / "unins000.exe")) == (2, before), "Cancel leaves the install as it was, with code 2"


def test_the_uninstaller_asks_to_close_the_running_blinkbar_and_retry_removes_it(lane, inst):
    installed_and_running(lane, inst)
    inst.start(inst.dir / "unins000.exe", "uninstall.log")
    lane.answer("y", "Blinkbar Uninstall")  # Remove Blinkbar? Yes
    lane.box("Blinkbar Uninstall")
    assert inst.box_says("icon in the notification area"), "an uninstall started by hand says at once that Blinkbar must be closed"
    # The user closes the bar at the question, here as at the end of a session (no key typed:
    # none meant for the box can reach a question of the bar's; Wine closes a Yes/No box on Escape
    # as No, Windows does not). Its process is waited for, not its X window: Wine keeps a hidden
    # bar up to 2 s waiting for a window manager.
    ending = lane.bar_process()
    lane.helper("post", "Blinkbar", WM_ENDSESSION, 1, ENDSESSION_CLOSEAPP)
    assert ending and lane.helper("ended", ending, 20) == "ended", "the bar ends as at the end of a session"
    wait_until(lambda: lane.count("Blinkbar"), 0, 3, "its window gone")
    lane.answer("Return", "Blinkbar Uninstall")  # Retry
    inst.uninstalled_by_hand("closed at the question, then Retry: folder, shortcuts and entry are gone")


def test_a_reinstall_keeps_the_settings_and_never_skips_the_program(lane, inst, case):
    assert inst.setup("/S") == 0
    settings = inst.dir / "Blinkbar.ini"
    settings.write_bytes(b"[Settings]\r\nWinX=123\r\nIconSize=3\r\n")
    kept = file_hash(settings)
    program = inst.dir / "blinkbar.exe"
    program.write_text("an older program")  # the reinstall must write it again
    # Read-only, as a copy from a CD leaves it: replaced all the same. (Wine run as root writes a
    # read-only file anyway, so what shows here is the attribute cleared, which Windows needs.)
    program.chmod(0o444)
    # A bar ending after its Exit (its window gone, its file held a moment longer) was not
    # running for the user: the silent install waits for it and does not start it again.
    _, said = inst.hold("hold", 2)
    assert (inst.setup("/S"), file_hash(program)) == (0, file_hash(DIST / "blinkbar.exe")), \
        "a reinstall ends with code 0 and puts the program back"
    assert (said, program.stat().st_mode & 0o222 != 0) == ("held", True), "the read-only program file replaced"
    holds(lambda: lane.count("Blinkbar"), 0, 10, "a bar that was ending (its program file held, no window) is not started again")
    assert file_hash(settings) == kept, "the user's Blinkbar.ini is kept byte for byte"

    # A program file that cannot be written though nobody holds it (read-only, or a Blinkbar
    # started between the check and the copy): no skipped file called success.
    program.write_text("an older program")
    old = file_hash(program)
    inst.older_entry()
    subprocess.run(["chattr", "+i", str(program)], check=True)
    assert (inst.setup("/S"), file_hash(program), inst.value("DisplayVersion")) == (2, old, "1.01"), \
        "a program file that cannot be written: code 2, the old program and the entry's version kept"
    setup = inst.start(SETUP, "setup.log")
    w = lane.screen.window("Blinkbar Setup.*")
    for page in ("Welcome to Blinkbar Setup", "Choose Components", "Choose Install Location"):
        inst.go_on(w, page)
    wait_until(lambda: inst.box_says("could not be installed"), True, name="an interactive install says it could not put the program in place")
    lane.answer("Escape", "Blinkbar Setup")
    inst.go_on(w, "Installation Aborted", "... Cancel: the install aborted")
    assert (setup.wait(20 * SLOW), inst.value("DisplayVersion")) == (2, "1.01"), "... and ends with code 2, the entry's version kept"
    # Nor does an uninstall that cannot remove the program say it did: silently it ends with code
    # 2 (run in place, "_?=", as a caller that waits for the uninstall's own code runs it), by
    # hand it names the file; either way the entry and the files stay.
    left = "Blinkbar.ini LICENSE.txt Readme.txt blinkbar.exe unins000.exe"
    assert (lane.run([inst.dir / "unins000.exe", "/S", f"_?={inst.windir}"]), inst.entry_state(), inst.files()) == \
        (2, "present", left), "an uninstall that cannot remove the program: code 2, the entry and the files kept"
    inst.start(inst.dir / "unins000.exe", "uninstall.log")
    lane.answer("y", "Blinkbar Uninstall")  # Remove Blinkbar? Yes
    wait_until(lambda: inst.box_says("could not be removed") and inst.box_says(inst.windir + "\\blinkbar.exe"), True, 20,
               "an uninstall by hand says which file it could not remove")
    lane.answer("Escape", "Blinkbar Uninstall")
    inst.close_uninstaller("Uninstallation Aborted")
    assert (inst.entry_state(), inst.files()) == ("present", left), "... Cancel: the entry and the files kept"
    subprocess.run(["chattr", "-i", str(program)], check=True)

    # Held longer than the install waits for it (ten seconds): the install gives up with code 2,
    # as winget's manifest names it, before it replaces anything.
    program.write_text("an older program")
    before = (file_hash(program), file_hash(inst.dir / "unins000.exe"))
    holder, said = inst.hold("hold", round(35 * SLOW))  # beyond the install's own wait, and the test's
    setup = inst.start(SETUP, "setup.log")
    wait_until(lambda: inst.box_says("in use by another program"), True, 30, "an interactive install, after its wait, says another program uses the file")
    lane.answer("Escape", "Blinkbar Setup")
    assert setup.wait(20 * SLOW) == 2, "... and Cancel ends it with code 2"
    assert (said, inst.setup("/S"), file_hash(program), file_hash(inst.dir / "unins000.exe")) == ("held", 2, *before), \
        "a program that outlasts the install's wait: code 2, nothing replaced"
    holder.wait(40 * SLOW)


def test_the_uninstaller_started_by_hand(lane, inst):
    assert inst.setup("/S") == 0
    (inst.dir / "notes.txt").write_text("mine")
    (inst.dir / "Blinkbar.ini").write_bytes(b"[Settings]\r\nWinX=123\r\n")
    un = inst.start(inst.dir / "unins000.exe", "uninstall.log")
    lane.box("Blinkbar Uninstall")
    assert inst.box_says("Remove Blinkbar and its settings"), "it asks first"
    lane.answer("n", "Blinkbar Uninstall")
    un.wait(20 * SLOW)
    assert inst.files() == "Blinkbar.ini LICENSE.txt Readme.txt blinkbar.exe notes.txt unins000.exe", "No keeps everything"
    un = inst.start(inst.dir / "unins000.exe", "uninstall.log")
    lane.box("Blinkbar Uninstall")
    # The program's image stays locked a moment after it ended, as when the menu's uninstall
    # starts this just before the program ends: held here for three seconds.
    _, said = inst.hold("hold", 3)
    assert said == "held", "the program's file is held"
    lane.answer("y", "Blinkbar Uninstall")
    un.wait(20 * SLOW)
    wait_until(inst.files, "notes.txt", 10, "Yes removes what was installed and the settings, "
                      "also a program still held a moment, and keeps the user's own file")
    wait_until(lambda: (inst.menu_link.exists(), inst.startup_link.exists(), inst.entry_state()),
               (False, False, "absent"), name="the shortcuts and the entry are gone")
    inst.close_uninstaller()
    shutil.rmtree(inst.dir)


def test_an_upgrade_goes_where_the_program_is(inst):
    chosen_win = inst.local + r"\Blinkbar-Elsewhere"  # /D= takes no quotes, so no space
    chosen = inst.unix(chosen_win)
    shutil.rmtree(chosen, ignore_errors=True)
    first = inst.setup("/S", f"/D={chosen_win}")
    (chosen / "Blinkbar.ini").write_bytes(b"[Settings]\r\nWinX=77\r\n")
    (chosen / "blinkbar.exe").unlink()  # the second install must write it again
    later = inst.setup("/S")
    assert (first, later, (chosen / "blinkbar.exe").exists(), b"WinX=77" in (chosen / "Blinkbar.ini").read_bytes(),
            inst.dir.exists(), inst.value("InstallLocation")) == (0, 0, True, True, False, chosen_win), \
        "installs into a chosen folder, then without one, both end with code 0; the second went to the " \
        "chosen folder, kept the settings and made no second copy"
    inst.lane.run([chosen / "unins000.exe", "/S"])


def test_kept_by_scoop(lane, bar, case):
    """Scoop's documented steps for the zip, modelled: the archive's folder extracted into
    apps\\blinkbar\\VERSION, the manifest's pre_install, then "persist": an item already in
    persist\\blinkbar replaces the app's copy, else the app's copy moves there, and with neither a
    folder is made; a file is then hard-linked into the app's folder (New-Item -ItemType HardLink)."""
    manifest = (DIST / "manifests/scoop/blinkbar.json").read_text()
    persisted = case / "persist/blinkbar/Blinkbar.ini"

    def install(version):
        folder = case / "apps/blinkbar" / version
        folder.mkdir(parents=True)
        persisted.parent.mkdir(parents=True, exist_ok=True)
        with zipfile.ZipFile(next(DIST.glob("Blinkbar-*-portable.zip"))) as z:
            for name in z.namelist():
                if name.startswith("Blinkbar/") and not name.endswith("/"):
                    (folder / name[len("Blinkbar/"):]).write_bytes(z.read(name))
        ini = folder / "Blinkbar.ini"
        if r'New-Item \"$dir\\Blinkbar.ini\" -ItemType File' in manifest and not persisted.exists():
            ini.write_bytes(b"")  # pre_install
        if persisted.exists():
            ini.unlink(missing_ok=True)
        elif ini.exists():
            ini.rename(persisted)
        else:
            persisted.mkdir()
        ini.mkdir() if persisted.is_dir() else ini.hardlink_to(persisted)
        return Bar(lane, folder, program=None)

    def state():  # the persisted icon size, place and how many names the file has
        text = persisted.read_bytes().decode() if persisted.is_file() else ""
        values = [(re.search(rf"^{k} = (\S*)", text, re.M) or [None, None])[1] for k in ("IconSize", "WinX", "WinY")]
        return (*values, persisted.stat().st_nlink if persisted.exists() else 0)
    b = install("1.02").start()
    b.pick("Set Drive Icon Size 2")  # saved at once
    lane.screen.drag(*b.led("C").middle, 100, 60)  # moved, saved only by Exit
    wait_until(b.geometry, "500,70 575x24", name="installed by Scoop: the bar dragged")
    b.pick("Exit")
    lane.answer("y", exclude=b.win)
    assert b.exit_code() == 0
    assert state() == ("2", "500", "70", 2), \
        "installed by Scoop: a setting changed, the bar moved, Exit, and the persisted file has both, still linked"
    b = install("1.02-update").start()  # an update: a new version folder, the persisted file linked in
    assert b.geometry().split()[1] == "575x24", "after an update the bar starts with the setting"
    b.stop()
    shutil.rmtree(case / "apps")  # uninstalled, the persist folder kept; then installed again
    b = install("1.02").start()
    assert (b.geometry().split()[1], *state()) == ("575x24", "2", "500", "70", 2), "after an uninstall and a reinstall too"
