"""The window set and the links: a click on the background keeps the setup window active, in
front and where it was; the manual and contact links change nothing in the window, even when
nothing can open them; the companion program's link starts it and ends start.exe."""

import shutil
import unittest

import e2e_lib as e2e
from scenario import PRESET, Scenario


class BackgroundWindow(Scenario):
    edition = "seDirectInstall"

    def assert_in_front_and_active(self, rect):
        state = e2e.wait_for(
            lambda: (s := e2e.setup_window_state())["active"] == "1" and s["foreground"] == "1" and s,
            20, "the setup window to be active again")
        self.assertEqual(state["rect"], rect)
        self.assertEqual(state["visible"], "1")

    def test_click_on_the_background_leaves_the_setup_window_in_front(self):
        program, window = self.start(e2e.GERMAN)
        window.wait_page("tsh0/tsh5")
        state = e2e.setup_window_state()
        self.assertEqual(state["active"], "1")
        reference = window.client_region(e2e.Shot())
        for x, y in ((15, 780), (1265, 15), (640, 790)):
            e2e.click(x, y)
            self.assert_in_front_and_active(state["rect"])
            window.settle_client(reference, f"a click at {x},{y} changed the setup window")
        self.shot("after-background-clicks")
        self.assertTrue(program.running())

    def test_a_moved_setup_window_is_not_centred_again(self):
        program, window = self.start(e2e.GERMAN)
        window.wait_page("tsh0/tsh5")
        code, _ = e2e.wintool("move", f"title={e2e.SETUP_TITLE}", 40, 30)
        self.assertEqual(code, 0)
        moved = e2e.wait_for(lambda: (s := e2e.setup_window_state())["rect"].startswith("40,30,") and s,
                             20, "the setup window to move")
        e2e.click(1200, 760)
        self.assert_in_front_and_active(moved["rect"])
        self.shot("moved-then-background-click")
        self.assertTrue(program.running())


class Links(Scenario):
    edition = "seChoosePlatform"

    def open_more_page(self, window):
        window.wait_page("tsh1")
        window.click("lblMore")
        window.wait_page("tsh4")
        window.rest_pointer()

    def test_manual_and_contact_links_change_nothing(self):
        program, window = self.start(e2e.GERMAN)
        self.open_more_page(window)
        self.shot("more-page")
        reference = window.client_region(e2e.Shot())
        for link in ("lblMorePavoWindows", "lblMorePavoAndroid", "lblMoreRilo", "Image1"):
            with self.subTest(link=link):
                window.click(link)
                window.rest_pointer()
                window.settle_client(reference, f"{link} changed the window")
                self.assertTrue(program.running())
        self.shot("after-links")

    def test_contact_link_in_english_changes_nothing(self):
        program, window = self.start(e2e.ENGLISH)
        window.wait_page("tsh1")
        reference = window.client_region(e2e.Shot())
        window.click("Image1")
        window.rest_pointer()
        window.settle_client(reference, "the contact link changed the window")
        self.assertTrue(program.running())

    def companion_folder(self, languages):
        """A copy of start.exe with the demo installer as the companion program of the given
        language folders beside it."""
        folder = e2e.BUILD_ROOT / "e2e-work" / PRESET / self.id().rsplit(".", 1)[-1]
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        shutil.copy2(self.exe, folder / "start.exe")
        for code in languages:
            prg = folder / "bin" / code / "PRG"
            prg.mkdir(parents=True)
            shutil.copy2(self.demo, prg / "rilo.exe")
        return folder

    def run_companion_link(self, locale, flag, expected_language):
        folder = self.companion_folder(["de", "en"])
        program, window = self.start(locale, exe=folder / "start.exe")
        if flag:
            window.click(flag)
        self.open_more_page(window)
        window.click("lblMoreSoftwareRilo")
        self.assertEqual(program.exit_code(30), 0)
        started = folder / "bin" / expected_language / "PRG" / "rilo.exe.ran"
        e2e.wait_for(started.exists, 30, f"the companion program in bin/{expected_language}")
        other = "en" if expected_language == "de" else "de"
        self.assertFalse((folder / "bin" / other / "PRG" / "rilo.exe.ran").exists())
        self.shot("companion-started")
        e2e.close_demo_installer()

    def test_companion_link_starts_the_german_program_and_ends(self):
        self.run_companion_link(e2e.GERMAN, None, "de")

    def test_companion_link_follows_the_flag_to_the_english_folder(self):
        self.run_companion_link(e2e.GERMAN, "Image3", "en")

    def test_companion_link_ends_the_program_when_the_program_is_missing(self):
        folder = self.companion_folder([])
        program, window = self.start(e2e.ENGLISH, exe=folder / "start.exe")
        self.open_more_page(window)
        window.click("lblMoreSoftwareRilo")
        self.assertEqual(program.exit_code(30), 0)
        self.assertEqual(e2e.find_windows(e2e.DEMO_TITLE), [])


if __name__ == "__main__":
    unittest.main()
