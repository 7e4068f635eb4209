// mkicons: writes icon pictures out as a C++ source of premultiplied ARGB pixels, so that the
// program shows them without decoding a PNG at start-up.
//   mkicons OUTPUT.cpp SIZE=PICTURE.png ...
#include <QImage>
#include <QImageReader>
#include <QString>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "mkicons: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Fail("usage: mkicons OUTPUT.cpp SIZE=PICTURE.png ...");
    std::ostringstream arrays;
    std::ostringstream table;
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto equals = argument.find('=');
        const int size = equals == std::string::npos ? 0 : std::atoi(argument.substr(0, equals).c_str());
        if (size <= 0)
            return Fail("not SIZE=PICTURE: " + argument);
        const std::string path = argument.substr(equals + 1);
        QImageReader reader(QString::fromStdString(path), "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            return Fail(path + ": " + reader.errorString().toStdString());
        if (image.width() != size || image.height() != size)
            return Fail(path + " is not " + std::to_string(size) + " pixels square");
        arrays << "constexpr std::uint32_t kPixels" << size << "[] = {";
        for (int y = 0; y < size; ++y) {
            const auto* line = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
            for (int x = 0; x < size; ++x)
                arrays << ((x % 8) ? " " : "\n    ") << "0x" << std::hex << line[x] << std::dec << "u,";
        }
        arrays << "\n};\n";
        table << "    {" << size << ", kPixels" << size << "},\n";
        sizes.push_back(size);
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << "// Written by mkicons from the icon's PNGs; do not edit.\n"
        << "#include \"shell/iconpixels.h\"\n\nnamespace kelvara {\nnamespace {\n\n"
        << arrays.str() << "\n} // namespace\n\nconst IconPixels kIconPixels[] = {\n"
        << table.str() << "};\nconst std::size_t kIconPixelsCount = " << sizes.size()
        << ";\n\n} // namespace kelvara\n";
    out.close();
    if (!out)
        return Fail(std::string("cannot write ") + argv[1]);
    return 0;
}
