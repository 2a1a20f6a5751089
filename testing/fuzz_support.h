#pragma once

// Shared by the fuzz targets of every subsystem. Header-only, Qt Core only.

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace vk_testing {

// Decoders log every rejection; thousands of lines per second only slow the fuzzer down.
inline void silenceLogs()
{
    static const bool once = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        return true;
    }();
    Q_UNUSED(once);
}

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return size == 0 ? QByteArray() : QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// An invariant of the code under test; a violation is a finding (`what`, if given, names it).
inline void require(bool condition, const char *what = nullptr)
{
    if (condition)
        return;
    if (what)
        std::fprintf(stderr, "broken invariant: %s\n", what);
    std::abort();
}

} // namespace vk_testing
