#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# The address controls as a screen reader reads them over AT-SPI: each one's
# text is its whole dotted address, and a change is heard as text changes.
# Run inside dbus-run-session with the window program as argument; the
# accessibility bus starts on demand, the virtual screen is our own.
import os, subprocess, sys, tempfile, time

for inherited in ("DISPLAY", "AT_SPI_BUS_ADDRESS"):  # never the desktop's own buses
    os.environ.pop(inherited, None)
import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib


def wait_for(what, check, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while GLib.MainContext.default().iteration(False):
            pass
        if result := check():
            return result
        time.sleep(0.05)
    sys.exit(f"FAIL: {what} within {seconds} s")


def named(node, name):
    if node is None or node.get_name() == name:
        return node
    return next(filter(None, (named(node.get_child_at_index(i), name) for i in range(node.get_child_count()))), None)


def replayed(text, events):  # the text a listener rebuilds from what it heard
    for kind, start, length, data in events:
        assert kind.endswith("insert") or text[start : start + length] == data, (text, kind, start, data)
        text = text[:start] + data + text[start:] if kind.endswith("insert") else text[:start] + text[start + length :]
    return text


heard = {"Adres IP": [], "Maska podsieci": []}
listener = Atspi.EventListener.new(
    lambda e: heard.get(e.source.get_name(), []).append((e.type, e.detail1, e.detail2, e.any_data)))
for events in ("object:text-changed", "object:value-changed"):  # a screen reader's; Qt then sends value changes
    listener.register(events)
screen_out, screen_in = os.pipe()
screen = subprocess.Popen(["Xvfb", "-displayfd", str(screen_in), "-nolisten", "tcp", "-noreset"], pass_fds=[screen_in],
                          stderr=subprocess.DEVNULL)
os.close(screen_in)
env = dict(os.environ, DISPLAY=":" + os.read(screen_out, 16).decode().strip(), QT_QPA_PLATFORM="xcb",
           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
program = subprocess.Popen([sys.argv[1]], env=env, stderr=(log := tempfile.TemporaryFile()))
try:
    app = wait_for("the window on the bus", lambda: named(Atspi.get_desktop(0), os.path.basename(sys.argv[1])))
    address, mask = (wait_for(n, lambda: named(app, n)) for n in heard)
    for control, shown in ((address, "192.168.1.20"), (mask, "255.255.255.0")):
        assert "Text" in control.get_interfaces(), f"{control.get_name()}: no text interface"
        assert (control.get_text(0, -1), control.get_character_count()) == (shown, len(shown)), control.get_text(0, -1)
        assert control.get_text_at_offset(3, Atspi.TextBoundaryType.CHAR).content == shown[3]
    wait_for("what came before the reads", lambda: True)  # dispatches it, to be forgotten
    heard = {name: [] for name in heard}
    address.set_text_contents("10.0.0.7")
    wait_for("10.0.0.7 read back", lambda: address.get_text(0, -1) == "10.0.0.7")
    wait_for("the change heard", lambda: replayed("192.168.1.20", heard["Adres IP"]) == "10.0.0.7")
    assert mask.get_text(0, -1) == "255.255.255.0" and not heard["Maska podsieci"]
    assert log.seek(0) == 0 and b"qt.accessibility" not in log.read(), "the bridge warned"
finally:
    program.kill()
    screen.terminate()  # a killed server would leave its display's lock file behind
    screen.wait()
print("PASS: both controls read as dotted addresses over AT-SPI; the change was heard")
