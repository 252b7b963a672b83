"""The program on the test's X server, and what a user does with it."""

import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

# dogtail refuses to start unless it believes a GNOME desktop switched
# accessibility on; the program is told through its own variable instead.
os.environ["GTK_MODULES"] = "gail:atk-bridge"

from dogtail import rawinput, tree  # noqa: E402
from dogtail.config import config  # noqa: E402

config.defaultDelay = 0.3
config.actionDelay = 0.3
config.searchCutoffCount = 25
config.searchShowingOnly = True
config.logDebugToFile = False
config.logDebugToStdOut = False

APP_NAME = "Текстовар"
SCREEN = (1280, 1024)


def wait_for(what, check, seconds=20.0):
    """Polls check() until it gives a true value, which it returns."""
    deadline = time.monotonic() + seconds
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > deadline:
            screenshot("timed-out-" + "".join(c if c.isalnum() else "-" for c in what))
            raise AssertionError("timed out waiting for %s (last: %r)" % (what, value))
        time.sleep(0.2)


def xdotool(*args, check=True):
    return subprocess.run(["xdotool", *args], check=check, capture_output=True, text=True).stdout


def x_window(title):
    """The X window with this title: (id, client rectangle, frame extents)."""
    # Titles are compared here: xdotool's own search is a regular expression
    # in the C locale.
    ids = [wid for wid in xdotool("search", "--onlyvisible", "--classname", "tekstovar", check=False).split()
           if xdotool("getwindowname", wid, check=False).strip() == title]
    if not ids:
        return None
    wid = ids[0]
    info = subprocess.run(["xwininfo", "-id", wid], capture_output=True, text=True).stdout
    geometry = {}
    for line in info.splitlines():
        label, _, value = line.strip().partition(":")
        geometry[label] = value.strip()
    extents = subprocess.run(["xprop", "-id", wid, "_NET_FRAME_EXTENTS"], capture_output=True,
                             text=True).stdout
    left = right = top = bottom = 0
    if "=" in extents:
        left, right, top, bottom = (int(v) for v in extents.split("=")[1].split(","))
    client = tuple(int(geometry[label]) for label in
                   ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))
    return wid, client, (left, right, top, bottom)


def frame_rect(title):
    """The frame (title bar and borders included) of a window: x, y, w, h."""
    found = x_window(title)
    if not found:
        return None
    _, (x, y, w, h), (left, right, top, bottom) = found
    return (x - left, y - top, w + left + right, h + top + bottom)


def screenshot(name):
    path = os.path.join(os.environ["E2E_SHOTS"], name + ".png")
    subprocess.run(["import", "-window", "root", path], check=True)
    return path


def type_text(text):
    """Types through real key events; characters the keyboard lacks too."""
    xdotool("type", "--delay", "30", text)


def key(name):
    xdotool("key", name)


class Program:
    """One start of the program with a home directory of its own."""

    def __init__(self, home, args=()):
        self.home = home
        env = dict(os.environ, TEKSTOVAR_HOME=home, QT_QPA_PLATFORM="xcb",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        self.process = subprocess.Popen([os.environ["E2E_PROGRAM"], *args], env=env)
        self.app = wait_for("the program on the accessibility bus", self._find_app, 30)
        self.main = wait_for("the main window", lambda: self.window(APP_NAME))

    def _find_app(self):
        for app in tree.root.applications():
            try:
                if app.name == APP_NAME and app.get_process_id() == self.process.pid:
                    return app
            except Exception:  # an application leaving the bus
                pass
        return None

    def window(self, title):
        """A shown window of the program by its title, or None."""
        for window in self.app.children:
            try:
                if window.name == title and window.showing:
                    return window
            except Exception:  # a window closing meanwhile
                pass
        return None

    def wait_gone(self, seconds=20.0):
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise AssertionError("the program did not end")

    def kill(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()


def nodes(parent):
    """Every node under parent, breadth first; nodes that vanish are passed."""
    queue = [parent]
    while queue:
        node = queue.pop(0)
        try:
            children = node.children
        except Exception:
            continue
        for child in children:
            yield child
            queue.append(child)


def find(parent, role, name=None, description=None, showing=True):
    """A control under parent by role and name or description."""
    def match():
        for node in nodes(parent):
            try:
                if node.roleName == role and (name is None or node.name == name) and \
                        (description is None or node.description == description) and \
                        (not showing or node.showing):
                    return node
            except Exception:
                pass
        return None
    return wait_for("%s %r" % (role, name or description), match, 10)


def dump(node, depth=0):
    """Prints the accessibility tree under node: for writing tests."""
    print("  " * depth, node.roleName, repr(node.name), repr(node.description))
    for child in node.children:
        dump(child, depth + 1)


def click(node):
    """A real left click in the middle of the control."""
    x, y = node.position
    w, h = node.size
    rawinput.click(x + w // 2, y + h // 2)


def write_win(path, text):
    with open(path, "wb") as f:
        f.write(text.encode("cp1251"))


class DesktopTest(unittest.TestCase):
    """Each test gets fresh home and files directories, and a program to end."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="tekstovar-e2e-")
        self.home = os.path.join(self.dir, "home")
        self.files = os.path.join(self.dir, "files")
        os.makedirs(self.home)
        os.makedirs(self.files)
        self.program = None

    def tearDown(self):
        if self.program:
            self.program.kill()
        for root, dirs, _ in os.walk(self.dir):
            for d in dirs:
                os.chmod(os.path.join(root, d), 0o755)
        shutil.rmtree(self.dir)

    def start(self, *args):
        self.program = Program(self.home, args)
        return self.program

    def path(self, name):
        return os.path.join(self.files, name)
