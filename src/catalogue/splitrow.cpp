#include "catalogue/splitrow.h"

namespace {
bool IsTrimmable(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsTrimmable(s[b]))
        ++b;
    while (e > b && IsTrimmable(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// Sets field `n`, reusing the room of a string left from an earlier row.
void SetField(std::vector<std::string>& fields, std::size_t n, std::string_view text)
{
    if (n < fields.size())
        fields[n].assign(text);
    else
        fields.emplace_back(text);
}
} // namespace

bool SplitRow(std::string_view line, std::size_t minFields, std::vector<std::string>& fields)
{
    std::size_t n = 0; // fields found; those beyond are left from an earlier row
    std::size_t p = 0;
    char delimiter = ',';
    while (p < line.size()) {
        const char c = line[p];
        if (c == ';')
            break;
        if (c == ' ' || c == '\t') {
            ++p;
            continue;
        }
        if (c == ',' && delimiter == '"') {
            // This comma only separates the quoted field from the next one.
            delimiter = ',';
            ++p;
            continue;
        }
        std::size_t begin;
        if (c == '"') {
            begin = p + 1;
            delimiter = '"';
        } else {
            begin = p;
            delimiter = ',';
        }
        const std::size_t close = line.find(delimiter, begin);
        if (close == std::string_view::npos) {
            SetField(fields, n++, Trimmed(line.substr(begin)));
            break;
        }
        SetField(fields, n++, Trimmed(line.substr(begin, close - begin)));
        p = close + 1;
    }
    fields.resize(n);
    return n >= minFields;
}
