"""What the user can do while a slow download runs: cancel it, close the window, switch the
language (the transfer goes on and saves the file chosen at its start); and a link that breaks
again and again still brings the installer, resumed where each connection stopped."""

import time
import unittest

import e2e_lib as e2e
import scripted_server
from scenario import Scenario, expected_request


class SlowDownload(Scenario):
    """A download held after its first part until released."""

    def start_slow_download(self, locale=e2e.GERMAN):
        slow = scripted_server.SlowBody(self.served)
        server = self.scripted(slow)
        program, window = self.start(locale)
        window.wait_page("tsh0/tsh5")
        self.click_install(window)
        window.wait_page("tsh3")
        e2e.wait_for(lambda: slow.sent > slow.first, 30, "the transfer to be under way")
        return slow, server, program, window

    def release_and_assert(self, slow, server, program, target, path):
        slow.release()
        self.assert_installed(program, target)
        self.assertEqual(server.request_heads(), [expected_request(path)])


class DuringTransfer(SlowDownload):
    edition = "seDirectInstall"

    def assert_ended_without_installer(self, program, slow):
        self.assertEqual(program.exit_code(30), 0)
        e2e.wait_for(slow.peer_gone.is_set, 30, "the server to see the connection end")
        self.assertLess(slow.sent, len(self.served))
        self.assert_nothing_installed()

    def test_cancel_ends_the_program_and_saves_nothing(self):
        slow, _, program, window = self.start_slow_download()
        self.shot("transferring")
        window.click("pnlBtnCancelDownload")
        self.assert_ended_without_installer(program, slow)

    def test_close_button_ends_the_program_and_saves_nothing(self):
        slow, _, program, window = self.start_slow_download()
        x, y, w, _ = window.frame()
        border = (w - e2e.layout.CLIENT_WIDTH) // 2
        e2e.click(x + w - border - 12, y + border + 9)
        self.assert_ended_without_installer(program, slow)

    def test_alt_f4_ends_the_program_and_saves_nothing(self):
        slow, _, program, _ = self.start_slow_download(e2e.ENGLISH)
        e2e.key("alt+F4")
        self.assert_ended_without_installer(program, slow)

    def test_progress_bar_follows_the_bytes(self):
        slow, _, program, window = self.start_slow_download()
        bar = (152, 144, 385, 33)
        first = e2e.Shot()
        e2e.wait_for(lambda: slow.sent > slow.first + 40 * slow.piece, 30, "more bytes")
        later = e2e.Shot()
        px, py = window.page_origin
        self.assertNotEqual(first.region(px + bar[0], py + bar[1], bar[2], bar[3]),
                            later.region(px + bar[0], py + bar[1], bar[2], bar[3]),
                            "the progress bar did not move while bytes arrived")
        window.click("pnlBtnCancelDownload")
        self.assertEqual(program.exit_code(30), 0)

    def test_flag_shows_the_start_page_and_the_transfer_goes_on(self):
        slow, server, program, window = self.start_slow_download(e2e.GERMAN)
        window.click("Image3")
        window.wait_page("tsh0/tsh5")
        window.rest_pointer()
        self.shot("english-start-page-during-transfer")
        self.assertTrue(program.running())
        sent = slow.sent
        e2e.wait_for(lambda: slow.sent > sent, 30, "the transfer to go on")

        # A new start while the first attempt runs shows the download page and asks nothing.
        self.click_install(window)
        window.wait_page("tsh3")
        self.assertEqual(server.connections, 1)

        # Chosen at the transfer's start: the German installer, although English is shown now.
        self.release_and_assert(slow, server, program, "marlek-tumo.exe", "/prg/tumo.exe")

    def test_close_request_to_the_background_lets_the_download_finish(self):
        slow, server, program, _ = self.start_slow_download()
        owner = e2e.setup_window_state()["owner"]
        code, _ = e2e.wintool("post", f"hwnd={owner}", "WM_CLOSE")
        self.assertEqual(code, 0)
        sent = slow.sent
        e2e.wait_for(lambda: slow.sent > sent + 4 * slow.piece, 30, "the transfer to go on")
        self.assertTrue(program.running())
        self.release_and_assert(slow, server, program, "marlek-tumo.exe", "/prg/tumo.exe")

    def test_end_of_session_ends_the_program_and_saves_nothing(self):
        slow, _, program, _ = self.start_slow_download()
        # Windows sends the end of the session to every top-level window; the main one is enough.
        owner = e2e.setup_window_state()["owner"]
        code, _ = e2e.wintool("post", f"hwnd={owner}", "WM_ENDSESSION", 1, 0)
        self.assertEqual(code, 0)
        self.assert_ended_without_installer(program, slow)


class DuringATrickle(Scenario):
    """A server that sends the installer at 5 bytes a second: every 250 ms slice of the wait
    brings data, and still the window answers, and cancel and close end the program at once."""
    edition = "seDirectInstall"

    def start_trickle(self):
        trickle = scripted_server.SlowBody(self.served, first=0, piece=1, delay=0.2)
        self.scripted(trickle)
        program, window = self.start()
        window.wait_page("tsh0/tsh5")
        self.click_install(window)
        e2e.wait_for(lambda: trickle.sent >= 5, 30, "the trickle to be under way")
        window.wait_page("tsh3")
        return trickle, program, window

    def assert_ends_soon_after(self, action, program, trickle):
        started = time.monotonic()
        action()
        self.assertEqual(program.exit_code(10), 0)
        self.assertLess(time.monotonic() - started, 2.0, "the program took too long to end")
        e2e.wait_for(trickle.peer_gone.is_set, 30, "the server to see the connection end")
        self.assert_nothing_installed()

    def test_the_window_answers_other_programs_throughout(self):
        trickle, program, window = self.start_trickle()
        sent = trickle.sent
        code, answers = e2e.wintool("ask", f"title={e2e.SETUP_TITLE}", 4000)
        self.assertEqual(code, 0)
        self.assertEqual(answers["title"], e2e.SETUP_TITLE)
        # A query every 100 ms after the last answer, each answered at the next pump.
        self.assertGreaterEqual(int(answers["asked"]), 10, answers)
        self.assertEqual(answers["answered"], answers["asked"], answers)
        self.assertLess(int(answers["longest_ms"]), 1000, answers)
        self.assertGreater(trickle.sent, sent + 10, "the transfer went on meanwhile")
        self.assertTrue(program.running())
        self.assert_ends_soon_after(lambda: window.click("pnlBtnCancelDownload"), program, trickle)

    def test_cancel_ends_the_program_within_2_s(self):
        trickle, program, window = self.start_trickle()
        self.assert_ends_soon_after(lambda: window.click("pnlBtnCancelDownload"), program, trickle)

    def test_close_button_ends_the_program_within_2_s(self):
        trickle, program, window = self.start_trickle()
        x, y, w, _ = window.frame()
        border = (w - e2e.layout.CLIENT_WIDTH) // 2
        self.assert_ends_soon_after(lambda: e2e.click(x + w - border - 12, y + border + 9),
                                    program, trickle)

    def test_a_link_cut_every_few_mebibytes_installs_without_a_retry(self):
        # The demo installer with 12 MiB behind it; every connection is reset after 3 MiB.
        big = self.served + bytes(range(256)) * ((12 << 20) // 256)
        cut = 3 << 20
        cutting = scripted_server.CutEvery(big, cut)
        server = self.scripted(cutting)
        program, window = self.start(e2e.GERMAN)
        window.wait_page("tsh0/tsh5")
        self.click_install(window)
        self.assert_installed(program, "marlek-tumo.exe", served=big)
        heads = server.request_heads()
        self.assertEqual(len(heads), -(-len(big) // cut))
        self.assertEqual(heads[0], expected_request("/prg/tumo.exe"))
        for n, head in enumerate(heads[1:], 1):
            self.assertEqual(head, expected_request("/prg/tumo.exe")[:-2] + (
                f"Range: bytes={n * cut}-\r\nIf-Range: {cutting.ETAG}\r\n\r\n").encode())
        self.assertEqual(cutting.body_bytes, len(big), "no byte is fetched twice")


class CompanionDuringTransfer(SlowDownload):
    edition = "seCompanion"

    def test_flag_keeps_the_download_page_and_the_installer_chosen_at_the_start(self):
        slow, server, program, window = self.start_slow_download(e2e.ENGLISH)
        before = window.client_region(e2e.Shot())
        window.click("Image2")
        # The texts change to German while the download page stays.
        e2e.wait_for(lambda: window.client_region(e2e.Shot()) != before, 20, "the German texts")
        window.rest_pointer()
        self.assert_page_holds(window, "tsh3")
        self.shot("german-download-page")
        self.release_and_assert(slow, server, program, "marlek-rilo.exe", "/prg/rilo-en.exe")


if __name__ == "__main__":
    unittest.main()
