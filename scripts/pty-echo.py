#!/usr/bin/env python3
"""Far ends of serial lines for the Windows tests under Wine.

  pty-echo.py LINK          one line that echoes
  pty-echo.py LINK LINK2    two lines crossed: what one side writes, the
                            other reads, as with a null-modem cable

Each line is a pseudo-terminal whose slave side the given Wine COM device
link ($WINEPREFIX/dosdevices/comN) points to; the slave paths are printed,
one a line, and the script serves until it is terminated. On an echoing
line two bytes are commands rather than data:
  ENQ (0x05)  answers with the line settings the Windows side set on the
              terminal, as "<speed> <bits><parity><stop>\\n" ("19200 7E2")
  SYN (0x16)  unplugs the line: a new terminal takes the link's place and
              the old one is closed, as a USB adapter pulled out and put
              back that comes back as another device
"""
import fcntl
import os
import signal
import sys
import termios
import tty

ENQ = 0x05
SYN = 0x16


def open_line(link, previous_slave=None):
    master, slave = os.openpty()
    # Raw, so that the line discipline neither echoes nor translates; the
    # slave stays open here so that the line lives between the test's opens.
    tty.setraw(slave)
    # The terminal is this script's controlling terminal: otherwise the first
    # opener without a terminal of its own (Wine's server) would take it as
    # its own, and the hang-up of an unplugging would signal that process.
    if previous_slave is not None:
        fcntl.ioctl(previous_slave, termios.TIOCNOTTY)
    fcntl.ioctl(slave, termios.TIOCSCTTY, 0)
    path = os.ttyname(slave)
    # The link is replaced in one step: an opener sees the old line or the
    # new one, never none.
    temporary = link + ".new"
    if os.path.lexists(temporary):
        os.remove(temporary)
    os.symlink(path, temporary)
    os.replace(temporary, link)
    return master, slave, path


def settings(fd):
    attrs = termios.tcgetattr(fd)
    cflag, speed = attrs[2], attrs[5]
    speeds = {getattr(termios, n): n[1:] for n in dir(termios) if n[:1] == "B" and n[1:].isdigit()}
    bits = {termios.CS5: "5", termios.CS6: "6", termios.CS7: "7", termios.CS8: "8"}
    parity = "N"
    if cflag & termios.PARENB:
        parity = "O" if cflag & termios.PARODD else "E"
    stop = "2" if cflag & termios.CSTOPB else "1"
    text = "%s %s%s%s\n" % (speeds.get(speed, "?"), bits[cflag & termios.CSIZE], parity, stop)
    return text.encode()


def cross(first, second):
    """Copies what arrives on each master to the other until terminated."""
    import select

    peer = {first: second, second: first}
    while True:
        ready, _, _ = select.select([first, second], [], [])
        for fd in ready:
            try:
                data = os.read(fd, 4096)
            except OSError:
                return 0
            if not data:
                return 0
            os.write(peer[fd], data)


def main() -> int:
    if len(sys.argv) not in (2, 3):
        print("usage: pty-echo.py <dosdevices/comN link> [<second link>]", file=sys.stderr)
        return 2
    link = sys.argv[1]
    # A session of its own, to hold the terminals; the hang-ups it makes
    # itself are no reason to end.
    try:
        os.setsid()
    except OSError:
        pass
    signal.signal(signal.SIGHUP, signal.SIG_IGN)
    master, slave, path = open_line(link)
    if len(sys.argv) == 3:
        # A session holds one controlling terminal: the second line is only
        # opened, not held as this script's own.
        second, second_slave = os.openpty()
        tty.setraw(second_slave)
        second_link = sys.argv[2]
        if os.path.lexists(second_link):
            os.remove(second_link)
        os.symlink(os.ttyname(second_slave), second_link)
        print(path, os.ttyname(second_slave), sep="\n", flush=True)
        return cross(master, second)
    print(path, flush=True)
    while True:
        try:
            data = os.read(master, 4096)
        except OSError:
            return 0
        if not data:
            return 0
        out = bytearray()
        for b in data:
            if b == ENQ:
                out += settings(slave)
            elif b == SYN:
                if out:
                    os.write(master, bytes(out))
                    out.clear()
                old_master, old_slave = master, slave
                master, slave, path = open_line(link, old_slave)
                os.close(old_slave)
                os.close(old_master)
            else:
                out.append(b)
        if out:
            os.write(master, bytes(out))


if __name__ == "__main__":
    sys.exit(main())
