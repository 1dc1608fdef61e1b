# Runs a command whose standard input gives the bytes of a file and then fails.
#
# The input is one end of a local stream socket. Its other end is closed while
# data sent to it is still unread, so once the file's bytes have been read, the
# next read fails with "Connection reset by peer".
# Usage: input_then_reset.py FILE COMMAND [ARG...]
import os
import socket
import sys

with open(sys.argv[1], "rb") as source:
    data = source.read()
ours, theirs = socket.socketpair()
ours.sendall(data)
theirs.sendall(b"unread")
ours.close()
os.dup2(theirs.fileno(), 0)
os.execvp(sys.argv[2], sys.argv[2:])
