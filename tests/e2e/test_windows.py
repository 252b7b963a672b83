"""The windows on the screen: start and close, the tool windows, help."""

import os

from desktop import (SCREEN, DesktopTest, click, find, dump, frame_rect, key, screenshot, wait_for)


class Windows(DesktopTest):
    def test_first_start_and_close_writes_the_settings(self):
        program = self.start()
        screenshot("main-first-start")
        click(find(program.main, "push button", "Выход"))
        self.assertEqual(program.wait_gone(), 0)
        with open(os.path.join(self.home, "QZ.Ini"), "rb") as f:
            settings = f.read()
        self.assertIn(b"[View]", settings)
        self.assertIn(b"Width=427", settings)

    def test_scenario_and_library_open_whole_on_the_screen(self):
        # Bounds at the screen's top and bottom edges: the frames, title bars
        # included, are what was stored.
        batch = (600, 0, 350, 260)
        lib = (600, SCREEN[1] - 260, 350, 260)
        with open(os.path.join(self.home, "QZ.Ini"), "wb") as f:
            f.write(("[View]\r\nBatchLeft=%d\r\nBatchTop=%d\r\nBatchWidth=%d\r\nBatchHeight=%d\r\n" % batch +
                     "LibLeft=%d\r\nLibTop=%d\r\nLibWidth=%d\r\nLibHeight=%d\r\n" % lib).encode())
        program = self.start()
        click(find(program.main, "check box", "Сценарии"))
        click(find(program.main, "check box", "Библиотека"))
        for title, stored in (("Сценарий — Текстовар", batch), ("Библиотека — Текстовар", lib)):
            try:
                wait_for(title, lambda: frame_rect(title) == stored)
            except AssertionError:
                pass
            self.assertEqual(frame_rect(title), stored, title)
        screenshot("scenario-and-library")
        click(find(program.main, "push button", "Выход"))
        self.assertEqual(program.wait_gone(), 0)
        with open(os.path.join(self.home, "QZ.Ini"), "rb") as f:
            settings = f.read().decode()
        self.assertIn("BatchTop=0\r\n", settings)
        self.assertIn("LibTop=%d\r\n" % lib[1], settings)
        self.assertIn("ShowBatch=1", settings)

    def test_help_from_the_settings_dialog_can_be_used(self):
        program = self.start()
        click(find(program.main, "push button", "Настройка"))
        setup = wait_for("the settings dialog", lambda: program.window("Настройка"))
        click(find(setup, "push button", "Справка"))
        help = wait_for("help", lambda: program.window("Подсказка"))
        if os.environ.get("E2E_DUMP"):
            dump(help)
        page = find(help, "label", "Страница Подсказки")
        wait_for("the settings page", lambda: "Настройка" in page.text)
        first = page.text
        # A click on the help window's own button, with the dialog still open.
        click(find(help, "push button", "Содержание"))
        wait_for("the contents page", lambda: page.text != first)
        self.assertTrue(setup.showing)
        screenshot("settings-with-help")
        # Help covers the dialog's buttons: back to the dialog, then Escape.
        click(find(setup, "page tab", "Файлы"))
        key("Escape")
        wait_for("the dialog to close", lambda: program.window("Настройка") is None)
        self.assertTrue(program.window("Подсказка"))
