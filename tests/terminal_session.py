# Plays the program at a real pseudo-terminal, as a person would.
#
# A terminal echoes what is typed and shows each line end as CR LF. Every wait
# has a time limit, so a program that hangs or never prompts fails the test.
# Usage: terminal_session.py [--no-hang-up] [EMULATOR...] PROGRAM
#        terminal_session.py --keys KEYS_JSON PROGRAM
# With --keys, types the keys of KEYS_JSON (texts, and the key names of KEYS),
# each once the program has answered the last, and prints as JSON what the
# terminal showed (its bytes as code points 0 to 255) and the exit status as a
# shell gives it; the keys must end the program.
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
MENU = ("1 - Water $0.50\r\n2 - Apple Juice $1.00\r\n3 - Cola $1.50\r\n"
        "4 - Fanta $2.00\r\n5 - Rum $10.00\r\n"
        "Please enter a number from 1-5 to pick a beverage: ")


def screen(balance):
    return f"Current wallet size: {balance}\r\n" + MENU


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
        self.quiet = False

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

    def expect(self, text):
        # Reads until the screen has shown exactly `text` after what came before.
        wanted = self.seen + text
        self.read_until(lambda: not wanted.startswith(self.seen) or self.seen.startswith(wanted), repr(text))
        if not self.seen.startswith(wanted):
            sys.exit(f"screen differs:\nexpected {wanted!r}\n     got {self.seen!r}")

    def type(self, keys):
        os.write(self.fd, keys.encode())

    def still_waiting(self):
        time.sleep(0.3)
        return self.status is None and os.waitpid(self.pid, os.WNOHANG) == (0, 0)

    def hang_up(self):
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None

    def exit_status(self):
        self.read_until(lambda: self.status is not None, "the end of the program")
        self.hang_up()
        return self.status


def check(condition, failure):
    if not condition:
        sys.exit(failure)


def play_keys(program, keys):
    session = Session([program])
    settled = lambda answer: session.quiet and (session.status is not None or not answer or session.seen.endswith(ANSWERED))
    session.read_until(lambda: settled(True), "the first screen")
    line = ""
    for key in keys:
        session.type(KEYS.get(key, key))
        hands_over = key == "Enter" or "\n" in key or (key == "Control+D" and not line)
        line = line[:-1] if key == "Backspace" else "" if key in KEYS else (line + key).split("\n")[-1]
        ends = key in ("Control+C", "Control+\\")
        session.read_until(lambda: settled(hands_over) and (not ends or session.status is not None), key)
    status = session.exit_status()
    json.dump({"screen": session.seen, "status": 128 - status if status < 0 else status}, sys.stdout)


def play_sessions(command, hang_up):
    # A purchase, then a line without a number: the program waits for Enter.
    session = Session(command)
    session.expect(screen("15.00"))
    check(session.still_waiting(), "the program did not wait at the first prompt")
    session.type("1\n")
    session.expect("1\r\nYou have purchased 'Water' for $0.50\r\n" + screen("14.50"))
    session.type("q\n")
    session.expect("q\r\nInvalid selection, here is your money back.\r\n" + screen("14.50"))
    check(session.still_waiting(), "the program ended without waiting for Enter")
    session.type("\n")
    check(session.exit_status() == 0, "a session ended by a non-number did not end with status 0")

    # A spent wallet answers every line with the restart advice until Ctrl-D.
    session = Session(command)
    session.expect(screen("15.00"))
    for keys, bought, balance in [("5", "'Rum' for $10.00", "5.00"), ("4", "'Fanta' for $2.00", "3.00"),
                                  ("4", "'Fanta' for $2.00", "1.00"), ("2", "'Apple Juice' for $1.00", "0.00")]:
        session.type(keys + "\n")
        session.expect(f"{keys}\r\nYou have purchased {bought}\r\n" + screen(balance))
    advice = "Not enough money left!\r\nRestart the program for a new wallet!"
    session.type("x\n")
    session.expect("x\r\n" + advice)
    check(session.still_waiting(), "an emptied session ended by itself")
    session.type("\x04")
    session.expect(advice)
    check(session.exit_status() == 0, "Ctrl-D in an emptied session did not end it with status 0")

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
        session.expect(screen("15.00"))
        session.hang_up()
        status = session.exit_status()
    report = os.read(errors, 4096).decode()
    check((status, report) == (1, "vending: write error: Input/output error\n"),
          f"a hang-up gave status {status} and {report!r}")


# The program comes last, after whatever runs it (an emulator).
if sys.argv[1] == "--keys":
    play_keys(sys.argv[3], json.loads(sys.argv[2]))
else:
    hang_up = sys.argv[1] != "--no-hang-up"
    play_sessions(sys.argv[1 if hang_up else 2:], hang_up)
