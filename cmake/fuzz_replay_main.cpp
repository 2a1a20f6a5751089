// Replays every file of the given folders (or single files) through a libFuzzer entry point,
// so kept seeds and crashers run as ordinary regression tests in every build.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static int replayFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    return 0;
}

int main(int argc, char **argv)
{
    int failures = 0;
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const QFileInfo info(arg);
        if (info.isDir()) {
            QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                failures += replayFile(it.next());
                ++replayed;
            }
        } else {
            failures += replayFile(arg);
            ++replayed;
        }
    }
    // An empty input is the first case every fuzzer tries; keep it in the replay too.
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("replayed %d inputs, %d unreadable\n", replayed, failures);
    return failures == 0 && replayed > 0 ? 0 : 1;
}
