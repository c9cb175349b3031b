"""Drives the real start.exe under Wine on an X display: starting it, finding the setup window,
clicking its controls, screenshots, and what the program leaves behind (temp folder, markers,
exit code). Every wait polls with a deadline."""

import os
import pwd
import re
import shutil
import struct
import subprocess
import time
from pathlib import Path

import layout

ROOT = Path(os.environ.get("START_ROOT") or Path(__file__).resolve().parents[2])
BUILD_ROOT = Path(os.environ.get("START_BUILD_ROOT") or ROOT / "build")
WINE_DIR = Path(os.environ.get("START_WINE_DIR") or BUILD_ROOT / "wine-e2e")
PREFIX = Path(os.environ.get("WINEPREFIX") or WINE_DIR / "prefix")
SHOTS = Path(os.environ.get("START_E2E_SHOTS") or BUILD_ROOT / "shots" / "e2e")
VARIANTS = Path(os.environ.get("START_E2E_VARIANTS") or BUILD_ROOT / "e2e")
PORT = int(os.environ.get("START_E2E_PORT") or 18431)
# The Wine of the tier, as tests/wine/wine-tier hands it over; Debian 12's by default.
WINE64 = os.environ.get("START_WINE64") or "/usr/lib/wine/wine64"
WINE32 = os.environ.get("START_WINE32") or "/usr/lib/wine/wine"
WINESERVER = os.environ.get("START_WINESERVER") or (
    "/usr/lib/wine/wineserver" if os.path.exists("/usr/lib/wine/wineserver")
    else shutil.which("wineserver"))
SETUP_TITLE = "Marlek Setup"
DEMO_TITLE = "Demo Installer"
GERMAN = "de_DE.UTF-8"
ENGLISH = "en_US.UTF-8"


class E2EError(AssertionError):
    pass


def wait_for(predicate, timeout, what, interval=0.1):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise E2EError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def settle(read, expected, what, timeout=20, hold=1.5, describe=repr):
    """Waits until read() gives `expected`, then until it has for `hold` s (three reads at the
    least); fails at a change after that, or after `timeout` unseen, with what was read last."""
    deadline, since, reads = time.monotonic() + timeout, None, 0
    while since is None or reads < 3 or time.monotonic() - since < hold:
        value = read()
        if value == expected:
            since, reads = since or time.monotonic(), reads + 1
        elif since is not None or time.monotonic() > deadline:
            how = "changed again" if since else f"not seen within {timeout:g} s"
            raise E2EError(f"{what}: {how}; last seen: {describe(value)}")


def difference(a, b, width):
    """Where two RGB regions of one width differ: how many pixels, and their bounding box."""
    changed = [i // 3 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3]]
    xs, ys = [p % width for p in changed], [p // width for p in changed]
    return f"{len(changed)} pixels differ, x {min(xs)}-{max(xs)}, y {min(ys)}-{max(ys)}"


def display():
    shown = WINE_DIR / "xvfb.display"
    if shown.exists():
        return shown.read_text().strip()
    if os.environ.get("DISPLAY"):
        return os.environ["DISPLAY"]
    raise E2EError(f"no X display: start the session first ({shown} is missing)")


def wine_env(locale=None):
    env = dict(os.environ)
    env.update(WINEPREFIX=str(PREFIX), DISPLAY=display())
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    if locale:
        env["LC_ALL"] = locale
    return env


def loader_for(exe):
    data = Path(exe).read_bytes()[:4096]
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    return WINE64 if machine == 0x8664 else WINE32


def temp_folder():
    """The user's temporary folder as the prefix sets it (Wine 10 has it under AppData)."""
    user = pwd.getpwuid(os.getuid()).pw_name
    registry = PREFIX / "user.reg"
    text = registry.read_text(errors="replace") if registry.exists() else ""
    found = re.search(r'^"TEMP"="C:\\\\(.*)"$', text, re.MULTILINE)
    if not found:
        return PREFIX / "drive_c" / "users" / user / "Temp"
    return PREFIX.joinpath("drive_c", *found.group(1).split("\\\\"))


def clear_temp_installers():
    folder = temp_folder()
    folder.mkdir(parents=True, exist_ok=True)
    for f in folder.glob("marlek-*"):
        f.unlink()


def temp_installers():
    return sorted(f.name for f in temp_folder().glob("marlek-*") if not f.name.endswith(".ran"))


def variant(edition, preset="win32"):
    """The e2e build of start.exe for an edition, with the demo installer of the same tree."""
    tree = VARIANTS / f"{preset}-{edition}"
    exe = next((p for p in tree.rglob("start.exe") if "CMakeFiles" not in p.parts), None)
    demo = tree / "tools" / "demo-installer" / "demo-installer.exe"
    if exe is None or not demo.exists():
        raise E2EError(f"{tree} holds no start.exe or demo-installer.exe: run the e2e build first")
    return exe, demo


# --- X display: windows, pointer, screenshots -------------------------------------------------

def xdotool(*args, check=True):
    out = subprocess.run(["xdotool", *map(str, args)], env=wine_env(), capture_output=True,
                         text=True, timeout=20)
    if check and out.returncode != 0:
        raise E2EError(f"xdotool {' '.join(map(str, args))}: {out.stderr.strip()}")
    return out.stdout


def find_windows(title):
    out = xdotool("search", "--onlyvisible", "--name", f"^{re.escape(title)}$", check=False)
    return [int(w) for w in out.split()]


def geometry(xid):
    """Left, top, width and height of a window on the screen, frame included (Wine draws the
    frame inside the X window). xwininfo, since xdotool counts a child's offset twice."""
    out = subprocess.run(["xwininfo", "-id", str(xid)], env=wine_env(), capture_output=True,
                         text=True, timeout=20)
    if out.returncode != 0:
        raise E2EError(f"window {xid} is gone")
    values = {}
    for line in out.stdout.splitlines():
        name, _, value = line.strip().partition(":")
        values[name] = value.strip()
    return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
            int(values["Width"]), int(values["Height"]))


def click(x, y):
    xdotool("mousemove", x, y, "click", "1")


def move_pointer(x, y):
    xdotool("mousemove", x, y)


def key(*keys):
    xdotool("key", *keys)


class Shot:
    """One screenshot of the whole X screen, as raw RGB with the PNG kept on disk."""

    def __init__(self, path=None):
        w, h = (int(v) for v in xdotool("getdisplaygeometry").split())
        raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                             env=wine_env(), capture_output=True, timeout=30, check=True).stdout
        if len(raw) != w * h * 3:
            raise E2EError("screenshot has an unexpected size")
        self.width, self.height, self.raw = w, h, raw
        self.path = path
        if path:
            Path(path).parent.mkdir(parents=True, exist_ok=True)
            subprocess.run(["convert", "-size", f"{w}x{h}", "-depth", "8", "rgb:-", str(path)],
                           input=raw, check=True, timeout=30)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.raw[i:i + 3])

    def region(self, x, y, w, h):
        return b"".join(self.raw[((y + r) * self.width + x) * 3:((y + r) * self.width + x + w) * 3]
                        for r in range(h))

    def count(self, x, y, w, h, predicate):
        return sum(1 for r in range(h) for c in range(w) if predicate(self.pixel(x + c, y + r)))


def near(colour, target, tolerance=24):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, target))


def is_light(colour):
    return min(colour) >= 230


# --- the program ------------------------------------------------------------------------------

class Program:
    """One run of a Windows program under Wine, killed at the end of the test if still alive."""

    def __init__(self, exe, locale=GERMAN, log=None):
        self.exe = Path(exe)
        env = wine_env(locale)
        self.log = open(log, "wb") if log else subprocess.DEVNULL
        try:
            self.proc = subprocess.Popen([loader_for(exe), str(exe)], env=env,
                                         cwd=str(self.exe.parent), stdin=subprocess.DEVNULL,
                                         stdout=self.log, stderr=self.log)
        except BaseException:
            if log:
                self.log.close()
            raise

    def exit_code(self, timeout):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise E2EError(f"{self.exe.name} did not end within {timeout:.0f} s") from None

    def running(self):
        return self.proc.poll() is None

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(timeout=10)
            # The Windows side of a killed loader may linger in the prefix.
            quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL, env=wine_env(), timeout=30, check=False)
            subprocess.run([WINESERVER, "-k"], **quiet)
            # A server that outlives this call must not hold the caller's output open.
            subprocess.run([WINESERVER, "-p"], **quiet)
        if self.log is not subprocess.DEVNULL:
            self.log.close()


class SetupWindow:
    """The setup window of a running start.exe, found by its title."""

    def __init__(self, program=None, timeout=60):
        def found():
            if program and not program.running():
                raise E2EError(f"{program.exe.name} ended with exit code "
                               f"{program.proc.returncode} before showing its window")
            return (find_windows(SETUP_TITLE) or [None])[0]
        self.xid = wait_for(found, timeout, f'the window "{SETUP_TITLE}"')
        self.wait_painted()

    def frame(self):
        return geometry(self.xid)

    def client_origin(self):
        # Left, right and bottom frame edges are equally wide; the caption adds to the top.
        x, y, w, h = self.frame()
        border = (w - layout.CLIENT_WIDTH) // 2
        return x + border, y + h - layout.CLIENT_HEIGHT - border

    def wait_painted(self, timeout=30):
        """Waits until the window is shown with a page and fixes the page area's origin, the
        first row of the page panel's blue below the page container's top."""
        def measure():
            try:
                cx, cy = self.client_origin()
            except E2EError:
                return None
            shot = Shot()
            x = cx + 20
            for y in range(cy + layout.PAGE_CONTAINER_TOP - 12, cy + layout.PAGE_CONTAINER_TOP + 40):
                if 0 <= y < shot.height and near(shot.pixel(x, y), layout.PAGE_BLUE, 8):
                    # The row above is the panel's 1-pixel raised bevel.
                    return 0, y - 1 - cy
            return None
        self.page_offset = wait_for(measure, timeout, "the setup window to show a page", 0.3)

    @property
    def page_origin(self):
        """Screen position of the page area, following the window when it moves."""
        cx, cy = self.client_origin()
        return cx + self.page_offset[0], cy + self.page_offset[1]

    def point(self, name):
        x, y, page = layout.click_point(name)
        cx, cy = self.client_origin()
        if page is None:
            return cx + x, cy + y
        px, py = self.page_origin
        return px + x, py + y

    def click(self, name):
        click(*self.point(name))

    def rest_pointer(self):
        """Moves the pointer onto an inert spot of the page (left of the buttons, below the
        labels) so hover feedback does not show in a screenshot."""
        px, py = self.page_origin
        move_pointer(px + 330, py + 330)

    def page_pixel(self, shot, x, y):
        px, py = self.page_origin
        return shot.pixel(px + x, py + y)

    def page_region_count(self, shot, x, y, w, h, predicate):
        px, py = self.page_origin
        return shot.count(px + x, py + y, w, h, predicate)

    def client_region(self, shot):
        cx, cy = self.client_origin()
        return shot.region(cx, cy, layout.CLIENT_WIDTH, layout.CLIENT_HEIGHT)

    def settle_client(self, reference, what):
        """Waits until the client area shows `reference` and keeps showing it (settle)."""
        settle(lambda: self.client_region(Shot()), reference, what,
               describe=lambda shown: difference(shown, reference, layout.CLIENT_WIDTH))

    def page(self, shot):
        """Which page is shown, told by pixels that differ between pages, and for tsh3
        whether it is in its failure state."""
        def blue_at(x, y, colour):
            return near(self.page_pixel(shot, x, y), colour, 20)
        if blue_at(476, 300, layout.BUTTON_BLUE) and blue_at(662, 300, layout.PAGE_BLUE):
            return "tsh3-failed" if blue_at(350, 195, layout.BUTTON_BLUE) else "tsh3"
        if not blue_at(662, 300, layout.BUTTON_BLUE):
            # tsh2's panel, and its back button with it, lies 3 pixels further left.
            if blue_at(659, 300, layout.BUTTON_BLUE) and \
                    self.page_region_count(shot, 0, 64, 690, 120, is_light) > 200:
                return "tsh2"
            return "unknown"
        if self.page_region_count(shot, 49, 80, 150, 25, is_light) > 20:
            return "tsh4"
        # "Installation starten" centred on tsh0 and tsh5; tsh1 has a gap there.
        if self.page_region_count(shot, 260, 210, 160, 25, is_light) > 20:
            return "tsh0/tsh5"
        if self.page_region_count(shot, 133, 216, 95, 29, is_light) > 20:
            return "tsh1"
        if self.page_region_count(shot, 0, 64, 690, 120, is_light) > 200 and \
                self.page_region_count(shot, 0, 24, 690, 30, is_light) == 0:
            return "tsh2"
        return "unknown"

    def wait_page(self, expected, timeout=30, shot_path=None):
        seen = []

        def check():
            shot = Shot()
            seen.append(self.page(shot))
            return shot if seen[-1] == expected else None
        try:
            shot = wait_for(check, timeout, f"page {expected}", 0.2)
        except E2EError as e:
            raise E2EError(f"{e}; last seen: {seen[-1] if seen else 'nothing'}") from None
        if shot_path:
            save_shot(shot_path)
        return shot


def save_shot(path):
    return Shot(SHOTS / path)


def close_demo_installer(timeout=20):
    """Presses OK on the demo installer's window (it would close by itself a few seconds
    later) and waits until it is gone."""
    windows = find_windows(DEMO_TITLE)
    for xid in windows:
        try:
            x, y, w, h = geometry(xid)
        except E2EError:
            continue  # it closed by itself meanwhile
        border = (w - 420) // 2
        click(x + w // 2, y + h - border - 130 + 94)
    wait_for(lambda: not find_windows(DEMO_TITLE), timeout, "the demo installer to end", 0.2)


def wintool(*args, timeout=30):
    """Runs wintool.exe in the prefix; returns (exit code, key=value pairs of its output)."""
    exe = VARIANTS / "wintool.exe"
    if not exe.exists():
        raise E2EError(f"{exe} is missing: run the e2e build first")
    out = subprocess.run([loader_for(exe), str(exe), *map(str, args)], env=wine_env(), capture_output=True,
                         text=True, timeout=timeout)
    values = {}
    for line in out.stdout.splitlines():
        name, sep, value = line.strip().partition("=")
        if sep:
            values[name] = value
    return out.returncode, values


def setup_window_state():
    code, values = wintool("find", f"title={SETUP_TITLE}")
    if code != 0:
        raise E2EError("wintool finds no setup window")
    return values


# --- what a screen reader sees (Active Accessibility, through wintool) --------------------------

def accessible_tree():
    """The setup window's client area as another process reads it: a list of dicts with id,
    role, rect (left, top, width, height on the screen), state, action, value and name per
    child, in the order the enumeration gives."""
    code, values = wintool("access", f"title={SETUP_TITLE}")
    if code != 0:
        raise E2EError("wintool reads no accessible client area")
    children = []
    for i in range(1, int(values["count"]) + 1):
        child, role, rect, state, action, value, name = values[f"child.{i}"].split(";", 6)
        children.append(dict(id=int(child), role=role, rect=tuple(int(v) for v in rect.split(",")),
                             state=int(state, 16), action=action, value=value, name=name))
    return children


def accessible_do(child):
    """Runs the default action of a child (by its id), as a screen reader does."""
    code, values = wintool("access-do", f"title={SETUP_TITLE}", child)
    if code != 0:
        raise E2EError(f"the default action of child {child} failed: {values}")


class AccessibleEvents:
    """Records the setup window's accessibility events in another process while a step runs."""

    EVENT_SYSTEM_ALERT = 0x0002
    EVENT_OBJECT_SHOW = 0x8002
    EVENT_OBJECT_HIDE = 0x8003
    EVENT_OBJECT_REORDER = 0x8004
    EVENT_OBJECT_FOCUS = 0x8005
    EVENT_OBJECT_NAMECHANGE = 0x800C

    def __init__(self, ms):
        exe = VARIANTS / "wintool.exe"
        self.proc = subprocess.Popen([WINE64, str(exe), "access-events", f"title={SETUP_TITLE}",
                                      str(ms)], env=wine_env(), stdout=subprocess.PIPE, text=True)
        # The hook is in place once the tool says so.
        if self.proc.stdout.readline().strip() != "recording=1":
            raise E2EError("wintool could not record accessibility events")

    def events(self, timeout=60):
        """(event, child, name) of every event on the client area, in order."""
        out, _ = self.proc.communicate(timeout=timeout)
        found = []
        for line in out.splitlines():
            key, _, value = line.partition("=")
            if key.startswith("event."):
                event, _, child, name = value.split(";", 3)
                found.append((int(event, 16), int(child), name))
        return found
