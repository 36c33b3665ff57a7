#!/usr/bin/env python3
"""Plants known faults in the bridge, one at a time, and checks that a test
notices each of them.

Every fault in faults.py is one behaviour a user relies on, broken by one
exact text replacement in one file. For each fault the runner puts the
replacement in, rebuilds only the test programs named for it, runs their
tests through CTest and puts the original text back. A fault is CAUGHT when
a test fails (or times out) and MISSED when they all pass; BROKEN when it
does not compile, GONE when its text is no longer found exactly once.

    python3 tests/mutation/run_faults.py               # all faults
    python3 tests/mutation/run_faults.py --only seq-offset,dc2-answer-wait
    python3 tests/mutation/run_faults.py --list
    python3 tests/mutation/run_faults.py --in-place build   # use ./build

By default the checkout's files (tracked and new ones, as they are on disk)
are synchronised into a scratch tree (--work, /tmp/zorbel-faults) with its
own build directory, which later runs reuse; the checkout is never touched.
--in-place mutates the checkout itself and uses an existing build
directory (faster, since nothing is built twice); every file is restored
after each fault, also on Ctrl-C, and the run refuses to start when the
files it would change have uncommitted edits.

The exit status is 0 when every fault was caught, 1 otherwise.
"""
import argparse
import importlib.util
import os
import pathlib
import re
import shutil
import signal
import subprocess
import sys
import time

HERE = pathlib.Path(__file__).resolve().parent


def load_faults(path):
    loader = importlib.util.spec_from_file_location("faults", path)
    module = importlib.util.module_from_spec(loader)
    loader.loader.exec_module(module)
    return module.FAULTS


def run(cmd, log, timeout=None, env=None):
    with open(log, "a") as out:
        out.write("\n$ " + " ".join(cmd) + "\n")
        out.flush()
        try:
            return subprocess.run(cmd, stdout=out, stderr=subprocess.STDOUT, timeout=timeout,
                                  env=env).returncode
        except subprocess.TimeoutExpired:
            return 124


def sync_tree(checkout, tree):
    """Copies the checkout's files into tree, writing only those that differ
    so that the scratch build stays incremental."""
    listed = subprocess.run(
        ["git", "-C", str(checkout), "ls-files", "-z", "--cached", "--others",
         "--exclude-standard"], capture_output=True, check=True).stdout.split(b"\0")
    for rel in filter(None, listed):
        src, dst = checkout / os.fsdecode(rel), tree / os.fsdecode(rel)
        if not src.is_file():
            continue
        data = src.read_bytes()
        if dst.is_file() and dst.read_bytes() == data:
            continue
        dst.parent.mkdir(parents=True, exist_ok=True)
        dst.write_bytes(data)


def suites_of(build, target):
    """The GoogleTest suite names of one built test program."""
    exe = next((p for p in build.rglob(target) if p.is_file() and os.access(p, os.X_OK)), None)
    if exe is None:
        return []
    out = subprocess.run([str(exe), "--gtest_list_tests"], capture_output=True, text=True,
                         timeout=60).stdout
    suites = []
    for line in out.splitlines():
        if line and not line.startswith(" ") and line.endswith("."):
            name = line[:-1].split("/")[-1]  # a parameterised suite's prefix goes
            if name not in suites:
                suites.append(name)
    return suites


def ctest_regex(suites):
    return "^([A-Za-z0-9_]+/)?(" + "|".join(re.escape(s) for s in suites) + r")\."


def main():
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--faults", default=str(HERE / "faults.py"))
    ap.add_argument("--checkout", default=str(HERE.parent.parent))
    ap.add_argument("--work", default="/tmp/zorbel-faults")
    ap.add_argument("--in-place", metavar="BUILD_DIR", default="")
    ap.add_argument("--only", default="", help="comma-separated fault ids")
    ap.add_argument("--list", action="store_true", help="print the faults and stop")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--test-timeout", type=int, default=120, help="seconds per test")
    args = ap.parse_args()

    faults = load_faults(args.faults)
    ids = [f["id"] for f in faults]
    if len(set(ids)) != len(ids):
        print("faults: duplicate ids")
        return 1
    if args.list:
        for f in faults:
            print(f"{f['id']:28} {f['area']:13} {f['what']}")
        return 0
    only = set(filter(None, args.only.split(",")))
    unknown = only - set(ids)
    if unknown:
        print("faults: unknown ids: " + ",".join(sorted(unknown)))
        return 1
    chosen = [f for f in faults if not only or f["id"] in only]

    checkout = pathlib.Path(args.checkout).resolve()
    env = dict(os.environ)
    if args.in_place:
        tree, build = checkout, pathlib.Path(args.in_place).resolve()
        files = sorted({f["file"] for f in chosen})
        if subprocess.run(["git", "-C", str(checkout), "diff", "--quiet", "HEAD", "--"] + files
                          ).returncode != 0:
            print("faults: the files to be changed have uncommitted edits; commit them first")
            return 1
        if not (build / "build.ninja").exists():
            print(f"faults: {build} is not a configured Ninja build directory")
            return 1
        log = build / "faults-log.txt"
    else:
        work = pathlib.Path(args.work).resolve()
        tree, build, log = work / "tree", work / "tree" / "build", work / "log.txt"
        tree.mkdir(parents=True, exist_ok=True)
        sync_tree(checkout, tree)
        # Objects are shared with other builds of the same sources through
        # ccache when it is installed.
        env["CCACHE_BASEDIR"] = str(tree)
        env["CCACHE_NOHASHDIR"] = "1"
        if not (build / "build.ninja").exists():
            cmd = ["cmake", "-S", str(tree), "-B", str(build), "-G", "Ninja",
                   "-DCMAKE_BUILD_TYPE=RelWithDebInfo"]
            if shutil.which("ccache"):
                cmd += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
            if run(cmd, log, env=env) != 0:
                print(f"faults: configure failed (log: {log})")
                return 1
    log.parent.mkdir(parents=True, exist_ok=True)
    jobs = str(args.jobs)

    def build_targets(targets):
        return run(["cmake", "--build", str(build), "-j", jobs, "--target"] + targets, log,
                   env=env) == 0

    def run_tests(regex):
        return run(["ctest", "--test-dir", str(build), "-j", jobs, "--timeout",
                    str(args.test_timeout), "--no-tests=error", "--stop-on-failure", "-R",
                    regex], log, timeout=args.test_timeout * 20, env=env)

    # The unchanged sources first: every test named must pass as it is.
    t0 = time.time()
    targets = sorted({t for f in chosen for t in f["tests"]})
    if not build_targets(targets):
        print(f"faults: the unchanged build fails (log: {log})")
        return 1
    regex = {}
    for t in targets:
        suites = suites_of(build, t)
        if not suites:
            print(f"faults: no tests found in {t}")
            return 1
        regex[t] = suites
    everything = ctest_regex(sorted({s for t in targets for s in regex[t]}))
    if run_tests(everything) != 0:
        print(f"faults: the unchanged tests fail (log: {log})")
        return 1
    print(f"baseline: {len(targets)} test programs built and passed in {time.time() - t0:.0f} s",
          flush=True)

    results = {}
    for f in chosen:
        path = tree / f["file"]
        text = path.read_bytes().decode("latin-1") if path.is_file() else ""
        if text.count(f["old"]) != 1:
            results[f["id"]] = "GONE"
            print(f"GONE     {f['id']}: {text.count(f['old'])} matches in {f['file']}", flush=True)
            continue
        start = time.time()
        try:
            path.write_bytes(text.replace(f["old"], f["new"]).encode("latin-1"))
            if not build_targets(f["tests"]):
                verdict = "BROKEN"
            else:
                suites = sorted({s for t in f["tests"] for s in regex[t]})
                verdict = "MISSED" if run_tests(ctest_regex(suites)) == 0 else "CAUGHT"
        finally:
            path.write_bytes(text.encode("latin-1"))
        results[f["id"]] = verdict
        print(f"{verdict:8} {f['id']}: {f['what']} ({time.time() - start:.0f} s)", flush=True)
    # Leave the programs built from the unchanged sources.
    build_targets(targets)

    def named(v):
        return ",".join(k for k, r in results.items() if r == v) or "none"

    caught = sum(1 for r in results.values() if r == "CAUGHT")
    print(f"faults: caught {caught}/{len(results)} in {time.time() - t0:.0f} s; "
          f"missed: {named('MISSED')}; broken: {named('BROKEN')}; gone: {named('GONE')}")
    return 0 if caught == len(results) else 1


if __name__ == "__main__":
    sys.exit(main())
