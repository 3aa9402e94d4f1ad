// Measures the post list with a long board: taking a reply of 1,000 posts whose photos are
// already in the working folder, and repainting the list view while it scrolls (first showings
// of rows, whose photos are decoded then, and repaints of rows already shown).
//
// Usage: bench_post_list [rounds] [posts]

#include "app/orvix_win_app.h"
#include "board/orvix_list_view.h"
#include "platform/doubles/counting_sound.h"
#include "platform/doubles/fixed_environment.h"
#include "platform/doubles/scripted_ui_services.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace orvix;

namespace {

QByteArray photoBytes(int seed) {
    // A 400 × 260 photo like the board's: a gradient with a few shapes.
    QImage image(400, 260, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, 260);
    gradient.setColorAt(0, QColor::fromHsv(seed * 37 % 360, 120, 240));
    gradient.setColorAt(1, QColor::fromHsv(seed * 53 % 360, 200, 120));
    painter.fillRect(image.rect(), gradient);
    painter.setBrush(QColor::fromHsv(seed * 91 % 360, 220, 220));
    painter.drawEllipse(QPoint(100 + seed % 200, 130), 60, 40);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

struct Stats {
    std::vector<double> ms;
    void add(qint64 ns) { ms.push_back(double(ns) / 1e6); }
    QString text() {
        std::sort(ms.begin(), ms.end());
        const double median = ms[ms.size() / 2];
        return QStringLiteral("median %1 ms, min %2 ms, max %3 ms (%4 samples)")
            .arg(median, 0, 'f', 3)
            .arg(ms.front(), 0, 'f', 3)
            .arg(ms.back(), 0, 'f', 3)
            .arg(ms.size());
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    const int posts = argc > 2 ? QByteArray(argv[2]).toInt() : 1000;
    QTextStream out(stdout);

    QTemporaryDir dir;
    FixedEnvironment environment;
    environment.documents = dir.path();
    ScriptedUiServices ui;
    CountingSound sound;
    COrvixWinApp app(COrvixWinApp::Services{&environment, &ui, &sound, {}}, Configuration{});
    app.session().workFolder = dir.path();
    app.session().country = 2;

    // The photos are on disk already: each post has a file of its own.
    QString reply = QStringLiteral("1</>%1").arg(posts);
    for (int i = 0; i < posts; ++i) {
        QFile file(QStringLiteral("%1/p%2.jpg.jpg").arg(dir.path()).arg(i));
        if (!file.open(QIODevice::WriteOnly) || file.write(photoBytes(i)) < 0)
            return 1;
        reply += QStringLiteral("</>%1#%2####Post number %1 with a title#%3#%4#%5##p%1.jpg#"
                                "127.0.0.1:1#Owner %2")
                     .arg(i)
                     .arg(i % 7 + 1)
                     .arg(i % 13)
                     .arg(i % 5 + 1)
                     .arg(i % 2);
    }

    COrvixListView view;
    view.OnInitialUpdate();
    view.resize(470, 570);
    Stats take;
    for (int round = 0; round < rounds; ++round) {
        // Each reply on its own: the background decoding of the previous one has finished.
        view.prefetch().waitForDone(60000);
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        if (!view.OnReply(reply))
            return 1;
        take.add(timer.nsecsElapsed());
    }
    out << "reply handling, " << posts << " posts with photos on disk: " << take.text() << '\n';

    // Scrolling down the whole list a wheel step (three lines) at a time, painting the viewport
    // as the window would.
    QImage target(view.viewport()->size(), QImage::Format_RGB32);
    QScrollBar* bar = view.verticalScrollBar();
    auto scroll = [&](const char* what) {
        Stats paint;
        for (int value = 0; value <= bar->maximum(); value += 3 * bar->singleStep()) {
            bar->setValue(value);
            QElapsedTimer timer;
            timer.start();
            view.viewport()->render(&target);
            paint.add(timer.nsecsElapsed());
        }
        out << "scroll repaint, " << what << ": " << paint.text() << "; rows per repaint: "
            << view.lastPaintedRows().second - view.lastPaintedRows().first << '\n';
    };
    // Right after a reply the rows' photos are decoded as they come into view, unless the
    // background decoding got there first.
    view.OnReply(reply);
    scroll("right after the reply");
    scroll("rows shown before");
    // A new reply, and time for the background decoding to finish before the member scrolls.
    view.OnReply(reply);
    QElapsedTimer prefetch;
    prefetch.start();
    view.prefetch().waitForDone(60000);
    const qint64 prefetchMs = prefetch.elapsed();
    QCoreApplication::processEvents();
    out << "background decoding of " << posts << " photos: " << prefetchMs << " ms\n";
    scroll("rows never shown, photos decoded in the background");
    return 0;
}
