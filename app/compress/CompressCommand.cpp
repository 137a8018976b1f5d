#include "CompressCommand.h"

#include "JSAsciiEncoder.h"
#include "JSMinifier.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// Small enough that the input and output buffers stay in the processor's
// cache; large enough that the system calls do not count.
constexpr qint64 chunkSize = 128 * 1024;

int fail(const char *what, const QString &path, const QString &reason)
{
    std::fprintf(stderr, "corvella: cannot %s %s: %s\n", what, qUtf8Printable(path), qUtf8Printable(reason));
    return 2;
}

bool openInput(QFile &input, const QString &path, QString *error)
{
    input.setFileName(path);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        *error = input.errorString();
        return false;
    }
    return true;
}

// Bytes straight through: the fast path.
int compressToStandardOutput(QFile &input, const QString &inputPath)
{
#ifdef Q_OS_WIN
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    QFile output;
    if (!output.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
        return fail("write", QStringLiteral("standard output"), output.errorString());

    std::vector<char> in(chunkSize);
    std::vector<char> out(chunkSize + JSMinifier::extraOutput);
    JSMinifier minifier;
    for (;;) {
        const qint64 got = input.read(in.data(), chunkSize);
        if (got < 0)
            return fail("read", inputPath, input.errorString());
        char *end = got > 0 ? minifier.feed(in.data(), got, out.data()) : minifier.finish(out.data());
        const qint64 size = end - out.data();
        if (size > 0 && output.write(out.data(), size) != size)
            return fail("write", QStringLiteral("standard output"), output.errorString());
        if (got == 0)
            return 0;
    }
}

// How many bytes at the end of `data` begin a character that the next
// chunk completes.
int incompleteTail(const char *data, int size)
{
    for (int back = 1; back <= qMin(3, size); ++back) {
        const auto c = uchar(data[size - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        const int length = c >= 0xF0 ? 4 : (c >= 0xE0 ? 3 : (c >= 0xC0 ? 2 : 1));
        return length > back ? back : 0;
    }
    return 0;
}

// Decoded, minified and encoded as ASCII, chunk by chunk. Each chunk is
// decoded up to its last complete character, so the text is the one
// QString::fromUtf8() gives for the whole file, invalid bytes included.
int compressToFile(QFile &input, const QString &inputPath, const QString &outputPath)
{
    QSaveFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly))
        return fail("write", outputPath, output.errorString());

    std::vector<char> in(chunkSize + 3);
    int carried = 0; // bytes of a character cut by the previous chunk, moved to the front
    QString minified;
    QByteArray encoded;
    JSMinifier minifier;
    JSAsciiEncoder encoder;
    for (;;) {
        const qint64 got = input.read(in.data() + carried, chunkSize);
        if (got < 0)
            return fail("read", inputPath, input.errorString());
        const int size = carried + int(got);
        const int keep = got > 0 ? incompleteTail(in.data(), size) : 0;
        QString text = QString::fromUtf8(in.data(), size - keep);
        // fromUtf8() drops a byte-order mark at the start of every chunk, which
        // inside the file is a character; the minifier drops the file's own,
        // as it does on the byte path.
        if (size - keep >= 3 && std::memcmp(in.data(), "\xEF\xBB\xBF", 3) == 0)
            text.prepend(QChar(0xFEFF));
        std::copy(in.data() + size - keep, in.data() + size, in.data());
        carried = keep;

        minified.resize(text.size() + 2 * JSMinifier::extraOutput);
        QChar *end = minifier.feed(text.constData(), text.size(), minified.data());
        if (got == 0)
            end = minifier.finish(end);
        encoded.clear();
        encoder.encode(minified.constData(), end - minified.constData(), encoded);
        if (got == 0)
            encoder.finish(encoded);
        if (!encoded.isEmpty() && output.write(encoded) != encoded.size())
            return fail("write", outputPath, output.errorString());
        if (got == 0)
            break;
    }
    if (!output.commit())
        return fail("write", outputPath, output.errorString());
    return 0;
}

} // namespace

int runCompressCommand(const QString &inputPath, const QString &outputPath)
{
    QFile input;
    QString error;
    if (!openInput(input, inputPath, &error))
        return fail("read", inputPath, error);
    return outputPath.isEmpty() ? compressToStandardOutput(input, inputPath)
                                : compressToFile(input, inputPath, outputPath);
}
