#include "simulator/hex_lines.h"

namespace simulator {

namespace {

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

HexLines::Kind HexLines::parse(const QByteArray &line, QByteArray &bytes)
{
    bytes.clear();
    QByteArray text = line.trimmed();
    if (text.isEmpty() || text.startsWith('#'))
        return Kind::Blank;
    if (text.startsWith("0x") || text.startsWith("0X"))
        text.remove(0, 2);
    return decode(text, bytes) && !bytes.isEmpty() ? Kind::Packet : Kind::Invalid;
}

bool HexLines::decode(const QByteArray &text, QByteArray &bytes)
{
    bytes.clear();
    QByteArray digits;
    digits.reserve(text.size());
    for (char c : text) {
        if (isHexDigit(c))
            digits.append(c);
        else if (c != ' ' && c != '\t' && c != ':' && c != '-')
            return false;
    }
    if (digits.size() % 2 != 0)
        return false;
    bytes = QByteArray::fromHex(digits);
    return true;
}

QByteArray HexLines::format(const QByteArray &bytes)
{
    return bytes.toHex() + '\n';
}

} // namespace simulator
