#!/usr/bin/env python3
"""Far end of a serial line for the Windows tests under Wine.

Creates a pseudo-terminal, links the given Wine COM device
($WINEPREFIX/dosdevices/comN) to its slave side, prints the slave path, and
echoes every byte that arrives until it is terminated.
"""
import os
import sys
import tty


def main() -> int:
    if len(sys.argv) != 2:
        print("usage: pty-echo.py <dosdevices/comN link>", file=sys.stderr)
        return 2
    link = sys.argv[1]
    master, slave = os.openpty()
    # Raw, so that the line discipline neither echoes nor translates; the
    # slave stays open here so that the line lives between the test's opens.
    tty.setraw(slave)
    path = os.ttyname(slave)
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(path, link)
    print(path, flush=True)
    while True:
        try:
            data = os.read(master, 4096)
        except OSError:
            return 0
        if not data:
            return 0
        os.write(master, data)


if __name__ == "__main__":
    sys.exit(main())
