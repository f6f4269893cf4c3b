#include "app/Modemfenster.h"

#include "app/Modemanschlussdialog.h"
#include "base/Ansi.h"
#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "link/Port.h"
#include "link/Programmstart.h"
#include "link/SerialPort.h"
#include "link/Verbindung.h"
#include "modem/Auflegen.h"
#include "modem/Modemeinstellungen.h"
#include "modem/Modemterminal.h"
#include "modem/Portmeldung.h"
#include "modem/Waehlstring.h"

#include <QApplication>
#include <QCloseEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

Modemfenster::Modemfenster(Zustand &z, Verbindung &v, Meldung &meldung, Port *port, QWidget *parent)
    : QMainWindow(parent), m_z(z), m_v(v), m_meldung(meldung), m_port(port)
{
    setObjectName(QStringLiteral("frmmodem1"));
    setWindowFlag(Qt::Window);
    if (!m_port) {
        auto *eigener = new SerialPort(this);
        eigener->setObjectName(QStringLiteral("MSComm1"));
        m_port = eigener;
    }
    m_v.setModemPort(m_port);
    m_terminal = new Modemterminal(m_z, m_v, m_meldung, this);
    m_terminal->setPort(m_port);
    m_auflegen = new Auflegen(this);

    auto *mitte = new QWidget(this);
    auto *layout = new QVBoxLayout(mitte);
    m_txtTerm = new QPlainTextEdit(mitte);
    m_txtTerm->setObjectName(QStringLiteral("txtTerm"));
    m_txtTerm->setContextMenuPolicy(Qt::NoContextMenu);
    m_txtTerm->setUndoRedoEnabled(false);
    m_txtTerm->setStyleSheet(QStringLiteral("QPlainTextEdit { color: rgb(0, 0, 255); }"));
    QFont schrift(QStringLiteral("Monospace"));
    schrift.setStyleHint(QFont::TypeWriter);
    m_txtTerm->setFont(schrift);
    m_txtTerm->installEventFilter(this);
    m_label1 = new QLabel(mitte);
    m_label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(m_txtTerm, 1);
    layout->addWidget(m_label1);
    setCentralWidget(mitte);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(1000);
    connect(m_timer1, &QTimer::timeout, this,
            [this] { m_label1->setText(QLatin1Char(' ') + QString::number(m_terminal->text().size())); });
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(2000);
    connect(m_timer2, &QTimer::timeout, m_timer2, &QTimer::stop);
    m_abfluss = new QTimer(this);
    m_abfluss->setObjectName(QStringLiteral("TimerAbfluss"));
    m_abfluss->setInterval(50);
    connect(m_abfluss, &QTimer::timeout, this, &Modemfenster::abflussBlick);
    m_lebenszeichen = new QTimer(this);
    m_lebenszeichen->setObjectName(QStringLiteral("TimerLebenszeichen"));
    m_lebenszeichen->setSingleShot(true);
    m_lebenszeichen->setInterval(Lebenszeichenfrist);
    connect(m_lebenszeichen, &QTimer::timeout, this, [this] {
        m_meldung.zeige(Texttabelle::text(m_z, 632).arg(m_port->device()), windowTitle(), Meldung::Knoepfe::Ok,
                        Meldung::Symbol::Ausrufezeichen, 632, 226);
    });
    // Any byte after the dial shows that a modem is there.
    connect(m_port, &Port::ereignis, m_lebenszeichen, [this](int code) {
        if (code == Ereigniscode::Empfangen)
            m_lebenszeichen->stop();
    });

    m_mnuFile = menuBar()->addMenu(QString());
    m_mnuFile->setObjectName(QStringLiteral("mnuFile"));
    m_mnuFileExit = m_mnuFile->addAction(QString(), this, &Modemfenster::beenden);
    m_mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
    m_mnuPort = menuBar()->addMenu(QString());
    m_mnuPort->setObjectName(QStringLiteral("mnuPort"));
    m_mnuOpen = m_mnuPort->addAction(QString());
    m_mnuOpen->setObjectName(QStringLiteral("mnuOpen"));
    m_mnuOpen->setCheckable(true);
    // The check mark follows the port, not the click.
    connect(m_mnuOpen, &QAction::triggered, this, [this] { oeffnenSchliessen(); });
    m_mnuproperties = m_mnuPort->addAction(QString(), this, &Modemfenster::einstellungen);
    m_mnuproperties->setObjectName(QStringLiteral("mnuproperties"));
    m_mnuCall = menuBar()->addMenu(QString());
    m_mnuCall->setObjectName(QStringLiteral("mnuCall"));
    m_mnuDial = m_mnuCall->addAction(QString(), this, &Modemfenster::waehlen);
    m_mnuDial->setObjectName(QStringLiteral("mnuDial"));
    m_mnuHangUp = m_mnuCall->addAction(QString(), this, &Modemfenster::auflegenMenue);
    m_mnuHangUp->setObjectName(QStringLiteral("mnuHangUp"));

    connect(m_terminal, &Modemterminal::textGeaendert, this, &Modemfenster::anzeigen);
    connect(m_terminal, &Modemterminal::verbunden, this, [this] {
        setWindowTitle(m_z.sprache.texte.at(241));
        emit verbindungSteht();
    });
    connect(m_terminal, &Modemterminal::piep, this, [] { QApplication::beep(); });
    connect(m_terminal, &Modemterminal::meldungGezeigt, m_timer2, [this] { m_timer2->start(); });
    connect(m_terminal, &Modemterminal::portGeaendert, this, &Modemfenster::menuesNachPort);
    // The device went away (adapter pulled): the port is closed by then.
    connect(m_port, &Port::verloren, this, [this] {
        m_lebenszeichen->stop();
        m_terminal->verbindungZuruecksetzen();
        menuesNachPort();
        m_meldung.zeige(Portmeldung::verloren(m_z.sprache.versatz, *m_port), windowTitle(), Meldung::Knoepfe::Ok,
                        Meldung::Symbol::Ausrufezeichen, 633, 226);
    });
    connect(m_auflegen, &Auflegen::fertig, this, [this] {
        if (m_port->isOpen())
            m_port->close();
        m_mnuOpen->setEnabled(true);
        m_mnuHangUp->setEnabled(false);
        m_mnuDial->setEnabled(true);
        m_mnuOpen->setChecked(false);
        m_timer1->stop();
        emit aufgelegt();
    });

    resize(560, 380);
    laden();
}

Modemfenster::~Modemfenster() = default;

void Modemfenster::laden()
{
    Texttabelle::ladeTexte(m_z, 226, 243);
    const QVector<QString> &t = m_z.sprache.texte;
    setWindowTitle(t.at(226));
    m_mnuFile->setTitle(t.at(227));
    m_mnuFileExit->setText(t.at(228));
    m_mnuPort->setTitle(t.at(229));
    m_mnuOpen->setText(t.at(230));
    m_mnuproperties->setText(t.at(231));
    m_mnuCall->setTitle(t.at(232));
    m_mnuDial->setText(t.at(233));
    m_mnuHangUp->setText(t.at(234));
    m_terminal->leeren();
    menuesNachPort();

    const Modemeinstellungen e = Modemeinstellungen::lesen();
    const auto fehler = [this](const QString &text) {
        m_meldung.zeige(text, windowTitle(), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, -1, 226);
    };
    if (!e.Einstellungen.isEmpty() && !m_port->setSettings(e.Einstellungen)) {
        fehler(Portmeldung::einstellung(m_z.sprache.versatz, e.Einstellungen));
        return;
    }
    bool zahl = false;
    const int n = e.ComAnschluss.trimmed().toInt(&zahl);
    if (zahl && n >= 1 && n <= 16)
        m_portnummer = n;
    Programmstart::setzePortnummer(*m_port, m_portnummer);
    if (!e.Handshaking.isEmpty() && !m_port->setHandshake(e.Handshaking.trimmed().toInt())) {
        static const char *const namen[] = {"Kein", "Xon/Xoff", "RTS", "Xon/RTS"};
        const int h = e.Handshaking.trimmed().toInt(&zahl);
        fehler(Portmeldung::handshake(m_z.sprache.versatz, zahl && h >= 0 && h < 4 ? QLatin1String(namen[h]) : e.Handshaking));
        return;
    }
    oeffnenSchliessen();
    m_echo = Modemeinstellungen::echoAus(e.Echo);
}

void Modemfenster::oeffnenSchliessen()
{
    if (m_port->isOpen()) {
        m_port->close();
    } else if (!m_port->open()) {
        m_meldung.zeige(Portmeldung::oeffnen(m_z.sprache.versatz, m_portnummer, *m_port), windowTitle(), Meldung::Knoepfe::Ok,
                        Meldung::Symbol::Ausrufezeichen, -1, 226);
    } else {
        // A modem takes commands only while DTR is on.
        m_port->setDtr(true);
    }
    menuesNachPort();
}

void Modemfenster::menuesNachPort()
{
    const bool offen = m_port->isOpen();
    m_mnuOpen->setChecked(offen);
    m_mnuDial->setEnabled(true);
    m_mnuHangUp->setEnabled(offen);
    if (offen)
        m_timer1->start();
    else
        m_timer1->stop();
}

void Modemfenster::anzeigen()
{
    const QString &neu = m_terminal->text();
    if (neu.size() > m_angezeigt.size() && neu.startsWith(m_angezeigt)) {
        QTextCursor c(m_txtTerm->document());
        c.movePosition(QTextCursor::End);
        c.insertText(neu.mid(m_angezeigt.size()));
    } else {
        m_txtTerm->setPlainText(neu);
    }
    m_angezeigt = neu;
    m_txtTerm->moveCursor(QTextCursor::End);
    m_txtTerm->ensureCursorVisible();
}

void Modemfenster::waehlen()
{
    m_terminal->leeren();
    m_terminal->verbindungZuruecksetzen();
    QString nummer;
    if (m_abfrage) {
        nummer = m_abfrage();
    } else {
        bool ok = false;
        // The preset is "47" at every dial, not the last number.
        nummer = QInputDialog::getText(this, m_z.sprache.texte.at(237), m_z.sprache.texte.at(236), QLineEdit::Normal,
                                       QStringLiteral("47"), &ok);
        if (!ok)
            nummer.clear();
    }
    if (nummer.isEmpty())
        return;
    Waehlstring::Fehler f = Waehlstring::Fehler::Keiner;
    const QByteArray befehl = Waehlstring::baue(m_z.einstellungen.modemText1, m_z.einstellungen.modemText2, nummer, &f);
    if (befehl.isEmpty()) {
        const int nr = Waehlstring::textnummer(f);
        m_meldung.zeige(Texttabelle::text(m_z, nr), m_z.sprache.texte.at(237), Meldung::Knoepfe::Ok,
                        Meldung::Symbol::Ausrufezeichen, nr, 237);
        return;
    }
    if (!m_port->isOpen()) {
        oeffnenSchliessen();
        if (!m_port->isOpen())
            return;
    }
    m_gewaehlt = nummer;
    m_mnuHangUp->setEnabled(true);
    m_port->write(befehl);
    m_timer1->start();
    m_lebenszeichen->start();
}

void Modemfenster::setLebenszeichenfrist(int ms)
{
    m_lebenszeichen->setInterval(ms);
}

void Modemfenster::auflegenMenue()
{
    m_lebenszeichen->stop();
    emit auflegenBeginnt();
    m_terminal->leeren();
    m_terminal->verbindungZuruecksetzen();
    setWindowTitle(m_z.sprache.texte.at(238));
    // Nothing else goes out until the modem has hung up.
    m_mnuDial->setEnabled(false);
    m_mnuHangUp->setEnabled(false);
    m_mnuOpen->setEnabled(false);
    m_auflegen->starte(m_port);
}

void Modemfenster::beenden()
{
    m_terminal->verbindungZuruecksetzen();
    close();
}

void Modemfenster::einstellungen()
{
    Modemanschlussdialog dialog(*m_port, m_portnummer, m_echo, m_meldung, m_mnuOpen, this);
    dialog.setSprache(m_z.sprache.versatz);
    dialog.exec();
    menuesNachPort();
}

bool Modemfenster::eventFilter(QObject *objekt, QEvent *ereignis)
{
    if (objekt == m_txtTerm && ereignis->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent *>(ereignis)->text();
        if (!text.isEmpty())
            return taste(text);
    }
    return QMainWindow::eventFilter(objekt, ereignis);
}

bool Modemfenster::taste(const QString &text)
{
    if (m_port->isOpen()) {
        QByteArray bytes = Ansi::kodieren(text);
        if (bytes == "\r")
            bytes += '\n';
        m_port->write(bytes);
        if (!m_echo) {
            m_txtTerm->moveCursor(QTextCursor::End);
            return true;
        }
    }
    m_terminal->anhaengen(text == QLatin1String("\r") ? QStringLiteral("\n") : text);
    return true;
}

// The first time it is shown the window stands over the middle of the main
// window (of the screen without one).
void Modemfenster::showEvent(QShowEvent *ereignis)
{
    QMainWindow::showEvent(ereignis);
    if (m_gezeigt)
        return;
    m_gezeigt = true;
    QRect ueber;
    if (const QWidget *haupt = parentWidget())
        ueber = haupt->frameGeometry();
    else if (const QScreen *schirm = screen())
        ueber = schirm->availableGeometry();
    if (ueber.isValid())
        move(ueber.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
}

void Modemfenster::closeEvent(QCloseEvent *ereignis)
{
    if (m_schliessenFrei) {
        ereignis->accept();
        return;
    }
    if (m_port->isOpen() && m_port->bytesToWrite() > 0) {
        // Wait for the output, with the window alive; the answer comes later.
        ereignis->ignore();
        if (!m_abfluss->isActive()) {
            m_abflussMs = 0;
            m_abfluss->start();
        }
        return;
    }
    schliessenAbschliessen();
    ereignis->accept();
}

void Modemfenster::abflussBlick()
{
    if (!m_port->isOpen() || m_port->bytesToWrite() == 0) {
        m_abfluss->stop();
        schliessenAbschliessen();
        close();
        return;
    }
    m_abflussMs += m_abfluss->interval();
    if (m_abflussMs < m_abflussgrenze)
        return;
    m_abfluss->stop();
    const int antwort = m_meldung.zeige(m_z, 235, 226, Meldung::Knoepfe::AbbrechenWiederholenIgnorieren,
                                        Meldung::Symbol::Frage);
    if (antwort == Meldung::Abbruch)
        return;  // the window stays open, nothing else changes
    if (antwort == Meldung::Wiederholen) {
        m_abflussMs = 0;
        m_abfluss->start();
        return;
    }
    schliessenAbschliessen();
    close();
}

void Modemfenster::schliessenAbschliessen()
{
    m_schliessenFrei = true;
    m_lebenszeichen->stop();
    if (m_port->isOpen())
        m_port->close();
    m_timer1->stop();
    m_terminal->verbindungZuruecksetzen();
    emit beendet();
}
