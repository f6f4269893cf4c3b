// The four-language text table and the loading of a window's text slice.
#include "support/Testlauf.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QFile>
#include <QTest>

class tst_Texttabelle : public QObject {
    Q_OBJECT

private slots:
    // The German texts letter for letter (trailing blanks included) as the
    // program has always shown them; every text in all four languages.
    void deutscheTexteUndUebersetzungen()
    {
        QFile datei(QStringLiteral(TESTDATA "/deutsche_texte.tsv"));
        QVERIFY2(datei.open(QIODevice::ReadOnly), qPrintable(datei.fileName()));
        int zeilen = 0;
        for (const QByteArray &zeile : datei.readAll().split('\n')) {
            const int tab = int(zeile.indexOf('\t'));
            if (tab <= 0)
                continue;
            ++zeilen;
            const int nr = zeile.left(tab).toInt();
            QCOMPARE(Texttabelle::text(nr), QString::fromUtf8(zeile.mid(tab + 1)));
        }
        QCOMPARE(zeilen, 235);  // guards against a truncated copy of the list
        for (int nr = 101; nr < 1000; ++nr)
            for (int sprache : {1000, 2000, 3000})
                QVERIFY2(Texttabelle::vorhanden(nr) == Texttabelle::vorhanden(nr + sprache)
                             && Texttabelle::text(nr + sprache).isEmpty() == Texttabelle::text(nr).isEmpty(),
                         qPrintable(QString::number(nr + sprache)));
    }

    void ladeTexteMitSprachversatz()
    {
        Zustand z;
        z.Texte.fill(QStringLiteral("frei"));
        z.Sprache = 2000;
        Texttabelle::ladeTexte(z, 183, 197);
        for (int k = 183; k <= 197; ++k)
            QCOMPARE(z.Texte.at(k), Texttabelle::text(k + 2000));
        QVERIFY(z.Texte.at(182) == QStringLiteral("frei") && z.Texte.at(198) == QStringLiteral("frei"));
        // A number the table leaves out is cleared; past the array: ignored.
        Texttabelle::ladeTexte(z, 995, 1200);
        QCOMPARE(z.Texte.size(), 1001);
        QVERIFY(!Texttabelle::vorhanden(1000) && z.Texte.at(1000).isEmpty());
        // An offset that is no language (damaged settings file) gives German.
        for (qint16 kaputt : {qint16(500), qint16(4000), qint16(-1000)}) {
            z.Sprache = kaputt;
            Texttabelle::ladeTexte(z, 190, 190);
            QCOMPARE(z.Texte.at(190), Texttabelle::text(190));
        }
    }
};

PORTAVO_TESTKLASSE(tst_Texttabelle)
#include "tst_texttabelle.moc"
