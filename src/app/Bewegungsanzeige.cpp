#include "app/Bewegungsanzeige.h"

#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "diag/Bewegungsprotokoll.h"

#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

Bewegungsanzeige::Bewegungsanzeige(Zustand &z, const QString &pfad, QWidget *parent, qint64 hoechstens)
    : QDialog(parent), m_z(z), m_pfad(pfad), m_hoechstens(hoechstens)
{
    setObjectName(QStringLiteral("Bewegungsanzeige"));
    Texttabelle::ladeTexte(m_z, 727, 734);
    const QVector<QString> &t = m_z.sprache.texte;
    setWindowTitle(t.at(727));

    m_datei = new QLabel(t.at(728).arg(QDir::toNativeSeparators(pfad)), this);
    m_datei->setObjectName(QStringLiteral("LabelDatei"));
    m_datei->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_datei->setWordWrap(true);
    m_hinweis = new QLabel(this);
    m_hinweis->setObjectName(QStringLiteral("LabelHinweis"));
    m_hinweis->setWordWrap(true);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("TextProtokoll"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fest = m_text->font();
    fest.setFamily(QStringLiteral("Monospace"));
    fest.setStyleHint(QFont::TypeWriter);
    m_text->setFont(fest);

    auto *neu = new QPushButton(t.at(732), this);
    neu->setObjectName(QStringLiteral("CommandAktualisieren"));
    neu->setAutoDefault(false);
    connect(neu, &QPushButton::clicked, this, &Bewegungsanzeige::aktualisieren);
    auto *schliessen = new QPushButton(t.at(733), this);
    schliessen->setObjectName(QStringLiteral("CommandSchliessen"));
    schliessen->setDefault(true);
    connect(schliessen, &QPushButton::clicked, this, &QDialog::accept);

    auto *knoepfe = new QHBoxLayout;
    knoepfe->addWidget(neu);
    knoepfe->addStretch(1);
    knoepfe->addWidget(schliessen);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_datei);
    layout->addWidget(m_hinweis);
    layout->addWidget(m_text, 1);
    layout->addLayout(knoepfe);
    resize(760, 440);
    aktualisieren();
}

void Bewegungsanzeige::aktualisieren()
{
    const Bewegungsprotokoll::Auszug a = Bewegungsprotokoll::lesen(m_pfad, m_hoechstens);
    const QVector<QString> &t = m_z.sprache.texte;
    QString hinweis;
    switch (a.stand) {
    case Bewegungsprotokoll::Auszug::Stand::Fehlt:
        hinweis = t.at(734);
        break;
    case Bewegungsprotokoll::Auszug::Stand::Fehler:
        hinweis = t.at(731).arg(a.grund);
        break;
    case Bewegungsprotokoll::Auszug::Stand::Gelesen:
        if (a.text.isEmpty())
            hinweis = t.at(729);
        else if (a.gekuerzt)
            hinweis = t.at(730).arg(m_hoechstens / 1024);
        break;
    }
    m_hinweis->setText(hinweis);
    m_hinweis->setVisible(!hinweis.isEmpty());
    m_text->setPlainText(a.text);
    // The newest movements stand at the end.
    m_text->moveCursor(QTextCursor::End);
    m_text->verticalScrollBar()->setValue(m_text->verticalScrollBar()->maximum());
    m_text->horizontalScrollBar()->setValue(0);
}

Bewegungsanzeige *Bewegungsanzeige::zeige(Zustand &z, const QString &pfad, QWidget *parent, const Desktop &desktop)
{
    if (desktop && desktop(QUrl::fromLocalFile(pfad)))
        return nullptr;
    Bewegungsanzeige *fenster = nullptr;
    for (auto *f : !parent ? QList<Bewegungsanzeige *>() : parent->findChildren<Bewegungsanzeige *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (f->pfad() == pfad)
            fenster = f;
    }
    if (fenster)
        fenster->aktualisieren();
    else
        fenster = new Bewegungsanzeige(z, pfad, parent);
    fenster->show();
    fenster->raise();
    fenster->activateWindow();
    return fenster;
}

Bewegungsanzeige *Bewegungsanzeige::zeige(Zustand &z, const QString &pfad, QWidget *parent)
{
    return zeige(z, pfad, parent, [](const QUrl &url) { return QDesktopServices::openUrl(url); });
}
