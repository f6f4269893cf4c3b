#include "app/Displaytextseite.h"
#include "app/Tasten.h"

#include "app/Displayzeilendialog.h"
#include "base/Zustand.h"
#include "termfile/Uebergabe.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QVBoxLayout>

Displaytextseite::Displaytextseite(Zustand &z, Uebergabe &u, QWidget *parent) : QWidget(parent), m_z(z), m_u(u)
{
    setObjectName(QStringLiteral("TabDisplaytexte"));
    auto *gitter = new QGridLayout(this);
    QFont schrift(QStringLiteral("monospace"));
    schrift.setStyleHint(QFont::Monospace);
    for (int n = 1; n <= 8; ++n) {
        auto *rahmen = new QGroupBox(m_z.sprache.texte.value(337) + QLatin1Char(' ') + QString::number(n), this);
        rahmen->setObjectName(QStringLiteral("FrameDisplaytext%1").arg(n));
        auto *l = new QVBoxLayout(rahmen);
        for (int i = 2 * (n - 1); i < 2 * n; ++i) {
            auto *box = new QLineEdit(rahmen);
            box->setObjectName(QStringLiteral("Zeile%1").arg(i));
            box->setReadOnly(true);
            box->setFont(schrift);
            box->installEventFilter(this);
            m_zeilen[i] = box;
            l->addWidget(box);
        }
        gitter->addWidget(rahmen, (n - 1) % 4, (n - 1) / 4);
    }
}

void Displaytextseite::zeigeDisplaytexte()
{
    for (int i = 0; i < 16; ++i)
        m_zeilen[i]->setText(m_z.bild.displayzeile(i));
}

void Displaytextseite::zeileBearbeiten(int zeile)
{
    QLineEdit *box = m_zeilen[zeile];
    QPalette p = box->palette();
    p.setColor(QPalette::Text, QColor(255, 0, 0));
    box->setPalette(p);
    m_u.Displayzeile = qint16(zeile);
    Displayzeilendialog dialog(m_z, m_u, box, window());
    dialog.exec();
}

bool Displaytextseite::eventFilter(QObject *objekt, QEvent *event)
{
    const QEvent::Type typ = event->type();
    for (int i = 0; i < 16; ++i) {
        if (objekt != m_zeilen[i])
            continue;
        QLineEdit *box = m_zeilen[i];
        if ((typ == QEvent::FocusIn || typ == QEvent::FocusOut)
            && !Tasten::istFensterwechsel(static_cast<QFocusEvent *>(event)->reason())) {
            QPalette p = box->palette();
            p.setColor(QPalette::Text, typ == QEvent::FocusIn ? QColor(255, 0, 0)
                                                              : QApplication::palette().color(QPalette::Text));
            box->setPalette(p);
        } else if (typ == QEvent::MouseButtonPress
                   && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            box->setFocus(Qt::MouseFocusReason);
            zeileBearbeiten(i);
            return true;
        } else if (typ == QEvent::KeyPress && Tasten::istEnter(static_cast<QKeyEvent *>(event))) {
            zeileBearbeiten(i);
            return true;
        }
        return false;
    }
    return QWidget::eventFilter(objekt, event);
}
