"""Start-up of the real program: the one-copy rule and the required movie files."""

import os
import shutil
import unittest

from harness import ProgramTestCase


class StartUpTest(ProgramTestCase):

    def lock_file(self):
        return os.path.join(self.runtime_dir, "somnara.lock")

    def test_second_copy_says_so_and_ends_without_reminder_or_file_check(self):
        first = self.launch()
        first.find("frame", "Somnara v1.45")

        # The second copy runs as a brand-new user from a folder without movies: if it got
        # as far as the reminder or the file check, it would write settings or complain.
        other_home = os.path.join(self.scratch, "other-home")
        os.makedirs(other_home)
        bare_folder = os.path.join(self.scratch, "bare")
        os.makedirs(bare_folder)
        shutil.copy2(os.path.join(self.folder, "somnara"), bare_folder)
        second = self.launch(home=other_home, folder=bare_folder)

        alert = second.find("alert", "Somnara")
        self.assertEqual(second.texts_of(alert), ["Application is already running"])
        second.press(second.find("push button", "OK"))
        self.assertEqual(second.wait_exit(), 0)
        self.assertEqual(os.listdir(other_home), [], "the second copy stored nothing")
        self.assertIsNone(first.process.poll(), "the first copy runs on")
        self.assertTrue(os.path.exists(self.lock_file()), "the second copy left the first copy's lock alone")
        first.find("frame", "Somnara v1.45")

    def test_every_normal_end_gives_the_lock_back(self):
        run = self.launch()
        run.find("frame", "Somnara v1.45")
        self.assertTrue(os.path.exists(self.lock_file()))
        run.press(run.find("menu item", "Exit"))
        run.press(run.find("push button", "Exit"))
        self.assertEqual(run.wait_exit(), 0)
        self.assertFalse(os.path.exists(self.lock_file()), "after Exit")

        os.remove(os.path.join(self.folder, "BoxUpward.swf"))
        refused = self.launch()
        refused.press(refused.find("push button", "OK"))
        self.assertEqual(refused.wait_exit(), 0)
        self.assertFalse(os.path.exists(self.lock_file()), "after the missing-file message")

    def test_missing_movie_gives_the_two_line_message_and_the_chooser_never_shows(self):
        os.remove(os.path.join(self.folder, "Pendulum.swf"))
        run = self.launch()
        alert = run.find("alert", "Somnara")
        self.assertEqual(run.texts_of(alert),
                         ["Required File To Run The Software is Missing\nPlease Reinstall the Software"])
        self.assertFalse(any(run.safe_name(w) == "Somnara v1.45" for w in run.windows()))
        run.press(run.find("push button", "OK"))
        self.assertEqual(run.wait_exit(), 0)

    def test_lock_left_by_a_killed_copy_does_not_stop_the_next_start(self):
        first = self.launch()
        first.find("frame", "Somnara v1.45")
        first.stop()  # kill -9: the lock file stays behind
        self.assertTrue(os.path.exists(self.lock_file()))
        second = self.launch()
        second.find("frame", "Somnara v1.45")
        second.stop()

        # Whatever the file left behind says, only a live holder counts.
        with open(self.lock_file(), "w") as lock:
            lock.write("4242\nsomnara\nanother-host.example\n")
        third = self.launch()
        third.find("frame", "Somnara v1.45")


if __name__ == "__main__":
    unittest.main()
