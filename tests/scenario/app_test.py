"""The whole program from outside: the start state, the options, Apply with the real reg.exe, its
failures, minimising and restoring, dragging while it works, and Log off. Screenshots of the start,
hover, applying, finished and error states are written to shots/ for review."""
import os
import shutil
import time
import unittest

import zen

MARKS = {100: (94, 391), 125: (94, 433), 150: (94, 473)}     # centres of the 22 x 22 radio marks
OPTIONS = {100: (150, 396), 125: (150, 438), 150: (150, 478)}  # points on the three option buttons
APPLY = (568, 474)           # the Apply button, and the Log off button once Apply has finished
APPLY_FACE = (520, 474)      # a point of the button face left of its characters
LOGOFF_DESIGN_PLACE = (568, 399)
CLOSE = (766, 27)
EMPTY_SPOT = (400, 300)
STRIP_ROW = 351              # inside the 6-pixel strip at top 349
VERSION_TEXT = zen.VERSION_TEXT
WARNING_TEXT = (368, 400, 424, 40)
DONE_TICK = (70, 100, 140, 130)  # where the finished artwork has its green tick


def filled(pixel):
    return max(pixel) < 110


def empty(pixel):
    return min(pixel) > 170


def count(z, area, test, screen=None):
    screen = screen or zen.Screen()
    x0, y0, w, h = area
    return sum(1 for y in range(y0, y0 + h, 2) for x in range(x0, x0 + w, 2) if test(z.pixel(x, y, screen)))


def white(p):
    return min(p) > 200


def silver(p):
    return 150 < min(p) and max(p) < 230 and max(p) - min(p) < 24


def green(p):
    return p[1] > p[0] + 40 and p[1] > p[2] + 40


def strip_row(z, screen=None):
    screen = screen or zen.Screen()
    return [z.pixel(x, STRIP_ROW, screen) for x in range(0, 800, 4)]


def finished(z):
    return count(z, WARNING_TEXT, white) > 20 and count(z, DONE_TICK, green) > 50


def buttons(z):
    return [u for u in z.units() if u["class"] == "Button"]


def wait_finished(z, timeout=15):
    zen.wait_for(lambda: finished(z), timeout, interval=0.2, what="the finished state")


def runs(z):
    return [line for line in z.log() if line.startswith("run-")]


class Start(unittest.TestCase):
    def test_start_state(self):
        with zen.running(zen.PROBE, runner="exit:0") as z:
            screen = zen.Screen()
            screen.save("start.png")
            self.assertTrue(filled(z.pixel(*MARKS[100], screen)))
            self.assertTrue(empty(z.pixel(*MARKS[125], screen)))
            self.assertTrue(empty(z.pixel(*MARKS[150], screen)))
            r, g, b = z.pixel(*APPLY_FACE, screen)
            self.assertTrue(r > 150 and g < 130, "the red Apply face")
            self.assertGreater(min(z.pixel(*CLOSE, screen)), 150, "the light close cross")
            self.assertEqual(count(z, DONE_TICK, green, screen), 0, "the title artwork, not the finished one")
            # Log off: neither drawn nor clickable at its design place.
            self.assertTrue(zen.similar(z.pixel(*LOGOFF_DESIGN_PLACE, screen), z.pixel(460, 399, screen), 6))
            self.assertFalse(z.unit_at(488, 373)["enabled"])
            self.assertGreater(count(z, VERSION_TEXT, silver, screen), 5, "the version text in silver")
            self.assertEqual(zen.geometry(z.overlay()), zen.geometry(z.main))
            # The selected option: no recomposition, no frame.
            before = z.frames()
            z.click(*OPTIONS[100])
            time.sleep(1.3)
            self.assertEqual(z.frames(), before)
            z.click(*LOGOFF_DESIGN_PLACE)
            time.sleep(0.3)
            self.assertTrue(z.alive())
            self.assertNotIn("logoff", " ".join(z.log()))

    def test_hover_and_press_show_their_images(self):
        with zen.running(zen.PROBE, runner="exit:0") as z:
            for point in (APPLY_FACE, CLOSE):
                normal = z.pixel(*point)
                z.move(*point)
                hover = zen.wait_for(lambda: (p := z.pixel(*point)) != normal and p, what="the hover image")
                if point == APPLY_FACE:
                    zen.Screen().save("hover.png")
                zen.xdo("mousedown", 1)
                pressed = zen.wait_for(lambda: (p := z.pixel(*point)) not in (normal, hover) and p,
                                       what="the pressed image")
                z.move(*EMPTY_SPOT)  # released away from the button: no click
                zen.xdo("mouseup", 1)
                zen.wait_for(lambda: z.pixel(*point) == normal, what="the normal image again")
                self.assertNotEqual(hover, pressed)
            self.assertTrue(z.alive())
            self.assertEqual(runs(z), [])


class Apply(unittest.TestCase):
    def test_apply_writes_the_chosen_scale_and_shows_the_finished_state(self):
        with zen.throwaway_prefix() as env, zen.running(zen.PROBE, env=env) as z:
            z.click(*OPTIONS[150])
            z.click(*OPTIONS[125])
            time.sleep(0.3)
            screen = zen.Screen()
            self.assertEqual([filled(z.pixel(*MARKS[k], screen)) for k in (100, 125, 150)], [False, True, False])
            buttons_before = len(buttons(z))
            z.click(*APPLY)
            self.assertFalse(z.unit_at(488, 448)["enabled"], "Apply disables at once")
            samples = []
            for _ in range(4):
                screen = zen.Screen()
                samples.append(strip_row(z, screen))
                time.sleep(0.12)
            screen.save("applying.png")
            self.assertTrue(any(p != z.pixel(p_x, STRIP_ROW - 6) for p_x, p in zip(range(0, 800, 4), samples[0])))
            self.assertGreater(len({tuple(s) for s in samples}), 1, "the strip animates")
            wait_finished(z)
            zen.Screen().save("finished.png")
            self.assertEqual(zen.reg_query("LogPixels", env), 120)
            self.assertEqual(zen.reg_query("Win8DpiScaling", env), 1)
            self.assertEqual(len(buttons(z)), buttons_before - 1, "the Apply button is gone")
            logoff = z.unit_at(488, 448)
            self.assertTrue(logoff and logoff["enabled"])
            self.assertEqual(strip_row(z), [z.pixel(x, STRIP_ROW) for x in range(0, 800, 4)])
            normal = z.pixel(*APPLY_FACE)
            self.assertTrue(green(normal), "the green Log off face")
            z.move(*APPLY_FACE)
            hover = zen.wait_for(lambda: (p := z.pixel(*APPLY_FACE)) != normal and p, what="Log off hover")
            zen.xdo("mousedown", 1)
            zen.wait_for(lambda: z.pixel(*APPLY_FACE) not in (normal, hover), what="Log off pressed")
            z.move(*EMPTY_SPOT)
            zen.xdo("mouseup", 1)

    def test_the_window_can_be_dragged_while_reg_exe_runs(self):
        with zen.running(zen.PROBE, runner="slow:4000") as z:
            z.click(*APPLY)
            time.sleep(0.5)
            x, y = z.at(*EMPTY_SPOT)
            zen.drag(x, y, x + 100, y + 40)
            zen.wait_for(lambda: zen.geometry(z.main)[:2] == (z.origin[0] + 100, z.origin[1] + 40), 3,
                         what="the window to move")
            zen.wait_for(lambda: zen.geometry(z.overlay())[:2] == zen.geometry(z.main)[:2], 3,
                         what="the overlay to follow")
            self.assertEqual(len(runs(z)), 1, "still inside the first reg.exe run")
            z.refresh_origin()
            wait_finished(z)


class Failure(unittest.TestCase):
    def test_a_run_that_cannot_start_is_reported_and_apply_can_be_retried(self):
        with zen.running(zen.PROBE, runner="fail-start-once") as z:
            z.click(*APPLY)
            text = zen.wait_for(z.error_box, 10, what="the error message")
            self.assertIn("LogPixels", text)
            zen.Screen().save("error.png")
            z.error_box(answer=True)
            zen.wait_for(lambda: z.unit_at(488, 448)["enabled"], 5, what="Apply enabled again")
            time.sleep(0.3)
            self.assertFalse(finished(z))
            self.assertEqual(count(z, DONE_TICK, green), 0)
            self.assertEqual(strip_row(z), [z.pixel(x, STRIP_ROW) for x in range(0, 800, 4)])
            z.click(*APPLY)
            wait_finished(z)

    def test_a_reg_exe_that_fails_or_hangs_is_reported_once_it_is_gone(self):
        with zen.throwaway_prefix() as env:
            zen.reg_delete("LogPixels", env)  # earlier runs in the test prefix may have written it
            shutil.copy(zen.FAILING_REG, os.path.join(zen.system_folder(env), "reg.exe"))
            stand_in = dict(env, WINEDLLOVERRIDES=env.get("WINEDLLOVERRIDES", "") + ";reg.exe=n",
                            ZEN_PROBE_LIMIT=str(int(1500 * zen.TIME_SCALE)))
            hang = {"ZEN_REG_HANG": "1"}
            for extra, reason in (({}, "reg.exe 出错退出（退出代码 1）"), (hang, "reg.exe 在 30 秒内没有完成，已被结束")):
                with self.subTest(reason), zen.running(zen.PROBE, env=dict(stand_in, **extra)) as z:
                    z.click(*APPLY)
                    text = zen.wait_for(z.error_box, 10, what="the error message")
                    self.assertEqual(zen.wine_processes("reg.exe", env), [], "no reg.exe left running")
                    self.assertIn("LogPixels：" + reason, text)
                    z.error_box(answer=True)
                    zen.wait_for(lambda: z.unit_at(488, 448)["enabled"], 5, what="Apply enabled again")
                    self.assertFalse(finished(z))
                    self.assertIsNone(zen.reg_query("LogPixels", env))


def minimise_and_restore(z):
    z.drive("minimize")
    zen.wait_for(lambda: z.info()["main"]["iconic"] == "1", 5, what="minimised")
    z.drive("restore")
    zen.wait_for(lambda: z.info()["main"]["iconic"] == "0", 5, what="restored")
    time.sleep(0.5)


class Restore(unittest.TestCase):
    def test_a_restore_brings_back_100_percent(self):
        with zen.running(zen.PROBE, runner="exit:0") as z:
            z.click(*OPTIONS[150])
            minimise_and_restore(z)
            screen = zen.Screen()
            self.assertEqual([filled(z.pixel(*MARKS[k], screen)) for k in (100, 125, 150)], [True, False, False])
            z.click(*APPLY)
            wait_finished(z)
            self.assertIn("/d 96 /f", runs(z)[0])

    def test_a_restore_after_apply_keeps_the_finished_state(self):
        with zen.running(zen.PROBE, runner="exit:0") as z:
            z.click(*APPLY)
            wait_finished(z)
            minimise_and_restore(z)
            self.assertTrue(z.alive())
            self.assertTrue(finished(z))
            self.assertTrue(z.unit_at(488, 448)["enabled"])

    def test_apply_after_the_overlay_was_closed_and_the_window_dragged(self):
        with zen.running(zen.PROBE, runner="slow:1500") as z:
            z.close_overlay()
            x, y = z.at(*EMPTY_SPOT)
            zen.drag(x, y, x - 200, y - 80)
            moved = (z.origin[0] - 200, z.origin[1] - 80)
            zen.wait_for(lambda: z.refresh_origin() == moved, 3, what="the window to move")
            without_strip = strip_row(z)
            z.click(*APPLY)
            screen = zen.wait_for(lambda: (s := zen.Screen()) and strip_row(z, s) != without_strip and s, 5,
                                  what="the strip on the dragged window")
            screen.save("applying-dragged.png")
            self.assertEqual(count(z, WARNING_TEXT, white, screen), 0, "no placeholder text")
            self.assertGreater(count(z, VERSION_TEXT, silver, screen), 5, "the version text")
            wait_finished(z)
            zen.Screen().save("finished-dragged.png")
            self.assertEqual(zen.geometry(z.overlay()), zen.geometry(z.main))

    def test_closing_the_overlay_while_apply_runs_still_ends_in_the_finished_state(self):
        with zen.running(zen.PROBE, runner="slow:2500") as z:
            z.click(*APPLY)
            zen.wait_for(lambda: runs(z), 3, what="the first reg.exe run")
            z.close_overlay()
            wait_finished(z)
            self.assertEqual(zen.geometry(z.overlay()), zen.geometry(z.main))
            self.assertEqual(zen.message_boxes(), [], "no error box")
            self.assertTrue(z.alive())


WARNING = "注销前请保存所有已打开的文件，并关闭所有程序"
FINISHED = "修复完成，请测试效果！"
PUSH_BUTTON, RADIO_BUTTON = 43, 45                     # accessible roles
FOCUSED, CHECKED, READONLY, FOCUSABLE, ALERT_MEDIUM = 0x4, 0x10, 0x40, 0x100000, 0x8000000  # accessible states


def heard_focus(name, role, state, description=""):
    return f"focus {name} | {role} | {hex(state)} | {description}"


class Keyboard(unittest.TestCase):
    def test_the_whole_journey_with_the_keyboard_alone_as_a_screen_reader_hears_it_in_any_code_page(self):
        # The system's code page follows the locale: 936, then 1252 and 950, where the program's words are
        # drawn and spoken as under 936 all the same.
        drawn = {}
        for locale in ("zh_CN.UTF-8", "en_US.UTF-8", "zh_TW.UTF-8"):
            with self.subTest(locale):
                self.journey(locale, drawn)

    def journey(self, locale, drawn):
        # The first reg.exe run cannot start: the error box is answered and Apply retried by keyboard too.
        with zen.throwaway_prefix() as env, zen.listening(dict(env, LANG=locale)) as heard, \
                zen.running(zen.PROBE, env=dict(env, LANG=locale), runner="fail-start-once") as z:
            start = heard_focus("正常-100% (默认)", RADIO_BUTTON, FOCUSED | CHECKED | FOCUSABLE)
            zen.wait_for(lambda: start in heard(), 5, what="the selected option heard at start")
            version = zen.Screen().region(*z.at(*VERSION_TEXT[:2]), *VERSION_TEXT[2:])
            self.assertTrue(drawn.setdefault("version", version) == version, "the version label as under 936")
            options = (83, 380, 160, 112)
            untouched = zen.Screen().region(*z.at(*options[:2]), *options[2:])
            zen.key("Down")  # onto 125 %, and the focus cue appears
            zen.wait_for(lambda: zen.Screen().region(*z.at(*options[:2]), *options[2:]) != untouched, 3,
                         what="the focus cue")
            zen.key("Down")
            zen.wait_for(lambda: filled(z.pixel(*MARKS[150])), 3, what="150 % selected")
            zen.key("Tab")
            zen.Screen().save("keyboard.png")
            zen.key("Return")
            # The box's caption and text, as a client in another process reads them (GetWindowTextW).
            zen.wait_for(lambda: any(line.startswith("dialog 应用失败 | 无法写入注册表值 LogPixels") for line in heard()),
                         10, what="the error message read out")
            zen.wait_for(lambda: zen.message_boxes(env), 5, what="the error box on screen")  # it takes the keys
            zen.key("Return")  # OK
            zen.wait_for(lambda: z.info()["main"]["focus"] == "488,448", 5, what="the focus back on Apply")
            zen.key("Return")
            wait_finished(z)
            self.assertEqual(zen.reg_query("LogPixels", env), 144)
            alert = f"alert {FINISHED} | {hex(READONLY | ALERT_MEDIUM)} | {WARNING}"
            log_off = heard_focus("注销", PUSH_BUTTON, FOCUSED | FOCUSABLE, FINISHED + WARNING)
            zen.wait_for(lambda: log_off in heard(), 5, what="Log off heard with the finished words and the warning")
            self.assertIn(alert, heard())
            warning = zen.Screen().region(*z.at(*WARNING_TEXT[:2]), *WARNING_TEXT[2:])
            self.assertTrue(drawn.setdefault("warning", warning) == warning, "the warning as under 936")
            # Away to another program (to save files, as the warning asks) and back, and a minimise and
            # restore: the focus is on Log off again, and each focus change is heard once.
            z.drive("away", 500)
            zen.wait_for(lambda: heard().count(log_off) == 2, 5, what="Log off heard again")
            minimise_and_restore(z)
            zen.wait_for(lambda: heard().count(log_off) == 3, 5, what="Log off heard after the restore")
            self.assertEqual(z.info()["main"]["focus"], "488,448")
            # Each press of Apply hands the focus to the window, which holds it while Apply works; the box's
            # answer and the restore give it straight back to their button.
            self.assertEqual([line.split(" | ")[0][6:] for line in heard() if line.startswith("focus")],
                             ["正常-100% (默认)", "中等-125%", "较大-150%", "应用", "Zentrilo", "应用", "Zentrilo",
                              "注销", "注销", "注销"])
            zen.key("space")
            self.assertEqual(z.wait_exit(5), 0)
            self.assertIn("logoff flags=0x10 reason=0", z.log())


class LogOff(unittest.TestCase):
    def test_log_off_asks_programs_to_close_then_ends_the_program(self):
        with zen.running(zen.PROBE, runner="exit:0") as z:
            z.click(*APPLY)
            wait_finished(z)
            z.click(*APPLY)
            self.assertEqual(z.wait_exit(5), 0)
            logoffs = [line for line in z.log() if line.startswith("logoff")]
            self.assertEqual(logoffs, ["logoff flags=0x10 reason=0"])


if __name__ == "__main__":
    zen.main()
