"""Prints an .xls workbook as python3-xlrd reads it: each sheet's name on a line of its own
after a form feed, then its rows, cells separated by tabs; UTF-8 whatever the locale."""
import sys

import xlrd

sys.stdout.reconfigure(encoding="utf-8")
book = xlrd.open_workbook(sys.argv[1])
for sheet in book.sheets():
    print("\f" + sheet.name)
    for row in range(sheet.nrows):
        print("\t".join(str(value) for value in sheet.row_values(row)))
