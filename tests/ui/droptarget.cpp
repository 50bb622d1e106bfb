// A window that takes dropped files, for the drag-out test. At X Y it prints "ready" once
// shown and writes the URLs of each drop, one a line, to the file OUT, replacing it whole.
// Usage: droptarget OUT X Y
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class DropTarget : public QWidget {
  public:
    explicit DropTarget(QString out) : out_(std::move(out)) { setAcceptDrops(true); }

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent* event) override
    {
        QByteArray lines;
        for (const QUrl& url : event->mimeData()->urls())
            lines += url.toEncoded() + '\n';
        event->acceptProposedAction();
        QSaveFile file(out_);
        if (!file.open(QIODevice::WriteOnly) || file.write(lines) != lines.size() || !file.commit())
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out_));
    }

  private:
    QString out_;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 4)
        return 2;
    DropTarget target(QString::fromLocal8Bit(argv[1]));
    target.setWindowTitle(QStringLiteral("Ablage"));
    target.setGeometry(QString::fromLocal8Bit(argv[2]).toInt(), QString::fromLocal8Bit(argv[3]).toInt(), 300,
                       300);
    target.show();
    QTimer ready;
    ready.setSingleShot(true);
    QObject::connect(&ready, &QTimer::timeout, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    ready.start(500);
    return QApplication::exec();
}
