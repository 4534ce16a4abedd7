#include "document/gallery.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <vector>

using namespace tarnwell;

namespace {
constexpr int kTextureCount = 20;

// A picture of the program's own as 32-bit RGB, or a null image and why.
QImage load(const QString &name, const QByteArray &format, QString *why)
{
    QImageReader reader(QDir(programFolder()).filePath(name));
    if (reader.format() != format) {
        *why = name + QStringLiteral(" is no ") + QString::fromLatin1(format);
        return {};
    }
    const QImage image = reader.read();
    *why = reader.errorString();
    return image.convertToFormat(QImage::Format_RGB32);
}

// Mean absolute difference per colour channel (0 to 255) of two pictures of one size.
double difference(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

// Repeated side by side (or one above the other), the last line meets the
// first. That step should look like any step inside the picture: at most a
// little more than 98% of them (JPEG loses most along its block edges, and
// the edge is one). Returns what is wrong, if anything.
QString seam(const QImage &image, bool across)
{
    const int lines = across ? image.width() : image.height();
    const auto line = [&](int i) {
        return across ? image.copy(i, 0, 1, image.height()) : image.copy(0, i, image.width(), 1);
    };
    std::vector<double> steps;
    for (int i = 0; i + 1 < lines; ++i)
        steps.push_back(difference(line(i), line(i + 1)));
    std::sort(steps.begin(), steps.end());
    const double edge = difference(line(lines - 1), line(0));
    const double inside = steps[steps.size() * 98 / 100];
    return edge <= 1.25 * inside + 1
               ? QString()
               : QStringLiteral("edges differ by %1, steps inside by %2").arg(edge).arg(inside);
}

// Relative luminance as used for text contrast ratios, 0 for black to 1 for white.
double luminance(QRgb pixel)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) +
           0.0722 * linear(qBlue(pixel));
}

double contrast(double lighter, double darker)
{
    return (lighter + 0.05) / (darker + 0.05);
}
} // namespace

class TestGallery final : public QObject
{
    Q_OBJECT

private slots:
    void textures_data();
    void textures();
    void exampleButtons_data();
    void exampleButtons();
};

void TestGallery::textures_data()
{
    QTest::addColumn<int>("number");
    for (int number = 1; number <= kTextureCount; ++number)
        QTest::newRow(qPrintable(galleryTextureName(number))) << number;
}

// A small JPEG that tiles without a seam, carries text and differs from the others.
void TestGallery::textures()
{
    QFETCH(int, number);
    QString why;
    const QImage image = load(galleryTextureName(number), "jpeg", &why);
    QVERIFY2(!image.isNull(), qPrintable(why));
    QVERIFY(QFileInfo(QDir(programFolder()).filePath(galleryTextureName(number))).size() < 40000);
    // Much smaller and the repeat shows on a page.
    QVERIFY(image.width() >= 64 && image.height() >= 64);
    QCOMPARE(seam(image, true), QString());
    QCOMPARE(seam(image, false), QString());

    std::vector<double> levels;
    double sum = 0;
    double squares = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            levels.push_back(luminance(image.pixel(x, y)));
            const double grey = qGray(image.pixel(x, y));
            sum += grey;
            squares += grey * grey;
        }
    }
    std::sort(levels.begin(), levels.end());
    const double median = levels[levels.size() / 2];
    // Light textures carry black text, dark ones white: 7:1 on the middle of
    // the picture, 4.5:1 even on the 2% of pixels least suited to it.
    const bool light = contrast(median, 0) > contrast(1, median);
    QVERIFY((light ? contrast(median, 0) : contrast(1, median)) >= 7);
    QVERIFY((light ? contrast(levels[levels.size() * 2 / 100], 0)
                   : contrast(1, levels[levels.size() * 98 / 100])) >= 4.5);
    // A busy picture hides letters whatever its brightness.
    const double mean = sum / levels.size();
    QVERIFY(std::sqrt(squares / levels.size() - mean * mean) <= 20);

    // Compared small, as side by side in a list, where fine grain no longer
    // tells two textures apart; below 8 two read as one in another shade.
    const auto small = [](const QImage &picture) {
        return picture.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    for (int other = number + 1; other <= kTextureCount; ++other) {
        const QImage them = load(galleryTextureName(other), "jpeg", &why);
        QVERIFY2(difference(small(image), small(them)) >= 8, qPrintable(galleryTextureName(other)));
    }
}

void TestGallery::exampleButtons_data()
{
    QTest::addColumn<QString>("word");
    for (const char *word : {"home", "next", "back", "contact"})
        QTest::newRow(word) << QString::fromLatin1(word);
}

// Each button is a GIF with a mouse-over picture of the same size that looks
// clearly different.
void TestGallery::exampleButtons()
{
    QFETCH(QString, word);
    QString why;
    const QImage normal = load(word + QStringLiteral(".gif"), "gif", &why);
    QVERIFY2(!normal.isNull(), qPrintable(why));
    const QImage over = load(word + QStringLiteral("2.gif"), "gif", &why);
    QVERIFY2(!over.isNull(), qPrintable(why));
    QCOMPARE(over.size(), normal.size());
    QVERIFY(difference(normal, over) > 40);
}

QTEST_MAIN(TestGallery)
#include "tst_gallery.moc"
