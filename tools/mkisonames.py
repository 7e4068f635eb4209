#!/usr/bin/env python3
"""Writes the tables of ISO country and currency names the program looks up in iso-codes' catalogues.

iso-codes translates a country or a currency by its English name (the "name" field of its JSON
lists); the program knows a country by its Internet code and a currency by its ISO 4217 code. The
tables map the one onto the other, sorted by code, so that the program never reads the JSON files.

usage: mkisonames.py ISO_3166_JSON ISO_4217_JSON OUTPUT_CPP
"""
import json
import sys


def c_literal(text):
    out = []
    for byte in text.encode("utf-8"):
        ch = chr(byte)
        if ch in '"\\':
            out.append("\\" + ch)
        elif 0x20 <= byte < 0x7F:
            out.append(ch)
        else:
            # Octal, three digits: a following digit cannot extend the escape.
            out.append("\\%03o" % byte)
    return '"' + "".join(out) + '"'


def write_table(out, table, function, rows):
    out.write("constexpr IsoName %s[] = {\n" % table)
    for code, name in rows:
        out.write("    {%s, %s},\n" % (c_literal(code), c_literal(name)))
    out.write("};\n\n")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as f:
        countries = sorted((c["alpha_2"].lower(), c["name"]) for c in json.load(f)["3166-1"])
    with open(sys.argv[2], encoding="utf-8") as f:
        currencies = sorted((c["alpha_3"].upper(), c["name"]) for c in json.load(f)["4217"])
    with open(sys.argv[3], "w", encoding="utf-8", newline="\n") as out:
        out.write("// Made by tools/mkisonames.py from iso-codes' iso_3166-1.json and iso_4217.json; do not edit.\n"
                  '#include "catalogue/isonames.h"\n\n'
                  "#include <algorithm>\n#include <iterator>\n\n"
                  "namespace kelvara {\n\nnamespace {\n"
                  "struct IsoName {\n    const char* code;\n    const char* name;\n};\n\n")
        write_table(out, "kCountries", "IsoCountryName", countries)
        write_table(out, "kCurrencies", "IsoCurrencyName", currencies)
        out.write("template <std::size_t N>\n"
                  "const char* Find(const IsoName (&table)[N], std::string_view code)\n{\n"
                  "    const auto* end = std::end(table);\n"
                  "    const auto* found = std::lower_bound(std::begin(table), end, code,\n"
                  "        [](const IsoName& c, std::string_view wanted) { return std::string_view(c.code) < wanted; });\n"
                  "    return found != end && std::string_view(found->code) == code ? found->name : nullptr;\n}\n"
                  "} // namespace\n\n"
                  "const char* IsoCountryName(std::string_view code)\n{\n    return Find(kCountries, code);\n}\n\n"
                  "const char* IsoCurrencyName(std::string_view code)\n{\n    return Find(kCurrencies, code);\n}\n\n"
                  "} // namespace kelvara\n")


if __name__ == "__main__":
    main()
