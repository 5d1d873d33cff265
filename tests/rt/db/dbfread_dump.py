# Prints a dBASE table as an independent reader (dbfread) sees it: the header
# counts, the fields, then each live row and each deleted row.
import sys

from dbfread import DBF


def show(v):
    if v is None:
        return "None"
    if hasattr(v, "isoformat"):
        return v.isoformat()
    return str(v)


t = DBF(sys.argv[1], encoding="cp860", char_decode_errors="strict")
h = t.header
print("header %d %d %d" % (h.numrecords, h.headerlen, h.recordlen))
for f in t.fields:
    print("field %s %s %d %d" % (f.name, f.type, f.length, f.decimal_count))
for flag, rows in ((" ", t.records), ("*", t.deleted)):
    for r in rows:
        print(flag + "|" + "|".join("%s=%s" % (k, show(v)) for k, v in r.items()))
