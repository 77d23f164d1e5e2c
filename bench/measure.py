#!/usr/bin/env python3
"""Measures infsurvey and pnpsum against the floor program.

Called by scripts/bench.sh once the programs are built and the data made.
For every case the tool runs once untimed (which warms the page cache and
gives its output size for the floor), then the tool, the build before it
when one is given (--infsurvey-before, --pnpsum-before) and the floor run
in turn REPS times each; wall time, user and system CPU time and peak
RSS of each run come from wait4() in bench/run_measured.cc, and the median
of each is shown. One further run of each under `strace -c -f` counts the
system calls. Standard output of every run goes to a file in the data
folder, never a terminal.
"""
import argparse
import filecmp
import os
import re
import statistics
import subprocess
import sys
import time

ENV = dict(os.environ, LC_ALL="C", TZ="UTC")
RUN_MEASURED = None  # bench/run_measured.cc, built by scripts/bench.sh


def Run(command, stdin_path, stdout_path):
    """One run: (wall s, user s, sys s, peak RSS KiB), as run_measured
    reports them."""
    line = subprocess.run(
        [RUN_MEASURED, stdin_path or "/dev/null", stdout_path] + command,
        env=ENV, check=True, stdout=subprocess.PIPE, text=True).stdout
    wall, user, system, rss, code = line.split()
    if code != "0":
        sys.exit(f"{command[0]} failed with exit code {code}")
    return float(wall), float(user), float(system), int(rss)


def CountSyscalls(command, stdin_path, stdout_path, trace_path):
    """Total system calls and the count of each, from strace -c -f."""
    Run(["/usr/bin/strace", "-c", "-f", "-o", trace_path] + command,
        stdin_path, stdout_path)
    counts = {}
    with open(trace_path) as f:
        for line in f:
            fields = line.split()
            # % time, seconds, usecs/call, calls, [errors], syscall
            if (len(fields) >= 5 and re.fullmatch(r"[\d.]+", fields[0])
                    and fields[-1] != "total"):
                counts[fields[-1]] = int(fields[3])
    return sum(counts.values()), counts


def WarmFolder(folder):
    """Reads every file once so that both programs find them cached."""
    for root, _, files in os.walk(folder):
        for name in files:
            with open(os.path.join(root, name), "rb") as f:
                while f.read(1 << 16):
                    pass


def Median(values):
    return statistics.median(values)


def Measure(label, tools, floor_of, stdin_path, scratch, reps):
    """Times each of `tools` ((name, command) pairs: the tool, and the code
    before it when given) and the floor (built from the first tool's output
    size), in turn."""
    load = LoadAverage()
    commands = dict(tools)
    outputs = {who: os.path.join(scratch, who + ".out") for who in commands}
    out_floor = os.path.join(scratch, "floor.out")
    for who, command in tools:  # untimed: warms the cache
        Run(command, stdin_path, outputs[who])
    output_bytes = os.path.getsize(outputs[tools[0][0]])
    for who in commands:
        if os.path.getsize(outputs[who]) != output_bytes:
            sys.exit(f"{label}: {who} wrote {os.path.getsize(outputs[who])}"
                     f" bytes, {tools[0][0]} {output_bytes}")
    floor = floor_of(output_bytes)
    commands["floor"] = floor
    outputs["floor"] = out_floor
    Run(floor, stdin_path, out_floor)
    runs = {who: [] for who in commands}
    for _ in range(reps):
        for who in commands:
            runs[who].append(Run(commands[who], stdin_path, outputs[who]))
            if os.path.getsize(outputs[who]) != output_bytes:
                sys.exit(f"{label}: {who}'s output size changed between runs")
    result = {"output_bytes": output_bytes, "load": load,
              "rows": list(commands)}
    if "before" in outputs:
        result["same_as_before"] = filecmp.cmp(outputs["tool"],
                                               outputs["before"], shallow=False)
    for who, command in commands.items():
        r = runs[who]
        total, counts = CountSyscalls(command, stdin_path,
                                      os.path.join(scratch, who + ".strace.out"),
                                      os.path.join(scratch, who + ".strace"))
        result[who] = {
            "wall": Median([x[0] for x in r]),
            "cpu": Median([x[1] + x[2] for x in r]),
            "user": Median([x[1] for x in r]),
            "sys": Median([x[2] for x in r]),
            "rss": int(Median([x[3] for x in r])),
            "wall_all": [x[0] for x in r],
            "syscalls": total,
            "counts": counts,
        }
    return result


def Ratio(a, b):
    return f"{a / b:.2f}x" if b else "-"


def LoadAverage():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def Table(title, name, result, reps):
    """Rows for the tool (`name`), the code before it if measured, and the
    floor, then the ratio of each to the floor."""
    f = result["floor"]
    tools = [who for who in result["rows"] if who != "floor"]
    label = {who: name if who == "tool" else who for who in result["rows"]}
    lines = [title + f" (load average before: {result['load']})",
             f"  output {result['output_bytes']:,} bytes; median of {reps} runs;"
             f" syscalls from one strace -c -f run each",
             f"  {'':<13}{'wall ms':>10}{'cpu ms':>10}{'user ms':>10}"
             f"{'sys ms':>10}{'peak RSS KiB':>14}{'syscalls':>11}"]
    for who in result["rows"]:
        row = result[who]
        lines.append(
            f"  {label[who]:<13}{row['wall'] * 1e3:>10.1f}{row['cpu'] * 1e3:>10.1f}"
            f"{row['user'] * 1e3:>10.1f}{row['sys'] * 1e3:>10.1f}"
            f"{row['rss']:>14,}{row['syscalls']:>11,}")
    for who in tools:
        t = result[who]
        lines.append(
            f"  {'ratio' if who == 'tool' else who + ' ratio':<13}"
            f"{Ratio(t['wall'], f['wall']):>10}"
            f"{Ratio(t['cpu'], f['cpu']):>10}{Ratio(t['user'], f['user']):>10}"
            f"{Ratio(t['sys'], f['sys']):>10}{Ratio(t['rss'], f['rss']):>14}"
            f"{Ratio(t['syscalls'], f['syscalls']):>11}")
    for who in result["rows"]:
        lines.append(f"  wall ms of each run, {label[who]}: "
                     + " ".join(f"{x * 1e3:.0f}" for x in result[who]["wall_all"]))
    if "same_as_before" in result:
        lines.append("  output the same as before's, byte for byte: "
                     + ("yes" if result["same_as_before"] else "NO"))
    t = result["tool"]
    names = sorted(set(t["counts"]) | set(f["counts"]),
                   key=lambda n: -max(t["counts"].get(n, 0), f["counts"].get(n, 0)))
    lines.append("  syscalls by name (" + name + " / floor): " + ", ".join(
        f"{n} {t['counts'].get(n, 0):,}/{f['counts'].get(n, 0):,}"
        for n in names[:10]))
    return "\n".join(lines)


def Machine():
    model = cores = "?"
    with open("/proc/cpuinfo") as f:
        text = f.read()
    found = re.search(r"^model name\s*:\s*(.*)$", text, re.M)
    if found:
        model = found.group(1)
    cores = str(len(re.findall(r"^processor\s*:", text, re.M)))
    mhz = re.search(r"^cpu MHz\s*:\s*(.*)$", text, re.M)
    with open("/proc/meminfo") as f:
        memory = int(f.readline().split()[1]) // (1024 * 1024)
    return (f"machine: {model}, {cores} cores"
            + (f" at {float(mhz.group(1)):.0f} MHz" if mhz else "")
            + f", {memory} GiB; kernel {os.uname().release}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--infsurvey", required=True)
    parser.add_argument("--pnpsum", required=True)
    parser.add_argument("--infsurvey-before")
    parser.add_argument("--pnpsum-before")
    parser.add_argument("--floor", required=True)
    parser.add_argument("--run-measured", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--reps", type=int, default=5)
    parser.add_argument("--answers")
    parser.add_argument("cases", nargs="*",
                        help="package counts, or heavy:COUNT")
    args = parser.parse_args()
    global RUN_MEASURED
    RUN_MEASURED = args.run_measured

    print(Machine())
    print(f"infsurvey: {args.infsurvey}\npnpsum: {args.pnpsum}")
    if args.infsurvey_before or args.pnpsum_before:
        print(f"before: {args.infsurvey_before}, {args.pnpsum_before}")
    print(f"started {time.strftime('%Y-%m-%d %H:%M:%S')}, load average"
          f" {LoadAverage()}\n", flush=True)
    rss = {}
    for case in args.cases:
        heavy = case.startswith("heavy:")
        size = int(case.split(":")[-1])
        repository = os.path.join(
            args.data, f"repo-heavy-{size}" if heavy else f"repo-{size}") + "/"
        WarmFolder(repository)
        tools = [("tool", [args.infsurvey, repository, "bench"])]
        if args.infsurvey_before:
            tools.append(("before", [args.infsurvey_before, repository, "bench"]))
        result = Measure(
            f"infsurvey {case}", tools,
            lambda n: [args.floor, "inf", repository, str(n)], None,
            args.data, args.reps)
        if not heavy:  # the growth of memory is that of one shape
            rss[size] = (result["tool"]["rss"], result["floor"]["rss"])
        shape = " (output-heavy shape)" if heavy else ""
        print(Table(f"infsurvey, {size:,} package folders{shape}", "infsurvey",
                    result, args.reps) + "\n", flush=True)
    if len(rss) > 1:
        sizes = sorted(rss)
        print("peak RSS growth (KiB per 1,000 folders), infsurvey / floor: "
              + ", ".join(
                  f"{a:,}->{b:,}: {(rss[b][0] - rss[a][0]) * 1000 / (b - a):.0f}"
                  f" / {(rss[b][1] - rss[a][1]) * 1000 / (b - a):.0f}"
                  for a, b in zip(sizes, sizes[1:])) + "\n", flush=True)
    if args.answers:
        with open(args.answers, "rb") as f:
            lines = sum(1 for _ in f)
        tools = [("tool", [args.pnpsum])]
        if args.pnpsum_before:
            tools.append(("before", [args.pnpsum_before]))
        result = Measure("pnpsum", tools,
                         lambda n: [args.floor, "stdin", str(n)], args.answers,
                         args.data, args.reps)
        print(Table(f"pnpsum, {lines:,} answer lines "
                    f"({os.path.getsize(args.answers):,} bytes) from a file",
                    "pnpsum", result, args.reps) + "\n", flush=True)
    print(f"finished {time.strftime('%Y-%m-%d %H:%M:%S')}, load average"
          f" {LoadAverage()}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
