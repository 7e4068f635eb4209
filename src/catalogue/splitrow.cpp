#include "catalogue/splitrow.h"

namespace {
bool IsTrimmable(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trimmed(std::string_view s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsTrimmable(s[b]))
        ++b;
    while (e > b && IsTrimmable(s[e - 1]))
        --e;
    return std::string(s.substr(b, e - b));
}
} // namespace

bool SplitRow(std::string_view line, std::size_t minFields, std::vector<std::string>& fields)
{
    fields.clear();
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
            fields.push_back(Trimmed(line.substr(begin)));
            break;
        }
        fields.push_back(Trimmed(line.substr(begin, close - begin)));
        p = close + 1;
    }
    return fields.size() >= minFields;
}
