// The reference for start-up: a bare Qt Widgets program showing one empty
// window. With --label the window holds one line of text, which shows what
// drawing any text at all costs (the font system's start).

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setObjectName(QStringLiteral("BareWindow"));
    if (argc > 1 && QByteArray(argv[1]) == "--label")
        (new QVBoxLayout(&window))->addWidget(new QLabel(QStringLiteral("Tarnwell"), &window));
    window.resize(640, 480);
    window.show();
    return app.exec();
}
