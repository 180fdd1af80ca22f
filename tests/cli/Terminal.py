#!/usr/bin/env python3
"""Drives nimbrel-cli on a pseudo-terminal: Tab completion, recall of a faulty line and the
error marker under a line with leading blanks.  Usage: Terminal.py NIMBREL_CLI"""
import os
import pty
import select
import sys
import tempfile
import time

CLI = os.path.abspath(sys.argv[1])
UP = "\x1b[A"


class Session:
    def __init__(self, folder, *options):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.chdir(folder)
            os.environ["TERM"] = "xterm"
            os.execv(CLI, [CLI, *(options or ["--no-ini"]), "--decimal-separator", "."])
        self.seen = ""

    def expect(self, text, timeout=20):
        """Reads until text appears; returns what came before it."""
        end = time.time() + timeout
        while text not in self.seen:
            left = end - time.time()
            if left <= 0 or not select.select([self.fd], [], [], left)[0]:
                sys.exit(f"waited for {text!r}, terminal shows:\n{self.seen!r}")
            try:
                chunk = os.read(self.fd, 4096).decode("utf-8", "replace")
            except OSError:
                chunk = ""
            if not chunk:
                sys.exit(f"program ended while waiting for {text!r}:\n{self.seen!r}")
            self.seen += chunk
        before, _, self.seen = self.seen.partition(text)
        return before

    def send(self, keys):
        os.write(self.fd, keys.encode())


with tempfile.TemporaryDirectory() as folder:
    # A file that completion of file names would offer.
    open(os.path.join(folder, "sqfile"), "w").close()
    s = Session(folder)
    s.expect("> ")

    # (keys, what the answer line must read)
    cases = [
        ("sq\tt(16)\r", "= 4"),          # Sqr and Sqrt share "Sqr"; no file name
        ("sqf\t+1\r", "= 1"),            # the file's name is not offered
        ("wert = 5\r", "wert = 5"),
        ("we\t*2\r", "= 10"),            # a variable
        ("verl\t\r", "2  sqf+1\r\n3  wert*2"),  # a command, which lists the inputs
    ]
    for keys, answer in cases:
        s.send(keys)
        s.expect(answer)
        s.expect("> ")

    # The marker stands under the faulty character of the line as typed.
    s.send("   1+?\r")
    before = s.expect("^")
    marker = before.split("\n")[-1]
    if len(marker) != len("> ") + 5 or marker.strip():
        sys.exit(f"marker column {len(marker)}, expected {len('> ') + 5}: {before!r}")
    s.expect("> ")
    # The faulty line comes back with Up and can be mended.
    s.send(UP + "\b2\r")
    s.expect("= 3")
    s.expect("> ")

    s.send("modus newton\r")
    s.expect("newton> ")
    s.send("start 1\r")
    s.expect("newton> ")
    s.send("x^2-2\r")
    s.expect("= 1.4142135623731")
    s.expect("newton> ")
    s.send("ende\r")
    _, status = os.waitpid(s.pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"status {status}")

    # The mode goes to the settings file, where the window finds it; the last result does not.
    ini = os.path.join(folder, "nimbrel.ini")
    s = Session(folder, "-i", ini)
    s.expect("> ")
    s.send("modus integral\rvon 2\r7*6\rende\r")
    s.expect("= 336")  # 42 from 2 to 10
    os.waitpid(s.pid, 0)
    saved = open(ini, encoding="utf-8").read()
    for wanted in ["Visible=1", "Mode=6", "IntgNumFrom=2"]:
        if wanted not in saved:
            sys.exit(f"{wanted} missing from the settings:\n{saved}")
    if "ans" in saved:
        sys.exit(f"the last result was saved:\n{saved}")
    s = Session(folder, "-i", ini)
    s.expect("integral> ")
    s.send("ende\r")
    os.waitpid(s.pid, 0)
print("terminal session passed")
