#include "catalogue/tzif.h"

namespace kelvara {

namespace {

// Offsets beyond these bounds are not local times of this planet (RFC 8536 suggests them).
constexpr std::int32_t kMinOffset = -89999;
constexpr std::int32_t kMaxOffset = 93599;

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : m_bytes(bytes) {}
    bool Has(std::uint64_t count) const { return count <= m_bytes.size() - m_pos; }
    std::size_t Pos() const { return m_pos; }
    void Skip(std::size_t count) { m_pos += count; }
    std::uint8_t U8() { return static_cast<std::uint8_t>(m_bytes[m_pos++]); }
    std::uint32_t U32()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | U8();
        return v;
    }
    std::int64_t I64()
    {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v = (v << 8) | U8();
        return static_cast<std::int64_t>(v);
    }
    std::string_view Rest() const { return m_bytes.substr(m_pos); }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

struct Header {
    char version = 0;
    std::uint32_t isUtCount = 0, isStdCount = 0, leapCount = 0, timeCount = 0, typeCount = 0, charCount = 0;

    std::uint64_t DataSize(std::uint64_t timeSize) const
    {
        return std::uint64_t{timeCount} * timeSize + timeCount + std::uint64_t{typeCount} * 6 + charCount +
               std::uint64_t{leapCount} * (timeSize + 4) + isStdCount + isUtCount;
    }
};

bool ReadHeader(ByteReader& in, Header& h)
{
    if (!in.Has(44))
        return false;
    const std::string_view magic = in.Rest().substr(0, 4);
    if (magic != "TZif")
        return false;
    in.Skip(4);
    h.version = static_cast<char>(in.U8());
    in.Skip(15);
    h.isUtCount = in.U32();
    h.isStdCount = in.U32();
    h.leapCount = in.U32();
    h.timeCount = in.U32();
    h.typeCount = in.U32();
    h.charCount = in.U32();
    // One byte indexes the types, so more than 256 of them cannot be told apart.
    if (h.typeCount == 0 || h.typeCount > 256)
        return false;
    if ((h.isUtCount != 0 && h.isUtCount != h.typeCount) ||
        (h.isStdCount != 0 && h.isStdCount != h.typeCount))
        return false;
    return true;
}

bool ReadData(ByteReader& in, const Header& h, int timeSize, TzifData& data)
{
    if (!in.Has(h.DataSize(static_cast<std::uint64_t>(timeSize))))
        return false;
    data.times.resize(h.timeCount);
    data.typeIndexes.resize(h.timeCount);
    data.types.resize(h.typeCount);
    for (auto& t : data.times) {
        t = timeSize == 8 ? in.I64() : static_cast<std::int32_t>(in.U32());
    }
    for (std::size_t i = 0; i < data.times.size(); ++i) {
        if (i > 0 && data.times[i] <= data.times[i - 1])
            return false;
    }
    for (auto& index : data.typeIndexes) {
        index = in.U8();
        if (index >= h.typeCount)
            return false;
    }
    for (auto& type : data.types) {
        type.offset = static_cast<std::int32_t>(in.U32());
        const std::uint8_t isDst = in.U8();
        const std::uint8_t designation = in.U8();
        if (type.offset < kMinOffset || type.offset > kMaxOffset || isDst > 1 ||
            (h.charCount != 0 && designation >= h.charCount))
            return false;
        type.isDst = isDst != 0;
    }
    // Designations, leap seconds and the standard/UT indicators are of no use here.
    in.Skip(static_cast<std::size_t>(h.charCount) +
            std::size_t{h.leapCount} * static_cast<std::size_t>(timeSize + 4) + h.isStdCount + h.isUtCount);
    return true;
}
} // namespace

bool ParseTzif(std::string_view bytes, TzifData& data)
{
    ByteReader in(bytes);
    Header h;
    if (!ReadHeader(in, h))
        return false;
    data = TzifData{};
    if (h.version == '\0')
        return ReadData(in, h, 4, data);
    // Version 2 and later repeat everything with 64-bit times, followed by the footer.
    const std::uint64_t v1Size = h.DataSize(4);
    if (!in.Has(v1Size))
        return false;
    in.Skip(static_cast<std::size_t>(v1Size));
    Header h2;
    if (!ReadHeader(in, h2) || h2.version == '\0' || !ReadData(in, h2, 8, data))
        return false;
    const std::string_view rest = in.Rest();
    if (rest.size() >= 2 && rest[0] == '\n') {
        const std::size_t end = rest.find('\n', 1);
        if (end != std::string_view::npos)
            data.footer.assign(rest.substr(1, end - 1));
    }
    return true;
}

} // namespace kelvara
