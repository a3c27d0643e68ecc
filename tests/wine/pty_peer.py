#!/usr/bin/env python3
"""The far side of a COM port for the Wine serial check.

Creates a pseudo-terminal, prints the path of its slave side on stdout and
then answers every byte it receives with the next byte value ('A' -> 'B').
For each byte it also writes the line settings it sees to the log file
given as the only argument: "settings ok" or "settings bad: <why>".
Runs until it is terminated (or for two minutes at most).
"""
import os
import pty
import select
import sys
import termios
import time


def describe(master):
    iflag, _oflag, cflag, _lflag, ispeed, ospeed, _cc = termios.tcgetattr(master)
    bad = []
    if ispeed != termios.B2400 or ospeed != termios.B2400:
        bad.append("speed not 2400")
    if cflag & termios.CSIZE != termios.CS8:
        bad.append("not 8 data bits")
    for name in ("PARENB", "CSTOPB", "CRTSCTS"):
        if cflag & getattr(termios, name):
            bad.append(name + " set")
    for name in ("IXON", "IXOFF"):
        if iflag & getattr(termios, name):
            bad.append(name + " set")
    return "settings ok" if not bad else "settings bad: " + ", ".join(bad)


def main():
    log_path = sys.argv[1]
    master, slave = pty.openpty()
    # The slave stays open here too, so that the master does not see a
    # hang-up between the check program's opens.
    print(os.ttyname(slave), flush=True)
    end = time.monotonic() + 120
    with open(log_path, "a", buffering=1) as log:
        while time.monotonic() < end:
            ready, _, _ = select.select([master], [], [], 0.5)
            if not ready:
                continue
            data = os.read(master, 64)
            for byte in data:
                log.write("got %d %s\n" % (byte, describe(master)))
                os.write(master, bytes([(byte + 1) & 0xFF]))


if __name__ == "__main__":
    main()
