// The drawn pictures: their sizes, a visible drawing on a transparent ground,
// no two alike (a wrong table entry would repeat or lose one), the MIL lit
// and dim.
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

struct Picture {
    QImage image;
    QSize size;
};

// Every picture on a transparent ground with the size it must have.
QList<Picture> TransparentPictures() {
    QList<Picture> all;
    for (int i = 0; i < kNavIconCount; ++i)
        all.append({NavigationIcon(NavIcon(i)).toImage(), {kNavIconSize, kNavIconSize}});
    for (int i = 0; i < kToolGlyphCount; ++i)
        all.append({ToolBarGlyph(ToolGlyph(i)).toImage(), {kToolGlyphSize, kToolGlyphSize}});
    for (Mark m : {Mark::Ok, Mark::Error})
        all.append({MarkPicture(m).toImage(), {15, 13}});
    for (Mark m : {Mark::BoxOn, Mark::BoxOff})
        all.append({MarkPicture(m).toImage(), {15, 15}});
    for (TitleGlyph g :
         {TitleGlyph::Close, TitleGlyph::Maximize, TitleGlyph::Restore, TitleGlyph::Minimize})
        all.append({TitleButtonGlyph(g).toImage(), {15, 15}});
    all.append({StatusBarIcon().toImage(), {16, 16}});
    return all;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void sizesAndGround() {
        const QList<Picture> all = TransparentPictures();
        for (int i = 0; i < all.size(); ++i) {
            const QImage& img = all[i].image;
            QCOMPARE(img.size(), all[i].size);
            QVERIFY(img.hasAlphaChannel());
            QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
            const double c = Coverage(img);
            QVERIFY2(c > 0.03 && c < 0.9, qPrintable(QString::number(i)));
        }
    }

    void noTwoAlike() {
        const QList<Picture> all = TransparentPictures();
        for (int i = 0; i < all.size(); ++i)
            for (int j = i + 1; j < all.size(); ++j)
                QVERIFY2(all[i].image != all[j].image,
                         qPrintable(QStringLiteral("%1 %2").arg(i).arg(j)));
    }

    // The MIL is on black; lit it shows far more bright pixels than dim.
    void milLitAndDim() {
        const auto bright = [](const QImage& img) {
            int n = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    n += qRed(img.pixel(x, y)) > 200;
            return n;
        };
        const QImage lit = MilPicture(true).toImage();
        const QImage dim = MilPicture(false).toImage();
        QCOMPARE(lit.size(), QSize(48, 32));
        QCOMPARE(dim.size(), QSize(48, 32));
        QCOMPARE(QColor(dim.pixel(0, 0)), QColor(Qt::black));
        QCOMPARE(bright(dim), 0);
        QVERIFY(bright(lit) > 200);
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
