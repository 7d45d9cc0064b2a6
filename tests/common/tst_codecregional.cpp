#include "common/codec.h"
#include "common/regional.h"
#include "support/testenv.h"

#include <QtTest>

using namespace obd;

class TestCodecRegional : public QObject {
    Q_OBJECT
private slots:
    void cp1252RoundTripsEveryByte() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        QCOMPARE(toCp1252(fromCp1252(all)), all);
    }
    void cp1252KnownCharacters() {
        QCOMPARE(fromCp1252(QByteArray("\x80\xE4\xF6\xFC\xDF", 5)), QStringLiteral("€äöüß"));
        QCOMPARE(toCp1252(QStringLiteral("Maßsystem")), QByteArray("Ma\xDFsystem"));
        QCOMPARE(toCp1252(QStringLiteral("→x")), QByteArray("?x"));
    }
    void timeStampUnderGermanLocale() {
        if (!test::useTimeLocale("de_DE.UTF-8"))
            QFAIL("locale de_DE.UTF-8 missing: scripts/install-deps generates it");
        QCOMPARE(TimeStampText(QDateTime(QDate(2026, 12, 9), QTime(21, 5, 3))),
                 QStringLiteral("09.12.2026 21:05:03"));
        // Exactly midnight drops the time part and its blank.
        QCOMPARE(TimeStampText(QDateTime(QDate(2026, 12, 9), QTime(0, 0))),
                 QStringLiteral("09.12.2026"));
        QCOMPARE(TimeStampText(QDateTime(QDate(2026, 12, 9), QTime(0, 0, 1))),
                 QStringLiteral("09.12.2026 00:00:01"));
    }
    void shortDateRoundTrip() {
        QVERIFY(test::useTimeLocale("de_DE.UTF-8"));
        QCOMPARE(ShortDateText(QDate(2026, 1, 31)), QStringLiteral("31.01.2026"));
        QCOMPARE(ParseShortDate("31.01.2026"), std::optional<QDate>(QDate(2026, 1, 31)));
        QCOMPARE(ParseShortDate("31.02.2026"), std::nullopt);
        QCOMPARE(ParseShortDate("31.01.2026x"), std::nullopt);
        QCOMPARE(ParseShortDate(""), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestCodecRegional)
#include "tst_codecregional.moc"
