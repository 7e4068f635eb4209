#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::puts("Usage: kelvara-cli COMMAND ...\n"
                  "Converts values between the units of the Kelvara catalogue.");
        return argc < 2 ? 2 : 0;
    }
    std::fprintf(stderr, "kelvara-cli: unknown command '%s'\n", argv[1]);
    return 2;
}
