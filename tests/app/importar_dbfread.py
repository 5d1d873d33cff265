"""Prints dBASE tables as the import's tests compare them: per table a line
'#' with the field names, then one line per row that is not deleted, the
values joined by '|' (texts without trailing blanks, numbers with four
decimals, dates as YYYYMMDD, empty values as nothing)."""
import sys

from dbfread import DBF


def show(value):
    if value is None:
        return ""
    if isinstance(value, (int, float)) and not isinstance(value, bool):
        return "%.4f" % value
    if hasattr(value, "strftime"):
        return value.strftime("%Y%m%d")
    return str(value).rstrip(" ")


for path in sys.argv[1:]:
    table = DBF(path, encoding="cp860", char_decode_errors="strict", load=True)
    print("# " + " ".join(table.field_names))
    for record in table.records:
        print("|".join(show(record[name]) for name in table.field_names))
