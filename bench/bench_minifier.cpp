// Throughput of the minifier's core, in process, on the files named on the
// command line: the byte path in 128 KiB chunks (as `corvella --compress`
// streams) and the QString path the editor uses (decoding and encoding not
// counted). The best of several rounds counts, so a busy machine disturbs
// the figures less. Whole-process figures and the peers: compress_peers.sh.

#include "compress/JSMinifier.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qsizetype chunkSize = 128 * 1024;

qsizetype minifyInChunks(const QByteArray &input, std::vector<char> &out)
{
    JSMinifier minifier;
    qsizetype total = 0;
    for (qsizetype at = 0; at < input.size(); at += chunkSize) {
        const qsizetype size = std::min(chunkSize, input.size() - at);
        total += minifier.feed(input.constData() + at, size, out.data()) - out.data();
    }
    total += minifier.finish(out.data()) - out.data();
    return total;
}

template <typename Function> double bestSeconds(int rounds, Function function)
{
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        function();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.js...\n", argv[0]);
        return 2;
    }
    std::printf("%-28s %10s %10s %12s %12s\n", "file", "MB", "ratio", "bytes MB/s", "QString MB/s");
    for (int i = 1; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 2;
        }
        const QByteArray bytes = file.readAll();
        const QString text = QString::fromUtf8(bytes);
        const double megabytes = bytes.size() / 1e6;
        const int rounds = std::max(3, int(200 / std::max(megabytes, 1.0)));

        std::vector<char> out(chunkSize + JSMinifier::extraOutput);
        qsizetype outputSize = 0;
        const double byteSeconds = bestSeconds(rounds, [&] { outputSize = minifyInChunks(bytes, out); });
        const double textSeconds = bestSeconds(std::max(1, rounds / 2), [&] { compressJavaScriptText(text); });

        std::printf("%-28s %10.2f %10.3f %12.0f %12.0f\n", qPrintable(QFileInfo(file).fileName()), megabytes,
                    double(outputSize) / bytes.size(), megabytes / byteSeconds, megabytes / textSeconds);
    }
    return 0;
}
