#!/usr/bin/env python3
"""Writes the translation template (kelvara.pot) of every text Kelvara shows.

Sources: the numbered string table, the dialog templates (*.ui, with the form's class as context),
the names in the data files (with the category's English name as context, so that a "pound" of
weight and a "pound" of money are told apart), and the rows of the country list that iso-codes
cannot name. The menu entry and the AppStream metainfo are extracted by xgettext and merged in by
the caller (tools/update-po).

usage: mkpot.py SOURCE_DIR ISO_3166_JSON OUTPUT
"""
import csv
import json
import os
import re
import sys
import xml.etree.ElementTree as ET

# The data files whose rows carry a name in their first column, and the English name of the
# category each belongs to.
DATA_CONTEXTS = {
    "area.dat": "Area",
    "capacity.dat": "Capacity",
    "currency.dat": "Currency",
    "energy.dat": "Energy",
    "length.dat": "Length",
    "number.dat": "Numbers",
    "power.dat": "Power",
    "pressure.dat": "Pressure",
    "speed.dat": "Speed",
    "temperature.dat": "Temperature",
    "weight.dat": "Weight",
    "time.dat": "Time",
    "datasize.dat": "Data Size",
    "datarate.dat": "Data Rate",
    "fueleconomy.dat": "Fuel Economy",
    "angle.dat": "Angle",
    "frequency.dat": "Frequency",
    "force.dat": "Force",
    "torque.dat": "Torque",
    "density.dat": "Density",
    "acceleration.dat": "Acceleration",
}
COUNTRY_CONTEXT = "Country and Phone Codes"
# Currencies iso-codes names, whose names our catalogues word themselves: its translations mix up
# the riyal (Qatar, Saudi Arabia) and the rial (Iran, Oman, Yemen) in several languages, and
# misspell the New Taiwan Dollar in French. The English is iso-codes' own name of the code.
ISO_NAMES_WE_WORD = ["Qatari Rial", "Saudi Riyal", "Iranian Rial", "Rial Omani", "Yemeni Rial",
                     "New Taiwan Dollar"]

C_ESCAPES = {"n": "\n", "t": "\t", '"': '"', "\\": "\\", "'": "'", "a": "\a", "r": "\r"}


def c_unescape(literal):
    out, i = [], 0
    while i < len(literal):
        ch = literal[i]
        if ch == "\\" and i + 1 < len(literal):
            nxt = literal[i + 1]
            if nxt in C_ESCAPES:
                out.append(C_ESCAPES[nxt])
                i += 2
                continue
            if nxt == "x":
                m = re.match(r"[0-9a-fA-F]+", literal[i + 2:])
                out.append(chr(int(m.group(0), 16)))
                i += 2 + len(m.group(0))
                continue
        out.append(ch)
        i += 1
    return "".join(out)


def po_quote(text):
    escaped = text.replace("\\", "\\\\").replace('"', '\\"').replace("\t", "\\t")
    parts = escaped.split("\n")
    lines = [p + "\\n" for p in parts[:-1]] + ([parts[-1]] if parts[-1] else [])
    if len(lines) <= 1:
        return '"' + (lines[0] if lines else "") + '"'
    return '""\n' + "\n".join('"' + line + '"' for line in lines)


class Template:
    def __init__(self):
        self.entries = {}  # (context, text) -> entry
        self.order = []

    def add(self, context, text, where, note=None, c_format=False):
        if not text:
            return
        key = (context, text)
        if key not in self.entries:
            self.entries[key] = {"refs": [], "notes": [], "c_format": False}
            self.order.append(key)
        entry = self.entries[key]
        entry["refs"].append(where)
        for n in note if isinstance(note, list) else [note]:
            if n and n not in entry["notes"]:
                entry["notes"].append(n)
        entry["c_format"] |= c_format

    def write(self, out):
        out.write(
            '# Kelvara\'s texts, for translators.\n'
            '# This file is made from the sources by tools/update-po; do not edit it by hand.\n'
            'msgid ""\n'
            'msgstr ""\n'
            '"Project-Id-Version: Kelvara\\n"\n'
            '"MIME-Version: 1.0\\n"\n'
            '"Content-Type: text/plain; charset=UTF-8\\n"\n'
            '"Content-Transfer-Encoding: 8bit\\n"\n\n')
        for context, text in self.order:
            entry = self.entries[(context, text)]
            for note in entry["notes"]:
                out.write("#. %s\n" % note)
            out.write("#: %s\n" % " ".join(entry["refs"]))
            if entry["c_format"]:
                out.write("#, c-format\n")
            if context is not None:
                out.write("msgctxt %s\n" % po_quote(context))
            out.write("msgid %s\nmsgstr \"\"\n\n" % po_quote(text))


def read_string_table(source_dir, template):
    # An entry may run over several lines (adjacent literals, as C joins them); a comment line
    # "// TRANSLATORS: ..." right above an entry (or several) is a note for its translators.
    path = "resources/strings/strings.inc"
    entry = re.compile(r'KELVARA_STRING\((\w+),\s*(\d+),\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\)')
    with open(os.path.join(source_dir, path), encoding="utf-8") as f:
        lines = f.read().split("\n")
    notes = []
    number = 0
    while number < len(lines):
        line = lines[number]
        number += 1
        stripped = line.strip()
        if stripped.startswith("// TRANSLATORS:"):
            notes.append(stripped[len("// TRANSLATORS:"):].strip())
            continue
        if stripped.startswith("//") and notes:
            notes[-1] += " " + stripped[2:].strip()  # the note goes on
            continue
        if not stripped.startswith("KELVARA_STRING("):
            notes = []
            continue
        first = number
        text = line
        while not entry.match(text.strip()) and number < len(lines):
            text += "\n" + lines[number]
            number += 1
        m = entry.match(text.strip())
        if not m:
            sys.exit("%s:%d: cannot read this entry" % (path, first))
        msgid = "".join(c_unescape(lit) for lit in re.findall(r'"((?:[^"\\]|\\.)*)"', m.group(3)))
        where = "%s:%d" % (path, first)
        template.add(None, msgid, where, note=[m.group(1)] + ["TRANSLATORS: " + n for n in notes],
                     c_format=re.search(r"%[-+ #0]*\d*(?:\.\d+)?[a-zA-Z]", msgid) is not None)
        notes = []


def read_dialog_templates(source_dir, template):
    folder = "resources/ui"
    for name in sorted(os.listdir(os.path.join(source_dir, folder))):
        if not name.endswith(".ui"):
            continue
        path = folder + "/" + name
        root = ET.parse(os.path.join(source_dir, path)).getroot()
        context = root.findtext("class")
        for element in root.iter("string"):
            if element.get("notr") == "true" or not element.text:
                continue
            template.add(context, element.text, path, note=element.get("extracomment"))


def data_rows(path):
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            stripped = line.strip()
            if not stripped or stripped.startswith(";"):
                continue
            yield number, next(csv.reader([stripped], skipinitialspace=True))


def currency_row_parts(source_dir):
    """The table of currency rows' parts: row name -> (country, country code, currency)."""
    path = "src/catalogue/currencyrowname.cpp"
    literal = r'"((?:[^"\\]|\\.)*)"'
    row = re.compile(r"^\s*\{%s, \{%s, %s, %s\}\},$" % ((literal,) * 4))
    parts = {}
    with open(os.path.join(source_dir, path), encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            m = row.match(line)
            if m:
                parts[c_unescape(m.group(1))] = ("%s:%d" % (path, number),) + tuple(
                    c_unescape(g) for g in m.groups()[1:])
    return parts


def read_data_files(source_dir, iso_json, template):
    folder = "resources/data"
    # A currency row the table splits is shown as its country and its currency's name (the latter
    # from iso-codes when it lists the code); other rows are translated whole.
    parts = currency_row_parts(source_dir)
    for name, context in DATA_CONTEXTS.items():
        path = folder + "/" + name
        for number, fields in data_rows(os.path.join(source_dir, path)):
            text = fields[0].strip()
            if name == "currency.dat" and text in parts:
                where, country, _, currency = parts[text]
                template.add("Country", country, where)
                template.add("Currency name", currency, where)
                continue
            template.add(context, text, "%s:%d" % (path, number))
    for text in ISO_NAMES_WE_WORD:
        template.add("Currency name", text, "tools/mkpot.py")
    # Countries are named by iso-codes' catalogue; ours names only the rows it has no code for.
    with open(iso_json, encoding="utf-8") as f:
        known = {c["alpha_2"].lower() for c in json.load(f)["3166-1"]}
    path = folder + "/country.dat"
    for number, fields in data_rows(os.path.join(source_dir, path)):
        if fields[0].strip().lower() not in known:
            template.add(COUNTRY_CONTEXT, fields[-1].strip(), "%s:%d" % (path, number))


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    source_dir, iso_json, output = sys.argv[1:]
    template = Template()
    read_string_table(source_dir, template)
    read_dialog_templates(source_dir, template)
    read_data_files(source_dir, iso_json, template)
    with open(output, "w", encoding="utf-8", newline="\n") as out:
        template.write(out)


if __name__ == "__main__":
    main()
