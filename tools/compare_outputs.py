#!/usr/bin/env python3
"""Converts the same inputs with two builds of Vendrel and reports every
output that differs between them, byte for byte.

A change that must not change what the program writes (a new layout of the
table engine, a faster routine) is checked with it: build the commit before
the change and the one after, and compare.

The inputs: every text under tests/data/ (a golden input whose .args names a
policy file is converted under that file), examples/, the conversion
fuzzer's seeds (fuzz/convert_seeds/), the policy-file fuzzer's seeds
(fuzz/policy_seeds/, and the policy files under tests/data/fuzz/), each the
policy file of the fuzzer's small fixed table, and the pathological inputs
with the ordinary shapes of a large input, made SCALE times smaller than the
pathological-input tests make them.  Each is converted with the format codes
0 (automatic), 1 (table), 7 (tab-delimited) and 8 (comma-delimited), to HTML
and to RTF.

Codes 1, 7 and 8 are what the program converts a file with (no qualifier,
/TABBED, /COMMA): they run the build's `vendrel`, and its messages and exit
status are compared with the document.  Code 0 is not reached from the
command line: it runs tools/conversion_driver.cpp, which this script builds
against each build's engine library (libvendrel_engine.a) and the sources
the build was configured from, and converts as the fuzzers do.

Both builds write to the same paths, one after the other, so that names in
the output agree; an RTF document's creation time and the dates of the run
are masked.

Usage: compare_outputs.py BEFORE AFTER [--jobs N] [--scale N] [--keep DIR]
                          [--only REGEX] [--inputs DIR ...]
  BEFORE, AFTER  a build folder (holding vendrel, libvendrel_engine.a and
                 CMakeCache.txt) or the vendrel program in one
  --jobs N       conversions at a time (default 6)
  --scale N      the pathological inputs are N times smaller than in the
                 tests (default 20)
  --keep DIR     work in DIR (made empty first) and leave the inputs and
                 both sides' outputs there
  --only REGEX   convert only the inputs whose name matches
  --inputs DIR   also convert every file of DIR (not its sub-folders), such
                 as the shapes ../shared/bench/gen_shapes.py writes; may be
                 given more than once
Exit status: 0 when no output differs, 1 when one does, 2 on a usage
error or when a build or the driver cannot be used.
"""

import argparse
import concurrent.futures
import datetime
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FORMAT_CODES = (0, 1, 7, 8)
# The qualifier that makes the program convert with a format code.
CODE_QUALIFIERS = {1: [], 7: ["/TABBED"], 8: ["/COMMA"]}
FORMATS = (("html", 0), ("rtf", 1))
# Files under tests/data/ that are no inputs: what the tests expect, the
# options of a golden input, the policy files (converted with a table).
NOT_INPUTS = (".args", ".cells", ".expected", ".html", ".rtf", ".messages", ".pol")
CREATION_TIME = re.compile(rb"\\creatim\\yr\d+\\mo\d+\\dy\d+\\hr\d+\\min\d+")
MONTHS = ("Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec")


class Failure(Exception):
    pass


class Build:
    def __init__(self, given, side):
        folder = given if os.path.isdir(given) else os.path.dirname(os.path.abspath(given))
        self.side = side
        self.folder = os.path.abspath(folder)
        self.program = os.path.join(self.folder, "vendrel")
        self.library = os.path.join(self.folder, "libvendrel_engine.a")
        cache = read_cache(os.path.join(self.folder, "CMakeCache.txt"))
        for path in (self.program, self.library):
            if not os.path.isfile(path):
                raise Failure(f"{given}: no {os.path.basename(path)} in {self.folder}")
        self.source = cache.get("CMAKE_HOME_DIRECTORY", "")
        self.compiler = cache.get("CMAKE_CXX_COMPILER", "c++")
        self.sanitize = cache.get("VENDREL_SANITIZE", "OFF").upper() in ("ON", "1", "TRUE", "YES")
        if not os.path.isdir(os.path.join(self.source, "src")):
            raise Failure(f"{given}: the sources it was configured from ({self.source}) are gone")
        self.driver = None

    def build_driver(self, work):
        """Builds tools/conversion_driver.cpp against this build's engine."""
        self.driver = os.path.join(work, f"driver_{self.side}")
        flags = ["-fsanitize=address,undefined", "-fno-omit-frame-pointer"] if self.sanitize else []
        command = [self.compiler, "-std=c++20", "-O2", "-w", *flags,
                   "-I", os.path.join(self.source, "src"), "-I", os.path.join(HERE, "fuzz"),
                   "-I", os.path.join(HERE, "bench"), "-I", os.path.join(HERE, "tests", "support"),
                   os.path.join(HERE, "tools", "conversion_driver.cpp"),
                   os.path.join(HERE, "fuzz", "fuzz_conversion.cpp"), self.library, "-o", self.driver]
        done = subprocess.run(command, capture_output=True, text=True)
        if done.returncode != 0:
            raise Failure(f"the driver does not build against {self.folder}:\n{done.stderr[-4000:]}")


def read_cache(path):
    values = {}
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                match = re.match(r"^([A-Za-z_0-9]+):[A-Z]+=(.*)$", line.rstrip("\n"))
                if match:
                    values[match.group(1)] = match.group(2)
    except OSError:
        raise Failure(f"{path} cannot be read: give a build folder")
    return values


def copy_in(source, work, relative):
    target = os.path.join(work, "in", relative)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    shutil.copyfile(source, target)
    return target


def golden_policy(path):
    """The policy file an input's .args names, or None."""
    args = os.path.splitext(path)[0] + ".args"
    if not os.path.isfile(args):
        return None
    words = open(args, encoding="utf-8").read().split()
    for at, word in enumerate(words[:-1]):
        if word == "policy":
            return os.path.join(os.path.dirname(path), words[at + 1])
    return None


def gather_inputs(work, driver, scale, extra_folders=()):
    """(name, input, policy or None) of every input, copied under work/in."""
    inputs = []
    for number, folder in enumerate(extra_folders):
        if not os.path.isdir(folder):
            raise Failure(f"{folder} is no folder of inputs")
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            if os.path.isfile(path):
                relative = os.path.join(f"extra{number}", name)
                inputs.append((relative, copy_in(path, work, relative), None))
    data = os.path.join(HERE, "tests", "data")
    policy_table = os.path.join(work, "in", "generated", "policy_table.txt")
    for folder, _, files in sorted(os.walk(data)):
        for name in sorted(files):
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, HERE)
            if name.endswith(".pol"):
                if os.path.basename(folder) == "fuzz":
                    inputs.append((relative, policy_table, copy_in(path, work, relative)))
                continue
            if name.endswith(NOT_INPUTS) or name == "README":
                continue
            policy = golden_policy(path)
            if policy:
                policy = copy_in(policy, work, os.path.relpath(policy, HERE))
            inputs.append((relative, copy_in(path, work, relative), policy))
    for folder in ("examples", os.path.join("fuzz", "convert_seeds")):
        for name in sorted(os.listdir(os.path.join(HERE, folder))):
            relative = os.path.join(folder, name)
            inputs.append((relative, copy_in(os.path.join(HERE, relative), work, relative), None))
    for name in sorted(os.listdir(os.path.join(HERE, "fuzz", "policy_seeds"))):
        relative = os.path.join("fuzz", "policy_seeds", name)
        inputs.append((relative, policy_table, copy_in(os.path.join(HERE, relative), work, relative)))
    generated = os.path.join(work, "in", "generated")
    os.makedirs(generated, exist_ok=True)
    done = subprocess.run([driver, "generate", generated, str(scale)], capture_output=True, text=True)
    if done.returncode != 0:
        raise Failure(f"the driver did not generate the pathological inputs:\n{done.stderr}")
    for name in sorted(os.listdir(generated)):
        if name != "policy_table.txt":
            inputs.append((os.path.join("generated", name), os.path.join(generated, name), None))
    return inputs


def output_name(name, code, extension):
    return re.sub(r"[^A-Za-z0-9_.-]", "_", name) + f".code{code}.{extension}"


def run_one(build, work, job):
    """Converts one input with one code and format; leaves the document and
    (from the program) its messages and exit status under work/out/current."""
    name, source, policy, code, extension, output_format = job
    out = os.path.join(work, "out", "current", output_name(name, code, extension))
    if code == 0:
        command = [build.driver, "convert", source, policy or "-", str(output_format), "0", out]
    else:
        command = [build.program, "/OUTPUT=" + out, *(["/RTF"] if output_format else []),
                   *CODE_QUALIFIERS[code], "--", source, *([policy] if policy else [])]
    # No desktop (nothing is shown), and settings of the conversion's own
    # that no other run has touched.
    config = os.path.join(work, "config", output_name(name, code, extension))
    environment = {key: value for key, value in os.environ.items() if key not in ("DISPLAY", "WAYLAND_DISPLAY")}
    environment.update({"XDG_CONFIG_HOME": config, "HOME": config})
    try:
        done = subprocess.run(command, cwd=work, env=environment, capture_output=True, timeout=900)
        said = done.stdout + done.stderr + f"exit {done.returncode}\n".encode()
    except subprocess.TimeoutExpired:
        said = b"timed out\n"
    if code != 0 or said.startswith(b"timed out"):
        with open(out + ".messages", "wb") as f:
            f.write(said)


def run_side(build, work, jobs, parallel):
    current = os.path.join(work, "out", "current")
    os.makedirs(current)
    with concurrent.futures.ThreadPoolExecutor(max_workers=parallel) as pool:
        for future in [pool.submit(run_one, build, work, job) for job in jobs]:
            future.result()
    shutil.rmtree(os.path.join(work, "config"), ignore_errors=True)
    os.rename(current, os.path.join(work, "out", build.side))


def date_texts(first, last):
    texts = set()
    day = first
    while day <= last:
        texts.add(f"{day.day}-{MONTHS[day.month - 1]}-{day.year:04d}".encode())
        day += datetime.timedelta(days=1)
    return texts


def masked(path, dates):
    try:
        with open(path, "rb") as f:
            content = f.read()
    except OSError:
        return None
    content = CREATION_TIME.sub(rb"\\creatim", content)
    for date in dates:
        content = content.replace(date, b"@DATE@")
    return content


def main(argv):
    parser = argparse.ArgumentParser(description="Compares what two builds of Vendrel write, byte for byte.")
    parser.add_argument("before")
    parser.add_argument("after")
    parser.add_argument("--jobs", type=int, default=6)
    parser.add_argument("--scale", type=int, default=20)
    parser.add_argument("--keep")
    parser.add_argument("--only")
    parser.add_argument("--inputs", action="append", default=[])
    options = parser.parse_args(argv[1:])
    if options.jobs < 1 or options.scale < 1:
        parser.error("--jobs and --scale take a number above 0")
    try:
        builds = [Build(options.before, "before"), Build(options.after, "after")]
        if options.keep:
            shutil.rmtree(options.keep, ignore_errors=True)
            os.makedirs(options.keep)
            work = os.path.abspath(options.keep)
        else:
            work = tempfile.mkdtemp(prefix="vendrel_compare_")
        try:
            return compare(builds, work, options)
        finally:
            if not options.keep:
                shutil.rmtree(work, ignore_errors=True)
    except Failure as failure:
        print(f"compare_outputs: {failure}", file=sys.stderr)
        return 2


def compare(builds, work, options):
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        for future in [pool.submit(build.build_driver, work) for build in builds]:
            future.result()
    inputs = gather_inputs(work, builds[0].driver, options.scale, options.inputs)
    if options.only:
        inputs = [entry for entry in inputs if re.search(options.only, entry[0])]
    jobs = [(name, source, policy, code, extension, output_format)
            for name, source, policy in inputs for code in FORMAT_CODES for extension, output_format in FORMATS]
    first_day = datetime.date.today()
    for build in builds:
        print(f"compare_outputs: {len(jobs)} conversions with {build.folder}", flush=True)
        run_side(build, work, jobs, options.jobs)
    dates = date_texts(first_day, datetime.date.today())
    differing = []
    for name, _, _, code, extension, _ in jobs:
        document = output_name(name, code, extension)
        for produced in (document, document + ".messages"):
            before, after = (masked(os.path.join(work, "out", side, produced), dates) for side in ("before", "after"))
            if before != after:
                differing.append(produced)
    for produced in differing:
        print(f"differs: {produced}")
    if differing:
        where = f" (both sides are in {work}/out)" if options.keep else " (--keep DIR leaves both sides)"
        print(f"compare_outputs: {len(differing)} of {len(jobs)} conversions differ{where}")
        return 1
    print(f"compare_outputs: no output differs in {len(jobs)} conversions of {len(inputs)} inputs")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
