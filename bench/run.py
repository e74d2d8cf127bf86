#!/usr/bin/python3
"""The component's figures against their references, measured in one run.

Each figure is the median of --repeats runs (component and reference taken
in turn, so that a slow patch of the machine hits both), and is printed as a
row: figure, reference, component, ratio, target, met or not.

  1  Scarica4 end to end on 100,000 generated lines through the dir: link,
     against the sqlite3 shell running the same rows as INSERTs inside one
     transaction (as the component writes a file), with the engine's
     journal mode and synchronous.
  2  Peak resident memory of that import at 1,000,000 lines against 1,000.
  3  Scarica against the pen simulator answering at once, 20,000 reads: time
     per read against the wire time of a read at 38400 baud.
  4  CPU time against wall time of Scarica waiting on a silent reader, and
     of Scarica1 through a short dialogue.
  5  Scarica1 through libZiRav.so and the infrared simulator, 5,000 records:
     records per second, and the share of a record's work that goes to
     opening the database (bench_infrared_record).
  6  Scarica4 of those 100,000 lines into a PostgreSQL database, against psql
     copying the same rows in with \\copy (COPY ... FROM STDIN, the server's
     bulk path, in one statement) over one connection to the same server.
  7  Four workstations: four Scarica4 of 25,000 lines each into one database
     at once, against one of 100,000: rows per second, PostgreSQL (with a
     target) and SQLite (the figure only).
  8  Figure 5 into PostgreSQL: records per second of Scarica1, and the open's
     share from bench_infrared_record given the database (VIRUZEDI_BENCH_DB).
  9  A reader file of 100,000 GS1 labels (three forms in turn) imported
     (`importa --formato scarica-zidorivovi`), against a reader file of
     100,000 code;quantity lines (`importa --formato scarica2`).
 10  Figure 1's import into an SQLite file through the SQLite ODBC driver,
     against the native engine on the same kind of file.
 11  Figure 10's ODBC import by each Windows build's viruzedi.exe under
     Wine (the host's SQLite driver behind Wine's ODBC), against the Linux
     command's; only when asked (--figures 11), with the builds of
     `make windows`.
Figures 6 to 8 share one throw-away server (tests/database/postgresql/
pg-test-server), started for the first of them and stopped at the end.

Usage: run.py [--bin DIR] [--repeats N] [--figures 1,2,...] [--keep] [--json FILE]
              [--strict] [--windows WIN64_BIN WIN32_BIN]
A measurement that cannot be made (a program missing, a download that
fails, rows that differ) ends the run with status 1; a missed target does
only with --strict.
"""

import argparse
import contextlib
import json
import os
import select
import shutil
import signal
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import time

# The generators sit beside this script; no compiled copy is left in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import generate  # noqa: E402

GNU_TIME = "/usr/bin/time"
BAUD = 38400
BITS_PER_BYTE = 10  # start, 8 data, stop


class Failure(Exception):
    pass


class Usage:
    """What one child process used: seconds of wall, user and system time,
    and its peak resident memory in kB (only when asked for)."""

    def __init__(self, wall, user, system, peak_kb=None):
        self.wall, self.user, self.system, self.peak_kb = wall, user, system, peak_kb

    @property
    def cpu(self):
        return self.user + self.system


def run_measured(argv, stdin_path=None, peak_memory=False, expect=(0,)):
    """Runs argv to its end and returns its Usage.

    Peak memory comes from GNU time: a child started straight from Python
    inherits the interpreter's high-water mark in ru_maxrss, one started by
    a small program does not."""
    rss_file = None
    if peak_memory:
        handle, rss_file = tempfile.mkstemp(prefix="viruzedi-rss-")
        os.close(handle)
        argv = [GNU_TIME, "--quiet", "-f", "%M", "-o", rss_file, "--"] + list(argv)
    stdin = open(stdin_path, "rb") if stdin_path else subprocess.DEVNULL
    try:
        start = time.perf_counter()
        child = subprocess.Popen(argv, stdin=stdin, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.PIPE)
        # stderr is read after the end: the commands measured write a line or two.
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        errors = child.stderr.read().decode(errors="replace")
        child.stderr.close()
    finally:
        if stdin_path:
            stdin.close()
    if child.returncode not in expect:
        raise Failure("%s ended with %d: %s" % (" ".join(argv), child.returncode, errors.strip()))
    peak = None
    if rss_file:
        with open(rss_file) as f:
            peak = int(f.read().split()[-1])
        os.remove(rss_file)
    return Usage(wall, usage.ru_utime, usage.ru_stime, peak)


class Simulator:
    """A device simulator of the bin folder, started for one measurement and
    ended by its own process id."""

    def __init__(self, argv):
        self.process = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.device = self.read_line(5.0)
        if not self.device.startswith("/dev/"):
            self.stop()
            raise Failure("%s did not start (said %r)" % (argv[0], self.device))

    def read_line(self, timeout):
        """The next line of its output, "" when none comes in time."""
        fd = self.process.stdout.fileno()
        line = b""
        deadline = time.monotonic() + timeout
        while not line.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([fd], [], [], left)[0]:
                return ""
            piece = os.read(fd, 1)
            if not piece:
                break
            line += piece
        return line.decode(errors="replace").strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process.stdout.close()


def windows_path(path):
    """A Linux path as a Windows program under Wine names it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Wine:
    """A Wine prefix of its own for the Windows figures, made by the tests'
    script and ended by it."""

    SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "tests",
                          "windows", "wine-prefix")

    def __init__(self, prefix):
        self.prefix = prefix
        subprocess.run([self.SCRIPT, "start", prefix], check=True, stdout=subprocess.DEVNULL)

    def command(self, program, arguments):
        return ["/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY",
                "WINEPREFIX=" + self.prefix, "WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml=",
                "LANG=C.UTF-8", "LC_ALL=C.UTF-8", "wine", program] + arguments

    def stop(self):
        subprocess.run([self.SCRIPT, "stop", self.prefix], stdout=subprocess.DEVNULL)


class Bench:
    def __init__(self, bin_folder, work, repeats):
        self.bin = bin_folder
        self.work = work
        self.repeats = repeats
        self.rows = []
        self.notes = []
        self.pg = None  # the server of figures 6 to 8, started for the first of them
        self.wine = None  # the prefix of figure 11
        self.windows = []  # (name, bin folder) of each Windows build

    def tool(self, name):
        return os.path.join(self.bin, name)

    def fresh_folder(self, name):
        path = os.path.join(self.work, name)
        shutil.rmtree(path, ignore_errors=True)
        os.makedirs(path)
        return path

    def new_database(self, path):
        for suffix in ("", "-wal", "-shm"):
            if os.path.exists(path + suffix):
                os.remove(path + suffix)
        subprocess.run([self.tool("viruzedi"), "init-db", path], check=True)
        return path

    def row(self, figure, unit, reference, component, target, within):
        ratio = component / reference if reference else float("inf")
        met = None if target is None else within(ratio)
        self.rows.append((figure, unit, reference, component, ratio, target, met))

    def note(self, text):
        self.notes.append(text)
        print("   " + text, flush=True)

    # -- figures 1 and 2: the stock-movement import --------------------------

    def scarica4(self, lines_file, peak_memory=False, through=None):
        """One Scarica4 of a copy of lines_file into a new database; returns
        its Usage and the database. `through(letture, terminal, database)`,
        when given, makes the command in place of the Linux one natively."""
        case = self.fresh_folder("scarica4")
        terminal = os.path.join(case, "terminale")
        os.makedirs(terminal)
        shutil.copyfile(lines_file, os.path.join(terminal, "1.txt"))
        database = self.new_database(os.path.join(case, "magazzino.db"))
        letture = os.path.join(case, "_Letture")
        argv = (through(letture, terminal, database) if through else
                [self.tool("viruzedi"), "--letture", letture, "--terminale", "dir:" + terminal,
                 "scarica4", "--db", database])
        usage = run_measured(argv, peak_memory=peak_memory)
        return usage, database

    def floor_import(self, lines_file):
        """The prepared-statement floor: sqlite_import_floor binding the
        file's fields into a database made by init-db."""
        case = self.fresh_folder("pavimento")
        database = self.new_database(os.path.join(case, "pavimento.db"))
        usage = run_measured([self.tool("sqlite_import_floor"), lines_file, database])
        return usage, database

    def shell_import(self, csv_file):
        """The sqlite3 shell's .import of the same rows as CSV, with the
        engine's journal mode and synchronous setting; .import writes them
        in one transaction."""
        case = self.fresh_folder("shell")
        database = self.new_database(os.path.join(case, "shell.db"))
        script = os.path.join(case, "import.sql")
        with open(script, "w", encoding="utf-8") as out:
            out.write("PRAGMA journal_mode=WAL;\nPRAGMA synchronous=NORMAL;\n"
                      ".import --csv '%s' Viruzedi\n" % csv_file)
        usage = run_measured(["sqlite3", database], stdin_path=script)
        return usage, database

    def figure_import(self):
        count = 100_000
        print("1  import of %d lines: component, prepared-statement floor and sqlite3 "
              ".import in turn" % count, flush=True)
        lines_file = os.path.join(self.work, "movimenti-%d.txt" % count)
        csv_file = os.path.join(self.work, "movimenti-%d.csv" % count)
        generate.write_stock_movements(count, lines_file)
        columns = table_columns(self.new_database(os.path.join(self.work, "colonne.db")),
                                "Viruzedi")
        generate.write_stock_movement_csv(count, columns, csv_file)

        def checked(run, argument):
            def measured():
                usage, database = run(argument)
                check_rows(database, count)
                return usage
            return measured

        (comp, comp_cpu), (floor, floor_cpu), (shell, shell_cpu) = self.in_turns(
            [("component", checked(self.scarica4, lines_file)),
             ("floor", checked(self.floor_import, lines_file)),
             ("sqlite3 .import", checked(self.shell_import, csv_file))])
        self.row("1 import 100k lines / floor (s)", "s", floor, comp, "<= 1.5",
                 lambda r: r <= 1.5)
        self.row("1 import 100k lines / .import (s)", "s", shell, comp, None, None)
        self.note("lines/s: component %.0f, floor %.0f, sqlite3 .import %.0f; CPU s: component "
                  "%.2f, floor %.2f, .import %.2f" % (count / comp, count / floor, count / shell,
                                                      comp_cpu, floor_cpu, shell_cpu))

    # -- figures 10 and 11: the import through ODBC -------------------------

    def stock_movements(self, count):
        path = os.path.join(self.work, "movimenti-%d.txt" % count)
        if not os.path.exists(path):
            generate.write_stock_movements(count, path)
        return path

    def odbc_scarica4(self, lines_file, count, program=None):
        """Scarica4 into an SQLite file through the SQLite ODBC driver, by the
        Linux command or by `program` (a Windows build's, under Wine)."""
        def through(letture, terminal, database):
            value = "Driver=SQLite3;Database=%s;NoCreat=1" % database
            if program is None:
                return [self.tool("viruzedi"), "--letture", letture, "--terminale",
                        "dir:" + terminal, "scarica4", "--db", value]
            return self.wine.command(program, ["--letture", windows_path(letture), "--terminale",
                                               "dir:" + windows_path(terminal), "scarica4",
                                               "--db", value])
        usage, database = self.scarica4(lines_file, through=through)
        check_rows(database, count)
        return usage

    def figure_odbc_import(self):
        count = 100_000
        print("10 import of %d lines into an SQLite file, through ODBC and natively in turn"
              % count, flush=True)
        lines_file = self.stock_movements(count)

        def native_run():
            usage, database = self.scarica4(lines_file)
            check_rows(database, count)
            return usage

        (odbc, odbc_cpu), (native, native_cpu) = self.in_turn(
            lambda: self.odbc_scarica4(lines_file, count), native_run, "native")
        self.row("10 ODBC import 100k lines (s)", "s", native, odbc, "<= 1.3", lambda r: r <= 1.3)
        self.note("lines/s: ODBC %.0f, native %.0f; CPU s: ODBC %.2f, native %.2f"
                  % (count / odbc, count / native, odbc_cpu, native_cpu))

    def figure_windows_odbc(self):
        count = 100_000
        print("11 import of %d lines through ODBC by the Windows builds under Wine, against "
              "the Linux command" % count, flush=True)
        lines_file = self.stock_movements(count)
        builds = [(name, os.path.join(folder, "viruzedi.exe")) for name, folder in self.windows]
        missing = [program for _, program in builds if not os.path.exists(program)]
        if missing:
            raise Failure("no Windows build: %s (make windows builds it)" % ", ".join(missing))
        self.wine = Wine(os.path.join(self.work, "wine-prefix"))
        # Wine's first start of a program loads what later ones find ready.
        self.odbc_scarica4(lines_file, count, builds[0][1])
        for name, program in builds:
            (windows, windows_cpu), (linux, _) = self.in_turn(
                lambda: self.odbc_scarica4(lines_file, count, program),
                lambda: self.odbc_scarica4(lines_file, count), "Linux")
            self.row("11 %s ODBC import 100k (s)" % name, "s", linux, windows, "<= 1.5",
                     lambda r: r <= 1.5)

    def in_turn(self, component_run, reference_run, reference_name):
        """Runs each --repeats times and returns, for the component and the
        reference, the medians of wall and CPU seconds."""
        return self.in_turns([("component", component_run), (reference_name, reference_run)])

    def in_turns(self, runs):
        """Runs each (name, run) --repeats times and returns, for each, the
        medians of wall and CPU seconds. The order rotates, so that none
        always meets a disk still busy with another's writes."""
        usages = [[] for _ in runs]
        for repeat in range(self.repeats):
            for k in range(len(runs)):
                index = (k + repeat) % len(runs)
                usages[index].append(runs[index][1]())
            print("   run %d: %s" % (repeat + 1, ", ".join(
                "%s %.2f s" % (name, times[-1].wall) for (name, _), times in zip(runs, usages))),
                flush=True)
        return [(statistics.median(u.wall for u in times), statistics.median(u.cpu for u in times))
                for times in usages]

    def figure_memory(self):
        print("2  peak memory of the import, 1,000 and 1,000,000 lines", flush=True)
        peaks = {}
        for count in (1_000, 1_000_000):
            lines_file = os.path.join(self.work, "movimenti-%d.txt" % count)
            generate.write_stock_movements(count, lines_file)
            runs = []
            for _ in range(self.repeats):
                usage, database = self.scarica4(lines_file, peak_memory=True)
                check_count(database, count)
                runs.append(usage)
            peaks[count] = statistics.median(u.peak_kb for u in runs)
            self.note("%d lines: peak %d kB, %.1f s" % (count, peaks[count],
                                                       statistics.median(u.wall for u in runs)))
            os.remove(lines_file)
        self.row("2 peak RSS 1M/1k lines (kB)", "kB", peaks[1_000], peaks[1_000_000], "<= 1.2",
                 lambda r: r <= 1.2)

    # -- figure 3: the pen dialogue ------------------------------------------

    def figure_pen(self):
        count = 20_000
        print("3  pen download of %d reads from a simulator answering at once" % count, flush=True)
        reads = [generate.pen_read(i) for i in range(count)]
        reads_file = os.path.join(self.work, "letture-penna.txt")
        generate.write_lines(reads, reads_file)
        runs = []
        for _ in range(self.repeats):
            case = self.fresh_folder("penna")
            database = self.new_database(os.path.join(case, "magazzino.db"))
            pen = Simulator([self.tool("pen-simulator"), "--reads-file", reads_file])
            try:
                usage = run_measured([self.tool("viruzedi"), "--com", "1=" + pen.device,
                                      "scarica", "--db", database, "--porta", "1"])
            finally:
                pen.stop()
            check_count(database, count)
            runs.append(usage)
        # Request "c", then the answer and its LF CR, each byte 10 bits.
        answer_bytes = statistics.mean(len(read) + 2 for read in reads)
        wire = (1 + answer_bytes) * BITS_PER_BYTE / BAUD
        per_read = statistics.median(u.wall for u in runs) / count
        self.row("3 pen time per read (ms)", "ms", wire * 1e3, per_read * 1e3, "<= 0.05",
                 lambda r: r <= 0.05)
        self.note("reads/s: %.0f (the wire allows %.0f)" % (1 / per_read, 1 / wire))

    # -- figure 4: waiting ---------------------------------------------------

    def figure_waiting(self):
        print("4  CPU time while waiting", flush=True)
        case = self.fresh_folder("attesa")
        database = self.new_database(os.path.join(case, "magazzino.db"))
        # What any run costs before and after its wait: loading the
        # program and its libraries, opening the database, exiting. A run
        # that shows the rows of an empty database does that and no more.
        self.startup = [run_measured([self.tool("viruzedi"), "mostra", "--db", database])
                        for _ in range(self.repeats)]
        silent = []
        for _ in range(self.repeats):
            pen = Simulator([self.tool("pen-simulator"), "--silent"])
            try:
                # The time-out is a failure: exit status 1.
                silent.append(run_measured([self.tool("viruzedi"), "--com", "1=" + pen.device,
                                            "scarica", "--db", database, "--porta", "1"],
                                           expect=(1,)))
            finally:
                pen.stop()
        self.waiting_row("4 CPU/wall scarica, silent", silent)

        records = [generate.infrared_record(i) for i in range(3)]
        dialogue = []
        for _ in range(self.repeats):
            usage, erased = self.scarica1(records, case)
            if erased != "erased %d" % len(records):
                raise Failure("the short infrared dialogue did not end well: %r" % erased)
            dialogue.append(usage)
        self.waiting_row("4 CPU/wall scarica1, 3 records", dialogue)

    def waiting_row(self, figure, runs):
        """The CPU share of the wait itself: the whole run less what a run
        that does not wait costs (self.startup), against the wall time."""
        wall = statistics.median(u.wall for u in runs)
        cpu = statistics.median(u.cpu for u in runs)
        startup_wall = statistics.median(u.wall for u in self.startup)
        startup_cpu = statistics.median(u.cpu for u in self.startup)
        waiting_wall = max(wall - startup_wall, 1e-9)
        waiting_cpu = max(cpu - startup_cpu, 0.0)
        self.row(figure + " (s)", "s", waiting_wall, waiting_cpu, "<= 0.01", lambda r: r <= 0.01)
        self.note("%s: whole run %.2f s wall, %.4f s CPU (user %.4f, system %.4f, %.2f %% of a "
                  "core); a run without a wait %.4f s wall, %.4f s CPU"
                  % (figure, wall, cpu, statistics.median(u.user for u in runs),
                     statistics.median(u.system for u in runs), 100 * cpu / wall,
                     startup_wall, startup_cpu))

    # -- figure 5: infrared records ------------------------------------------

    def scarica1(self, records, case):
        """One Scarica1 of `records` from a new simulator into a new database;
        returns its Usage and what the reader said at the end."""
        records_file = os.path.join(case, "record.txt")
        generate.write_lines(records, records_file)
        database = self.new_database(os.path.join(case, "infrarossi.db"))
        reader = Simulator([self.tool("infrared-simulator"), "--records-file", records_file])
        try:
            usage = run_measured([self.tool("viruzedi"), "--com", "2=" + reader.device,
                                  "scarica1", "--db", database, "--porta", "2"])
            erased = reader.read_line(2.0)
        finally:
            reader.stop()
        check_count(database, len(records))
        return usage, erased

    def figure_infrared(self):
        count = 5_000
        print("5  infrared download of %d records, and the open's share of a record" % count,
              flush=True)
        records = [generate.infrared_record(i) for i in range(count)]
        runs = []
        for _ in range(self.repeats):
            usage, erased = self.scarica1(records, self.fresh_folder("infrarossi"))
            if erased != "erased %d" % count:
                raise Failure("the infrared download did not end well: %r" % erased)
            runs.append(usage)
        wall = statistics.median(u.wall for u in runs)
        # "SEGUE n" + CR out, the record + CR back.
        wire = statistics.mean(len("SEGUE %d" % i) + 1 + len(r) + 1
                               for i, r in enumerate(records)) * BITS_PER_BYTE / BAUD
        self.row("5 infrared records/s", "1/s", 1 / wire, count / wall, None, None)
        # The dialogue pauses half a second after the open and before ELIMINA.
        self.note("records/s %.0f over the whole call (%.2f s, of which 1 s of fixed pauses); "
                  "%.3f ms per record without the pauses; CPU %.2f s"
                  % (count / wall, wall, (wall - 1.0) / count * 1e3,
                     statistics.median(u.cpu for u in runs)))

        times = self.google_benchmark("bench_infrared_record")
        opening = times["BM_ImportRecordSplit"]["open_us"]
        rest = times["BM_ImportRecordSplit"]["rest_us"]
        self.row("5 open share of a record (us)", "us", opening + rest, opening, "< 0.5",
                 lambda r: r < 0.5)
        self.note("per record: open %.1f us, reading, keeping and storing %.1f us; the import as a "
                  "whole %.1f us, an open alone %.1f us"
                  % (opening, rest, times["BM_ImportRecord"]["real_time"],
                     times["BM_OpenDatabase"]["real_time"]))

    # -- figure 9: GS1 labels ------------------------------------------------

    def reader_import(self, lines_file, form):
        """One `importa` of a copy of lines_file as a reader file of `form`
        into a new database; returns its Usage, the database and the
        download folder."""
        case = self.fresh_folder("lettore-" + form)
        reader = os.path.join(case, "letture.txt")
        shutil.copyfile(lines_file, reader)
        letture = os.path.join(case, "_Letture")
        database = self.new_database(os.path.join(case, "magazzino.db"))
        usage = run_measured([self.tool("viruzedi"), "--letture", letture, "importa", reader,
                              "--formato", form, "--db", database])
        return usage, database, letture

    def figure_labels(self):
        count = 100_000
        print("9  import of %d GS1 labels and of %d code;quantity lines, in turn"
              % (count, count), flush=True)
        labels_file = os.path.join(self.work, "etichette-%d.txt" % count)
        lines_file = os.path.join(self.work, "letture-%d.txt" % count)
        generate.write_reader_file(generate.gs1_label_line, count, labels_file)
        generate.write_reader_file(generate.reader_line, count, lines_file)

        def labels_run():
            usage, database, letture = self.reader_import(labels_file, "scarica-zidorivovi")
            check_labels(database, count, letture)
            return usage

        def lines_run():
            usage, database, _ = self.reader_import(lines_file, "scarica2")
            check_count(database, count)
            return usage

        (comp, comp_cpu), (ref, ref_cpu) = self.in_turn(labels_run, lines_run,
                                                         "code;quantity lines")
        self.row("9 GS1 labels/plain lines 100k (s)", "s", ref, comp, "<= 1.3", lambda r: r <= 1.3)
        self.note("labels/s %.0f, code;quantity lines/s %.0f; CPU s: labels %.2f, lines %.2f"
                  % (count / comp, count / ref, comp_cpu, ref_cpu))

    # -- figures 6 to 8: PostgreSQL ------------------------------------------

    def pg_database(self, name):
        """A new database `name` on the bench's server, made by init-db;
        returns its URI."""
        for statement in ("DROP DATABASE IF EXISTS %s WITH (FORCE)" % name,
                          "CREATE DATABASE %s" % name):
            subprocess.run(["psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", self.pg.uri, "-c",
                            statement], check=True, stdout=subprocess.DEVNULL,
                           env=dict(os.environ, PGOPTIONS="-c client_min_messages=warning"))
        uri = self.pg.uri.replace("///postgres?", "///%s?" % name, 1)
        subprocess.run([self.tool("viruzedi"), "init-db", uri], check=True)
        return uri

    def scarica4_into(self, lines_file, database, case_name):
        """The argv of one Scarica4 of a copy of lines_file into `database`,
        from a terminal folder of its own."""
        case = self.fresh_folder(case_name)
        terminal = os.path.join(case, "terminale")
        os.makedirs(terminal)
        shutil.copyfile(lines_file, os.path.join(terminal, "1.txt"))
        return [self.tool("viruzedi"), "--letture", os.path.join(case, "_Letture"),
                "--terminale", "dir:" + terminal, "scarica4", "--db", database]

    def figure_pg_import(self):
        count = 100_000
        print("6  import of %d lines into PostgreSQL, component and psql \\copy in turn" % count,
              flush=True)
        lines_file = os.path.join(self.work, "movimenti-%d.txt" % count)
        copy_file = os.path.join(self.work, "riferimento-pg-%d.tsv" % count)
        generate.write_stock_movements(count, lines_file)
        generate.write_reference_pg_copy(count, copy_file)
        copy = "\\copy viruzedi (%s) FROM pstdin" % generate.REFERENCE_PG_COLUMNS
        component, reference = [], []
        for repeat in range(self.repeats):
            order = [0, 1] if repeat % 2 == 0 else [1, 0]
            for which in order:
                if which == 0:
                    database = self.pg_database("bench_import")
                    component.append(run_measured(self.scarica4_into(lines_file, database,
                                                                     "scarica4-pg")))
                else:
                    database = self.pg_database("bench_reference")
                    reference.append(run_measured(["psql", "-X", "-q", "-v", "ON_ERROR_STOP=1",
                                                   "-c", copy, database], stdin_path=copy_file))
                check_pg_rows(database, count)
            print("   run %d: component %.2f s, psql \\copy %.2f s"
                  % (repeat + 1, component[-1].wall, reference[-1].wall), flush=True)
        comp = statistics.median(u.wall for u in component)
        ref = statistics.median(u.wall for u in reference)
        self.row("6 PostgreSQL import 100k lines (s)", "s", ref, comp, "<= 2.0", lambda r: r <= 2.0)
        self.note("lines/s: component %.0f, psql \\copy %.0f; CPU s of the client: component "
                  "%.2f, psql %.2f" % (count / comp, count / ref,
                                       statistics.median(u.cpu for u in component),
                                       statistics.median(u.cpu for u in reference)))

    def four_workstations(self, engine, new_database, check):
        """Medians of wall time: one process importing 100,000 lines, and
        four importing 25,000 each into one database at once."""
        count, share = 100_000, 25_000
        whole = os.path.join(self.work, "movimenti-%d.txt" % count)
        generate.write_stock_movements(count, whole)
        parts = []
        for n in range(4):
            parts.append(os.path.join(self.work, "movimenti-parte-%d.txt" % n))
            generate.write_stock_movement_range(n * share, share, parts[-1])
        one, four = [], []
        for _ in range(self.repeats):
            database = new_database()
            one.append(run_measured(self.scarica4_into(whole, database, "uno")).wall)
            check(database, count)
            database = new_database()
            argvs = [self.scarica4_into(part, database, "posto-%d" % n)
                     for n, part in enumerate(parts)]
            start = time.perf_counter()
            children = [subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
                        for argv in argvs]
            errors = [child.communicate()[1].decode(errors="replace") for child in children]
            four.append(time.perf_counter() - start)
            for child, error in zip(children, errors):
                if child.returncode != 0:
                    raise Failure("%s: one of four imports at once ended with %d: %s"
                                  % (engine, child.returncode, error.strip()))
            check(database, count)
        one_wall, four_wall = statistics.median(one), statistics.median(four)
        self.note("%s: one process %.2f s, four at once %.2f s (rows/s %.0f and %.0f)"
                  % (engine, one_wall, four_wall, count / one_wall, count / four_wall))
        return count / one_wall, count / four_wall

    def figure_workstations(self):
        print("7  four workstations: 4 x 25,000 lines at once against 1 x 100,000", flush=True)
        one, four = self.four_workstations("PostgreSQL", lambda: self.pg_database("bench_posti"),
                                           check_pg_rows)
        self.row("7 PostgreSQL 4 at once/1 (rows/s)", "1/s", one, four, ">= 1.3",
                 lambda r: r >= 1.3)
        sqlite_case = self.fresh_folder("posti-sqlite")
        one, four = self.four_workstations(
            "SQLite", lambda: self.new_database(os.path.join(sqlite_case, "magazzino.db")),
            lambda database, count: check_rows(database, count, order="IdLotto"))
        self.row("7 SQLite 4 at once/1 (rows/s)", "1/s", one, four, None, None)

    def figure_pg_infrared(self):
        count = 5_000
        print("8  infrared download of %d records into PostgreSQL, and the open's share"
              % count, flush=True)
        records = [generate.infrared_record(i) for i in range(count)]
        records_file = os.path.join(self.work, "record-pg.txt")
        generate.write_lines(records, records_file)
        runs = []
        for _ in range(self.repeats):
            database = self.pg_database("bench_infrarossi")
            reader = Simulator([self.tool("infrared-simulator"), "--records-file", records_file])
            try:
                usage = run_measured([self.tool("viruzedi"), "--com", "2=" + reader.device,
                                      "scarica1", "--db", database, "--porta", "2"])
                erased = reader.read_line(2.0)
            finally:
                reader.stop()
            if erased != "erased %d" % count:
                raise Failure("the infrared download into PostgreSQL did not end well: %r"
                              % erased)
            check_pg_count(database, count)
            runs.append(usage)
        wall = statistics.median(u.wall for u in runs)
        wire = statistics.mean(len("SEGUE %d" % i) + 1 + len(r) + 1
                               for i, r in enumerate(records)) * BITS_PER_BYTE / BAUD
        # The bound is on the rate itself, whatever the wire would carry.
        self.row("8 PostgreSQL infrared records/s", "1/s", 1 / wire, count / wall,
                 ">= 1000/s", lambda r: r / wire >= 1000)
        self.note("PostgreSQL: records/s %.0f over the whole call (%.2f s, of which 1 s of fixed "
                  "pauses); %.3f ms per record without the pauses; CPU %.2f s"
                  % (count / wall, wall, (wall - 1.0) / count * 1e3,
                     statistics.median(u.cpu for u in runs)))

        database = self.pg_database("bench_record")
        times = self.google_benchmark("bench_infrared_record", {"VIRUZEDI_BENCH_DB": database})
        opening = times["BM_ImportRecordSplit"]["open_us"]
        rest = times["BM_ImportRecordSplit"]["rest_us"]
        self.row("8 PostgreSQL open share (us)", "us", opening + rest, opening, "<= 0.5",
                 lambda r: r <= 0.5)
        self.note("PostgreSQL per record: open %.1f us, the rest %.1f us; the import as a whole "
                  "%.1f us, an open alone %.1f us"
                  % (opening, rest, times["BM_ImportRecord"]["real_time"],
                     times["BM_OpenDatabase"]["real_time"]))

    def google_benchmark(self, program, environment=None):
        """Per benchmark of a program, the medians of its repetitions: real
        time in microseconds and each of its counters."""
        out = os.path.join(self.work, program + ".json")
        subprocess.run([self.tool(program), "--benchmark_repetitions=%d" % self.repeats,
                        "--benchmark_min_time=0.3", "--benchmark_report_aggregates_only=true",
                        "--benchmark_out_format=json", "--benchmark_out=" + out],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       env=dict(os.environ, **(environment or {})))
        with open(out) as f:
            report = json.load(f)
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
        medians = {}
        for entry in report["benchmarks"]:
            # One repetition has no aggregates: its one run is the median.
            wanted = ("median", "aggregate") if self.repeats > 1 else (None, "iteration")
            if (entry.get("aggregate_name"), entry.get("run_type")) != wanted:
                continue
            figures = {key: value for key, value in entry.items()
                       if key.endswith("_us") and isinstance(value, (int, float))}
            figures["real_time"] = entry["real_time"] * scale[entry["time_unit"]]
            medians[entry["run_name"].split("/")[0]] = figures
        return medians

    # -- the table -----------------------------------------------------------

    def table(self):
        header = ("figure", "reference", "component", "ratio", "target", "met")
        lines = [header]
        for figure, _, reference, component, ratio, target, met in self.rows:
            lines.append((figure, number(reference), number(component), "%.3f" % ratio,
                          target or "-", "-" if met is None else ("yes" if met else "NO")))
        widths = [max(len(line[i]) for line in lines) for i in range(len(header))]
        text = []
        for n, line in enumerate(lines):
            cells = [line[0].ljust(widths[0])] + [c.rjust(w) for c, w in zip(line[1:], widths[1:])]
            text.append("| " + " | ".join(cells) + " |")
            if n == 0:
                text.append("|" + "|".join("-" * (w + 2) for w in widths) + "|")
        return "\n".join(text)


def number(value):
    if value >= 1000:
        return "%.0f" % value
    if value >= 10:
        return "%.1f" % value
    return "%.4g" % value


def check_count(database, count):
    with contextlib.closing(sqlite3.connect("file:%s?mode=ro" % database, uri=True)) as db:
        stored = db.execute("SELECT count(*) FROM Viruzedi").fetchone()[0]
    if stored != count:
        raise Failure("%s holds %d rows, not %d" % (database, stored, count))


def table_columns(database, table):
    """The names of the columns of `table`, in their order."""
    with contextlib.closing(sqlite3.connect("file:%s?mode=ro" % database, uri=True)) as db:
        return [row[1] for row in db.execute("PRAGMA table_info(%s)" % table)]


def check_rows(database, count, order="rowid"):
    """The rows of a generated import, every column of every row; rows that
    several processes wrote at once are compared by their lot (order
    "IdLotto"): every one of them exactly once, in whatever order they came."""
    check_count(database, count)
    with contextlib.closing(sqlite3.connect("file:%s?mode=ro" % database, uri=True)) as db:
        stored = db.execute("SELECT Codart, IdLotto, Quantità, Data, Rep FROM Viruzedi "
                            "ORDER BY " + order)
        for got, want in zip(stored, generate.expected_rows(count)):
            if got != want:
                raise Failure("%s holds %r where %r was written" % (database, got, want))


def check_labels(database, count, letture):
    """Every column of every row of a generated label import, and no label
    set aside."""
    check_count(database, count)
    with contextlib.closing(sqlite3.connect("file:%s?mode=ro" % database, uri=True)) as db:
        stored = db.execute("SELECT Codart, NColli, Lotto_Codice, Data, Lotto_Scadenza, SSCC "
                            "FROM Viruzedi ORDER BY rowid").fetchall()
    for got, want in zip(stored, generate.expected_label_rows(count)):
        if tuple(got) != want:
            raise Failure("%s holds %r where %r was written" % (database, got, want))
    if os.path.exists(os.path.join(letture, "Etichette_scartate.txt")):
        raise Failure("labels of the generated file were set aside")


def pg_query(uri, query):
    result = subprocess.run(["psql", "-X", "-A", "-t", "-v", "ON_ERROR_STOP=1", uri, "-c", query],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise Failure("psql: %s" % result.stderr.decode(errors="replace").strip())
    return result.stdout.decode()


def check_pg_count(uri, count):
    stored = int(pg_query(uri, "SELECT count(*) FROM viruzedi").strip())
    if stored != count:
        raise Failure("%s holds %d rows, not %d" % (uri, stored, count))


def check_pg_rows(uri, count):
    """Every column of every row of a generated import on the server (each
    lot once, so the lot orders them)."""
    check_pg_count(uri, count)
    stored = pg_query(uri, 'SELECT codart, idlotto, "quantità", data, rep FROM viruzedi '
                           "ORDER BY idlotto").splitlines()
    for got, (code, lot, quantity, day, rep) in zip(stored, generate.expected_rows(count)):
        want = "%s|%d|%r|%s|%d" % (code, lot, quantity, day, rep)
        if got != want:
            raise Failure("%s holds %r where %r was written" % (uri, got, want))


class PgServer:
    """A throw-away server for the PostgreSQL figures, in a folder of its own
    (outside the work folder: as root the server runs as another user, who
    must reach its folder), stopped and removed at the end."""

    def __init__(self, script):
        self.script = script
        self.folder = tempfile.mkdtemp(prefix="viruzedi-bench-pg-")
        result = subprocess.run([script, "start", self.folder], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)
        if result.returncode != 0:
            self.stop()
            raise Failure("the PostgreSQL server did not start: %s"
                          % result.stderr.decode(errors="replace").strip())
        self.uri = result.stdout.decode().strip().splitlines()[-1]

    def stop(self):
        subprocess.run([self.script, "stop", self.folder], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        shutil.rmtree(self.folder, ignore_errors=True)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bin", default=os.environ.get("VIRUZEDI_BIN",
                                                        os.path.join(here, "..", "build", "bin")),
                        help="folder of viruzedi, the simulators and bench_infrared_record")
    parser.add_argument("--repeats", type=int, default=5, help="runs per measurement (median)")
    parser.add_argument("--figures", default="1,2,3,4,5,6,7,8,9,10",
                        help="which figures, e.g. 1,3 (11, under Wine, only when asked)")
    parser.add_argument("--windows", nargs=2, metavar=("WIN64_BIN", "WIN32_BIN"),
                        default=[os.path.join(here, "..", "build-win64", "bin"),
                                 os.path.join(here, "..", "build-win32", "bin")],
                        help="bin folders of the Windows builds for figure 11")
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    parser.add_argument("--json", help="also write the rows to this file")
    parser.add_argument("--strict", action="store_true",
                        help="exit with status 1 when a figure misses its target")
    args = parser.parse_args()

    chosen = [figure.strip() for figure in args.figures.split(",")]
    pg_script = os.path.join(here, "..", "tests", "database", "postgresql", "pg-test-server")
    with_pg = any(figure in ("6", "7", "8") for figure in chosen)
    missing = [t for t in ("sqlite3", GNU_TIME) + (("psql",) if with_pg else ()) +
               (("wine",) if "11" in chosen else ())
               if shutil.which(t) is None]
    # What of the bin folder the chosen figures run, besides the command.
    infrared = ("infrared-simulator", "libZiRav.so", "bench_infrared_record")
    needs = {"1": ("sqlite_import_floor",), "3": ("pen-simulator",),
             "4": ("pen-simulator",) + infrared, "5": infrared, "8": infrared}
    programs = {"viruzedi"}.union(*(needs.get(figure, ()) for figure in chosen))
    missing += [p for p in sorted(programs) if not os.path.exists(os.path.join(args.bin, p))]
    if missing:
        sys.exit("bench/run.py: missing %s (bin folder %s)" % (", ".join(missing), args.bin))

    work = tempfile.mkdtemp(prefix="viruzedi-bench-")
    bench = Bench(os.path.abspath(args.bin), work, args.repeats)
    bench.windows = [("win64", os.path.abspath(args.windows[0])),
                     ("win32", os.path.abspath(args.windows[1]))]
    figures = {"1": bench.figure_import, "2": bench.figure_memory, "3": bench.figure_pen,
               "4": bench.figure_waiting, "5": bench.figure_infrared,
               "6": bench.figure_pg_import, "7": bench.figure_workstations,
               "8": bench.figure_pg_infrared, "9": bench.figure_labels,
               "10": bench.figure_odbc_import, "11": bench.figure_windows_odbc}
    started = time.monotonic()
    # Ended from outside, the run still stops its server and removes its
    # folders on the way out.
    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit("bench/run.py: ended by a signal"))
    try:
        for figure in chosen:
            if figure in ("6", "7", "8") and bench.pg is None:
                bench.pg = PgServer(pg_script)
            figures[figure]()
    except Failure as failure:
        sys.exit("bench/run.py: %s" % failure)
    finally:
        if bench.pg is not None:
            bench.pg.stop()
        if bench.wine is not None:
            bench.wine.stop()
        if args.keep:
            print("work folder: " + work)
        else:
            shutil.rmtree(work, ignore_errors=True)
    print("\nMedians of %d runs, %.0f s in all:\n" % (args.repeats, time.monotonic() - started))
    print(bench.table())
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"rows": bench.rows, "notes": bench.notes}, f, indent=1)
    missed = [row[0] for row in bench.rows if row[-1] is False]
    if missed:
        print("\nMissed: " + "; ".join(missed))
    return 1 if missed and args.strict else 0


if __name__ == "__main__":
    sys.exit(main())
