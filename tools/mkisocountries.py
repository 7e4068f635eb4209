#!/usr/bin/env python3
"""Writes the table of ISO 3166-1 country names the program looks up in iso-codes' catalogue.

iso-codes translates a country by its English name (the "name" field of iso_3166-1.json); the
country list knows a country by its Internet code. The table maps the one onto the other, sorted
by code, so that the program never reads the JSON file itself.

usage: mkisocountries.py ISO_3166_JSON OUTPUT_CPP
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


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as f:
        countries = json.load(f)["3166-1"]
    rows = sorted((c["alpha_2"].lower(), c["name"]) for c in countries)
    with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as out:
        out.write("// Made by tools/mkisocountries.py from iso-codes' iso_3166-1.json; do not edit.\n"
                  '#include "catalogue/isocountrynames.h"\n\n'
                  "#include <algorithm>\n#include <iterator>\n\n"
                  "namespace kelvara {\n\nnamespace {\n"
                  "struct IsoCountry {\n    const char* code;\n    const char* name;\n};\n"
                  "constexpr IsoCountry kCountries[] = {\n")
        for code, name in rows:
            out.write("    {%s, %s},\n" % (c_literal(code), c_literal(name)))
        out.write("};\n} // namespace\n\n"
                  "const char* IsoCountryName(std::string_view code)\n{\n"
                  "    const auto* end = std::end(kCountries);\n"
                  "    const auto* found = std::lower_bound(std::begin(kCountries), end, code,\n"
                  "        [](const IsoCountry& c, std::string_view wanted) { return std::string_view(c.code) < wanted; });\n"
                  "    return found != end && std::string_view(found->code) == code ? found->name : nullptr;\n}\n\n"
                  "} // namespace kelvara\n")


if __name__ == "__main__":
    main()
