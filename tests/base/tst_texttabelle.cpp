// The four-language text table and the loading of a window's text slice.
#include "support/Testlauf.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QFile>
#include <QTest>

namespace {

const int Sprachen[] = {0, 1000, 2000, 3000};

QString T(int id) { return Texttabelle::text(id); }

// Blanks at the start or the end of a text.
int blanks(const QString &s, bool ende)
{
    return int(QRegularExpression(QLatin1String(ende ? " *$" : "^ *")).match(s).capturedLength());
}

}  // namespace

class tst_Texttabelle : public QObject {
    Q_OBJECT

private slots:
    void deutscheTexteWieZitiert_data()
    {
        QTest::addColumn<int>("nr");
        QTest::addColumn<QString>("erwartet");
        QFile datei(QStringLiteral(TESTDATA "/deutsche_texte.tsv"));
        QVERIFY2(datei.open(QIODevice::ReadOnly), qPrintable(datei.fileName()));
        int zeilen = 0;
        for (const QByteArray &zeile : datei.readAll().split('\n')) {
            const int tab = zeile.indexOf('\t');
            if (tab > 0) {
                ++zeilen;
                // Everything after the tab, trailing blanks included, is the text.
                QTest::addRow("%d", zeile.left(tab).toInt()) << zeile.left(tab).toInt()
                                                              << QString::fromUtf8(zeile.mid(tab + 1));
            }
        }
        QCOMPARE(zeilen, 235);  // guards against a truncated copy of the list
    }
    void deutscheTexteWieZitiert()
    {
        QFETCH(int, nr);
        QFETCH(QString, erwartet);
        QCOMPARE(T(nr), erwartet);
    }

    void jedeNummerInAllenSprachen()
    {
        int gleich = 0;
        for (int nr = 101; nr <= 422; ++nr) {
            for (int sprache : Sprachen) {
                const int id = nr + sprache;
                QVERIFY2(Texttabelle::vorhanden(id), qPrintable(QString::number(id)));
                if (nr >= 127 && nr <= 132)
                    QCOMPARE(T(id), QStringLiteral(" "));
                else
                    QVERIFY2(!T(id).trimmed().isEmpty(), qPrintable(QString::number(id)));
            }
            gleich += T(nr) == T(nr + 1000);
        }
        QVERIFY2(gleich < 40, qPrintable(QString::number(gleich)));  // translated, not copied
        for (int id : {0, 100, 423, 999, 1000, 1100, 1423, 1999, 3423, 3999, 4101})
            QVERIFY2(!Texttabelle::vorhanden(id) && T(id).isNull(), qPrintable(QString::number(id)));
        // Texts described by reference to others.
        for (int s : Sprachen) {
            QCOMPARE(T(189 + s), T(195 + s));
            QCOMPARE(T(356 + s), T(350 + s));
            QCOMPARE(T(357 + s), T(351 + s));
            QCOMPARE(T(305 + s), QString(33, QLatin1Char('_')));
            QCOMPARE(T(309 + s), QString(18, QLatin1Char('_')));
        }
    }

    // What the program relies on in a translation: the accelerator, the
    // blanks at both ends, file names and filter patterns, the grid caption
    // layout and the column positions of the address-search list line.
    void uebersetzungenBehaltenIhreForm()
    {
        int mitKuerzel = 0;
        for (int nr = 101; nr <= 422; ++nr) {
            const QString deutsch = T(nr);
            const bool kuerzel = deutsch.contains(QLatin1Char('&'));
            mitKuerzel += kuerzel;
            for (int s : Sprachen) {
                const QString t = T(nr + s);
                const QByteArray wo = QByteArray::number(nr + s) + ": \"" + t.toUtf8() + '"';
                const int i = int(t.indexOf(QLatin1Char('&')));
                QVERIFY2(t.count(QLatin1Char('&')) == (kuerzel ? 1 : 0), wo.constData());
                QVERIFY2(!kuerzel || (i + 1 < t.size() && t.at(i + 1).isLetter()), wo.constData());
                if (nr == 192)
                    continue;  // aligned by its length, below
                QVERIFY2(blanks(t, false) == blanks(deutsch, false), wo.constData());
                if (nr < 330 || nr > 333)
                    QVERIFY2(blanks(t, true) == blanks(deutsch, true), wo.constData());
            }
        }
        QVERIFY(mitKuerzel >= 30);

        for (int s : Sprachen) {
            for (int nr : {126, 135, 140, 146, 160, 161, 163, 311, 314})
                QCOMPARE(T(nr + s), T(nr));
            for (int nr : {141, 147, 312}) {
                const QStringList felder = T(nr + s).split(QLatin1Char('|'));
                const QStringList deutsch = T(nr).split(QLatin1Char('|'));
                QCOMPARE(felder.size(), deutsch.size());
                for (int i = 1; i < felder.size(); i += 2)
                    QCOMPARE(felder.at(i), deutsch.at(i));
            }
            for (int nr = 330; nr <= 333; ++nr) {
                QCOMPARE(T(nr + s).indexOf(QLatin1Char('|')), 33);
                QCOMPARE(T(nr + s).size(), T(330).size());
            }
            const QString zeile = T(191 + s) + QStringLiteral("017") + T(192 + s) + QStringLiteral("001 Standard");
            QCOMPARE(zeile.mid(9, 3), QStringLiteral("017"));
            QCOMPARE(zeile.mid(25, 3), QStringLiteral("001"));
        }
    }

    // Texts after 389 ascend with gaps; a number left out is no text.
    void spaetereTexteMitLuecken()
    {
        for (int nr : {550, 551, 552, 553, 554, 555, 556, 557, 558, 559, 560, 450, 451, 452, 453, 454, 455, 456, 457, 458, 459, 460})
            for (int sprache : Sprachen)
                QVERIFY2(!T(nr + sprache).trimmed().isEmpty(), qPrintable(QString::number(nr + sprache)));
        for (int id : {423, 449, 1449, 999, 3999})
            QVERIFY2(!Texttabelle::vorhanden(id) && T(id).isNull(), qPrintable(QString::number(id)));
        Zustand z;
        z.Sprache = 1000;
        Texttabelle::ladeTexte(z, 449, 451);
        QCOMPARE(z.Texte.at(450), T(1450));
        QVERIFY(z.Texte.at(449).isEmpty());
    }

    void ladeTexteMitSprachversatz()
    {
        Zustand z;
        for (int k = 0; k < z.Texte.size(); ++k)
            z.Texte[k] = QStringLiteral("frei");
        z.Sprache = 2000;
        Texttabelle::ladeTexte(z, 183, 197);
        for (int k = 183; k <= 197; ++k)
            QCOMPARE(z.Texte.at(k), T(k + 2000));
        QCOMPARE(z.Texte.at(190), QStringLiteral("Inconnu"));
        QVERIFY(z.Texte.at(182) == QStringLiteral("frei") && z.Texte.at(198) == QStringLiteral("frei"));

        // A later load overwrites the overlap in its language; an empty range does nothing.
        z.Sprache = 3000;
        Texttabelle::ladeTexte(z, 196, 197);
        Texttabelle::ladeTexte(z, 200, 199);
        QCOMPARE(z.Texte.at(196), T(3196));
        QCOMPARE(z.Texte.at(195), T(2195));
        QCOMPARE(z.Texte.at(199), QStringLiteral("frei"));

        // Past the table: cleared; past the array: ignored.
        Texttabelle::ladeTexte(z, 995, 1200);
        QCOMPARE(z.Texte.size(), 1001);
        QCOMPARE(z.Texte.at(1000), QString());
        QCOMPARE(z.Texte.at(994), QStringLiteral("frei"));

        // An offset that is no language (damaged settings file) gives German.
        for (qint16 kaputt : {qint16(500), qint16(4000), qint16(-1000)}) {
            z.Sprache = kaputt;
            Texttabelle::ladeTexte(z, 190, 190);
            QCOMPARE(z.Texte.at(190), QStringLiteral("Unbekannt"));
        }
    }
};

PORTAVO_TESTKLASSE(tst_Texttabelle)
#include "tst_texttabelle.moc"
