"""Input files of the benchmarks, the same rows each time for a given count.

Row i of every generator is made from i alone, so that the component's input
and the reference's SQL describe exactly the same rows:
  article code  ART<i mod 997>
  lot           i
  quantity      <i mod 100>.5
  date          day <i mod 28 + 1> of December 2026
  department    <i mod 7 + 1>

Also a command line, to look at the files:
  generate.py stock-movements N FILE    terminal file of Scarica4 (CR LF)
  generate.py reference-sql N FILE      the same rows as sqlite3 INSERTs
  generate.py reference-pg-sql N FILE   the same rows as psql INSERTs
  generate.py pen-reads N FILE          reads of the pen simulator
  generate.py infrared-records N FILE   records of the infrared simulator
"""

import sys

ARTICLES = 997


def _row(i):
    return ("ART%d" % (i % ARTICLES), i, i % 100, i % 28 + 1, i % 7 + 1)


def stock_movement_line(i):
    """Line i of a stock-movement file: article$lot;quantity;yyyymmdd;Rep.
    The quantity carries the workstation's decimal comma."""
    code, lot, units, day, rep = _row(i)
    return "%s$%d;%d,5;202612%02d;%d" % (code, lot, units, day, rep)


def reference_insert(i):
    """The row of stock_movement_line(i) as the engine stores it, in
    SQLite's own dialect (dates as yyyy-mm-dd text, as the engine keeps
    them)."""
    code, lot, units, day, rep = _row(i)
    return ("INSERT INTO Viruzedi (Codart,IdLotto,Quantità,Data,Rep) "
            "VALUES ('%s',%d,%d.5,'2026-12-%02d',%d);" % (code, lot, units, day, rep))


def reference_pg_insert(i):
    """The row of stock_movement_line(i) as the PostgreSQL engine stores it,
    in the server's dialect: names as the server folds them, dates as date
    literals."""
    code, lot, units, day, rep = _row(i)
    return ('INSERT INTO viruzedi (codart,idlotto,"quantità",data,rep) '
            "VALUES ('%s',%d,%d.5,DATE '2026-12-%02d',%d);" % (code, lot, units, day, rep))


def pen_read(i):
    """Read i of the pen: code;sub-order;lot;quantity."""
    code, lot, units, _, rep = _row(i)
    return "%s;%d;%d;%d.5" % (code, rep, lot, units)


def infrared_record(i):
    """Record i of the infrared reader: #code$lot;quantity;date;department;"""
    code, lot, units, day, rep = _row(i)
    return "#%s$%d;%d.5;202612%02d;%d;" % (code, lot, units, day, rep)


def write_stock_movements(count, path):
    with open(path, "w", encoding="ascii", newline="") as out:
        for i in range(count):
            out.write(stock_movement_line(i) + "\r\n")


def write_reference_sql(count, path, journal_mode="WAL", synchronous="NORMAL",
                        one_transaction=True):
    """The reference's script: the engine's journal mode and synchronous
    setting, then one INSERT per row, all in one transaction (as the
    component writes a file), or each its own."""
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write("PRAGMA journal_mode=%s;\nPRAGMA synchronous=%s;\n" % (journal_mode, synchronous))
        if one_transaction:
            out.write("BEGIN;\n")
        for i in range(count):
            out.write(reference_insert(i) + "\n")
        if one_transaction:
            out.write("COMMIT;\n")


def write_stock_movement_range(first, count, path):
    """Lines first .. first+count-1 of the stock-movement file: one
    workstation's share of a file several of them send at once."""
    with open(path, "w", encoding="ascii", newline="") as out:
        for i in range(first, first + count):
            out.write(stock_movement_line(i) + "\r\n")


def write_reference_pg_sql(count, path):
    """The reference's script for psql: every row's INSERT inside one
    transaction, as the component writes a file."""
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write("BEGIN;\n")
        for i in range(count):
            out.write(reference_pg_insert(i) + "\n")
        out.write("COMMIT;\n")


def write_lines(lines, path):
    with open(path, "w", encoding="ascii", newline="\n") as out:
        for line in lines:
            out.write(line + "\n")


def expected_rows(count):
    """What table Viruzedi holds after importing `count` generated rows:
    (Codart, IdLotto, Quantità, Data, Rep) in row order."""
    for i in range(count):
        code, lot, units, day, rep = _row(i)
        yield (code, lot, units + 0.5, "2026-12-%02d" % day, rep)


def main(argv):
    writers = {
        "stock-movements": write_stock_movements,
        "reference-sql": write_reference_sql,
        "reference-pg-sql": write_reference_pg_sql,
        "pen-reads": lambda n, path: write_lines((pen_read(i) for i in range(n)), path),
        "infrared-records": lambda n, path: write_lines((infrared_record(i) for i in range(n)), path),
    }
    if len(argv) != 4 or argv[1] not in writers:
        sys.stderr.write(__doc__)
        return 2
    writers[argv[1]](int(argv[2]), argv[3])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
