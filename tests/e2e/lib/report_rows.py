#!/usr/bin/env python3
"""Checks one pupil's sheet in a report file: the runs' rows, in order.

Usage: report_rows.py FILE SHEET RUN... where each RUN is COUNT:MIN:MAX, one run's expected count
of extra instructions and the plausible range of its total time in seconds, or "unfinished": a run
cut short, whose start-time row may or may not have reached the file. Every finished run is its start-time row (a date as the program writes it), its count row,
its total-time row and one empty row, and nothing else is in the sheet. Prints what it found;
exits 1 on the first difference.
"""
import re
import sys
import xml.etree.ElementTree as ET

NS = {"ss": "urn:schemas-microsoft-com:office:spreadsheet"}
NAME = "{urn:schemas-microsoft-com:office:spreadsheet}Name"
START = "Время начала работы с упражнением"
COUNT = "Количество дополнительных вызовов инструкций"
TOTAL = "Общее время работы с упражнением. с."
DATE = re.compile(r"^\d{2}-[A-Z][a-z]+-\d{4} \d{2}:\d{2}$")


def rows_of(path, sheet):
    root = ET.parse(path).getroot()
    for ws in root.findall("ss:Worksheet", NS):
        if ws.get(NAME) == sheet:
            return [[(d.text or "", d.get("{urn:schemas-microsoft-com:office:spreadsheet}Type"))
                     for d in row.findall("ss:Cell/ss:Data", NS)]
                    for row in ws.findall("ss:Table/ss:Row", NS)]
    return None


def main():
    path, sheet, counts = sys.argv[1], sys.argv[2], sys.argv[3:]
    try:
        rows = rows_of(path, sheet)
    except (OSError, ET.ParseError) as e:
        print("the report cannot be read: %s" % e)
        return 1
    if rows is None:
        print("no sheet %r" % sheet)
        return 1
    print("sheet %r: %s" % (sheet, rows))
    unfinished = counts[-1:] == ["unfinished"]
    if unfinished:
        counts = counts[:-1]
        tail = rows[4 * len(counts):]
        if len(tail) > 1 or (tail and (len(tail[0]) != 2 or tail[0][0][0] != START)):
            print("after the finished runs, more than an unfinished run's start: %s" % tail)
            return 1
        rows = rows[:4 * len(counts)]
    if len(rows) != 4 * len(counts):
        print("%d rows, expected %d" % (len(rows), 4 * len(counts)))
        return 1
    for run, expected in enumerate(counts):
        count, low, high = expected.split(":")
        low, high = int(low), int(high)
        start, calls, total, empty = rows[4 * run:4 * run + 4]
        problems = []
        if len(start) != 2 or start[0][0] != START or not DATE.match(start[1][0]):
            problems.append("start-time row %s" % start)
        if calls != [(COUNT, "String"), (count, "Number")]:
            problems.append("instruction-count row %s (expected %s)" % (calls, count))
        if (len(total) != 2 or total[0][0] != TOTAL or total[1][1] != "Number"
                or not total[1][0].isdigit() or not low <= int(total[1][0]) <= high):
            problems.append("total-time row %s (expected %d..%d s)" % (total, low, high))
        if empty:
            problems.append("the row after the run is not empty: %s" % empty)
        if problems:
            print("run %d: %s" % (run + 1, "; ".join(problems)))
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
