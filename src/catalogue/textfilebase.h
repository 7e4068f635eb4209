#pragma once

#include "catalogue/file.h"

// How the bytes of a text file become characters; the numbers are stable.
enum class TextEncoding : int {
    Ansi = 0,
    Utf16BigEndian = 1,
    Utf16LittleEndian = 2,
    Utf8 = 3,
};

// A text file: a file plus the encoding found when it was opened.
class CTextFileBase : public CFile {
public:
    TextEncoding GetEncoding() const { return m_encoding; }

protected:
    CTextFileBase() = default;
    TextEncoding m_encoding = TextEncoding::Ansi;
};
