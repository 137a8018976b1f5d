#include "CompressCommand.h"

#include "JSAsciiEncoder.h"
#include "JSMinifier.h"

#include <MTools/CheckedSaveFile.h>

#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

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

// Far beyond any script; what is larger is a mistake (a disk image, a log),
// and minifying it would only fill the disk.
constexpr qint64 maximumInputSize = 256 * 1024 * 1024;

QString tooLargeReason()
{
    return QStringLiteral("it is larger than %1 MB").arg(maximumInputSize / (1024 * 1024));
}

// Reads the next chunk, counting what was read: a file that grows while it
// is read is still refused at the limit.
qint64 readChunk(QFile &input, char *data, qint64 *total)
{
    const qint64 got = input.read(data, chunkSize);
    if (got > 0)
        *total += got;
    return got;
}

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

// Unbuffered: every write's result is known at once, so a full disk or a
// closed pipe is reported.
bool openStandardOutput(QFile &output)
{
#ifdef Q_OS_WIN
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return output.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
}

// Bytes straight through: the fast path.
int compressToStandardOutput(QFile &input, const QString &inputPath)
{
    QFile output;
    if (!openStandardOutput(output))
        return fail("write", QStringLiteral("standard output"), output.errorString());

    std::vector<char> in(chunkSize);
    std::vector<char> out(chunkSize + JSMinifier::extraOutput);
    JSMinifier minifier;
    qint64 total = 0;
    for (;;) {
        const qint64 got = readChunk(input, in.data(), &total);
        if (got < 0)
            return fail("read", inputPath, input.errorString());
        if (total > maximumInputSize)
            return fail("read", inputPath, tooLargeReason());
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
    MTools::CheckedSaveFile output(outputPath);
    if (!output.open())
        return fail("write", outputPath, output.errorString());

    std::vector<char> in(chunkSize + 3);
    int carried = 0; // bytes of a character cut by the previous chunk, moved to the front
    QString minified;
    QByteArray encoded;
    JSMinifier minifier;
    JSAsciiEncoder encoder;
    qint64 total = 0;
    for (;;) {
        const qint64 got = readChunk(input, in.data() + carried, &total);
        if (got < 0)
            return fail("read", inputPath, input.errorString());
        if (total > maximumInputSize)
            return fail("read", inputPath, tooLargeReason());
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
        if (!encoded.isEmpty() && !output.write(encoded))
            return fail("write", outputPath, output.errorString());
        if (got == 0)
            break;
    }
    if (!output.commit())
        return fail("write", outputPath, output.errorString());
    return 0;
}

// A file with a UTF-16 byte-order mark, decoded whole (it is bounded) and
// written as the UTF-8 paths write theirs.
int compressUtf16(QFile &input, const QString &inputPath, const QString &outputPath)
{
    const QByteArray bytes = input.read(maximumInputSize + 1);
    if (input.error() != QFileDevice::NoError)
        return fail("read", inputPath, input.errorString());
    if (bytes.size() > maximumInputSize)
        return fail("read", inputPath, tooLargeReason());
    QTextCodec *codec = QTextCodec::codecForName(bytes.startsWith("\xFF\xFE") ? "UTF-16LE" : "UTF-16BE");
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader); // the mark is skipped already
    const QString minified = compressJavaScriptText(codec->toUnicode(bytes.constData() + 2, bytes.size() - 2, &state));
    if (outputPath.isEmpty()) {
        const QByteArray utf8 = minified.toUtf8();
        QFile output;
        if (!openStandardOutput(output) || output.write(utf8) != utf8.size())
            return fail("write", QStringLiteral("standard output"), output.errorString());
        return 0;
    }
    QString error;
    if (!MTools::CheckedSaveFile::writeFile(outputPath, toJavaScriptAscii(minified), &error))
        return fail("write", outputPath, error);
    return 0;
}

} // namespace

int runCompressCommand(const QString &inputPath, const QString &outputPath)
{
    // Only regular files: a device never ends and a pipe without a writer
    // blocks the open for ever.
    const QFileInfo info(inputPath);
    if (!info.exists())
        return fail("read", inputPath, QStringLiteral("No such file or directory"));
    if (info.isDir())
        return fail("read", inputPath, QStringLiteral("it is a folder"));
    if (!info.isFile())
        return fail("read", inputPath, QStringLiteral("it is not a regular file"));
    if (info.size() > maximumInputSize)
        return fail("read", inputPath, tooLargeReason());
    QFile input;
    QString error;
    if (!openInput(input, inputPath, &error))
        return fail("read", inputPath, error);
    char mark[2] = {0, 0};
    const bool utf16 = input.read(mark, 2) == 2 &&
                       ((mark[0] == '\xFF' && mark[1] == '\xFE') || (mark[0] == '\xFE' && mark[1] == '\xFF'));
    if (!input.seek(0))
        return fail("read", inputPath, input.errorString());
    if (utf16)
        return compressUtf16(input, inputPath, outputPath);
    return outputPath.isEmpty() ? compressToStandardOutput(input, inputPath)
                                : compressToFile(input, inputPath, outputPath);
}
