// The four-language text table and the loading of a window's text slice.
#include "shell/Texttabelle.h"
#include "shell/Zustand.h"

#include <QFile>
#include <QSet>
#include <QtTest>

namespace {

const int Sprachen[] = {0, 1000, 2000, 3000};
const int Uebersetzungen[] = {1000, 2000, 3000};

int fuehrendeLeerzeichen(const QString &s)
{
    int n = 0;
    while (n < s.size() && s.at(n) == QLatin1Char(' '))
        ++n;
    return n;
}

int abschliessendeLeerzeichen(const QString &s)
{
    int n = 0;
    while (n < s.size() && s.at(s.size() - 1 - n) == QLatin1Char(' '))
        ++n;
    return n;
}

bool istGitterkopf(int nr)
{
    return nr >= 330 && nr <= 333;
}

}  // namespace

class tst_Texttabelle : public QObject {
    Q_OBJECT

private slots:
    void deutscheTexteWieZitiert_data();
    void deutscheTexteWieZitiert();
    void jedeNummerInAllenSprachen();
    void unbekannteNummern();
    void abgeleiteteTexte();
    void tastenkuerzel();
    void feststehendeTexte();
    void dateifilter();
    void leerzeichenBleibenErhalten();
    void gitterkoepfe();
    void listenzeileDerAdresssuche();
    void ladeTexteFuelltNurDenAusschnitt();
    void ladeTexteRaender();
};

void tst_Texttabelle::deutscheTexteWieZitiert_data()
{
    QTest::addColumn<int>("nr");
    QTest::addColumn<QString>("erwartet");

    QFile datei(QStringLiteral(TESTDATA "/deutsche_texte.tsv"));
    QVERIFY2(datei.open(QIODevice::ReadOnly), qPrintable(datei.fileName()));
    const QList<QByteArray> zeilen = datei.readAll().split('\n');
    QSet<int> gesehen;
    for (const QByteArray &zeile : zeilen) {
        if (zeile.isEmpty())
            continue;
        const int tab = zeile.indexOf('\t');
        QVERIFY2(tab > 0, zeile.constData());
        bool ok = false;
        const int nr = zeile.left(tab).toInt(&ok);
        QVERIFY2(ok && nr >= 101 && nr <= 389, zeile.constData());
        QVERIFY2(!gesehen.contains(nr), zeile.constData());
        gesehen.insert(nr);
        // Everything after the tab, trailing blanks included, is the text.
        QTest::addRow("%d", nr) << nr << QString::fromUtf8(zeile.mid(tab + 1));
    }
    // Guards against a truncated copy of the quoted list.
    QCOMPARE(gesehen.size(), 235);
}

void tst_Texttabelle::deutscheTexteWieZitiert()
{
    QFETCH(int, nr);
    QFETCH(QString, erwartet);
    QCOMPARE(Texttabelle::text(nr), erwartet);
}

void tst_Texttabelle::jedeNummerInAllenSprachen()
{
    for (int nr = 101; nr <= 389; ++nr) {
        for (int sprache : Sprachen) {
            const int id = nr + sprache;
            QVERIFY2(Texttabelle::vorhanden(id), qPrintable(QString::number(id)));
            const QString t = Texttabelle::text(id);
            QVERIFY2(!t.isEmpty(), qPrintable(QString::number(id)));
            if (nr >= 127 && nr <= 132)
                QCOMPARE(t, QStringLiteral(" "));
            else
                QVERIFY2(!t.trimmed().isEmpty(), qPrintable(QString::number(id)));
        }
    }
    // Translations are translations: most texts differ from German.
    int gleich = 0;
    for (int nr = 101; nr <= 389; ++nr)
        if (Texttabelle::text(nr) == Texttabelle::text(nr + 1000))
            ++gleich;
    QVERIFY2(gleich < 40, qPrintable(QString::number(gleich)));
}

void tst_Texttabelle::unbekannteNummern()
{
    for (int id : {-1, 0, 100, 390, 999, 1000, 1100, 1390, 2100, 3390, 3999, 4101, 5000}) {
        QVERIFY2(!Texttabelle::vorhanden(id), qPrintable(QString::number(id)));
        QVERIFY2(Texttabelle::text(id).isNull(), qPrintable(QString::number(id)));
    }
    QVERIFY(Texttabelle::vorhanden(101));
    QVERIFY(Texttabelle::vorhanden(3389));
}

void tst_Texttabelle::abgeleiteteTexte()
{
    for (int sprache : Sprachen) {
        QCOMPARE(Texttabelle::text(189 + sprache), Texttabelle::text(195 + sprache));
        QCOMPARE(Texttabelle::text(356 + sprache), Texttabelle::text(350 + sprache));
        QCOMPARE(Texttabelle::text(357 + sprache), Texttabelle::text(351 + sprache));
        QCOMPARE(Texttabelle::text(305 + sprache), QString(33, QLatin1Char('_')));
        QCOMPARE(Texttabelle::text(309 + sprache), QString(18, QLatin1Char('_')));
    }
}

void tst_Texttabelle::tastenkuerzel()
{
    int mitKuerzel = 0;
    for (int nr = 101; nr <= 389; ++nr) {
        const QString deutsch = Texttabelle::text(nr);
        const bool kuerzel = deutsch.contains(QLatin1Char('&'));
        if (kuerzel)
            ++mitKuerzel;
        for (int sprache : Sprachen) {
            const QString t = Texttabelle::text(nr + sprache);
            const QByteArray wo = QByteArray::number(nr + sprache) + ": " + t.toUtf8();
            // One accelerator where German has one, none where German has none
            // (a stray "&" would vanish from a caption).
            QVERIFY2(t.count(QLatin1Char('&')) == (kuerzel ? 1 : 0), wo.constData());
            if (kuerzel) {
                const int i = t.indexOf(QLatin1Char('&'));
                QVERIFY2(i + 1 < t.size() && t.at(i + 1).isLetter(), wo.constData());
            }
        }
    }
    QVERIFY(mitKuerzel >= 30);
}

void tst_Texttabelle::feststehendeTexte()
{
    // File names, a folder, product names and the empty-display marker are the
    // same in every language.
    for (int nr : {126, 135, 140, 146, 160, 161, 163, 311, 314}) {
        for (int sprache : Uebersetzungen)
            QCOMPARE(Texttabelle::text(nr + sprache), Texttabelle::text(nr));
    }
    QCOMPARE(Texttabelle::text(160), QStringLiteral("PORTAVO.S2D"));
    QCOMPARE(Texttabelle::text(161), QStringLiteral("PORTAVO.B2D"));
    QCOMPARE(Texttabelle::text(314), QStringLiteral("c:\\programme\\portavo2D"));

    for (int sprache : Sprachen) {
        const QString titel = Texttabelle::text(114 + sprache);
        QVERIFY2(titel.startsWith(QStringLiteral("QRX PORTAVO485")), qPrintable(titel));
        QVERIFY2(titel.contains(QStringLiteral("Ver 1.2")), qPrintable(titel));
        QVERIFY(Texttabelle::text(388 + sprache).contains(QStringLiteral("QRX/Norvall")));
    }
}

void tst_Texttabelle::dateifilter()
{
    // Odd fields of a filter are the patterns and must stay as they are.
    for (int nr : {141, 147, 312}) {
        const QStringList deutsch = Texttabelle::text(nr).split(QLatin1Char('|'));
        QCOMPARE(deutsch.size() % 2, 0);
        for (int sprache : Uebersetzungen) {
            const QStringList felder = Texttabelle::text(nr + sprache).split(QLatin1Char('|'));
            QCOMPARE(felder.size(), deutsch.size());
            for (int i = 0; i < felder.size(); ++i) {
                if (i % 2)
                    QCOMPARE(felder.at(i), deutsch.at(i));
                else
                    QVERIFY(!felder.at(i).trimmed().isEmpty());
            }
        }
    }
    QCOMPARE(Texttabelle::text(1141).section(QLatin1Char('|'), 1, 1), QStringLiteral("*.S2D"));
    QCOMPARE(Texttabelle::text(2312).section(QLatin1Char('|'), -1), QStringLiteral("*.*"));
}

void tst_Texttabelle::leerzeichenBleibenErhalten()
{
    // Indented titles ("  Achtung!"), text pieces that are joined with a path
    // or number ("Vorhandene Datei ", " Sekunden") and padded captions keep
    // their blanks in every language.
    int gepolstert = 0;
    for (int nr = 101; nr <= 389; ++nr) {
        if (nr == 192)
            continue;   // aligned by its length instead, see listenzeileDerAdresssuche
        const QString deutsch = Texttabelle::text(nr);
        if (fuehrendeLeerzeichen(deutsch) || abschliessendeLeerzeichen(deutsch))
            ++gepolstert;
        for (int sprache : Uebersetzungen) {
            const QString t = Texttabelle::text(nr + sprache);
            const QByteArray wo = QByteArray::number(nr + sprache) + ": \"" + t.toUtf8() + '"';
            QVERIFY2(fuehrendeLeerzeichen(t) == fuehrendeLeerzeichen(deutsch), wo.constData());
            if (!istGitterkopf(nr))
                QVERIFY2(abschliessendeLeerzeichen(t) == abschliessendeLeerzeichen(deutsch), wo.constData());
        }
    }
    QVERIFY(gepolstert >= 60);
    QCOMPARE(Texttabelle::text(168), QStringLiteral("  Es ist ein schwerer Programmierfehler aufgetreten!     "));
    QCOMPARE(Texttabelle::text(274), QStringLiteral("Liste der PORTAVOdatei       "));
}

void tst_Texttabelle::gitterkoepfe()
{
    // Grid captions: "first column|second column", the blanks set the initial
    // column widths, so every caption has the layout of text 330.
    const QString muster = Texttabelle::text(330);
    const int breite0 = int(muster.indexOf(QLatin1Char('|')));
    QCOMPARE(breite0, 33);
    for (int nr = 330; nr <= 333; ++nr) {
        for (int sprache : Sprachen) {
            const QString t = Texttabelle::text(nr + sprache);
            QCOMPARE(t.count(QLatin1Char('|')), 1);
            QCOMPARE(t.indexOf(QLatin1Char('|')), breite0);
            QCOMPARE(t.size(), muster.size());
            QVERIFY(!t.left(breite0).trimmed().isEmpty());
            QVERIFY(!t.mid(breite0 + 1).trimmed().isEmpty());
        }
    }
    // The four grids have four different captions.
    QSet<QString> koepfe;
    for (int nr = 330; nr <= 333; ++nr)
        koepfe.insert(Texttabelle::text(nr));
    QCOMPARE(koepfe.size(), 4);
}

void tst_Texttabelle::listenzeileDerAdresssuche()
{
    // A list line of the address search is text 191, the address in three
    // digits, text 192 and the protocol in three digits; the address stands at
    // characters 10..12 and the protocol at 26..28 in every language.
    for (int sprache : Sprachen) {
        const QString zeile = Texttabelle::text(191 + sprache) + QStringLiteral("017")
                              + Texttabelle::text(192 + sprache) + QStringLiteral("001 Standard");
        QCOMPARE(zeile.mid(9, 3), QStringLiteral("017"));
        QCOMPARE(zeile.mid(25, 3), QStringLiteral("001"));
    }
}

void tst_Texttabelle::ladeTexteFuelltNurDenAusschnitt()
{
    Zustand z;
    for (int k = 0; k < z.Texte.size(); ++k)
        z.Texte[k] = QStringLiteral("frei %1").arg(k);

    z.Sprache = 2000;
    Texttabelle::ladeTexte(z, 183, 197);
    for (int k = 183; k <= 197; ++k)
        QCOMPARE(z.Texte.at(k), Texttabelle::text(k + 2000));
    QCOMPARE(z.Texte.at(190), QStringLiteral("Inconnu"));
    QCOMPARE(z.Texte.at(182), QStringLiteral("frei 182"));
    QCOMPARE(z.Texte.at(198), QStringLiteral("frei 198"));
    QCOMPARE(z.Texte.at(101), QStringLiteral("frei 101"));
    QCOMPARE(z.Texte.size(), 1001);

    // A second window's load overwrites the overlap in the new language.
    z.Sprache = 3000;
    Texttabelle::ladeTexte(z, 196, 197);
    QCOMPARE(z.Texte.at(196), Texttabelle::text(3196));
    QCOMPARE(z.Texte.at(195), Texttabelle::text(2195));

    z.Sprache = 0;
    Texttabelle::ladeTexte(z, 101, 178);
    QCOMPARE(z.Texte.at(101), QStringLiteral("&Datei"));
    QCOMPARE(z.Texte.at(178), QStringLiteral("    Schreibablauf PORTAVO"));
    QCOMPARE(z.Texte.at(179), QStringLiteral("frei 179"));
}

void tst_Texttabelle::ladeTexteRaender()
{
    Zustand z;
    for (int k = 0; k < z.Texte.size(); ++k)
        z.Texte[k] = QStringLiteral("frei");

    // Empty range: nothing happens.
    z.Sprache = 1000;
    Texttabelle::ladeTexte(z, 200, 199);
    QCOMPARE(z.Texte.at(199), QStringLiteral("frei"));
    QCOMPARE(z.Texte.at(200), QStringLiteral("frei"));

    // A single text, and the last one of the table.
    Texttabelle::ladeTexte(z, 389, 389);
    QCOMPARE(z.Texte.at(389), Texttabelle::text(1389));
    QCOMPARE(z.Texte.at(388), QStringLiteral("frei"));

    // Indexes past the table's texts are cleared, indexes past the array are
    // left alone (and do not crash).
    Texttabelle::ladeTexte(z, 995, 1200);
    QCOMPARE(z.Texte.size(), 1001);
    QCOMPARE(z.Texte.at(1000), QString());
    QCOMPARE(z.Texte.at(994), QStringLiteral("frei"));
    Texttabelle::ladeTexte(z, -5, 0);
    QCOMPARE(z.Texte.at(0), QString());

    // An offset that is no language (damaged settings file) gives German.
    for (qint16 kaputt : {qint16(500), qint16(4000), qint16(-1000), qint16(1001)}) {
        z.Sprache = kaputt;
        Texttabelle::ladeTexte(z, 190, 190);
        QCOMPARE(z.Texte.at(190), QStringLiteral("Unbekannt"));
    }
}

QTEST_GUILESS_MAIN(tst_Texttabelle)
#include "tst_texttabelle.moc"
