#include "app/Kartendialogteile.h"

#include "termfile/Kartenregeln.h"
#include "termfile/Uebergabe.h"

#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace Kartendialogteile {

namespace {
QString vierstellig(int n)
{
    return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
}
}  // namespace

QString kartenbereich(const Uebergabe &u, int karte, bool gruppe, const QString &praefix)
{
    return gruppe ? vierstellig(u.Gruppenanfang) + QLatin1Char('-') + vierstellig(u.Eintragsnummer)
                  : praefix + vierstellig(karte);
}

Kopf kopf(QDialog *dialog, Uebergabe &u, const QString &praefix, const std::function<QString(int)> &text)
{
    u.Zonenziffern.clear();
    u.Dialogergebnis = 0;
    Kopf k;
    k.karte = qBound(0, int(u.Eintragsnummer), Kartenregeln::Kartenzahl - 1);
    k.gruppe = u.Gruppenanfang != u.Eintragsnummer;
    k.rahmen = new QGroupBox(text(208), dialog);
    k.rahmen->setObjectName(QStringLiteral("Frame1"));
    auto *label1 = new QLabel(k.rahmen);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setText(kartenbereich(u, k.karte, k.gruppe, praefix));
    k.zustand = new QLabel(k.rahmen);
    k.zustand->setObjectName(QStringLiteral("Label2"));
    k.zeile = new QHBoxLayout(k.rahmen);
    k.zeile->addWidget(label1);
    k.zeile->addWidget(k.zustand);
    return k;
}

QHBoxLayout *knopfzeile(QDialog *dialog, const std::function<QString(int)> &text,
                        const std::function<void()> &berechtigen, const std::function<void()> &sperren)
{
    auto *command2 = new QPushButton(text(211), dialog);
    command2->setObjectName(QStringLiteral("Command2"));
    auto *command3 = new QPushButton(text(212), dialog);
    command3->setObjectName(QStringLiteral("Command3"));
    auto *command1 = new QPushButton(text(201), dialog);
    command1->setObjectName(QStringLiteral("Command1"));
    for (QPushButton *b : {command1, command2, command3})
        b->setAutoDefault(false);
    QObject::connect(command2, &QPushButton::clicked, dialog, berechtigen);
    QObject::connect(command3, &QPushButton::clicked, dialog, sperren);
    QObject::connect(command1, &QPushButton::clicked, dialog, &QDialog::reject);

    auto *knoepfe = new QHBoxLayout;
    knoepfe->addWidget(command2);
    knoepfe->addWidget(command3);
    knoepfe->addStretch();
    knoepfe->addWidget(command1);
    return knoepfe;
}

}  // namespace Kartendialogteile
