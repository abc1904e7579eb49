"""The application frame seen from outside: where the two windows open, dragging, Esc and the close
button."""
import time
import unittest

import zen

SCREEN_ORIGIN = (283, 114)  # (1366 - 800) / 2, (768 - 540) / 2
EMPTY_SPOT = (400, 300)      # the dark band between the options and Apply: no unit there


class Frame(unittest.TestCase):
    def test_both_windows_open_centred_and_frameless_the_overlay_owned(self):
        with zen.running(zen.APP) as z:
            self.assertEqual(zen.geometry(z.main), (*SCREEN_ORIGIN, 800, 540))
            self.assertEqual(zen.geometry(z.overlay()), (*SCREEN_ORIGIN, 800, 540))
            self.assertEqual(zen.xdo("getwindowname", z.main).strip(), "Zentrilo")
            info = z.info()
            self.assertEqual(info["main"]["owner"], "none")
            self.assertEqual(info["overlay"]["owner"], "main")
            # An unowned window that is no tool window has a taskbar button; an owned one has none.
            self.assertFalse(int(info["main"]["exstyle"], 16) & 0x80)

    def test_dragging_the_surface_moves_the_window_and_the_overlay_follows(self):
        with zen.running(zen.APP) as z:
            x, y = z.at(*EMPTY_SPOT)
            zen.drag(x, y, x + 120, y + 60)
            zen.wait_for(lambda: zen.geometry(z.main)[:2] == (SCREEN_ORIGIN[0] + 120, SCREEN_ORIGIN[1] + 60),
                         what="the main window to move")
            zen.wait_for(lambda: zen.geometry(z.overlay())[:2] == zen.geometry(z.main)[:2],
                         what="the overlay to follow")

    def test_a_drag_that_starts_on_a_unit_moves_nothing(self):
        with zen.running(zen.APP) as z:
            x, y = z.at(150, 478)  # the 150 % option button
            zen.drag(x, y, x + 120, y + 60)
            time.sleep(0.5)
            self.assertEqual(zen.geometry(z.main)[:2], SCREEN_ORIGIN)
            self.assertEqual(zen.geometry(z.overlay())[:2], SCREEN_ORIGIN)

    def test_escape_at_start_ends_the_program_with_exit_code_0(self):
        with zen.running(zen.APP) as z:
            zen.key("Escape")  # no click first: the main window has the keys from the start
            self.assertEqual(z.wait_exit(5), 0)

    def test_the_close_button_ends_the_program_with_exit_code_0(self):
        with zen.running(zen.APP) as z:
            z.click(757 + 9, 18 + 9)
            self.assertEqual(z.wait_exit(5), 0)

    def test_escape_on_the_overlay_closes_it_alone(self):
        with zen.running(zen.APP) as z:
            glyph = z.close_overlay()
            time.sleep(0.3)
            self.assertTrue(z.alive())
            self.assertLess(max(z.pixel(*glyph)), 150, "the version text is gone with the overlay")
            z.click(757 + 9, 18 + 9)
            self.assertEqual(z.wait_exit(5), 0)


if __name__ == "__main__":
    zen.main()
