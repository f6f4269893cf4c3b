#include "app/Kartendialogteile.h"

#include "termfile/Uebergabe.h"

#include <QDialog>
#include <QHBoxLayout>
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
