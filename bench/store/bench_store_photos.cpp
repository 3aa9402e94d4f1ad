// Measures what a registered store's photo copies cost: a 4000 × 3000 store photo (copied at
// 1000 wide and as a 300-wide thumbnail) and six 3000 × 2000 information photos (each copied at
// 1000 wide). Prints the time of each round and the process's peak resident memory during the
// rounds (the peak is reset after the test photos have been made).
//
// Usage: bench_store_photos [rounds]

#include "store/store_photo_copies.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

qint64 statusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void resetPeak() {
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

// A photo-like picture: gradients with grain, so the JPEG has a realistic size.
bool makePhoto(const QString& path, int width, int height, quint32 seed) {
    QImage photo(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int grain = int(random.bounded(24u));
            row[x] = qRgb((x / 12 + grain) % 256, (y / 8 + grain) % 256, ((x + y) / 20) % 256);
        }
    }
    return photo.save(path, "jpeg");
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;

    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("store.jpg"));
    QStringList info;
    bool made = makePhoto(store, 4000, 3000, 1);
    for (int i = 0; i < 6; ++i) {
        info << dir.filePath(QStringLiteral("info%1.jpg").arg(i));
        made = made && makePhoto(info.last(), 3000, 2000, 10 + i);
    }
    if (!made) {
        out << "cannot write the test photos\n";
        return 1;
    }
    const QString work = dir.filePath(QStringLiteral("OrvixWin"));

    const qint64 baseline = statusKiB("VmRSS");
    resetPeak();
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const QStringList written = orvix::StorePhotoCopies::make(
            work, 12,
            orvix::StorePhotoCopies::plan(work, 42, 12, QStringLiteral("1765012345"), store, info));
        times.push_back(timer.nsecsElapsed() / 1e6);
        if (written.size() != 8) {
            out << "only " << written.size() << " copies written\n";
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    out << rounds << " rounds of 8 copies: min " << QString::number(times.front(), 'f', 1)
        << " ms, median " << QString::number(times[times.size() / 2], 'f', 1) << " ms, max "
        << QString::number(times.back(), 'f', 1) << " ms\n";
    out << "resident before the rounds: " << baseline / 1024
        << " MiB, peak during them: " << statusKiB("VmHWM") / 1024 << " MiB\n";
    return 0;
}
