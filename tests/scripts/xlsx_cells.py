#!/usr/bin/env python3
"""Reads the first sheet of an .xlsx workbook with the standard library only (zipfile and XML),
independently of the program that wrote it, and prints:
  line 1: the sheet's name
  line 2: the column widths as stored (characters), tab-separated
  then one line per row (an empty line for a row without cells): its cells tab-separated, each written as
    n<number>  a numeric cell (value printed with repr)
    s<text>    a text cell (shared or inline string)
    -          an empty place
  and, for a cell whose font is bold, a "*" before the type letter.
"""
import sys
import zipfile
import xml.etree.ElementTree as ET

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main"}
REL = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}id"


def column_index(ref):
    letters = "".join(ch for ch in ref if ch.isalpha())
    n = 0
    for ch in letters:
        n = n * 26 + (ord(ch.upper()) - ord("A") + 1)
    return n - 1


def text_of(node):
    return "".join(t.text or "" for t in node.iter("{%s}t" % NS["m"]))


def main(path):
    with zipfile.ZipFile(path) as z:
        workbook = ET.fromstring(z.read("xl/workbook.xml"))
        sheet = workbook.find("m:sheets/m:sheet", NS)
        rels = ET.fromstring(z.read("xl/_rels/workbook.xml.rels"))
        target = None
        for rel in rels:
            if rel.get("Id") == sheet.get(REL):
                target = rel.get("Target")
        target = target.lstrip("/")
        if not target.startswith("xl/"):
            target = "xl/" + target
        shared = []
        if "xl/sharedStrings.xml" in z.namelist():
            for si in ET.fromstring(z.read("xl/sharedStrings.xml")).findall("m:si", NS):
                shared.append(text_of(si))
        styles = ET.fromstring(z.read("xl/styles.xml"))
        fonts = styles.findall("m:fonts/m:font", NS)
        bold_fonts = [f.find("m:b", NS) is not None for f in fonts]
        xfs = styles.findall("m:cellXfs/m:xf", NS)
        bold_style = [bold_fonts[int(x.get("fontId", "0"))] for x in xfs]
        ws = ET.fromstring(z.read(target))

    out = [sheet.get("name")]
    widths = []
    for col in ws.findall("m:cols/m:col", NS):
        for _ in range(int(col.get("min")), int(col.get("max")) + 1):
            widths.append(col.get("width"))
    out.append("\t".join(widths))
    next_row = 1
    for row in ws.findall("m:sheetData/m:row", NS):
        # Rows without any cell are not stored: print them as empty lines.
        number = int(row.get("r", str(next_row)))
        out.extend([""] * (number - next_row))
        next_row = number + 1
        cells = {}
        for c in row.findall("m:c", NS):
            kind = c.get("t", "n")
            bold = "*" if bold_style[int(c.get("s", "0"))] else ""
            if kind == "n":
                v = c.find("m:v", NS)
                cells[column_index(c.get("r"))] = bold + "n" + repr(float(v.text))
            elif kind == "s":
                cells[column_index(c.get("r"))] = bold + "s" + shared[int(c.find("m:v", NS).text)]
            elif kind == "inlineStr":
                cells[column_index(c.get("r"))] = bold + "s" + text_of(c.find("m:is", NS))
            elif kind == "str":
                cells[column_index(c.get("r"))] = bold + "s" + (c.find("m:v", NS).text or "")
            else:
                cells[column_index(c.get("r"))] = bold + kind + "?"
        last = max(cells) if cells else -1
        out.append("\t".join(cells.get(i, "-") for i in range(last + 1)))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
