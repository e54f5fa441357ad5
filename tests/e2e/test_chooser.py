"""The chooser and the three displays, used as a person would."""

import unittest

from harness import ProgramTestCase, wait_until

CHOOSER = ("frame", "Somnara v1.45")


def is_chooser(run, window):
    return any(run.safe_name(a) == "Proceed" for a in run.walk(window))


def display_shown(run):
    """The one window on screen once a display has replaced the chooser, else None."""
    showing = [w for w in run.windows() if run.showing(w)]
    if len(showing) == 1 and not is_chooser(run, showing[0]):
        return showing[0]
    return None


def chooser_shown(run):
    showing = [w for w in run.windows() if run.showing(w)]
    return len(showing) == 1 and is_chooser(run, showing[0])


class ChooserTest(ProgramTestCase):

    def start(self):
        run = self.launch()
        run.find(*CHOOSER)
        return run

    def proceed(self, run, method, text):
        run.press(run.find("radio button", method))
        run.set_text(run.find("text", "Your text"), text)
        run.press(run.find("push button", "Proceed"))

    def test_proceed_without_a_choice_is_refused_with_a_message(self):
        run = self.start()
        run.press(run.find("push button", "Proceed"), opens_modal=True)
        alert = run.find("alert", "Somnara")
        self.assertEqual(run.texts_of(alert), ["Please Select any of the following hypnosis method"])
        run.press(run.find("push button", "OK"))
        wait_until(lambda: chooser_shown(run), what="only the chooser")

    def test_each_method_opens_its_display_with_the_text_and_back_returns(self):
        run = self.start()
        for method in ("Color Wheel", "Pendulum", "Color Box"):
            with self.subTest(method=method):
                self.proceed(run, method, f"calm {method}")
                frame = wait_until(lambda: display_shown(run), what="the display frame")
                if method != "Color Wheel":
                    self.assertIn(f"calm {method}", run.texts_of(frame))
                run.press(run.find("push button", "Back"))
                wait_until(lambda: chooser_shown(run), what="the chooser again")
                self.assertEqual(run.find("text", "Your text").queryText().getText(0, -1), f"calm {method}")

    def test_wheel_sliders_act_and_their_value_boxes_follow(self):
        run = self.start()
        self.proceed(run, "Color Wheel", "")
        frame = wait_until(lambda: display_shown(run), what="the colour wheel")
        size = run.find("scroll bar", "Size")
        density = run.find("scroll bar", "Density")
        wait_until(lambda: "1000" in run.texts_of(frame), what="the size box at its load-time value")

        size.queryValue().currentValue = 1500
        wait_until(lambda: "1500" in run.texts_of(frame), what="the size box to follow")
        density.queryValue().currentValue = 0
        wait_until(lambda: "0.01" in run.texts_of(frame), what="the density guard")
        self.assertEqual(density.queryValue().currentValue, 1)

    def test_about_box_shows_from_every_window(self):
        run = self.start()
        places = [None, "Color Wheel", "Pendulum"]
        for method in places:
            with self.subTest(window=method or "chooser"):
                if method:
                    self.proceed(run, method, "x")
                    wait_until(lambda: display_shown(run), what="the display")
                run.press(run.find("menu item", "About Software"), opens_modal=True)
                about = wait_until(lambda: next((w for w in run.windows()
                                                 if run.safe_role(w) == "dialog" and run.showing(w)), None),
                                   what="the About box")
                self.assertIn("Somnara v1.45", [about.name])
                run.press(run.find("push button", "OK"))
                wait_until(lambda: not any(r == "dialog" for r, _ in run.showing_windows()),
                           what="the About box to close")
                if method:
                    run.press(run.find("push button", "Back"))
                    wait_until(lambda: chooser_shown(run), what="the chooser again")

    def test_exit_leads_through_the_refer_a_friend_window_to_the_end(self):
        run = self.start()
        run.press(run.find("menu item", "Exit"))
        wait_until(lambda: display_shown(run), what="the refer-a-friend window alone")
        run.press(run.find("push button", "Exit"))
        self.assertEqual(run.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
