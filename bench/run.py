#!/usr/bin/env python3
"""Times whole runs of the calculators and their peers on generated calculation streams.

Each workload is one input file; every program reads it on standard input with its output sent to a
file, several runs each, and the median wall time is reported. Peers: a getc/putchar copy (the I/O
floor), a small GMP program (the practical limit), bc and python3. Every calculator's output is
checked against the GMP program's. Writes a markdown table (bench/RESULTS.md by default) and, when
gnuplot is present, a PNG plot of multiplication time against digits.
"""
import argparse
import os
import platform
import random
import shlex
import shutil
import signal
import statistics
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
CALCULATORS = ["karatsuba_calc", "string_calc", "reversed_calc", "batch_calc", "list_calc", "ascii_calc"]


def number(rng, digits, signed):
    text = str(rng.randint(1, 9)) + "".join(rng.choice("0123456789") for _ in range(digits - 1))
    return ("-" + text) if signed and rng.random() < 0.5 else text


def big_number(rng, digits):
    # Long operands: random 18-digit blocks are much faster to make than single digits.
    blocks = [str(rng.randint(10**17, 10**18 - 1)) for _ in range(digits // 18 + 1)]
    return "".join(blocks)[:digits]


def count_name(n):
    """A count as workload names write it: 10^6 and 3x10^5 from 100,000 up, digits below."""
    exponent = len(str(n)) - 1
    lead = n // 10**exponent
    if exponent < 5 or n != lead * 10**exponent:
        return str(n)
    return ("" if lead == 1 else "%dx" % lead) + "10^%d" % exponent


def balanced_product(n):
    """The workload of one product of two random n-digit factors."""
    return ("mul %d digits" % n, ("balanced", n),
            lambda r: big_number(r, n) + "\n" + big_number(r, n) + "\n*\n")


def workloads(quick, million=False):
    """(name, plot, generator) for each workload: plot is ("balanced", digits), ("long x short",
    None) or None. Names give the sizes that run, --quick's tenths included. With million, the
    balanced product of two 10^6-digit factors comes last, so that the others keep their inputs."""
    scale = 10 if quick else 1
    sizes = [n // scale for n in (1000, 10000, 100000, 300000)]
    small = 100000 // scale
    items = [
        ("add 2 x %s digits" % count_name(10**7 // scale), None, lambda r: big_number(
            r, 10**7 // scale) + "\n" + big_number(r, 10**7 // scale) + "\n+\n"),
        ("%dk small +/-" % (small // 1000), None, lambda r: small_stream(r, small, "+-")),
        ("%dk small mixed" % (small // 1000), None, lambda r: small_stream(r, small, "+-*")),
    ]
    items += [balanced_product(n) for n in sizes]
    # Long times short, the most common product, each way round: a short factor must cost what
    # its digits need, not what the long one's length would give it.
    zero_run = "0" * (300000 // scale) + "7"
    shapes = [
        ("%s x 1 digit" % count_name(10**6 // scale), lambda r: big_number(r, 10**6 // scale),
         lambda r: "7"),
        ("%s x 100 digits" % count_name(10**5 // scale), lambda r: big_number(r, 10**5 // scale),
         lambda r: big_number(r, 100)),
        ("%s zeros, 7 x 1 digit" % count_name(300000 // scale), lambda r: zero_run, lambda r: "3"),
    ]
    for name, long, short in shapes:
        items.append(("mul " + name, ("long x short", None),
                      lambda r, long=long, short=short: long(r) + "\n" + short(r) + "\n*\n"))
        swapped = " x ".join(reversed(name.split(" x ")))
        items.append(("mul " + swapped, ("long x short", None),
                      lambda r, long=long, short=short: short(r) + "\n" + long(r) + "\n*\n"))
    if million:
        items.append(balanced_product(10**6 // scale))
    return items


def small_stream(rng, count, operators):
    lines = []
    for _ in range(count):
        lines.append(number(rng, rng.randint(25, 35), True))
        lines.append(number(rng, rng.randint(25, 35), True))
        lines.append(rng.choice(operators))
    return "\n".join(lines) + "\n"


def bc_input(stream):
    lines = stream.split("\n")
    exprs = ["(%s)%s(%s)" % (lines[i], lines[i + 2], lines[i + 1]) for i in range(0, len(lines) - 2, 3)]
    return "\n".join(exprs) + "\n"


PYTHON_PEER = """
import sys
sys.set_int_max_str_digits(0)
lines = sys.stdin.read().split("\\n")
out = []
for i in range(0, len(lines) - 2, 3):
    a, b, op = int(lines[i]), int(lines[i + 1]), lines[i + 2]
    out.append(str(a + b if op == "+" else a - b if op == "-" else a * b))
sys.stdout.write("\\n".join(out) + "\\n")
"""


def time_run(command, input_path, output_path, env, timeout, peak_memory):
    """(wall time, peak resident memory in bytes) of one run, or None when it is killed at the
    timeout. The command runs under the small peak_memory launcher, which reports its peak.

    The process is waited for with a blocking wait: subprocess's own timeout polls with sleeps of
    up to 50 ms, which would round every short run up to that step."""
    peak_file = output_path + ".peak"
    with open(input_path, "rb") as stdin, open(output_path, "wb") as stdout:
        start = time.perf_counter()
        # A session of its own, so that the timeout kills the command with its launcher.
        process = subprocess.Popen([peak_memory, peak_file] + command, stdin=stdin, stdout=stdout,
                                   stderr=subprocess.DEVNULL, env=env, start_new_session=True)
        killer = threading.Timer(timeout, os.killpg, (process.pid, signal.SIGKILL))
        killer.start()
        process.wait()
        elapsed = time.perf_counter() - start
        killer.cancel()
    if elapsed >= timeout:
        return None
    with open(peak_file) as f:
        return elapsed, int(f.read()) * 1024


def machine():
    model = "unknown processor"
    try:
        with open("/proc/cpuinfo") as info:
            for line in info:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return "%s, %d cores, %s %s" % (model, os.cpu_count() or 0, platform.system(), platform.release())


def kernel_form(build):
    """Which compiled form of the digit-product kernel (common/digit_product.hpp) the programs
    of this build run here: the widest vector unit the processor has, unless the build was
    configured with CALC_PORTABLE_KERNEL."""
    try:
        with open(os.path.join(build, "CMakeCache.txt")) as cache:
            if "CALC_PORTABLE_KERNEL:BOOL=ON" in cache.read():
                return "baseline (the build has CALC_PORTABLE_KERNEL=ON)"
    except OSError:
        pass
    if platform.machine() not in ("x86_64", "AMD64"):
        return "baseline (no x86-64 variants on %s)" % platform.machine()
    flags = set()
    try:
        with open("/proc/cpuinfo") as info:
            for line in info:
                if line.startswith("flags"):
                    flags = set(line.split(":", 1)[1].split())
                    break
    except OSError:
        pass
    if "avx512bw" in flags and "avx512_vnni" in flags:
        return "AVX-512 VNNI"
    if "avx512bw" in flags:
        return "AVX-512BW"
    if "avx2" in flags:
        return "AVX2"
    return "baseline (SSE2)"


def program_forms(build, programs):
    """Each calculator's form of its products here: the kernel's (and list_calc's blocks of rows,
    chosen alike) or, for karatsuba_calc, none (its steps multiply native integers)."""
    form = kernel_form(build)
    return ", ".join("%s: %s" % (p, "no vector form" if p == "karatsuba_calc" else form)
                     for p in programs)


def single_thread(who):
    """The label of a calculator's run with --threads=1."""
    return who + " --threads=1"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "check"),
                        help="build directory: the calculators in its bin/, io_floor, gmp_calc and"
                        " peak_memory in its bench/ (default: %(default)s)")
    parser.add_argument("--programs", nargs="*", metavar="NAME",
                        help="calculators to time (default: every one built)")
    parser.add_argument("--peers", nargs="*", default=["io_floor", "gmp", "bc", "python3"],
                        metavar="PEER", help="peers to time beside them (default: %(default)s)")
    parser.add_argument("--only", metavar="TEXT",
                        help="time only the workloads whose name contains TEXT (e.g. 'mul 100000')")
    parser.add_argument("--runs", type=int, default=3,
                        help="runs of each program on each workload; the median is reported"
                        " (default: %(default)s)")
    parser.add_argument("--timeout", type=float, default=120,
                        help="seconds before a run is abandoned, shown as '> S s' (default: %(default)s)")
    parser.add_argument("--million", action="store_true",
                        help="also time the balanced product of two 10^6-digit factors, last (bc and"
                        " python3 take minutes on it)")
    parser.add_argument("--quick", action="store_true",
                        help="a tenth of the sizes, for a smoke run; the names give those sizes")
    parser.add_argument("--out", default=os.path.join(HERE, "RESULTS.md"),
                        help="markdown table to write; the plots go beside it (default: %(default)s)")
    args = parser.parse_args()

    bin_dir = os.path.join(args.build, "bin")
    peak_memory = os.path.join(args.build, "bench", "peak_memory")
    programs = args.programs or [p for p in CALCULATORS if os.path.exists(os.path.join(bin_dir, p))]
    commands = {}
    peer_commands = {
        "io_floor": [os.path.join(args.build, "bench", "io_floor")],
        "gmp": [os.path.join(args.build, "bench", "gmp_calc")],
        "bc": ["bc", "-q"],
        "python3": [sys.executable, "-c", PYTHON_PEER],
    }
    for peer in args.peers:
        if peer == "bc" and not shutil.which("bc"):
            continue
        commands[peer] = peer_commands[peer]
    for p in programs:
        commands[p] = [os.path.join(bin_dir, p)]

    work = os.path.join(HERE, "work")
    os.makedirs(work, exist_ok=True)
    env = dict(os.environ, BC_LINE_LENGTH="0")
    rows = []
    plots = {"balanced": {}, "long x short": {}}
    for index, (name, plot, make) in enumerate(workloads(args.quick, args.million)):
        if args.only and args.only not in name:
            continue
        stream = make(random.Random(1000 + index))
        paths = {}
        paths["calc"] = os.path.join(work, "w%d.in" % index)
        paths["bc"] = os.path.join(work, "w%d.bc" % index)
        with open(paths["calc"], "w") as f:
            f.write(stream)
        with open(paths["bc"], "w") as f:
            f.write(bc_input(stream))
        reference = os.path.join(work, "w%d.gmp.out" % index)
        subprocess.run(peer_commands["gmp"], stdin=open(paths["calc"], "rb"), stdout=open(reference, "wb"), check=True)
        times = {}
        # A product is timed with one thread and with every core (the default), so that the
        # gain of the threads shows; the other workloads never use more than one.
        runs_of = [(single_thread(who), command + ["--threads=1"]) for who, command in commands.items()
                   if plot and who in programs] + list(commands.items())
        for who, command in runs_of:
            input_path = paths["bc"] if who == "bc" else paths["calc"]
            output = os.path.join(work, "w%d.%s.out" % (index, who))
            runs = []
            for _ in range(args.runs):
                t = time_run(command, input_path, output, env, args.timeout, peak_memory)
                if t is None:
                    break
                runs.append(t)
            complete = len(runs) == args.runs
            median = statistics.median(r[0] for r in runs) if complete else None
            peak = max(r[1] for r in runs) if complete else None
            # A run cut short by the timeout has no output to judge.
            correct = (who == "io_floor" or median is None or
                       open(output, "rb").read() == open(reference, "rb").read())
            times[who] = (median, correct, peak)
            shown = "> %gs" % args.timeout if median is None else "%.3fs" % median
            print("%-30s %-28s %s%s" % (name, who, shown, "" if correct else "  WRONG OUTPUT"), flush=True)
            if plot:
                plots[plot[0]].setdefault(who, []).append((plot[1] or name, median))
        rows.append((name, len(stream), times))
    write_table(args, rows, commands, programs)
    base = os.path.splitext(args.out)[0]
    write_balanced_plot(plots["balanced"], base + ".png")
    write_long_short_plot(plots["long x short"], args.timeout, base + "-long-short.png")


def ratio(times, who, base):
    a, b = times.get(who, (None,))[0], times.get(base, (None,))[0]
    return "%.2f" % (a / b) if a is not None and b else "-"


def write_table(args, rows, commands, programs):
    lines = ["# Benchmark results", "",
             "Machine: %s. Date: %s. Median of %d runs (wall time of the whole process, output to a file)."
             % (machine(), time.strftime("%Y-%m-%d"), args.runs),
             "Command: `%s`." % shlex.join(["python3", "bench/run.py"] + sys.argv[1:]),
             "Vector form of each program's products: %s." % program_forms(args.build, programs),
             "Products are timed with `--threads=1` and with every core (the default, %d here)."
             % len(os.sched_getaffinity(0)), ""]
    for name, size, times in rows:
        lines += ["## %s" % name, "", "Input: %d bytes. Peak memory: the largest resident set of the runs,"
                  " and that per input byte." % size, "",
                  "| program | median | x I/O floor | x GMP | x bc | peak memory | output |",
                  "|---|---|---|---|---|---|---|"]
        for who in [w for c in commands for w in (single_thread(c), c)]:
            if who not in times:
                continue
            median, correct, peak = times[who]
            shown = "> %gs" % args.timeout if median is None else "%.3f s" % median
            memory = "-" if peak is None else "%.1f MiB, %.1f B/B" % (peak / 2**20, peak / size)
            lines.append("| %s | %s | %s | %s | %s | %s | %s |" % (
                who, shown, ratio(times, who, "io_floor"), ratio(times, who, "gmp"),
                ratio(times, who, "bc"), memory, "-" if median is None else "ok" if correct else "WRONG"))
        lines.append("")
    with open(args.out, "w") as f:
        f.write("\n".join(lines))
    print("wrote", args.out)


def write_balanced_plot(plot, path):
    """Time of a balanced product against the digits of each factor, log-log."""
    if not shutil.which("gnuplot") or not plot:
        return
    data = os.path.join(HERE, "work", "plot.dat")
    with open(data, "w") as f:
        for who, points in plot.items():
            f.write('"%s"\n' % who)
            for digits, seconds in points:
                if seconds is not None:
                    f.write("%d %g\n" % (digits, seconds))
            f.write("\n\n")
    largest = max(digits for points in plot.values() for digits, _ in points)
    script = ('set terminal png size 900,600 noenhanced; set output "%s"; set logscale xy; '
              'set xrange [50:%d]; '
              'set xlabel "digits of each factor"; set ylabel "seconds"; set key left top; '
              'plot for [i=0:%d] "%s" index i with linespoints title columnheader(1)'
              % (path, 5 * largest // 3, len(plot) - 1, data))
    subprocess.run(["gnuplot", "-e", script], check=False)
    print("wrote", path)


def write_long_short_plot(plot, timeout, path):
    """Time of each long x short product, one cluster of bars per workload, one bar per program;
    a run cut by the timeout is drawn at the timeout."""
    if not shutil.which("gnuplot") or not plot:
        return
    who_list = list(plot)
    names = [name for name, _ in plot[who_list[0]]]
    data = os.path.join(HERE, "work", "plot-long-short.dat")
    with open(data, "w") as f:
        f.write("workload " + " ".join('"%s"' % w for w in who_list) + "\n")
        for i, name in enumerate(names):
            values = [plot[w][i][1] for w in who_list]
            f.write('"%s" ' % name.replace("mul ", "") +
                    " ".join("%g" % (timeout if v is None else max(v, 1e-4)) for v in values) + "\n")
    colours = ["#7f7f7f", "#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd", "#8c564b",
               "#e377c2", "#17becf", "#bcbd22", "#000000"]
    palette = "; ".join('set linetype %d lc rgb "%s"' % (i + 1, c) for i, c in enumerate(colours))
    script = (palette + '; set linetype cycle %d; ' % len(colours) +
              'set terminal png size 1250,650 noenhanced; set output "%s"; set logscale y; '
              'set style data histogram; set style histogram cluster gap 1; '
              'set style fill solid border -1; set boxwidth 0.9; set xtics rotate by -25; '
              'set ylabel "seconds (log)"; set yrange [0.0001:%g]; set key outside right top; '
              'set title "long x short products, each order"; '
              'plot for [i=2:%d] "%s" using i:xtic(1) title columnheader(i)'
              % (path, timeout * 2, len(who_list) + 1, data))
    subprocess.run(["gnuplot", "-e", script], check=False)
    print("wrote", path)


if __name__ == "__main__":
    main()
