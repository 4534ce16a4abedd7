// The reference for start-up: a bare Qt Widgets program showing one empty
// window. With --label the window holds one line of text, which shows what
// drawing any text at all costs (the font system's start). --size=WxH sets
// the window's size (640x480 otherwise).

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setObjectName(QStringLiteral("BareWindow"));
    QSize size(640, 480);
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--label")
            (new QVBoxLayout(&window))->addWidget(new QLabel(QStringLiteral("Tarnwell"), &window));
        else if (argument.startsWith("--size="))
            size = QSize(argument.mid(7).split('x').value(0).toInt(),
                         argument.mid(7).split('x').value(1).toInt());
    }
    window.resize(size);
    window.show();
    return app.exec();
}
