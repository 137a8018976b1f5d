#include "CompressCommand.h"

#include "JSCompressor.h"
#include "JSMinifier.h"

#include <QFile>
#include <QSaveFile>
#include <QTextCodec>
#include <QTextDecoder>

#include <cstdio>
#include <memory>
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

// Decoded, minified and encoded as ASCII, chunk by chunk.
int compressToFile(QFile &input, const QString &inputPath, const QString &outputPath)
{
    QSaveFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly))
        return fail("write", outputPath, output.errorString());

    std::unique_ptr<QTextDecoder> decoder(QTextCodec::codecForName("UTF-8")->makeDecoder());
    std::vector<char> in(chunkSize);
    QString minified;
    QByteArray encoded;
    JSMinifier minifier;
    JSAsciiEncoder encoder;
    for (;;) {
        const qint64 got = input.read(in.data(), chunkSize);
        if (got < 0)
            return fail("read", inputPath, input.errorString());
        encoded.clear();
        if (got > 0) {
            const QString text = decoder->toUnicode(in.data(), int(got));
            minified.resize(text.size() + JSMinifier::extraOutput);
            QChar *end = minifier.feed(text.constData(), text.size(), minified.data());
            encoder.encode(minified.constData(), end - minified.constData(), encoded);
        } else {
            // A sequence cut off by the end of the file stands for one
            // replacement character, as when the editor opens the file.
            const QChar cut[] = {QChar::ReplacementCharacter};
            const qsizetype cutSize = decoder->needsMoreData() ? 1 : 0;
            minified.resize(cutSize + 2 * JSMinifier::extraOutput);
            QChar *end = minifier.feed(cut, cutSize, minified.data());
            end = minifier.finish(end);
            encoder.encode(minified.constData(), end - minified.constData(), encoded);
            encoder.finish(encoded);
        }
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
