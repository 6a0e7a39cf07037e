// The floor of a start to a picture: a bare Qt window that reads a capture's image file with Qt's
// own reader, as the program's window appears, and paints it scaled to fit; it ends when the
// picture is first painted (shownclock.h).
//
//   startup_floor IMAGE-FILE
#include "shownclock.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

namespace {

class Picture : public QWidget
{
public:
    explicit Picture(QImage inImage) : mImage(std::move(inImage)) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QSize fitted = mImage.size().scaled(size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(QPoint(0, 0), fitted), mImage);
    }

private:
    QImage mImage;
};

} // namespace

int main(int argc, char *argv[])
{
    printMark("main");
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    ShownClock clock([](QWidget *inWidget) { return dynamic_cast<Picture *>(inWidget) != nullptr; });
    app.installEventFilter(&clock);
    Picture window(QImage(QString::fromLocal8Bit(argv[1])));
    window.resize(800, 624);
    window.show();
    return app.exec();
}
