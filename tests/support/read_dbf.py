"""Reads dBASE tables as an independent reader (Debian's python3-dbfread)
sees them, for the tests to set beside what they wrote.

  read_dbf.py dump TABLE      the header counts (records, header length,
                              record length), the fields, then each live
                              row and each deleted row with its values
  read_dbf.py rows TABLE...   per table a line '#', its count of live rows
                              and its field names, then one line per live
                              row: the values joined by '|' (texts without
                              trailing blanks, numbers with four decimals,
                              dates as YYYYMMDD, empty values as nothing)

Texts are read as code page 860; a byte that is not one fails the run."""
import sys

from dbfread import DBF


def shown(v):
    if v is None:
        return "None"
    if hasattr(v, "isoformat"):
        return v.isoformat()
    return str(v)


def cell(v):
    if v is None:
        return ""
    if isinstance(v, (int, float)) and not isinstance(v, bool):
        return "%.4f" % v
    if hasattr(v, "strftime"):
        return v.strftime("%Y%m%d")
    return str(v).rstrip(" ")


def dump(path):
    t = DBF(path, encoding="cp860", char_decode_errors="strict")
    h = t.header
    print("header %d %d %d" % (h.numrecords, h.headerlen, h.recordlen))
    for f in t.fields:
        print("field %s %s %d %d" % (f.name, f.type, f.length, f.decimal_count))
    for flag, rows in ((" ", t.records), ("*", t.deleted)):
        for r in rows:
            print(flag + "|" + "|".join("%s=%s" % (k, shown(v)) for k, v in r.items()))


def rows(path):
    t = DBF(path, encoding="cp860", char_decode_errors="strict", load=True)
    print("# %d %s" % (len(t.records), " ".join(t.field_names)))
    for r in t.records:
        print("|".join(cell(r[name]) for name in t.field_names))


if __name__ == "__main__":
    mode, paths = sys.argv[1], sys.argv[2:]
    for p in paths:
        {"dump": dump, "rows": rows}[mode](p)
