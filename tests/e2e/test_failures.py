"""Every failing download leaves start.exe on the download page in its failure state, with no
installer saved or started; a retry shows the page running again, and once the server is fixed
it installs and ends the program."""

import unittest

import e2e_lib as e2e
import scripted_server
from scenario import PRESET, Scenario, expected_request


class DownloadFailures(Scenario):
    edition = "seDirectInstall"

    def fail_then_retry(self, behaviour, prepare=None):
        server = self.scripted(behaviour) if behaviour else None
        program, window = self.start(e2e.GERMAN)
        window.wait_page("tsh0/tsh5")
        if prepare:
            prepare()
        self.click_install(window)
        window.wait_page("tsh3-failed", timeout=60)
        window.rest_pointer()
        self.shot("failed")
        # The failure state holds: no installer appears, the program waits for the user.
        self.assert_page_holds(window, "tsh3-failed")
        self.assertTrue(program.running())
        self.assert_nothing_installed()
        if server:
            self.assertEqual(server.request_heads()[0], expected_request("/prg/tumo.exe"))
            self.stop_server(server)

        fixed = self.nginx()
        window.click("pnlBtnRety")
        self.assert_installed(program, "marlek-tumo.exe")
        self.assertIn('"GET /prg/tumo.exe HTTP/1.1" 200', fixed.access_log())

    def test_not_found(self):
        self.fail_then_retry(scripted_server.status(404, "Not Found"))

    def test_server_error(self):
        self.fail_then_retry(scripted_server.status(500, "Internal Server Error"))

    def test_refused_connection(self):
        self.fail_then_retry(None)

    def test_redirect_to_https(self):
        self.fail_then_retry(scripted_server.redirect_to_https(e2e.PORT))

    def test_short_body_closed_before_the_announced_length(self):
        self.fail_then_retry(scripted_server.short_body(self.served))

    def test_empty_body(self):
        self.fail_then_retry(scripted_server.empty_body())

    def test_portal_page_with_200(self):
        self.fail_then_retry(scripted_server.portal_page())

    @unittest.skipUnless(PRESET == "win32", "only a 32-bit address space runs out")
    def test_announced_body_larger_than_any_free_address_range(self):
        # The 32-bit program's address space is taken in blocks of 64 MiB until none fits; a
        # body announced at 96 MiB then cannot be reserved. The retried small installer fits.
        def squeeze():
            code, values = e2e.wintool("squeeze", f"title={e2e.SETUP_TITLE}", 64, timeout=120)
            self.assertEqual(code, 0, f"a free range of 64 MiB is left: {values}")
            self.assertLess(int(values["largest"]), 96 << 20)
        self.fail_then_retry(scripted_server.announce_only(96 << 20), prepare=squeeze)

    def test_a_retry_shows_the_page_running_until_it_fails_again_or_installs(self):
        server = self.scripted(scripted_server.status(404, "Not Found"))
        program, window = self.start(e2e.GERMAN)
        self.click_install(window)
        window.wait_page("tsh3-failed", timeout=60)
        self.stop_server(server)
        slow = scripted_server.SlowBody(self.served)
        self.scripted(slow)
        window.click("pnlBtnRety")
        e2e.wait_for(lambda: slow.sent > slow.first, 30, "the retry to be under way")
        window.rest_pointer()
        self.assert_page_holds(window, "tsh3")
        self.shot("retry-running")
        slow.release()
        self.assert_installed(program, "marlek-tumo.exe")

    def test_failure_state_survives_a_language_switch_and_a_new_start(self):
        server = self.scripted(scripted_server.status(404, "Not Found"))
        program, window = self.start(e2e.GERMAN)
        self.click_install(window)
        window.wait_page("tsh3-failed", timeout=60)
        window.click("Image3")
        window.wait_page("tsh0/tsh5")
        self.click_install(window)
        window.wait_page("tsh3-failed", timeout=60)
        self.shot("failed-again-in-english")
        self.assertEqual(server.request_heads(),
                         [expected_request("/prg/tumo.exe"), expected_request("/prg/pavo.exe")])
        self.stop_server(server)
        self.nginx()
        window.click("pnlBtnRety")
        self.assert_installed(program, "marlek-ward-pilot.exe")


if __name__ == "__main__":
    unittest.main()
