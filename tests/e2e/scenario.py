"""Common ground of the end-to-end scenarios: one start.exe variant per test class, the served
installer, screenshots named after the test, and the checks on what a run leaves behind."""

import os
import subprocess
import unittest

import e2e_lib as e2e
import scripted_server

PRESET = os.environ.get("START_E2E_PRESET", "win32")

INSTALL_LINK = {
    "seDirectInstall": "lblTumoOnlyInstall",
    "seChoosePlatform": "lblWindows",
    "seCompanion": "lblRiloInstall",
}
START_PAGE = {"seDirectInstall": "tsh0/tsh5", "seChoosePlatform": "tsh1", "seCompanion": "tsh0/tsh5"}


def expected_request(path):
    return (f"GET {path} HTTP/1.1\r\n"
            f"Host: 127.0.0.1:{e2e.PORT}\r\n"
            "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
            "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
            "\r\n").encode()


class Nginx:
    """The demo download server (scripts/demo-server) on the e2e port, serving `exe`."""

    def __init__(self, exe):
        self.dir = e2e.BUILD_ROOT / f"e2e-nginx-{e2e.PORT}"
        subprocess.run([str(e2e.ROOT / "scripts" / "demo-server"), "start", "--port", str(e2e.PORT),
                        "--exe", str(exe), "--dir", str(self.dir), "--lifetime", "300"],
                       check=True, stdout=subprocess.DEVNULL, timeout=60)

    def access_log(self):
        return (self.dir / "access.log").read_text()

    def stop(self):
        subprocess.run([str(e2e.ROOT / "scripts" / "demo-server"), "stop", "--port", str(e2e.PORT),
                        "--dir", str(self.dir)], check=False, timeout=60)


class Scenario(unittest.TestCase):
    edition = "seDirectInstall"

    def setUp(self):
        self.exe, self.demo = e2e.variant(self.edition, PRESET)
        self.served = self.demo.read_bytes()
        self.programs = []
        self.servers = []
        # A demo installer of an earlier scenario may still be ending (it closes by itself).
        e2e.close_demo_installer()
        e2e.clear_temp_installers()
        self.addCleanup(self._clean)

    def _clean(self):
        if any(program.running() for program in self.programs):
            self.shot("last")
        for program in self.programs:
            program.close()
        for server in self.servers:
            server.stop()
        try:
            e2e.close_demo_installer()
        except e2e.E2EError:
            pass

    # --- pieces of a scenario -----------------------------------------------------------------

    def shot(self, step):
        name = self.id().split(".", 1)[-1]
        return e2e.save_shot(f"{PRESET}/{name}-{step}.png")

    def scripted(self, behaviour, **kw):
        server = scripted_server.ScriptedServer(e2e.PORT, behaviour, **kw)
        server.start()
        self.servers.append(server)
        return server

    def nginx(self):
        server = Nginx(self.demo)
        self.servers.append(server)
        return server

    def stop_server(self, server):
        server.stop()
        self.servers.remove(server)

    def start(self, locale=e2e.GERMAN, exe=None):
        log = e2e.SHOTS / PRESET / f"{self.id().split('.', 1)[-1]}.log"
        log.parent.mkdir(parents=True, exist_ok=True)
        program = e2e.Program(exe or self.exe, locale, log=log)
        self.programs.append(program)
        window = e2e.SetupWindow(program)
        window.rest_pointer()
        return program, window

    def click_install(self, window):
        window.click(INSTALL_LINK[self.edition])

    # --- checks -------------------------------------------------------------------------------

    def assert_installed(self, program, target, served=None):
        """The run ended with exit code 0, saved `target` in the temp folder with exactly the
        served bytes, and the shell started it (its marker appears)."""
        self.assertEqual(program.exit_code(60), 0)
        self.assertEqual(e2e.temp_installers(), [target])
        saved = e2e.temp_folder() / target
        self.assertEqual(saved.read_bytes(), self.served if served is None else served)
        marker = e2e.temp_folder() / (target + ".ran")
        # The marker is written while we poll: wait for its whole content, not just the file.
        def marker_names_target():
            return marker.exists() and target in marker.read_text(encoding="utf-8", errors="replace")
        e2e.wait_for(marker_names_target, 30, f"the demo installer's marker naming {target}")
        e2e.close_demo_installer()

    def assert_nothing_installed(self):
        self.assertEqual(e2e.temp_installers(), [])
        self.assertEqual(e2e.find_windows(e2e.DEMO_TITLE), [])
        self.assertEqual(list(e2e.temp_folder().glob("*.ran")), [])

    def assert_page_holds(self, window, expected, seconds=1.5):
        """The page is `expected` at once and stays so across several screenshots."""
        e2e.settle(lambda: window.page(e2e.Shot()), expected, f"page {expected}", 0, seconds)

