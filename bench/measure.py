#!/usr/bin/env python3
"""Times each command on each tree (best of 5 warm runs) and prints a Markdown table."""
import os
import subprocess
import sys
import time

cli = "build/release/src/palvorn-cli"
minimal = "build/bench/minimal_walk"
quarantine = "com.apple.quarantine"


def commands(tree):
    return [
        ("palvorn-cli crawl (all types)", [cli, "crawl", tree]),
        ("palvorn-cli crawl --type", [cli, "crawl", tree, "--type", quarantine]),
        ("palvorn-cli crawl --totals", [cli, "crawl", tree, "--totals"]),
        ("getfattr -R -P -h -m - (names)", ["getfattr", "-R", "-P", "-h", "-m", "-", "--absolute-names", tree]),
        ("getfattr ... -d -e hex (values)", ["getfattr", "-R", "-P", "-h", "-m", "-", "--absolute-names", "-d", "-e", "hex", tree]),
        ("minimal walk (all types)", [minimal, "all", tree]),
        ("minimal walk (one type)", [minimal, "one", "user." + quarantine, tree]),
        ("minimal walk (sizes)", [minimal, "sizes", tree]),
        ("relative minimal walk (all types)", [minimal, "--relative", "all", tree]),
        ("relative minimal walk (one type)", [minimal, "--relative", "one", "user." + quarantine, tree]),
        ("relative minimal walk (sizes)", [minimal, "--relative", "sizes", tree]),
        # The fallback for kernels without the *xattrat calls, forced on this one.
        ("palvorn-cli crawl (all types), /proc calls", ["env", "PALVORN_XATTR_PROC=1", cli, "crawl", tree]),
        ("relative minimal walk (all types), /proc calls", [minimal, "--relative-proc", "all", tree]),
    ]


def run(command):
    """Seconds and peak memory (MB) of one run. GNU time reports the memory: a child of this
    Python process would inherit the interpreter's own peak."""
    start = time.perf_counter()
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    seconds = time.perf_counter() - start
    return seconds, int(result.stderr.strip().splitlines()[-1]) / 1024


results = {}
for items in sys.argv[1:]:
    # Every command gets the same absolute path, as the windows hand it to the walk: a relative
    # path would make the kernel resolve fewer components for one command than for another.
    tree = os.path.abspath("build/bench/tree-%s" % items)
    for name, command in commands(tree):
        run(command)  # warm the caches
        # The best run is the one least disturbed by whatever else the machine was doing.
        runs = [run(command) for _ in range(5)]
        results[(items, name)] = (min(r[0] for r in runs), max(r[1] for r in runs))

print("| command | " + " | ".join("%s items: s (MB)" % i for i in sys.argv[1:]) + " |")
print("| --- |" + " ---: |" * len(sys.argv[1:]))
for name, _ in commands("x"):
    print("| %s | " % name + " | ".join("%.3f (%.0f)" % results[(i, name)] for i in sys.argv[1:]) + " |")
print()
pairs = [("palvorn-cli crawl (all types)", "all types"), ("palvorn-cli crawl --type", "one type"),
         ("palvorn-cli crawl --totals", "sizes")]
for items in sys.argv[1:]:
    t = lambda n: results[(items, n)][0]
    print("%s items: " % items + "; ".join(
        "%s %.2f x relative minimal, %.2f x full-path minimal" % (
            kind, t(name) / t("relative minimal walk (%s)" % kind), t(name) / t("minimal walk (%s)" % kind))
        for name, kind in pairs) +
        "; all types %.2f x getfattr names" % (
            t("palvorn-cli crawl (all types)") / t("getfattr -R -P -h -m - (names)")) +
        "; with /proc calls all types %.2f x their relative minimal" % (
            t("palvorn-cli crawl (all types), /proc calls") / t("relative minimal walk (all types), /proc calls")))
probe = subprocess.run([minimal, "--relative", "sizes", "/var/empty" if os.path.isdir("/var/empty") else "/tmp"],
                       capture_output=True, text=True).stdout.strip()
print()
print("descriptor-relative calls offered by this kernel (%s): %s" % (os.uname().release, probe.split("calls: ")[-1]))

# How the cost per item grows from the smallest tree to the largest.
sizes = sys.argv[1:]
if len(sizes) > 1:
    first, last = sizes[0], sizes[-1]
    growth = []
    for name, _ in commands("x"):
        if not name.startswith("getfattr"):
            per_item = lambda items: results[(items, name)][0] / int(items)
            growth.append("%s %+.0f %%" % (name, 100 * (per_item(last) / per_item(first) - 1)))
    print()
    print("cost per item from %s to %s items: %s" % (first, last, "; ".join(growth)))

# Peak memory of a one-type crawl over 16 files that each carry a 3 KB binary property list of
# shared references (a value whose description would run to tens of megabytes uncut).
amplifying = os.path.abspath("build/bench/amplifying")
subprocess.run(["python3", "bench/make-amplifying", amplifying], check=True)
seconds, peak = run([cli, "crawl", amplifying, "--type", "user.x"])
print()
print("crawl --type over 16 amplifying 3 KB values: %.3f s, peak %.0f MB" % (seconds, peak))
