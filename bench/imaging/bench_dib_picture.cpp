// Measures what sending a large photo costs: Load of a 3000 × 2000 JPEG, fit to width 800 and
// SaveAs JPEG. Prints the time of each round and the process's peak resident memory during the
// rounds (the peak is reset after the test photo has been made).
//
// Usage: bench_dib_picture [rounds] [photo.jpg]

#include "imaging/dib_picture.h"
#include "imaging/fit_to_width.h"

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

// Resident memory figures of this process in KiB ("VmHWM" peak, "VmRSS" current).
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

// A photo-like picture: smooth gradients with grain, so the JPEG has a realistic size.
bool makePhoto(const QString& path) {
    QImage photo(3000, 2000, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < photo.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
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
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10;

    QTemporaryDir dir;
    QString photo =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("photo.jpg"));
    if (argc <= 2 && !makePhoto(photo)) {
        out << "cannot write the test photo\n";
        return 1;
    }
    const QString target = dir.filePath(QStringLiteral("fitted.jpg"));
    out << "photo: " << photo << " (" << QFile(photo).size() / 1024 << " KiB)\n";

    const qint64 baseline = statusKiB("VmRSS");
    resetPeak();
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        orvix::CDibPicture picture;
        if (!picture.Load(photo)) {
            out << "cannot load the photo\n";
            return 1;
        }
        orvix::FitToWidth(picture, 800);
        if (!picture.SaveAs(target)) {
            out << "cannot save the fitted photo\n";
            return 1;
        }
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const qint64 peak = statusKiB("VmHWM");

    std::sort(times.begin(), times.end());
    out << "rounds: " << rounds << "\n";
    out << "load + fit to 800 + save, ms: min " << times.front() << ", median "
        << times[times.size() / 2] << ", max " << times.back() << "\n";
    out << "resident before: " << baseline / 1024 << " MiB, peak during rounds: " << peak / 1024
        << " MiB, growth " << (peak - baseline) / 1024 << " MiB\n";
    out << "one 3000 x 2000 copy: 24-bit " << 3000 * 2000 * 3 / 1048576 << " MiB, 32-bit "
        << 3000 * 2000 * 4 / 1048576 << " MiB\n";
    return 0;
}
