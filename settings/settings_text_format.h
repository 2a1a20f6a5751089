#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QSettings;

namespace settings {

// Plain text of the settings file (UTF-8, every line ends with "\n"):
//
//   [group]
//   key=value
//
// Only keys that lie directly inside a top-level group are written; top-level keys and nested
// subgroups stay in memory only. Values are written in their QVariant::toString() form, so a
// value whose text holds "=" or a line break does not come back (the store keeps strings
// Base64-encoded for that reason).
class SettingsTextFormat
{
public:
    // `store` must be at its top level (no group open); it is left so.
    static QByteArray write(QSettings &store);

    // Adds the groups and keys of `text` to `store` (values as strings). A group line loses every
    // "[" and "]"; a key line must split at "=" into exactly a key and a value, any other line is
    // logged and skipped. `store` must be at its top level; it is left so.
    static void read(const QByteArray &text, QSettings &store);

    // An empty INI-format tree in memory only: bound to the resource path ":/<name>", which can
    // never be written, so it never touches the disk. It is moved to no thread: QSettings posts
    // itself an update request on every change and would sync when its thread handled it, so
    // without one the tree changes only through its owner's calls.
    static std::unique_ptr<QSettings> memoryStore(const QString &name);
};

} // namespace settings
