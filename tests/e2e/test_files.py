"""Files on disk, changed through the windows as a user changes them."""

import os
import stat

from desktop import DesktopTest, click, find, key, nodes, screenshot, type_text, wait_for


def add_files(program, directory, names):
    """Adds files to the list through the program's own file dialog."""
    click(find(program.main, "push button", "Добавить"))
    dialog = wait_for("the file dialog", lambda: program.window("Добавить"))
    click(find(dialog, "text", "Имя файла:"))
    # Quoted, the names raise no completion list to catch the Return.
    type_text(" ".join('"%s/%s"' % (directory, n) for n in names))
    key("Return")
    wait_for("the dialog to close", lambda: program.window("Добавить") is None)


def listed_names(program):
    """The names in the list's first column, top to bottom."""
    files = find(program.main, "tree", "Файлы")
    cells = [c for c in files.children if c.roleName == "table cell"]
    return [cells[i].name for i in range(0, len(cells), 4)]


def replace(program, mask, replacement):
    """Types the masks into their boxes and starts the run."""
    for box, text in (("Маска Поиска", mask), ("Маска Замены", replacement)):
        click(find(find(program.main, "combo box", box), "text"))
        type_text(text)
    click(find(program.main, "push button", "Заменить"))


def summary(program):
    bar = find(program.main, "status bar")
    return wait_for("the summary", lambda: next(
        (c.name for c in bar.children if c.roleName == "label" and c.name), None))


class Files(DesktopTest):
    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def test_add_files_through_the_file_dialog(self):
        self.write("a.txt", b"one")
        self.write("b.txt", b"two")
        self.write("c.txt", b"not chosen")
        program = self.start()
        add_files(program, self.files, ["a.txt", "b.txt"])
        wait_for("two rows", lambda: listed_names(program) == ["a.txt", "b.txt"])
        self.assertTrue(find(program.main, "label", "2"))

    def test_a_content_run_with_backups_is_undone_byte_for_byte(self):
        # CR LF, a byte no code page maps and a WIN text: all must come back.
        originals = {"a.txt": b"one\r\nline\r\n", "b.txt": "тест\x98e".encode("cp1251", "replace") + b"\x98e"}
        for name, data in originals.items():
            self.write(name, data)
        program = self.start()
        add_files(program, self.files, list(originals))
        replace(program, "e", "E")
        wait_for("the run's summary", lambda: summary(program).startswith("Файлов: 2, Изменено: 2"))
        self.assertEqual(self.read("a.txt"), b"onE\r\nlinE\r\n")
        self.assertEqual(sorted(os.listdir(self.files)), ["a.tx_", "a.txt", "b.tx_", "b.txt"])
        self.assertEqual(self.read("a.tx_"), originals["a.txt"])
        screenshot("main-after-run")
        click(find(program.main, "push button", "Вернуть"))
        wait_for("the undo's summary", lambda: summary(program).startswith("Возвращено: 2"))
        for name, data in originals.items():
            self.assertEqual(self.read(name), data, name)
        self.assertEqual(sorted(os.listdir(self.files)), ["a.txt", "b.txt"])

    def test_a_file_that_cannot_be_written_is_named_in_the_summary(self):
        self.write("a.txt", b"abc")
        os.makedirs(self.path("locked"))
        with open(self.path("locked/c.txt"), "wb") as f:
            f.write(b"abc")
        os.chmod(self.path("locked/c.txt"), stat.S_IRUSR)
        os.chmod(self.path("locked"), stat.S_IRUSR | stat.S_IXUSR)
        program = self.start()
        add_files(program, self.files, ["a.txt"])
        add_files(program, self.path("locked"), ["c.txt"])
        replace(program, "b", "B")
        wait_for("the run's summary", lambda: summary(program) == "Файлов: 2, Изменено: 1, Замен: 1, Пропущено: 1")
        self.assertEqual(self.read("a.txt"), b"aBc")
        self.assertEqual(self.read("locked/c.txt"), b"abc")
        self.assertEqual(os.listdir(self.path("locked")), ["c.txt"])
        click(find(program.main, "push button", "Пропущенные..."))
        box = wait_for("the list of files left", lambda: next(
            (w for w in program.app.children if w.showing and w.roleName in ("dialog", "alert")), None))
        text = " ".join(n.name for n in nodes(box) if n.roleName == "label")
        self.assertIn(self.path("locked/c.txt"), text)
        screenshot("files-left")
        key("Return")
        wait_for("the box to close", lambda: not box.showing)
