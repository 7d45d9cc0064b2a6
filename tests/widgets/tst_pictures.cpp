// The drawn pictures: their sizes, a visible drawing on a transparent ground,
// and no two alike (a wrong table entry would repeat or lose one).
#include "widgets/pictures.h"

#include <QImage>
#include <QTest>

using namespace obd;

namespace {

// Share of the picture's pixels that are drawn (not transparent).
double Coverage(const QImage& img) {
    int drawn = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            drawn += qAlpha(img.pixel(x, y)) > 0;
    return double(drawn) / (img.width() * img.height());
}

QList<QImage> AllPictures(QList<int>& sizes) {
    QList<QImage> all;
    for (int i = 0; i < kNavIconCount; ++i) {
        all << NavigationIcon(NavIcon(i)).toImage();
        sizes << kNavIconSize;
    }
    for (int i = 0; i < kToolGlyphCount; ++i) {
        all << ToolBarGlyph(ToolGlyph(i)).toImage();
        sizes << kToolGlyphSize;
    }
    return all;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void sizesAndGround() {
        QList<int> sizes;
        const QList<QImage> all = AllPictures(sizes);
        for (int i = 0; i < all.size(); ++i) {
            QCOMPARE(all[i].size(), QSize(sizes[i], sizes[i]));
            QVERIFY(all[i].hasAlphaChannel());
            QCOMPARE(qAlpha(all[i].pixel(0, 0)), 0);
            const double c = Coverage(all[i]);
            QVERIFY2(c > 0.1 && c < 0.9, qPrintable(QString::number(i)));
        }
    }

    void noTwoAlike() {
        QList<int> sizes;
        const QList<QImage> all = AllPictures(sizes);
        for (int i = 0; i < all.size(); ++i)
            for (int j = i + 1; j < all.size(); ++j)
                QVERIFY2(all[i] != all[j], qPrintable(QStringLiteral("%1 %2").arg(i).arg(j)));
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
