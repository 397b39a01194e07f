#!/usr/bin/env python3
"""Times each command on each tree and prints Markdown tables: first with warm caches (best of 5
after a warm-up) at each thread count, then with cold caches (best of 3, caches dropped before
every timed run) where this user may drop them.

measure.py ITEMS...   measures the trees build/bench/tree-ITEMS, and dump and restore against
                      getfattr and setfattr on them and on build/bench/dump-tree-100000 (a
                      million attributes)
Environment:
  PALVORN_CLI             the palvorn-cli to measure (default build/release/src/palvorn-cli)
  PALVORN_BASELINE_CLI    a build from before the threaded walks, whose crawl and strip the
                          --threads 1 figures are held against (its rows are left out without it)
  PALVORN_BENCH_THREADS   the thread counts, comma-separated (default 1,2,4; 1 and the number of
                          cores are always added)
  PALVORN_BENCH_COLD=0    skips the cold-cache pass
  PALVORN_BENCH_PARTS     which parts to measure, comma-separated: walks, dump-restore (default
                          both)"""
import collections
import functools
import os
import subprocess
import sys
import time

cli = os.environ.get("PALVORN_CLI") or "build/release/src/palvorn-cli"
baseline = os.environ.get("PALVORN_BASELINE_CLI", "")
minimal = "build/bench/minimal_walk"
quarantine = "com.apple.quarantine"
# palvorn's walks default to one thread per core; the targets are held at that count.
cores = len(os.sched_getaffinity(0))
thread_counts = sorted({int(n) for n in os.environ.get("PALVORN_BENCH_THREADS", "1,2,4").split(",")}
                       | {1, cores})
drop_caches_file = "/proc/sys/vm/drop_caches"
parts = set(os.environ.get("PALVORN_BENCH_PARTS", "walks,dump-restore").split(","))
dump_tree = "build/bench/dump-tree-100000"
started = time.monotonic()
warm_runs, cold_runs = 5, 3

# threaded: measured at every thread count, else at one thread only (commands without the flag);
# cold: measured in the cold-cache pass too; strip: runs on a fresh copy of the tree.
Row = collections.namedtuple("Row", "name command threaded cold strip")


def threads(n):
    return ["--threads", str(n)]


def rows():
    result = [
        Row("palvorn-cli crawl (all types)", lambda tree, n: [cli, "crawl", tree] + threads(n),
            True, True, False),
        Row("palvorn-cli crawl --type",
            lambda tree, n: [cli, "crawl", tree, "--type", quarantine] + threads(n), True, True, False),
        Row("palvorn-cli crawl --totals", lambda tree, n: [cli, "crawl", tree, "--totals"] + threads(n),
            True, True, False),
        Row("palvorn-cli strip", lambda tree, n: [cli, "strip", tree, quarantine] + threads(n),
            True, True, True),
        Row("relative minimal walk (all types)",
            lambda tree, n: [minimal, "--relative"] + threads(n) + ["all", tree], True, True, False),
        Row("relative minimal walk (one type)",
            lambda tree, n: [minimal, "--relative"] + threads(n) + ["one", "user." + quarantine, tree],
            True, True, False),
        Row("relative minimal walk (sizes)",
            lambda tree, n: [minimal, "--relative"] + threads(n) + ["sizes", tree], True, True, False),
        Row("relative minimal walk (strip)",
            lambda tree, n: [minimal, "--relative"] + threads(n) + ["strip", "user." + quarantine, tree],
            True, True, True),
        Row("getfattr -R -P -h -m - (names)",
            lambda tree, n: ["getfattr", "-R", "-P", "-h", "-m", "-", "--absolute-names", tree],
            False, False, False),
        Row("getfattr ... -d -e hex (values)",
            lambda tree, n: ["getfattr", "-R", "-P", "-h", "-m", "-", "--absolute-names", "-d", "-e",
                             "hex", tree], False, False, False),
        Row("minimal walk (all types), full paths", lambda tree, n: [minimal, "all", tree],
            False, False, False),
        Row("minimal walk (one type), full paths",
            lambda tree, n: [minimal, "one", "user." + quarantine, tree], False, False, False),
        Row("minimal walk (sizes), full paths", lambda tree, n: [minimal, "sizes", tree],
            False, False, False),
        # The fallback for kernels without the *xattrat calls, forced on this one.
        Row("palvorn-cli crawl (all types), /proc calls",
            lambda tree, n: ["env", "PALVORN_XATTR_PROC=1", cli, "crawl", tree] + threads(1),
            False, False, False),
        Row("relative minimal walk (all types), /proc calls",
            lambda tree, n: [minimal, "--relative-proc", "all", tree], False, False, False),
    ]
    if baseline:
        # The build from before the threaded walks knows no --threads: it always walks on one.
        result += [
            Row("baseline crawl (all types)", lambda tree, n: [baseline, "crawl", tree],
                False, True, False),
            Row("baseline crawl --type", lambda tree, n: [baseline, "crawl", tree, "--type", quarantine],
                False, True, False),
            Row("baseline crawl --totals", lambda tree, n: [baseline, "crawl", tree, "--totals"],
                False, True, False),
            Row("baseline strip", lambda tree, n: [baseline, "strip", tree, quarantine],
                False, True, True),
        ]
    return result


def run(command):
    """Seconds and peak memory (MB) of one run. GNU time reports the memory: a child of this
    Python process would inherit the interpreter's own peak."""
    start = time.perf_counter()
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True, errors="replace")
    seconds = time.perf_counter() - start
    # A command that refused its arguments would otherwise be timed as a very fast walk.
    if result.returncode != 0:
        sys.exit("failed with exit status %d: %s\n%s" % (result.returncode, " ".join(command),
                                                          result.stderr))
    return seconds, int(result.stderr.strip().splitlines()[-1]) / 1024


def summary(tree, *mode):
    """The minimal walk's "N items, N bytes" over tree: a cheap fingerprint of its attributes."""
    line = subprocess.run([minimal, "--relative"] + list(mode) + [tree], capture_output=True,
                          text=True, check=True).stdout
    return line.split(", calls:")[0]


def remove(folder):
    if os.path.lexists(folder):
        subprocess.run(["rm", "-rf", folder], check=True)  # faster than shutil.rmtree
        os.sync()  # so that writing back the removal does not fall into the next timed run


@functools.cache
def attributes_of(tree):
    return summary(tree, "sizes")


class StripCopies:
    """Fresh copies of a tree for the strips to remove from, each deleted after use.

    On ext4 without a journal (as on the development machine) the allocator skips every inode
    freed in the last minutes, and scans past each of them again for every new inode: a copy made
    where the last one was just deleted takes ten times as long as the first. So the copies go into
    a folder marked as the top of a hierarchy (chattr +T), below which ext4 spreads new folders
    over the disk, each under a name of its own, and a copy is deleted only once two newer ones
    are made, so that a new copy does not land where the copies before it were freed. At most
    three copies exist at a time."""

    kept = 2

    def __init__(self):
        self.folder = os.path.abspath("build/bench/strip-copies")
        self.copies = []
        self.made = 0

    def make(self, tree):
        """A copy of tree with its attributes and links, checked and written to disk."""
        if not os.path.isdir(self.folder):
            os.makedirs(self.folder)
            # Only where the file system has the flag; elsewhere the copies are merely slower.
            subprocess.run(["chattr", "+T", self.folder], stderr=subprocess.DEVNULL, check=False)
        self.made += 1
        copy = os.path.join(self.folder, "%s-%d" % (os.path.basename(tree), self.made))
        # --preserve=xattr after -a makes a lost attribute an error instead of a silent omission.
        subprocess.run(["cp", "-a", "--preserve=xattr", tree, copy], check=True)
        self.copies.append(copy)
        while len(self.copies) > self.kept + 1:
            remove(self.copies.pop(0))
        # Checked after the deletion, so that this walk leaves every folder block and inode of the
        # copy in the caches right before the strip: a copy alone left some of them to be read
        # from disk during the timed run (up to 7 MB, more after a deletion), by whichever strip
        # came next.
        if summary(copy, "sizes") != attributes_of(tree):
            sys.exit("the copy %s does not carry the attributes of %s" % (copy, tree))
        # The copy's writes, the deletion's and the folders' access times just updated are not to
        # be flushed while the strip is timed.
        os.sync()
        return copy

    def clear(self):
        remove(self.folder)
        self.copies = []


copies = StripCopies()


def drop_caches():
    os.sync()
    with open(drop_caches_file, "w") as control:
        control.write("3\n")


def cold_pass_refusal():
    """Why caches cannot be dropped here, or None when they can."""
    if os.environ.get("PALVORN_BENCH_COLD") == "0":
        return "skipped (PALVORN_BENCH_COLD=0)"
    try:
        drop_caches()
    except OSError as error:
        return "not possible here: cannot write %s (%s; it needs root outside a container)" % (
            drop_caches_file, error.strerror)
    return None


def trial(row, tree, n, cold):
    """One timed run of row on tree at n threads; a strip gets a fresh copy made before the timer
    starts, and is checked to have removed every quarantine attribute from it."""
    target = copies.make(tree) if row.strip else tree
    if cold:
        drop_caches()
    figures = run(row.command(target, n))
    if row.strip:
        left = summary(target, "one", "user." + quarantine)
        if not left.endswith(" 0 bytes"):
            sys.exit("%s at %d threads left %s of %s in %s" % (row.name, n, left, quarantine, target))
    return figures


def counts_of(row):
    return thread_counts if row.threaded else [1]


def measure_pass(sizes, cold):
    """Best time and highest peak memory of each command on each tree. The commands take turns,
    one run each per round, so that a busy spell of the machine falls on all of them alike; of
    the rounds, the best run is the one least disturbed by whatever else the machine was doing.
    Every other round runs them in the opposite order, so that what one command leaves behind (a
    strip's copies being written back, say) does not always fall on the same next one. With warm
    caches a first round warms them and is not counted."""
    results = {}
    for items in sizes:
        # Every command gets the same absolute path, as the windows hand it to the walk: a relative
        # path would make the kernel resolve fewer components for one command than for another.
        tree = os.path.abspath("build/bench/tree-%s" % items)
        jobs = [(row, n) for row in rows() if row.cold or not cold for n in counts_of(row)]
        runs = collections.defaultdict(list)
        rounds = cold_runs if cold else warm_runs + 1
        try:
            for turn in range(rounds):
                print("[%4.0f s] %s caches, %s items: round %d of %d" % (
                    time.monotonic() - started, "cold" if cold else "warm", label(items), turn + 1,
                    rounds), file=sys.stderr, flush=True)
                for row, n in (jobs if turn % 2 == 0 else reversed(jobs)):
                    # A strip's fresh copy is warm from being made: it needs no warming run.
                    if row.strip and not cold and turn == 0:
                        continue
                    figures = trial(row, tree, n, cold)
                    if cold or turn > 0:
                        runs[(row.name, n)].append(figures)
        finally:
            copies.clear()
        for (name, n), figures in runs.items():
            results[(items, name, n)] = (min(f[0] for f in figures), max(f[1] for f in figures))
    return results


def label(items):
    return "{:,}".format(int(items))


def thread_label(n):
    return "%d thread%s" % (n, "" if n == 1 else "s")


def print_figures(results, sizes, cold):
    for items in sizes:
        print()
        print("%s, %s items: seconds (peak MB), best of %s" % (
            "Cold caches" if cold else "Warm caches", label(items),
            "%d, caches dropped before each run" % cold_runs if cold else "%d after a warm-up" % warm_runs))
        print()
        print("| command | " + " | ".join(thread_label(n) for n in thread_counts) + " |")
        print("| --- |" + " ---: |" * len(thread_counts))
        for row in rows():
            if cold and not row.cold:
                continue
            cells = ["%.3f (%.0f)" % results[(items, row.name, n)] if (items, row.name, n) in results
                     else "—" for n in thread_counts]
            print("| %s | %s |" % (row.name, " | ".join(cells)))


# Each palvorn walk against the relative minimal walk of the same calls on one thread.
MODES = [("crawl (all types)", "palvorn-cli crawl (all types)", "all types"),
         ("crawl --type", "palvorn-cli crawl --type", "one type"),
         ("crawl --totals", "palvorn-cli crawl --totals", "sizes"),
         ("strip", "palvorn-cli strip", "strip")]


def ratio_specs():
    """(what, numerator (row, threads), denominator (row, threads), target or None)."""
    specs = []
    for what, row, mode in MODES:
        minimal_row = "relative minimal walk (%s)" % mode
        specs.append(("%s, 1 thread / relative minimal walk (%s), 1 thread" % (what, mode),
                      (row, 1), (minimal_row, 1), 1.05))
        specs.append(("%s, %d threads / relative minimal walk (%s), 1 thread" % (what, cores, mode),
                      (row, cores), (minimal_row, 1), 0.60))
    if baseline:
        specs += [("%s --threads 1 / baseline" % what, ("palvorn-cli %s" % what, 1), ("baseline %s" % what, 1),
                   1.05) for what in ("crawl (all types)", "crawl --type", "crawl --totals", "strip")]
    # What threads give the system calls alone on this machine.
    specs += [("relative minimal walk (%s), %d threads / 1 thread" % (mode, cores),
               ("relative minimal walk (%s)" % mode, cores), ("relative minimal walk (%s)" % mode, 1), None)
              for _, _, mode in MODES]
    return specs


def print_ratios(results, sizes, cold):
    print()
    print("%s: ratios of the times (targets on the 100,000-item tree; %d threads = the cores)" % (
        "Cold caches" if cold else "Warm caches", cores))
    print()
    print("| ratio | target | " + " | ".join("%s items" % label(i) for i in sizes) + " | met at 100,000 |")
    print("| --- | ---: |" + " ---: |" * len(sizes) + " :---: |")
    for what, (top, top_n), (bottom, bottom_n), target in ratio_specs():
        values = {}
        for items in sizes:
            if (items, top, top_n) in results and (items, bottom, bottom_n) in results:
                values[items] = results[(items, top, top_n)][0] / results[(items, bottom, bottom_n)][0]
        cells = ["%.2f" % values[i] if i in values else "—" for i in sizes]
        met = "—" if target is None or "100000" not in values else "yes" if values["100000"] <= target else "no"
        print("| %s | %s | %s | %s |" % (what, "≤ %.2f" % target if target else "—", " | ".join(cells), met))


def print_peak_memory(results, sizes):
    """Peak memory on the largest tree measured, which the target names at 300,000 items."""
    items = max(sizes, key=int)
    print()
    print("Peak memory (MB) on the %s-item tree (target under 64 MB on 300,000 items)" % label(items))
    print()
    print("| command | " + " | ".join(thread_label(n) for n in thread_counts) + " | under 64 MB |")
    print("| --- |" + " ---: |" * len(thread_counts) + " :---: |")
    for row in rows():
        if row.name.startswith(("palvorn-cli crawl", "palvorn-cli strip")) and row.threaded:
            peaks = [results[(items, row.name, n)][1] for n in thread_counts]
            print("| %s | %s | %s |" % (row.name, " | ".join("%.0f" % p for p in peaks),
                                        "yes" if max(peaks) < 64 else "no"))


def print_one_thread_notes(results, sizes):
    """The ratios the earlier figures were given in, at one thread."""
    t = lambda items, name: results[(items, name, 1)][0]
    print()
    for items in sizes:
        print("%s items, 1 thread: " % items + "; ".join(
            "%s %.2f x relative minimal, %.2f x full-path minimal" % (
                kind, t(items, name) / t(items, "relative minimal walk (%s)" % kind),
                t(items, name) / t(items, "minimal walk (%s), full paths" % kind))
            for name, kind in [("palvorn-cli crawl (all types)", "all types"),
                               ("palvorn-cli crawl --type", "one type"),
                               ("palvorn-cli crawl --totals", "sizes")]) +
            "; all types %.2f x getfattr names" % (
                t(items, "palvorn-cli crawl (all types)") / t(items, "getfattr -R -P -h -m - (names)")) +
            "; with /proc calls all types %.2f x their relative minimal" % (
                t(items, "palvorn-cli crawl (all types), /proc calls") /
                t(items, "relative minimal walk (all types), /proc calls")))
    probe = subprocess.run([minimal, "--relative", "sizes", "/var/empty" if os.path.isdir("/var/empty") else "/tmp"],
                           capture_output=True, text=True).stdout.strip()
    print()
    print("descriptor-relative calls offered by this kernel (%s): %s" % (
        os.uname().release, probe.split("calls: ")[-1]))
    # How the cost per item grows from the smallest tree to the largest.
    if len(sizes) > 1:
        first, last = sizes[0], sizes[-1]
        growth = []
        for row in rows():
            if not row.name.startswith("getfattr"):
                per_item = lambda items: results[(items, row.name, 1)][0] / int(items)
                growth.append("%s %+.0f %%" % (row.name, 100 * (per_item(last) / per_item(first) - 1)))
        print()
        print("cost per item at 1 thread from %s to %s items: %s" % (first, last, "; ".join(growth)))


def print_amplifying():
    """Peak memory of a one-type crawl over 16 files that each carry a 3 KB binary property list
    of shared references (a value whose description would run to tens of megabytes uncut)."""
    amplifying = os.path.abspath("build/bench/amplifying")
    subprocess.run(["python3", "bench/make-amplifying", amplifying], check=True, stdout=subprocess.DEVNULL)
    seconds, peak = run([cli, "crawl", amplifying, "--type", "user.x"])
    print()
    print("crawl --type over 16 amplifying 3 KB values: %.3f s, peak %.0f MB" % (seconds, peak))


def dump_restore_rows(tree, dump):
    """The dump of a tree and its restore, palvorn-cli's beside the attr tools', all in base64
    (the form that keeps every value). Both restores apply getfattr's dump of the tree, which sets
    every attribute to the value it already has."""
    getfattr = ["getfattr", "-R", "-P", "-h", "-d", "-m", "-", "--absolute-names", "-e", "base64"]
    return [
        ("palvorn-cli dump -R", [cli, "dump", "-R", tree]),
        ("getfattr -R -P -h -d -m - -e base64", getfattr + [tree]),
        ("palvorn-cli restore", [cli, "restore", dump]),
        ("setfattr --restore", ["setfattr", "--restore=" + dump]),
    ]


def measure_dump_restore(sizes):
    """Best of 5 after a warm-up for each command on each tree, the commands taking turns; the
    dumps are checked to be byte for byte the same first."""
    trees = [("%s items" % label(items), os.path.abspath("build/bench/tree-%s" % items))
             for items in sizes]
    trees.append(("%s files with 10 attributes each" % label(100000), os.path.abspath(dump_tree)))
    results = {}
    for name, tree in trees:
        if not os.path.isdir(tree):
            sys.exit("%s is missing: bench/run makes it" % tree)
        dump = tree + ".dump"
        reference = subprocess.run(dump_restore_rows(tree, dump)[1][1], capture_output=True,
                                   check=True).stdout
        with open(dump, "wb") as file:
            file.write(reference)
        if subprocess.run([cli, "dump", "-R", tree], capture_output=True, check=True).stdout != reference:
            sys.exit("palvorn-cli dump -R %s is not getfattr's dump" % tree)
        entries = sum(1 for line in reference.splitlines() if line and not line.startswith(b"#"))
        runs = collections.defaultdict(list)
        for turn in range(warm_runs + 1):
            print("[%4.0f s] dump and restore, %s: round %d of %d" % (
                time.monotonic() - started, name, turn + 1, warm_runs + 1), file=sys.stderr, flush=True)
            for what, command in dump_restore_rows(tree, dump):
                figures = run(command)
                if turn > 0:
                    runs[what].append(figures)
        results[name] = ({what: (min(f[0] for f in figures), max(f[1] for f in figures))
                          for what, figures in runs.items()}, entries)
    return results


def print_dump_restore(results):
    print()
    print("Dump and restore against getfattr and setfattr, warm caches: seconds (peak MB), best of %d "
          "after a warm-up" % warm_runs)
    print()
    print("| tree | entries | palvorn-cli dump -R | getfattr -d | ratio | palvorn-cli restore | "
          "setfattr --restore | ratio |")
    print("| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: |")
    for name, (figures, entries) in results.items():
        dump, getfattr = figures["palvorn-cli dump -R"], figures["getfattr -R -P -h -d -m - -e base64"]
        restore, setfattr = figures["palvorn-cli restore"], figures["setfattr --restore"]
        print("| %s | %s | %.3f (%.0f) | %.3f (%.0f) | %.2f | %.3f (%.0f) | %.3f (%.0f) | %.2f |" % (
            name, label(entries), *dump, *getfattr, dump[0] / getfattr[0], *restore, *setfattr,
            restore[0] / setfattr[0]))


def measure_walks(sizes):
    warm = measure_pass(sizes, cold=False)
    print_figures(warm, sizes, cold=False)
    print_ratios(warm, sizes, cold=False)
    print_peak_memory(warm, sizes)
    print_one_thread_notes(warm, sizes)
    print_amplifying()
    refusal = cold_pass_refusal()
    if refusal:
        print()
        print("Cold caches: %s." % refusal)
    else:
        cold = measure_pass(sizes, cold=True)
        print_figures(cold, sizes, cold=True)
        print_ratios(cold, sizes, cold=True)


def main():
    sizes = sys.argv[1:]
    print("%d cores; thread counts %s; %s" % (
        cores, ", ".join(map(str, thread_counts)),
        "baseline %s" % baseline if baseline else "no baseline build (PALVORN_BASELINE_CLI unset)"))
    if "walks" in parts:
        measure_walks(sizes)
    if "dump-restore" in parts:
        print_dump_restore(measure_dump_restore(sizes))
    print()
    print("measured in %.0f minutes" % ((time.monotonic() - started) / 60))


if __name__ == "__main__":
    main()
