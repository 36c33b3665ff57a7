#!/usr/bin/env python3
"""Checks that every include under src/ follows the library order.

The base library is cut into libraries by concept; each may use itself and
the libraries below it, never one above:

    base -> runtime -> text -> io -> format -> http ----> app
                                      format -> vxp -----> app
                       text -> service ------------------> app

The command layer (vxp) knows no HTTP: only the program (app) joins the two.

The platform layers (src/vxb/posix, src/vxb/windows) are built into the
library whose interface each file implements (PLATFORM below); a file of one
platform never includes a header of the other, portable code includes
neither, and no file outside the platform layers includes a system header of
the operating system's own.

Usage: check-layers.py [repository root]. Prints each violation as
"file:line: what" and exits 1 when there is any.
"""
import pathlib
import re
import sys

# Each library with the libraries it may use directly; their own uses follow.
USES = {
    "base": [],
    "runtime": ["base"],
    "text": ["runtime"],
    "io": ["text"],
    "service": ["text"],
    "format": ["io"],
    "http": ["format"],
    "vxp": ["format"],
    "app": ["vxp", "http", "service"],
}

# Platform files (by name without extension) and the library each belongs to.
PLATFORM = {
    "runtime": "thread thread_local_storage file_system file_system_extra program_path system "
               "win_wait",
    "io": "fd_wait network pseudo_terminal serial_line serial_port gadget_tools",
    "service": "service systemd",
}
PLATFORM_LIBRARY = {name: lib for lib, names in PLATFORM.items() for name in names.split()}

# Headers of the operating systems' own interfaces: only the platform layers
# include them.
SYSTEM_HEADER = re.compile(
    r"(unistd|windows|winsock2|ws2tcpip|winioctl|setupapi|devguid|process|io|direct|conio|"
    r"pthread|termios|fcntl|poll|signal|dirent|dlfcn|pty|spawn|syslog|netdb|ifaddrs|"
    r"(sys|netinet|arpa|linux|net)/[a-z_/]+)\.h$")

INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^>"]+)[>"]')


def closure(lib):
    seen = set()
    todo = [lib]
    while todo:
        for used in USES[todo.pop()]:
            if used not in seen:
                seen.add(used)
                todo.append(used)
    return seen | {lib}


def library_of(rel):
    """The library of a path relative to src/, and its platform (or None)."""
    parts = rel.split("/")
    if parts[0] == "vxb" and len(parts) >= 3:
        if parts[1] == "common" and parts[2] in USES:
            return parts[2], None
        if parts[1] in ("posix", "windows"):
            stem = pathlib.PurePosixPath(parts[-1]).stem
            return PLATFORM_LIBRARY.get(stem), parts[1]
        return None, None
    if parts[0] == "vxp":
        return "vxp", None
    if parts[0] == "app":
        return "app", None
    return None, None


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    src = root / "src"
    problems = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".cc", ".h", ".inc") or not path.is_file():
            continue
        rel = path.relative_to(src).as_posix()
        lib, platform = library_of(rel)
        if lib is None:
            problems.append("%s: in no library (add it to check-layers.py)" % rel)
            continue
        allowed = closure(lib)
        text = path.read_bytes().decode("latin-1")
        for number, line in enumerate(text.splitlines(), 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            quote, header = m.groups()
            where = "src/%s:%d" % (rel, number)
            if quote == "<":
                if platform is None and SYSTEM_HEADER.search(header):
                    problems.append("%s: system header <%s> outside the platform layers"
                                    % (where, header))
                continue
            if not (src / header).is_file():
                continue  # not one of ours
            their_lib, their_platform = library_of(header)
            if their_platform is not None and their_platform != platform:
                problems.append("%s: includes %s of the %s layer" % (where, header, their_platform))
            if their_lib is not None and their_lib not in allowed:
                problems.append("%s: %s (library %s) includes %s of library %s, which is above it"
                                % (where, rel, lib, header, their_lib))
    for p in problems:
        print(p)
    print("layers: %d violation(s)" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
