#pragma once

// The sourced exception lists beside the data files (resources/data/*-exceptions.txt): one entry a
// line, "code value source [note]", fields separated by spaces; "#" lines and blank ones are skipped.

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kelvara::test {

struct ListedException {
    std::string code;
    std::string value; // the number, or the kind of exception
    std::string source;
    int line = 0;
};

inline std::string TrimBlanks(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The entries of the list at `path`; a line without a web address as its source is reported in
// `errors` (naming `valueName`, what the second field holds) and left out.
inline std::vector<ListedException> ReadExceptionList(const std::string& path, const std::string& valueName,
                                                      std::vector<std::string>& errors)
{
    std::vector<ListedException> entries;
    std::ifstream in(path);
    if (!in) {
        errors.push_back("cannot read " + path);
        return entries;
    }
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        if (TrimBlanks(line).empty() || TrimBlanks(line).front() == '#')
            continue;
        std::istringstream fields(line);
        ListedException entry;
        entry.line = lineNumber;
        fields >> entry.code >> entry.value;
        std::getline(fields, entry.source);
        entry.source = TrimBlanks(entry.source);
        if (entry.source.rfind("https://", 0) != 0 && entry.source.rfind("http://", 0) != 0) {
            errors.push_back("line " + std::to_string(lineNumber) + ": an entry needs a code, " + valueName +
                             " and a web address as its source");
            continue;
        }
        entries.push_back(entry);
    }
    return entries;
}

} // namespace kelvara::test
