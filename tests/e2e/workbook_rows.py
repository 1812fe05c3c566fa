"""Prints an .xls workbook as text: each sheet's name on a line of its own after a form feed,
then its rows, cells separated by tabs."""
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1])
for sheet in book.sheets():
    print("\f" + sheet.name)
    for row in range(sheet.nrows):
        print("\t".join(str(value) for value in sheet.row_values(row)))
