// The bare Qt dialog that bench_startup measures the program against: a QApplication showing a
// QDialog with one label, linked to Qt Widgets alone. With the argument "shared" it sets
// Qt::AA_ShareOpenGLContexts first. After the first paint it prints "shown <RSS KiB> <PSS KiB>"
// and ends.

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

long fieldKiB(const QString& path, const QByteArray& name) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = "\n" + file.readAll();
    const qsizetype at = text.indexOf("\n" + name);
    return at < 0 ? 0 : text.mid(at + name.size() + 1).trimmed().split(' ').first().toLong();
}

class Dialog : public QDialog {
protected:
    void paintEvent(QPaintEvent* event) override {
        QDialog::paintEvent(event);
        if (m_reported)
            return;
        m_reported = true;
        // After this paint has been handed to the window system.
        QTimer::singleShot(0, [] {
            std::printf("shown %ld %ld\n", fieldKiB(QStringLiteral("/proc/self/status"), "VmRSS:"),
                        fieldKiB(QStringLiteral("/proc/self/smaps_rollup"), "Pss:"));
            std::fflush(stdout);
            std::_Exit(0);
        });
    }

private:
    bool m_reported = false;
};

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && QByteArray(argv[1]) == "shared")
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    Dialog dialog;
    dialog.resize(300, 200);
    QLabel label(QStringLiteral("Orvix"), &dialog);
    dialog.show();
    return QApplication::exec();
}
