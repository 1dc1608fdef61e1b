# Plays the program at a real pseudo-terminal, as a person would.
#
# A terminal echoes what is typed and shows each line end as CR LF. Every wait
# has a time limit, so a program that hangs or never prompts fails the test.
# Usage: terminal_session.py [--no-hang-up] [EMULATOR...] PROGRAM
#        terminal_session.py --keys KEYS_JSON PROGRAM
# Plays each session of terminal_sessions.json beside this file: types its
# keys (texts, and the key names of KEYS), each once the program has answered
# the last, and fails unless the program waits for every key, ends with the
# session's status, and the terminal shows the session's lines, joined by
# CR LF. Then, unless told not to, loses the terminal while the program
# answers a long script (below). With --keys, plays the keys of KEYS_JSON and
# prints as JSON what the terminal showed (its bytes as code points 0 to 255)
# and the exit status as a shell gives it.
import difflib
import json
import os
import pty
import resource
import select
import signal
import sys
import tempfile
import time

TIMEOUT = 60.0
KEYS = {"Enter": "\r", "Backspace": "\x7f", "Control+C": "\x03", "Control+D": "\x04", "Control+U": "\x15",
        "Control+W": "\x17", "Control+\\": "\x1c"}
# What the program's every answer ends with, once it waits for more.
ANSWERED = ("beverage: ", "wallet!")


class Session:
    def __init__(self, command, input_file=None, error_pipe=None):
        # Starts the program at a new terminal; it may read a file instead,
        # send its standard error down a pipe, and outlive a hang-up.
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            # Ctrl-\ ends the program with no core dump left behind.
            resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
            if input_file:
                os.dup2(os.open(input_file, os.O_RDONLY), 0)
            if error_pipe:
                os.dup2(error_pipe, 2)
                signal.signal(signal.SIGHUP, signal.SIG_IGN)
            os.execvp(command[0], command)
        self.seen = ""
        self.status = None

    def read_until(self, done, waiting_for):
        # Reads what the terminal shows, noting when it has been quiet for
        # a moment and when the program has ended, until done() holds.
        deadline = time.monotonic() + TIMEOUT
        self.quiet = False
        while not done():
            if time.monotonic() > deadline:
                os.kill(self.pid, signal.SIGKILL)
                sys.exit(f"timed out waiting for {waiting_for}; the terminal showed {self.seen!r}")
            ready = self.fd is not None and select.select([self.fd], [], [], 0.2)[0]
            try:
                self.seen += os.read(self.fd, 4096).decode("latin-1") if ready else ""
                self.quiet = not ready
            except OSError:  # the terminal is gone with the program
                self.quiet = True
            if self.quiet and self.status is None:
                pid, status = os.waitpid(self.pid, os.WNOHANG)
                self.status = os.waitstatus_to_exitcode(status) if pid else None
            time.sleep(0.05 if self.fd is None else 0)

    def exit_status(self):
        self.read_until(lambda: self.status is not None, "the end of the program")
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None
        return 128 - self.status if self.status < 0 else self.status


def check(condition, failure):
    if not condition:
        sys.exit(failure)


def play_keys(command, keys):
    # Gives what the terminal showed and the exit status.
    session = Session(command)
    settled = lambda answer: session.quiet and (session.status is not None or not answer or session.seen.endswith(ANSWERED))
    session.read_until(lambda: settled(True), "the first screen")
    line = ""
    for key in keys:
        check(session.status is None, f"the program ended before the key {key!r}; the terminal showed {session.seen!r}")
        os.write(session.fd, KEYS.get(key, key).encode())
        hands_over = key == "Enter" or "\n" in key or (key == "Control+D" and not line)
        line = line[:-1] if key == "Backspace" else "" if key in KEYS else (line + key).split("\n")[-1]
        ends = key in ("Control+C", "Control+\\")
        session.read_until(lambda: settled(hands_over) and (not ends or session.status is not None), key)
    return session.seen, session.exit_status()


def play_sessions(command, hang_up):
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "terminal_sessions.json")) as sessions:
        for session in json.load(sessions):
            expected, status = "\r\n".join(session["screen"]), session["status"]
            screen, shown_status = play_keys(command, session["keys"])
            difference = "".join(difflib.unified_diff(expected.splitlines(True), screen.splitlines(True), "expected", "shown"))
            check((screen, shown_status) == (expected, status),
                  f"{session['name']}: status {shown_status}, expected {status}; the screen differs:\n{difference}")
    if not hang_up:
        return
    # The terminal goes away while a long script is answered: the answer that
    # fails is reported, the rest is not written, and the status is 1.
    # The script is far longer than a terminal holds unread, so the program is
    # still writing when it hangs up.
    with tempfile.NamedTemporaryFile(suffix=".in") as script:
        script.write(b"1\n" * 30 + b"x\n" * 5000)
        script.flush()
        errors, error_pipe = os.pipe()
        session = Session(command, input_file=script.name, error_pipe=error_pipe)
        os.close(error_pipe)
        session.read_until(lambda: "beverage: " in session.seen, "the first screen")
        os.close(session.fd)
        session.fd = None
        status = session.exit_status()
    report = os.read(errors, 4096).decode()
    check((status, report) == (1, "vending: write error: Input/output error\n"),
          f"a hang-up gave status {status} and {report!r}")


# The program comes last, after whatever runs it (an emulator).
if sys.argv[1] == "--keys":
    screen, status = play_keys(sys.argv[3:], json.loads(sys.argv[2]))
    json.dump({"screen": screen, "status": status}, sys.stdout)
else:
    hang_up = sys.argv[1] != "--no-hang-up"
    play_sessions(sys.argv[1 if hang_up else 2:], hang_up)
