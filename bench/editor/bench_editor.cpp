// Measures the content editor's work on large contents:
// - the layout of one text block of 5,000 characters at the 540-pixel wrap width, with the
//   incremental widths the editor uses and with the passes that measure every prefix;
// - writing and reading the ".sml" file of a content of 200 blocks (no photo downloads), and
//   laying out the texts read;
// - building the export HTML of the same content.
// Prints the median, minimum and maximum of each over the rounds.
//
// Usage: bench_editor [rounds]

#include "editor/content_model.h"
#include "editor/html_writer.h"
#include "editor/sml_reader.h"
#include "editor/sml_writer.h"
#include "editor/text_measurer.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

using namespace orvix;

namespace {

// Measures every string whole with the font's shaping, as a platform's text-extent call does:
// the cost of the passes that measure each prefix again.
class ShapingMeasurer final : public TextMeasurer {
public:
    explicit ShapingMeasurer(const QFont& font)
        : m_metrics(font) {}
    qreal advance(QStringView character) const override {
        return m_metrics.horizontalAdvance(character.toString());
    }
    int height() const override { return int(m_metrics.height()); }
    qreal width(QStringView text) const override {
        return m_metrics.horizontalAdvance(text.toString());
    }

private:
    QFontMetricsF m_metrics;
};

// Korean and Latin words with blanks and a line break now and then.
QString sampleText(int length, QRandomGenerator& random) {
    const QStringList words = {QStringLiteral("안녕하세요"),   QStringLiteral("Orvix"),
                               QStringLiteral("스마트에디터"), QStringLiteral("content"),
                               QStringLiteral("사진과"),       QStringLiteral("문서"),
                               QStringLiteral("editor,"),      QStringLiteral("블록을")};
    QString text;
    while (text.size() < length) {
        text += words[random.bounded(int(words.size()))];
        text += random.bounded(40) == 0 ? QStringLiteral("\r\n") : QStringLiteral(" ");
    }
    return text.left(length);
}

struct Stats {
    double median, min, max;
};

Stats measure(int rounds, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front(), times.back()};
}

void print(QTextStream& out, const char* what, const Stats& s) {
    out << qSetFieldWidth(48) << Qt::left << what << qSetFieldWidth(0) << "median "
        << QString::number(s.median, 'f', 2) << " ms, min " << QString::number(s.min, 'f', 2)
        << " ms, max " << QString::number(s.max, 'f', 2) << " ms\n";
}

void fillContent(ContentModel& model, QRandomGenerator& random) {
    model.fileName = QStringLiteral("demo11767225600");
    model.folder = QStringLiteral("mailbox/0000000001");
    model.title = QStringLiteral("Demo의 소개");
    for (int i = 0; i < 200; ++i) {
        switch (i % 8) {
        case 3:
            model.addPhoto(QStringLiteral("/nonexistent/p%1.jpg").arg(i), QStringLiteral("p.jpg"),
                           1);
            model.selected()->photo->name = QStringLiteral("demo11767225600%1.jpg").arg(i);
            break;
        case 6:
            model.addDocument(
                QStringLiteral("report %1.pdf").arg(i),
                QStringLiteral("http://127.0.0.1:8080/image/document/1/%1.PDF").arg(i),
                QStringLiteral("PDF"), QStringLiteral("memo"));
            break;
        default:
            model.addText(sampleText(80 + random.bounded(400), random));
            model.selected()->link =
                i % 5 == 0 ? QStringLiteral("http://orvix.example/%1").arg(i) : QString();
            break;
        }
    }
    model.blockCount = model.count();
}

} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 50;
    QRandomGenerator random(11);

    CContentText text;
    text.text = sampleText(5000, random);
    text.Relayout();
    out << "5,000 characters at 540 px, size 16: " << text.lineCount << " lines\n";
    print(out, "layout, incremental widths (the editor's)",
          measure(rounds, [&] { text.Relayout(); }));
    print(out, "layout, every prefix summed from its advances",
          measure(rounds, [&] { text.RelayoutByPrefixes(FontTextMeasurer(text.font())); }));
    CContentText shaped = text;
    print(out, "layout, every prefix shaped whole by the font",
          measure(std::max(1, rounds / 10),
                  [&] { shaped.RelayoutByPrefixes(ShapingMeasurer(text.font())); }));
    // A text without line breaks fills its lines to the wrap width.
    CContentText unbroken = text;
    unbroken.text.replace(QStringLiteral("\r\n"), QStringLiteral("  "));
    print(out, "layout without line breaks, incremental",
          measure(rounds, [&] { unbroken.Relayout(); }));

    ContentModel model;
    fillContent(model, random);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("content.sml"));
    const QByteArray bytes = SmlWriter::text(model).toUtf8();
    out << "content of 200 blocks: " << bytes.size() << " bytes of .sml\n";
    print(out, "write .sml: the text", measure(rounds, [&] {
              if (SmlWriter::text(model).isEmpty())
                  qFatal("nothing written");
          }));
    print(out, "write .sml: text and file",
          measure(rounds, [&] { SmlWriter::write(model, path); }));
    const SmlReader reader(dir.path(), [](const QString&, const QString&) { return false; });
    print(out, "read .sml (file and blocks)", measure(rounds, [&] {
              auto result = reader.readFile(path);
              if (result.blocks.size() != 200)
                  qFatal("read %d blocks", int(result.blocks.size()));
          }));
    ContentModel loaded;
    print(out, "read .sml and lay out its texts",
          measure(rounds, [&] { loaded.replaceBlocks(reader.readFile(path).blocks); }));
    const HtmlWriter::Hosts hosts{QStringLiteral("127.0.0.1:8080"),
                                  QStringLiteral("127.0.0.1:8080")};
    QString html;
    print(out, "export HTML",
          measure(rounds, [&] { html = HtmlWriter::exportFragment(model, hosts); }));
    out << "export HTML: " << html.toUtf8().size() << " bytes\n";
    return 0;
}
