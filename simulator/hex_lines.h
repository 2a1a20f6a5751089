#pragma once

#include <QByteArray>
#include <QString>

namespace simulator {

// Packets as lines of hexadecimal text, the form of vk-device-sim's input and output.
class HexLines
{
public:
    enum class Kind {
        Blank, // empty, white space only, or a comment starting with "#"
        Packet,
        Invalid,
    };

    // Hexadecimal digit pairs; spaces, tabs, ":" and "-" between pairs are allowed, "0x" in front too.
    static Kind parse(const QByteArray &line, QByteArray &bytes);
    // Hexadecimal digit pairs with the separators above and nothing else; empty text gives no bytes.
    // False (and `bytes` empty) for anything else.
    static bool decode(const QByteArray &text, QByteArray &bytes);
    // Lower-case digit pairs without separators, followed by a line feed.
    static QByteArray format(const QByteArray &bytes);
};

} // namespace simulator
