"""Long and rough use of the whole program. Many option clicks, many minimise-and-restore cycles and a long
stretch after Apply leave it answering at once, with flat memory, windows and GDI/GDI+ objects and the
right picture on screen; double clicks, option clicks, drags, Esc and closes while Apply runs end cleanly, a
close with both values written.

ctest runs the short form. The long form (1,000 clicks, 100 cycles, 10 minutes after Apply) is
    ZEN_ENDURANCE=long scripts/zentrilo exec -- bash -c \\
        'cd tests/scenario && ZEN_BIN=$PWD/../../build/x86_64 python3 endurance_test.py'"""
import os
import subprocess
import time
import unittest

import zen
from app_test import APPLY, CLOSE, EMPTY_SPOT, MARKS, OPTIONS, buttons, filled, finished, runs, wait_finished

LONG_CLICKS, LONG_CYCLES, LONG_SOAK_S = 1000, 100, 600
LONG = os.environ.get("ZEN_ENDURANCE") == "long"
CLICKS = LONG_CLICKS if LONG else 200
CYCLES = LONG_CYCLES if LONG else 20
SOAK_S = LONG_SOAK_S if LONG else 20
# The driver clicks the options in this order, over and over.
CLICK_ORDER = (125, 150, 100)
LOG_PIXELS = {100: 96, 125: 120, 150: 144}
# Heap growth allowed over a whole long run; a short run may grow by its share of it, but by one step of
# the heap (which grows in chunks) in any case. RssAnon, not VmRSS: VmRSS also counts the mapped surface
# of the layered window (800 x 540 x 4 bytes, 1.7 MB), which Wine maps and unmaps as the window hides and
# shows.
GROWTH_LIMIT_KB = 2048
HEAP_STEP_KB = 256
WRITES_LIMIT_S = 10  # a close during Apply ends the program once the two slow runs have ended


def selected(z):
    screen = zen.Screen()
    return [option for option in (100, 125, 150) if filled(z.pixel(*MARKS[option], screen))]


class Endurance(unittest.TestCase):
    """Each case warms up with one round of what it repeats, so that what the first use builds for good
    (a button's cache bitmap, an allocator's first pages) is in the baseline; after that nothing may grow."""

    def assert_flat(self, z, before, share):
        self.assertEqual(z.counts(), before["counts"], "windows, GDI and GDI+ objects")
        growth = z.memory()["RssAnon"] - before["RssAnon"]
        self.assertLess(growth, max(GROWTH_LIMIT_KB * share, HEAP_STEP_KB), "heap growth in kB")

    def baseline(self, z):
        return {"counts": z.counts(), "RssAnon": z.memory()["RssAnon"]}

    def test_option_clicks(self):
        with zen.running(zen.PROBE, runner="exit:0") as z:
            z.click_options(len(CLICK_ORDER))
            before = self.baseline(z)
            frames = z.frames()
            answered, slowest = z.click_options(CLICKS)
            self.assertTrue(answered, f"a click went unanswered for 1 s (slowest {slowest} ms)")
            self.assertEqual(z.frames() - frames, CLICKS, "each click changes the face once")
            self.assert_flat(z, before, CLICKS / LONG_CLICKS)
            time.sleep(0.3)
            last = CLICK_ORDER[(CLICKS - 1) % len(CLICK_ORDER)]
            self.assertEqual(selected(z), [last])
            z.click(*APPLY)
            wait_finished(z)
            self.assertIn(f"/d {LOG_PIXELS[last]} /f", runs(z)[0], "the flags agree with the marks")

    def test_minimise_and_restore_cycles(self):
        with zen.running(zen.PROBE, runner="exit:0") as z:
            z.click(*OPTIONS[150])
            z.minimise_and_restore(1)
            before = self.baseline(z)
            answered, slowest = z.minimise_and_restore(CYCLES)
            self.assertTrue(answered, f"the window did not answer within 1 s (slowest {slowest} ms)")
            self.assert_flat(z, before, CYCLES / LONG_CYCLES)
            time.sleep(0.5)
            info = z.info()
            self.assertEqual((info["main"]["visible"], info["main"]["iconic"]), ("1", "0"))
            self.assertEqual(zen.geometry(z.overlay()), zen.geometry(z.main))
            z.refresh_origin()
            self.assertEqual(selected(z), [100], "each restore brings 100 % back")
            self.assertFalse(finished(z))

    def test_a_long_stretch_after_apply(self):
        with zen.running(zen.PROBE, runner="exit:0") as z:
            z.click(*APPLY)
            wait_finished(z)
            z.ping(1000)
            before = self.baseline(z)
            answered, slowest = z.ping(SOAK_S * 1000)
            self.assertTrue(answered, f"the window did not answer within 1 s (slowest {slowest} ms)")
            self.assert_flat(z, before, SOAK_S / LONG_SOAK_S)
            self.assertTrue(finished(z))
            self.assertTrue(z.unit_at(488, 448)["enabled"], "Log off")


class WhileApplyRuns(unittest.TestCase):
    def assert_no_box(self):
        self.assertEqual(zen.message_boxes(), [], "no error box")

    def test_a_double_click_on_apply_runs_the_sequence_once(self):
        with zen.running(zen.PROBE, runner="slow:500") as z:
            buttons_before = len(buttons(z))
            zen.move(*z.at(*APPLY))
            zen.xdo("click", "--repeat", 2, "--delay", 80, 1)
            wait_finished(z)
            time.sleep(1)
            self.assertEqual([line.split(" ", 1)[0] for line in runs(z)], ["run-start", "run-end"] * 2)
            self.assertEqual(len(buttons(z)), buttons_before - 1, "the Apply button is gone, Log off remains")
            self.assertTrue(z.unit_at(488, 448)["enabled"])
            self.assert_no_box()

    def test_option_clicks_while_apply_runs_change_the_marks_only(self):
        with zen.running(zen.PROBE, runner="slow:1500") as z:
            z.click(*OPTIONS[125])
            z.click(*APPLY)
            time.sleep(0.3)
            for option in (150, 100, 150):
                z.click(*OPTIONS[option])
            self.assertFalse(finished(z))
            wait_finished(z)
            self.assertIn("/d 120 /f", runs(z)[0])
            self.assertEqual(selected(z), [150])
            self.assert_no_box()

    def closed_while_writing(self, z, close):
        """Closes the window during the first reg.exe run: the windows go at once, the program only once both
        values are written, then with exit code 0."""
        zen.wait_for(lambda: runs(z), 3, what="the first reg.exe run")
        close()
        zen.wait_for(lambda: z.main is None and z.overlay() is None, 1, what="the windows to go at once")
        self.assertTrue(z.alive(), "still writing")
        self.assertEqual(z.wait_exit(WRITES_LIMIT_S), 0)
        self.assertEqual([line.split(" ", 1)[0] for line in runs(z)], ["run-start", "run-end"] * 2)
        self.assertEqual(z.log()[-1], "exit 0")
        self.assert_no_box()

    def test_a_drag_and_esc_while_apply_runs(self):
        with zen.running(zen.PROBE, runner="slow:2000") as z:
            z.click(*APPLY)
            time.sleep(0.3)
            x, y = z.at(*EMPTY_SPOT)
            zen.drag(x, y, x + 60, y + 30)
            zen.wait_for(lambda: zen.geometry(z.main)[:2] == (z.origin[0] + 60, z.origin[1] + 30), 3,
                         what="the window to move")
            self.assertEqual(zen.geometry(z.overlay()), zen.geometry(z.main))
            # Esc closes the main window, Apply or not: no finished state, but both values are written.
            self.closed_while_writing(z, lambda: zen.key("Escape"))

    def test_closing_while_reg_exe_runs_writes_both_values_before_the_program_ends(self):
        with zen.throwaway_prefix() as env, zen.running(zen.PROBE, env=env, runner="slow:1500") as z:
            z.click(*OPTIONS[125])
            z.click(*APPLY)
            self.closed_while_writing(z, lambda: z.click(*CLOSE))
            self.assertEqual((zen.reg_query("LogPixels", env), zen.reg_query("Win8DpiScaling", env)), (120, 1))

    def test_the_end_of_the_session_waits_until_both_values_are_written(self):
        """A sign-out started elsewhere during the first reg.exe run is refused, forced or not; once the
        values are written it is not. The end that Windows imposes after a refusal is answered only once
        both are written: the program is ended the moment it has answered."""
        end_session = [zen.WINE64, "wineboot", "--end-session"]
        # Long enough for two runs of wineboot inside the first write, under emulation too.
        slow_write = f"slow:{int(3000 * zen.TIME_SCALE)}"
        with zen.throwaway_prefix() as env:
            with zen.running(zen.PROBE, env=env, runner=slow_write) as z:
                z.click(*APPLY)
                zen.wait_for(lambda: runs(z), 3, what="the first reg.exe run")
                for force in ([], ["--force"]):
                    refused = subprocess.run(end_session + force, env=env, stdin=subprocess.DEVNULL,
                                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                    self.assertEqual(refused.returncode, 1, f"wineboot {force} while writing")
                self.assertEqual(len(runs(z)), 1, "still inside the first run")
                wait_finished(z)
                ended = subprocess.run(end_session, env=env, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                self.assertEqual((ended.returncode, z.wait_exit(10)), (0, 0), "ended once written")
            zen.reg_delete("LogPixels", env)
            zen.reg_delete("Win8DpiScaling", env)
            with zen.running(zen.PROBE, env=env, runner=slow_write) as z:
                z.click(*OPTIONS[150])
                z.click(*APPLY)
                zen.wait_for(lambda: runs(z), 3, what="the first reg.exe run")
                self.assertEqual(z.drive("end-session").strip(), "refused=1")
                z.proc.kill()
                self.assertEqual((zen.reg_query("LogPixels", env), zen.reg_query("Win8DpiScaling", env)), (144, 1))


if __name__ == "__main__":
    zen.main()
