"""The setup window without a mouse: another process reads each page as a screen reader does
(names, roles, places on the screen), runs the default action of a link and a button, and hears
the language switch and the failure announced; the keyboard cue shows only once a key is used."""

import unittest

import e2e_lib as e2e
import layout
import scripted_server
from scenario import Scenario, expected_request

Events = e2e.AccessibleEvents

HEADER_DE = [("Image2", "button", "Deutsch"), ("Image3", "button", "English"),
             ("Image1", "link", "https://127.0.0.1:9/kontakt/")]

# What a reader finds on each page of the platform choice, in German: control, role, name.
PAGES_DE = {
    "tsh1": [(None, "text", "SETUP WACHTWERK"), ("lblWindows", "link", "Windows"),
             ("lblAndroid", "link", "Android"), ("lblMore", "link", "Mehr"),
             ("pnlExit", "button", "Beenden")],
    "tsh2": [(None, "text", "1.) Nehmen Sie das Android Kinder-Handy/Tablet zur Hand"),
             (None, "text", "2.) Rufen Sie dort den Google PlayStore auf"),
             (None, "text", '3.) Suchen Sie nach "Marlek Wachtwerk"'),
             (None, "text", "4.) Wählen Sie Installieren"),
             ("pnlBtnBack2", "button", "ZURÜCK")],
    "tsh4": [(None, "text", "Handbücher PDF"), ("lblMorePavoWindows", "link", "Wachtwerk Windows"),
             ("lblMorePavoAndroid", "link", "Wachtwerk Android"),
             ("lblMoreRilo", "link", "Desk Warden 2015"), (None, "text", "Weitere Software"),
             ("lblMoreSoftwareRilo", "link", "Desk Warden 2015"),
             ("pnlBtnBackOther", "button", "ZURÜCK")],
}

STATE_FOCUSED = 0x4


class ScreenReader(Scenario):
    edition = "seChoosePlatform"
    page_top = None

    def assert_places(self, window, tree, expected):
        """Header items lie where the layout puts them in the client area. Page items lie at
        their layout place below one page top, the same on every page; its exact row comes from
        the tab control, so it is taken from the first page read. An auto-sized label's size
        follows its text as the fonts measure it. A button's rectangle is its light-blue face on
        the screen."""
        cx, cy = window.client_origin()
        shot = e2e.Shot()
        for child, (control, _, _) in zip(tree, expected):
            if control is None:
                continue
            left, top, width, height = child["rect"]
            if control in layout.HEADER:
                self.assertEqual(child["rect"], (cx + layout.HEADER[control][0],
                                                 cy + layout.HEADER[control][1],
                                                 *layout.HEADER[control][2:]), child)
                continue
            page, x, y, w, h, auto = layout.PAGE[control]
            self.assertEqual(left, cx + x + layout.PANEL_OFFSET.get(page, 0), child)
            if self.page_top is None:
                self.page_top = top - cy - y
            self.assertEqual(top, cy + self.page_top + y, child)
            if not auto:
                self.assertEqual((width, height), (w, h), child)
            if child["role"] == "button":
                for px, py in ((left + 1, top + 1), (left + width - 2, top + height - 2)):
                    self.assertTrue(e2e.near(shot.pixel(px, py), layout.BUTTON_BLUE, 8), child)
        self.assertTrue(layout.PAGE_CONTAINER_TOP - 12 <= self.page_top <= layout.PAGE_CONTAINER_TOP)

    def assert_tree(self, window, page):
        tree = e2e.accessible_tree()
        expected = HEADER_DE + PAGES_DE[page]
        self.assertEqual([(c["role"], c["name"]) for c in tree],
                         [(role, name) for _, role, name in expected], page)
        for child, (_, role, _) in zip(tree, expected):
            self.assertEqual(child["action"], {"link": "Jump", "button": "Press"}.get(role, ""),
                             child)
        self.assert_places(window, tree, expected)
        return {c["name"]: c["id"] for c in tree}

    def test_every_page_read_and_moved_through_by_default_actions(self):
        program, window = self.start(e2e.GERMAN)
        window.wait_page("tsh1")
        ids = self.assert_tree(window, "tsh1")
        e2e.accessible_do(ids["Android"])
        window.wait_page("tsh2")
        ids = self.assert_tree(window, "tsh2")
        e2e.accessible_do(ids["ZURÜCK"])
        window.wait_page("tsh1")
        window.click("lblMore")
        window.wait_page("tsh4")
        self.assert_tree(window, "tsh4")
        # The language switch: every name on view is announced anew, then the new page.
        recorder = Events(6000)
        e2e.accessible_do(ids["English"])
        window.wait_page("tsh1")
        events = recorder.events()
        renamed = {name for event, _, name in events if event == Events.EVENT_OBJECT_NAMECHANGE}
        self.assertTrue({"Manuals PDF", "Ward Pilot Windows", "BACK"} <= renamed, events)
        self.assertIn(Events.EVENT_OBJECT_REORDER, [event for event, _, _ in events])
        names = [c["name"] for c in e2e.accessible_tree()]
        self.assertEqual(names[-4:], ["Windows", "Android", "More", "EXIT"])
        self.assertTrue(program.running())

    def test_a_cue_shows_only_after_a_key_and_follows_tab(self):
        program, window = self.start(e2e.GERMAN)
        window.wait_page("tsh1")
        before = window.client_region(e2e.Shot())
        self.assertFalse(any(c["state"] & STATE_FOCUSED for c in e2e.accessible_tree()))
        # No page owns a tab, so Ctrl+Tab finds no next page; nor does it move the cue.
        e2e.key("ctrl+Tab")
        e2e.key("ctrl+shift+Tab")
        self.assertTrue(window.client_region(e2e.Shot()) == before, "Ctrl+Tab changed the window")
        recorder = Events(4000)
        e2e.key("Tab")
        e2e.key("Tab")
        events = recorder.events()
        shot = self.shot("cue-on-the-us-flag")
        # The second Tab reaches the US flag: a dotted frame around it and nothing else.
        cx, cy = window.client_origin()
        left, top, width, height = layout.HEADER["Image3"]
        changed = [(x, y) for y in range(layout.CLIENT_HEIGHT) for x in range(layout.CLIENT_WIDTH)
                   if before[(y * layout.CLIENT_WIDTH + x) * 3:(y * layout.CLIENT_WIDTH + x) * 3 + 3]
                   != bytes(shot.pixel(cx + x, cy + y))]
        self.assertTrue(changed)
        for x, y in changed:
            self.assertTrue(left - 2 <= x < left + width + 2 and top - 2 <= y < top + height + 2,
                            (x, y))
        focus = [name for event, _, name in events if event == Events.EVENT_OBJECT_FOCUS]
        self.assertEqual(focus, ["Deutsch", "English"])
        focused = [c["name"] for c in e2e.accessible_tree() if c["state"] & STATE_FOCUSED]
        self.assertEqual(focused, ["English"])
        # Space runs the cued flag as its click does.
        e2e.key("space")
        e2e.wait_for(lambda: e2e.accessible_tree()[3]["name"] == "SETUP WARD PILOT", 20,
                     "the English texts")
        e2e.key("Escape")
        self.assertEqual(program.exit_code(30), 0)
        self.assert_nothing_installed()


class KeysAndFailure(Scenario):
    edition = "seDirectInstall"

    def test_keys_start_retry_and_the_failure_is_announced(self):
        server = self.scripted(scripted_server.status(404, "Not Found"))
        program, window = self.start(e2e.GERMAN)
        window.wait_page("tsh0/tsh5")
        recorder = Events(8000)
        e2e.key("Return")
        window.wait_page("tsh3-failed", timeout=60)
        events = recorder.events()
        self.assertIn((Events.EVENT_SYSTEM_ALERT, "Bitte Internetverbindung prüfen!"),
                      [(event, name) for event, _, name in events])
        shown = [name for event, _, name in events if event == Events.EVENT_OBJECT_SHOW]
        self.assertIn("NOCHMAL", shown)
        tree = e2e.accessible_tree()
        self.assertEqual([(c["role"], c["name"]) for c in tree[3:]],
                         [("text", "Bitte Internetverbindung prüfen!"), ("button", "NOCHMAL"),
                          ("button", "ABBRECHEN")])
        self.assertEqual(server.request_heads(), [expected_request("/prg/tumo.exe")])
        self.stop_server(server)
        fixed = self.nginx()
        # Shift+Tab from no cue goes to the last action, cancel; once more to retry; Space runs it.
        e2e.key("shift+Tab")
        e2e.key("shift+Tab")
        self.shot("cue-on-retry")
        e2e.key("space")
        self.assert_installed(program, "marlek-tumo.exe")
        self.assertIn('"GET /prg/tumo.exe HTTP/1.1" 200', fixed.access_log())

    def test_escape_on_the_start_page_ends_the_program(self):
        program, window = self.start(e2e.ENGLISH)
        window.wait_page("tsh0/tsh5")
        e2e.key("Escape")
        self.assertEqual(program.exit_code(30), 0)
        self.assert_nothing_installed()

    def test_the_progress_bar_is_read_during_a_transfer_and_escape_cancels(self):
        slow = scripted_server.SlowBody(self.served)
        self.scripted(slow)
        program, window = self.start(e2e.GERMAN)
        window.wait_page("tsh0/tsh5")
        e2e.key("Return")
        window.wait_page("tsh3")
        e2e.wait_for(lambda: slow.sent > slow.first + 40 * slow.piece, 30, "the transfer to run")
        tree = e2e.accessible_tree()
        self.assertEqual([(c["role"], c["name"]) for c in tree[3:]],
                         [("text", "Download läuft, bitte warten ..."), ("progressbar", ""),
                          ("button", "ABBRECHEN")])
        bar, cancel = tree[4], tree[5]
        self.assertRegex(bar["value"], r"^\d{1,3}%$")
        self.assertNotEqual(bar["value"], "0%")
        # Where the cancel button says the page lies, the bar lies at its layout place.
        page_left, page_top = cancel["rect"][0] - 473, cancel["rect"][1] - 280
        self.assertEqual(bar["rect"], (page_left + 152, page_top + 144, 385, 33))
        e2e.key("Escape")
        self.assertEqual(program.exit_code(30), 0)
        e2e.wait_for(slow.peer_gone.is_set, 30, "the server to see the connection end")
        self.assertLess(slow.sent, len(self.served))
        self.assert_nothing_installed()


if __name__ == "__main__":
    unittest.main()
