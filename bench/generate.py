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
  generate.py reference-pg-copy N FILE  the same rows as psql \\copy reads them
  generate.py pen-reads N FILE          reads of the pen simulator
  generate.py infrared-records N FILE   records of the infrared simulator
  generate.py reader-lines N FILE       reader file of Scarica2 (CR LF)
  generate.py gs1-labels N FILE         reader file of GS1 labels (CR LF)
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


def reference_pg_copy_line(i):
    """The row of stock_movement_line(i) as the PostgreSQL engine stores it,
    as a line of COPY's text format for the columns of REFERENCE_PG_COLUMNS."""
    code, lot, units, day, rep = _row(i)
    return "%s\t%d\t%d.5\t2026-12-%02d\t%d" % (code, lot, units, day, rep)


# The columns that a reference COPY line fills, as the server names them.
REFERENCE_PG_COLUMNS = 'codart, idlotto, "quantità", data, rep'


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


def reader_line(i):
    """Line i of a reader file of Scarica2: article code;quantity, with the
    workstation's decimal comma."""
    code, _, units, _, _ = _row(i)
    return "%s;%d,5" % (code, units)


def gs1_check_digit(digits):
    """The mod-10 check digit that completes `digits`."""
    total = sum(int(d) * (3 if k % 2 == 0 else 1) for k, d in enumerate(reversed(digits)))
    return str((10 - total % 10) % 10)


def _label(i):
    """The values of label i: GTIN, count, lot, best-before YYMMDD, SSCC."""
    gtin = "0801234500%03d" % (i % 1000)
    sscc = "38012345%09d" % i
    return (gtin + gs1_check_digit(gtin), i % 100 + 1, "L%d" % i, "2612%02d" % (i % 28 + 1),
            sscc + gs1_check_digit(sscc))


def gs1_label_line(i):
    """Line i of a reader file of GS1 labels: the label, ";", its SSCC. The
    label takes each of three forms in turn: bracketed, as a GS1-128
    scanner sends it (GS after the count, whose length varies), and a
    Digital Link address."""
    gtin, count, lot, date, sscc = _label(i)
    form = i % 3
    if form == 0:
        label = "(02)%s(37)%d(10)%s(15)%s" % (gtin, count, lot, date)
    elif form == 1:
        label = "]C102%s15%s37%d\x1d10%s" % (gtin, date, count, lot)
    else:
        label = "https://id.example.com/02/%s/10/%s?15=%s&37=%d" % (gtin, lot, date, count)
    return "%s;%s" % (label, sscc)


def expected_label_rows(count):
    """What table Viruzedi holds after importing `count` generated labels:
    (Codart, NColli, Lotto_Codice, Data, Lotto_Scadenza, SSCC) in row
    order."""
    for i in range(count):
        gtin, units, lot, date, sscc = _label(i)
        day = "20%s-%s-%s" % (date[0:2], date[2:4], date[4:6])
        yield (gtin[10:13], str(units), lot, day, day, sscc)


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


def write_stock_movement_csv(count, columns, path):
    """The rows of write_stock_movements as CSV for the sqlite3 shell's
    .import into a table with `columns` (in their order): the five values,
    in the forms the engine stores, and an empty field for every other."""
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        for i in range(count):
            code, lot, units, day, rep = _row(i)
            values = {"Codart": code, "IdLotto": str(lot), "Quantità": "%d.5" % units,
                      "Data": "2026-12-%02d" % day, "Rep": str(rep)}
            out.write(",".join(values.get(column, "") for column in columns) + "\n")


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


def write_reference_pg_copy(count, path):
    """The reference's rows for psql's \\copy, in COPY's text format."""
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        for i in range(count):
            out.write(reference_pg_copy_line(i) + "\n")


def write_reader_file(line, count, path):
    """A reader file of `count` lines, line(i) each, with the reader
    program's CR LF."""
    with open(path, "w", encoding="ascii", newline="") as out:
        for i in range(count):
            out.write(line(i) + "\r\n")


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
        "reference-pg-copy": write_reference_pg_copy,
        "pen-reads": lambda n, path: write_lines((pen_read(i) for i in range(n)), path),
        "infrared-records": lambda n, path: write_lines((infrared_record(i) for i in range(n)), path),
        "reader-lines": lambda n, path: write_reader_file(reader_line, n, path),
        "gs1-labels": lambda n, path: write_reader_file(gs1_label_line, n, path),
    }
    if len(argv) != 4 or argv[1] not in writers:
        sys.stderr.write(__doc__)
        return 2
    writers[argv[1]](int(argv[2]), argv[3])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
