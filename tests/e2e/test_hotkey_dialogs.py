"""The hot key list and the hot key editor, driven with the mouse and the
keyboard through SendInput: editing a combination, the Win key box, keys
alone refused, check boxes, Cancel, keys another program holds and
combinations given twice."""
import os
import shutil
import subprocess
import time
import unittest

from melodek_e2e import (MelodekTestCase, hold_hot_key, SettingsFile, played_levels, probe, read_bytes,
                         settings_bytes, tone_file, tray_icon_centre, wait_for, wine_draws_melodek_frames,
                         write_bytes)

LIST, EDIT = "HotKeyList", "HotKeyEdit"
LIST_ID, HOTKEY_ID, WIN_BOX_ID, OK, CANCEL = 1019, 1005, 1007, 1, 2
HKM_GETHOTKEY, BM_GETCHECK = 0x402, 0xF0
ALT, CTRL, SHIFT, WIN = 1, 2, 4, 8
CTRL_WIN = CTRL | WIN
PLAY, STOP, PAUSE, PREV, NEXT, LIST_PREV, LIST_NEXT = 0, 1, 2, 3, 4, 5, 6
# The defaults' keys in command order: X V C Z B N M , . F1 F2 F3 F4.
DEFAULT_KEYS = (88, 86, 67, 90, 66, 78, 77, 188, 190, 112, 113, 114, 115)
VK_P, VK_N, VK_F2, VK_F4, VK_F5, VK_RETURN, VK_DOWN = 80, 78, 113, 115, 116, 13, 40


def point(*args):
    code, text = probe(*args)
    if code != 0:
        raise AssertionError("no point for %r" % (args,))
    return tuple(int(v) for v in text.split())


def click(*args):
    probe("click", *point(*args))


def visible(caption):
    return probe("visible", caption)[0] == 0


def rows():
    """The list's rows as (ticked, command, key text)."""
    code, text = probe("list-rows", LIST, LIST_ID)
    if code != 0:
        return []
    return [(int(t), name, key) for t, name, key in (line.split("|") for line in text.splitlines())]


def free_keys(*combinations):
    """For each (modifiers, key): True when no program holds it."""
    args = [v for combination in combinations for v in combination]
    return [c == "1" for c in probe("free-keys", *args)[1]]


class HotKeyDialogs(MelodekTestCase):
    def setUp(self):
        super().setUp()
        if os.environ.get("MELODEK_SCREENSHOTS"):
            # Captions in the README's pictures, drawn by Wine itself.
            wine_draws_melodek_frames(True)
            self.addCleanup(wine_draws_melodek_frames, False)

    def saved(self, app):
        return SettingsFile(read_bytes(os.path.join(app.folder, "melodek.mlcfg")))

    def start_with_tone(self, app):
        """Melodek with a tone as its current file, not playing; it repeats
        ("One Repeat") until stopped."""
        path = tone_file(os.path.join(app.folder, "tone.wav"), 4100, frames=44100 * 10)
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"), settings_bytes(
            lists=[("new", [(1, app.windows_path(path), 0, 0)])], presets=[(0, "Default", 0, [])], sel_file_id=1,
            play_mode=4))
        app.start()

    def sounding(self, app):
        return len([f for f in app.captured_frames() if f != (0, 0)])

    def growing(self, app):
        """True when sound is still being played: more within a second."""
        before = self.sounding(app)
        time.sleep(1.0)
        return self.sounding(app) > before

    def open_list_by_hot_key(self):
        probe("send-keys", CTRL_WIN, VK_F2)
        self.assertTrue(wait_for(lambda: visible(LIST), timeout=10))

    def open_list_by_menu(self):
        """Right-click on the tray icon, then down to "Hotkey Edit..." and Enter
        (clicked again when a busy machine dropped the click)."""
        for _ in range(3):
            probe("click", *tray_icon_centre(), "right")
            if wait_for(lambda: probe("menu-shown")[0] == 0, timeout=5):  # keys before it would be lost
                break
        else:
            self.fail("the tray menu did not open")
        for _ in range(11):  # Prev Play Pause Stop Next "List Prev" "List Next" Jump Playlist Equalizer Hotkey
            probe("type-keys", 0, VK_DOWN)
        probe("type-keys", 0, VK_RETURN)
        self.assertTrue(wait_for(lambda: visible(LIST), timeout=10))

    def edit_row(self, row):
        """Double-clicks a row; the editor opens with its combination."""
        probe("double-click", *point("list-point", LIST, LIST_ID, row, "text"))
        self.assertTrue(wait_for(lambda: visible(EDIT), timeout=10))

    def editor_state(self):
        value = int(probe("send-item", EDIT, HOTKEY_ID, HKM_GETHOTKEY, 0, 0)[1])
        win = int(probe("send-item", EDIT, WIN_BOX_ID, BM_GETCHECK, 0, 0)[1])
        return value, win

    def type_and_confirm(self, modifiers, key):
        click("control-point", EDIT, HOTKEY_ID)
        probe("type-keys", modifiers, key)
        click("control-point", EDIT, OK)
        self.assertTrue(wait_for(lambda: not visible(EDIT), timeout=10))

    def tick(self, row):
        time.sleep(0.6)  # a second click within the double-click time would be a double click
        click("list-point", LIST, LIST_ID, row, "check")

    def close_list(self, button):
        click("control-point", LIST, button)
        self.assertTrue(wait_for(lambda: not visible(LIST), timeout=10))

    def test_edit_untick_cancel_and_win_box(self):
        app = self.melodek()
        self.start_with_tone(app)
        self.open_list_by_hot_key()
        self.assertEqual(rows()[PLAY], (1, "Play", "Ctrl + Win + X"))
        self.assertEqual([r[1] for r in rows()][12:],
                         ["Controller", "Jump to File", "Play / Pause", "Next", "Prev", "Stop"])
        # Untick Pause, then edit Play: the tick stays as the user left it.
        self.tick(PAUSE)
        self.assertTrue(wait_for(lambda: rows()[PAUSE][0] == 0, timeout=5))
        self.edit_row(PLAY)
        self.assertEqual(self.editor_state(), (CTRL << 8 | 88, 1))  # Ctrl in the control, Win in the box
        # A key alone, without the Win box, is refused: the editor stays open.
        click("control-point", EDIT, WIN_BOX_ID)
        click("control-point", EDIT, HOTKEY_ID)  # back into the hot key control, as a user would
        probe("type-keys", 0, VK_P)
        self.assertEqual(self.editor_state(), (VK_P, 0))
        click("control-point", EDIT, OK)
        time.sleep(0.7)
        self.assertTrue(visible(EDIT))
        click("control-point", EDIT, HOTKEY_ID)
        probe("type-keys", ALT | SHIFT, VK_P)
        self.assertEqual(self.editor_state(), ((4 | 1) << 8 | VK_P, 0))  # HOTKEYF_ALT | HOTKEYF_SHIFT
        self.screenshot(app, EDIT, "hotkey_edit.png")
        click("control-point", EDIT, OK)
        self.assertTrue(wait_for(lambda: not visible(EDIT), timeout=10))
        self.assertEqual(rows()[PLAY], (1, "Play", "Shift + Alt + P"))
        self.assertEqual(rows()[PAUSE], (0, "Pause", "Ctrl + Win + C"))
        self.close_list(OK)
        # Registered now: Alt+Shift+P and not Ctrl+Win+X; Pause is not registered at all.
        self.assertEqual(free_keys((ALT | SHIFT, VK_P), (CTRL_WIN, 88), (CTRL_WIN, 67), (CTRL_WIN, 86)),
                         [False, True, True, False])
        probe("send-keys", CTRL_WIN, 88)  # the old Play key
        time.sleep(1.0)
        self.assertEqual(self.sounding(app), 0)
        probe("send-keys", ALT | SHIFT, VK_P)
        self.assertTrue(wait_for(lambda: 4100 in played_levels(app.captured_frames()), timeout=15))
        probe("send-keys", CTRL_WIN, 67)  # the unticked Pause key: playing goes on
        time.sleep(3.0)  # longer than the sound Wine has taken in already
        self.assertTrue(self.growing(app))

        # Cancel after an edit and an untick: nothing changes.
        self.open_list_by_menu()
        self.edit_row(NEXT)
        self.type_and_confirm(ALT | SHIFT, VK_N)
        self.tick(STOP)
        self.assertTrue(wait_for(lambda: rows()[STOP][0] == 0, timeout=5))
        self.assertEqual(rows()[NEXT], (1, "Next", "Shift + Alt + Win + N"))  # the Win box stays ticked
        self.close_list(CANCEL)
        self.assertEqual(free_keys((ALT | SHIFT | WIN, VK_N), (CTRL_WIN, 66), (CTRL_WIN, 86)), [True, False, False])
        probe("send-keys", CTRL_WIN, 86)  # Stop still works
        self.assertTrue(wait_for(lambda: not self.growing(app), timeout=15))

        # "+ Win Key" with F5 alone is a hot key; the list shows the table as confirmed before.
        self.open_list_by_hot_key()
        self.assertEqual(rows()[:5], [(1, "Play", "Shift + Alt + P"), (1, "Stop", "Ctrl + Win + V"),
                                      (0, "Pause", "Ctrl + Win + C"), (1, "Prev", "Ctrl + Win + Z"),
                                      (1, "Next", "Ctrl + Win + B")])
        self.edit_row(LIST_PREV)
        self.assertEqual(self.editor_state()[1], 1)
        self.type_and_confirm(0, VK_F5)
        self.assertEqual(rows()[LIST_PREV], (1, "List Prev", "Win + F5"))
        self.close_list(OK)
        self.assertEqual(free_keys((WIN, VK_F5), (CTRL_WIN, 78)), [False, True])

        # Exit with the list and the editor open cancels both.
        self.open_list_by_hot_key()
        self.edit_row(STOP)
        probe("type-keys", ALT, VK_F5)
        self.assertEqual(app.exit(), 0)
        keys = self.saved(app).hot_keys
        self.assertEqual(keys[PLAY], (1, 5, 80))
        self.assertEqual(keys[STOP], (1, 10, 86))
        self.assertEqual(keys[PAUSE], (0, 10, 67))  # off, its combination kept
        self.assertEqual(keys[NEXT], (1, 10, 66))
        self.assertEqual(keys[LIST_PREV], (1, 8, 116))
        self.assertEqual(keys[LIST_NEXT:], [(1, 10, k) for k in DEFAULT_KEYS[LIST_NEXT:]])

    def hold(self, app, modifiers, key):
        return hold_hot_key(self, app, modifiers, key)

    def test_held_key_and_shared_combinations_are_marked(self):
        app = self.melodek()
        self.hold(app, CTRL_WIN, 88)  # Play's default
        app.start()
        # The other twelve keys are registered, and work.
        self.assertEqual(free_keys(*[(CTRL_WIN, k) for k in DEFAULT_KEYS[1:]]), [False] * 12)
        probe("send-keys", CTRL_WIN, VK_F4)
        self.assertTrue(wait_for(lambda: visible("Controller"), timeout=10))
        self.open_list_by_hot_key()
        self.assertEqual(rows()[PLAY], (1, "Play", "Ctrl + Win + X (in use)"))
        self.assertEqual([r[2] for r in rows()[1:13]], ["Ctrl + Win + " + k for k in
                                                      "V C Z B N M , . F1 F2 F3 F4".split()])
        self.screenshot(app, LIST, "hotkey_list.png")

        # Two commands with one combination: both marked before OK, and
        # the marks follow the check boxes. (The Win box stays ticked from
        # Ctrl + Win + V and Ctrl + Win + Z.)
        self.edit_row(STOP)
        self.type_and_confirm(ALT | SHIFT, VK_P)
        self.edit_row(PREV)
        self.type_and_confirm(ALT | SHIFT, VK_P)
        self.assertEqual(rows()[STOP][2], "Shift + Alt + Win + P (same as Prev)")
        self.assertEqual(rows()[PREV][2], "Shift + Alt + Win + P (same as Stop)")
        self.tick(PREV)
        self.assertTrue(wait_for(lambda: rows()[STOP][2] == "Shift + Alt + Win + P", timeout=5))
        self.tick(PREV)
        self.assertTrue(wait_for(lambda: rows()[STOP][2] == "Shift + Alt + Win + P (same as Prev)", timeout=5))

        # F2 on a selected row opens the editor too. A combination the
        # program holds, typed into it, lands there instead of running its
        # command (Ctrl+Win+F4 would hide the Controller).
        click("list-point", LIST, LIST_ID, LIST_NEXT, "text")
        probe("type-keys", 0, VK_F2)
        self.assertTrue(wait_for(lambda: visible(EDIT), timeout=10))
        probe("type-keys", CTRL_WIN, VK_F4)
        self.assertTrue(wait_for(lambda: self.editor_state() == (CTRL << 8 | VK_F4, 1), timeout=5))
        self.assertTrue(visible("Controller"))
        click("control-point", EDIT, CANCEL)
        self.assertTrue(wait_for(lambda: not visible(EDIT), timeout=10))
        self.assertEqual(rows()[LIST_NEXT][2], "Ctrl + Win + M")

        # OK: one message names the refused keys; the list closes after it.
        click("control-point", LIST, OK)
        self.assertTrue(wait_for(lambda: visible("Melodek"), timeout=10))
        text = probe("child-texts", "Melodek")[1]
        self.assertIn("Play: Ctrl + Win + X", text)
        self.assertIn("Prev: Shift + Alt + Win + P", text)
        self.assertNotIn("Stop:", text)
        probe("type-keys", 0, VK_RETURN)
        self.assertTrue(wait_for(lambda: not visible("Melodek") and not visible(LIST), timeout=10))
        self.assertEqual(free_keys((ALT | SHIFT | WIN, VK_P), (CTRL_WIN, 86), (CTRL_WIN, 90)), [False, True, True])

        # Opened again, the list still marks what OK could not register.
        self.open_list_by_hot_key()
        self.assertEqual(rows()[PLAY][2], "Ctrl + Win + X (in use)")
        self.assertEqual(rows()[PREV][2], "Shift + Alt + Win + P (same as Stop)")
        self.close_list(CANCEL)
        self.assertEqual(app.exit(), 0)
        keys = self.saved(app).hot_keys
        self.assertEqual(keys[PLAY], (1, 10, 88))  # still on: the settings file holds no failures
        self.assertEqual(keys[STOP], (1, 13, 80))
        self.assertEqual(keys[PREV], (1, 13, 80))

    def screenshot(self, app, caption, name):
        """A window cut from the screen into the test's folder; copied to
        the folder named by MELODEK_SCREENSHOTS when set (docs/ for the
        README's pictures)."""
        left, top, right, bottom = point("window-rect", caption)
        shot = os.path.join(app.folder, name)
        subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                        "+repage", shot], check=True, timeout=30)
        if os.environ.get("MELODEK_SCREENSHOTS"):
            shutil.copy(shot, os.path.join(os.environ["MELODEK_SCREENSHOTS"], name))


if __name__ == "__main__":
    unittest.main()
