#!/usr/bin/env python3
"""Lists the longest C++ functions and fails when one is longer than a limit.

    scripts/function-lengths.py [--limit N] [--top N] [PATH ...]

PATH defaults to src/ and tools/ (relative to the repository). Every .cc, .cpp
and .h file below them is scanned. A function's length is counted from the
line its signature starts on to the line of its closing brace, both included.
Lambdas and local classes count as part of the function that holds them.

Prints the --top longest (default 10) as "length  file:line  name", then every
function over --limit (default 100). Exits 1 when there is one, 0 otherwise.

The scan matches braces after removing comments, string and character
literals and preprocessor lines; it does not need a compiler, so it runs in CI
before anything is built. A brace at namespace or class level opens a
function body when the text before it has a parenthesised parameter list and
no '=' outside parentheses (that would be a table or variable initialiser).
"""

import argparse
import os
import re
import sys

EXTENSIONS = (".cc", ".cpp", ".h")


def strip_code(text):
    """Returns text with comments, literals and preprocessor lines blanked.

    Newlines are kept, so offsets map to the same line numbers.
    """
    out = []
    i = 0
    n = len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c in " \t":
            out.append(c)
            i += 1
            continue
        if line_start and c == "#":
            # Preprocessor line, with its backslash continuations.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    out.append(" \n")
                    i += 2
                    continue
                out.append(" ")
                i += 1
            continue
        line_start = False
        if c == "\n":
            out.append(c)
            line_start = True
            i += 1
        elif text.startswith("//", i):
            while i < n and text[i] != "\n":
                out.append(" ")
                i += 1
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            m = re.match(r'R"([^()\\\s]{0,16})\(', text[i:])
            if not m:
                out.append(c)
                i += 1
                continue
            close = ")" + m.group(1) + '"'
            end = text.find(close, i + m.end())
            end = n if end < 0 else end + len(close)
            out.append('""' + re.sub(r"[^\n]", " ", text[i + 2 : end]))
            i = end
        elif c in "\"'":
            # A quote after a digit may be a digit separator (1'000).
            if c == "'" and i > 0 and text[i - 1].isalnum() and i + 1 < n and text[i + 1].isalnum():
                out.append(" ")
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(c + " " * (j - i - 2) + c if j - i >= 2 else c)
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


SCOPE_WORDS = re.compile(r"\b(namespace|class|struct|union|enum)\b")
IDENT = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")


def depth0(header):
    """Header text with everything inside (), [] and <> template brackets dropped."""
    out = []
    depth = 0
    for ch in header:
        if ch in "([":
            depth += 1
            out.append(ch)
        elif ch in ")]":
            depth = max(0, depth - 1)
            out.append(ch)
        elif depth == 0:
            out.append(ch)
    return "".join(out)


def function_name(header):
    """The qualified name before the parameter list, or None if there is none."""
    flat = " ".join(header.split())
    m = re.search(r"(operator\s*(\(\)|[^\s(]+)|[~A-Za-z_][A-Za-z0-9_:<>,~ ]*?)\s*\(", flat)
    if not m:
        return None
    words = m.group(1).strip().split()
    return words[-1] if words else None


def classify(header):
    """What a '{' opens, given the text since the previous statement at its level."""
    flat = " ".join(header.split())
    if not flat:
        return "other", None
    top = depth0(flat)
    if re.search(r'\bextern\s*""', flat) and "(" not in top:
        return "namespace", None
    scope = SCOPE_WORDS.search(top)
    if scope and scope.group(1) == "namespace":
        return "namespace", None
    if scope and scope.group(1) == "enum":
        return "other", None
    if scope and ")" not in top:
        return "class", None
    if "(" not in top or ")" not in top:
        return "other", None
    # '=' outside parentheses: an initialiser (a table, a lambda stored in a
    # variable), unless it is part of an operator's name.
    cleaned = re.sub(r"operator\s*(==|!=|<=|>=|=|\+=|-=|\*=|/=|<<=|>>=|\|=|&=|\^=)", "operator", top)
    if "=" in cleaned.split("(", 1)[0]:
        return "other", None
    name = function_name(flat)
    if not name or name in ("if", "for", "while", "switch", "return", "catch"):
        return "other", None
    return "function", name


def scan(path):
    with open(path, encoding="latin-1") as f:
        text = f.read()
    code = strip_code(text)
    line_of = []
    line = 1
    for ch in code:
        line_of.append(line)
        if ch == "\n":
            line += 1

    functions = []
    # Stack of (kind, name, start line); kind in namespace/class/function/other.
    stack = []
    header_start = 0
    i = 0
    n = len(code)

    def skip_to_match(k):
        depth = 0
        while k < n:
            if code[k] == "{":
                depth += 1
            elif code[k] == "}":
                depth -= 1
                if depth == 0:
                    return k
            k += 1
        return n - 1

    while i < n:
        ch = code[i]
        in_decl_scope = not stack or stack[-1][0] in ("namespace", "class")
        if not in_decl_scope:
            # Inside a function body or an initialiser: only braces matter.
            if ch == "{":
                stack.append(("other", None, 0))
            elif ch == "}":
                kind, name, start = stack.pop()
                if kind == "function":
                    functions.append((line_of[i] - start + 1, path, start, name))
                if stack and stack[-1][0] in ("namespace", "class") or not stack:
                    header_start = i + 1
            i += 1
            continue
        if ch == ";":
            header_start = i + 1
        elif ch == ":" and stack and stack[-1][0] == "class" and re.search(
            r"\b(public|private|protected)\s*$", code[header_start:i]
        ):
            header_start = i + 1
        elif ch == "}":
            if stack:
                stack.pop()
            header_start = i + 1
        elif ch == "{":
            header = code[header_start:i]
            kind, name = classify(header)
            if kind == "function":
                top = depth0(" ".join(header.split()))
                prev = header.rstrip()[-1:] if header.strip() else ""
                # In a constructor's initialiser list "member{value}" is not the body.
                if re.search(r"\)\s*[^:]*:(?!:)", top) and (prev.isalnum() or prev in "_>"):
                    i = skip_to_match(i) + 1
                    continue
                lead = len(header) - len(header.lstrip())
                start = line_of[min(header_start + lead, n - 1)]
                stack.append(("function", name, start))
            else:
                stack.append((kind, None, 0))
            header_start = i + 1
        i += 1
    return functions


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--limit", type=int, default=100, help="longest length allowed (default 100)")
    parser.add_argument("--top", type=int, default=10, help="how many of the longest to list (default 10)")
    parser.add_argument("paths", nargs="*", help="files or folders (default: src tools)")
    args = parser.parse_args()

    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    paths = args.paths or [os.path.join(root, "src"), os.path.join(root, "tools")]
    files = []
    for p in paths:
        if os.path.isfile(p):
            files.append(p)
        for dirpath, dirnames, filenames in os.walk(p):
            dirnames.sort()
            for fn in sorted(filenames):
                if fn.endswith(EXTENSIONS):
                    files.append(os.path.join(dirpath, fn))

    found = []
    for f in files:
        for length, path, line, name in scan(f):
            rel = os.path.relpath(path, root) if path.startswith(root) else path
            found.append((length, rel, line, name))
    found.sort(key=lambda x: (-x[0], x[1], x[2]))

    print(f"{len(found)} functions in {len(files)} files; the {min(args.top, len(found))} longest:")
    for length, path, line, name in found[: args.top]:
        print(f"{length:5d}  {path}:{line}  {name}")
    over = [x for x in found if x[0] > args.limit]
    if over:
        print(f"{len(over)} over {args.limit} lines:")
        for length, path, line, name in over:
            print(f"{length:5d}  {path}:{line}  {name}")
        return 1
    print(f"none over {args.limit} lines")
    return 0


if __name__ == "__main__":
    sys.exit(main())
