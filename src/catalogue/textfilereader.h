#pragma once

#include "catalogue/textfilebase.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Reads a text file line by line as UTF-8, whatever its encoding (told by the byte-order mark:
// UTF-16 in either order, UTF-8; without a mark the bytes are delivered as they stand). Lines may
// end with CR LF, CR or LF, mixed.
class CTextFileReader : public CTextFileBase {
public:
    // Opens the file; throws CFileException when it cannot be opened.
    explicit CTextFileReader(const std::string& path);
    // Reads `bytes` as a file holding them reads (a member of the built-in archive); they are not
    // copied and must outlive the reader.
    explicit CTextFileReader(std::span<const std::uint8_t> bytes);

    // The next line without its ending; false at the end of the file (line left untouched).
    // Throws CFileException on a read error.
    bool ReadLine(std::string& line);

private:
    void DetectEncoding();
    std::size_t Fill();
    unsigned char ReadByte();
    char16_t ReadChar();
    unsigned ReadUnit();
    unsigned NextUnit();
    void PushBack(unsigned unit);

    bool m_eof = false;
    unsigned char m_buffer[4096];
    std::int32_t m_bytesInBuffer = 0;
    std::int32_t m_position = -1;
    unsigned char m_pushedByte = 0;
    char16_t m_pushedChar = 0;
    bool m_pushedBack = false;
    bool m_inMemory = false;
    std::span<const std::uint8_t> m_memory; // what is left to read when in memory
    std::string m_lineBytes;
    std::vector<char16_t> m_lineUnits;
};
