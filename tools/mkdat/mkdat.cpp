// mkdat IN OUT: converts a data file kept as UTF-8 in the source tree into the UTF-16LE, CR LF
// form the program ships. Runs at build time; any fault stops the build with a message.

#include "datencoder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

bool ReadAll(const char* path, std::string& data)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Written beside the target and renamed, so a failed run never leaves a half file that the
// build would take as up to date.
bool WriteAll(const std::string& path, const std::string& data)
{
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        out.close();
        if (!out) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        std::remove(temp.c_str());
        errno = saved;
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: mkdat IN OUT\n";
        return 2;
    }
    std::string text;
    if (!ReadAll(argv[1], text)) {
        std::cerr << "mkdat: cannot read " << argv[1] << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    std::string encoded;
    std::string error;
    if (!kelvara::EncodeDataFile(text, encoded, error)) {
        std::cerr << "mkdat: " << argv[1] << ": " << error << '\n';
        return 1;
    }
    if (!WriteAll(argv[2], encoded)) {
        std::cerr << "mkdat: cannot write " << argv[2] << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    return 0;
}
