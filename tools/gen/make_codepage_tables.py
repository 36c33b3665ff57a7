#!/usr/bin/env python3
"""Writes the reference code page mappings used by the character-set tests.

Each output file has one line per byte value: the byte in hexadecimal, a
tab, and the Unicode code point in hexadecimal that Python's standard codec
gives for it ("-" when the codec has no character for the byte). The data
comes from Python's codecs only, so it is independent of the tables in the
C++ sources.

Usage: make_codepage_tables.py [output-directory]   (default: tests/data)
"""
import os
import sys


def write_table(directory, codec, filename):
    path = os.path.join(directory, filename)
    with open(path, "w", encoding="ascii", newline="\n") as out:
        out.write("# byte\tcode point, from Python's %s codec\n" % codec)
        for b in range(256):
            try:
                ch = bytes([b]).decode(codec)
                out.write("%02X\t%04X\n" % (b, ord(ch)))
            except UnicodeDecodeError:
                out.write("%02X\t-\n" % b)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "..", "tests", "data")
    directory = sys.argv[1] if len(sys.argv) > 1 else default
    os.makedirs(directory, exist_ok=True)
    write_table(directory, "cp850", "cp850_to_unicode.txt")
    write_table(directory, "latin_1", "latin1_to_unicode.txt")
    write_table(directory, "cp1252", "cp1252_to_unicode.txt")
    write_table(directory, "cp437", "cp437_to_unicode.txt")
    write_table(directory, "iso8859_15", "latin9_to_unicode.txt")


if __name__ == "__main__":
    main()
