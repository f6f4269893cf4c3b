#include "support/FakePort.h"

#include <QMap>

bool FakePort::open()
{
    if (m_open)
        return true;
    if (m_openFailure != Oeffnungsfehler::Keiner) {
        static const QMap<Oeffnungsfehler, QString> texte{
            {Oeffnungsfehler::GibtEsNicht, QStringLiteral("No such file or directory")},
            {Oeffnungsfehler::Belegt, QStringLiteral("Device or resource busy")},
            {Oeffnungsfehler::KeineBerechtigung, QStringLiteral("Permission denied")}};
        m_fehler = m_openFailure;
        m_fehlertext = texte.value(m_openFailure, QStringLiteral("Input/output error"));
        return false;
    }
    m_fehler = Oeffnungsfehler::Keiner;
    m_fehlertext.clear();
    m_open = true;
    ++m_openCount;
    return true;
}

void FakePort::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_eingang.clear();
    m_ausstehend = 0;
    ++m_closeCount;
}

bool FakePort::setSettings(const QString &settings)
{
    const auto s = LineSettings::parse(settings);
    if (!s)
        return false;
    if (s->baud == m_verweigerteBaud) {
        m_fehlertext = m_verweigerung;
        return false;
    }
    m_settings = *s;
    return true;
}

bool FakePort::setHandshake(int modus)
{
    if (modus < 0 || modus > 3)
        return false;
    if (modus == m_verweigerterHandshake) {
        m_fehlertext = m_handshakeVerweigerung;
        return false;
    }
    m_handshake = modus;
    return true;
}

void FakePort::write(const QByteArray &bytes)
{
    if (!m_open) {
        ++m_verloreneWrites;
        return;
    }
    m_writes.append({bytes, m_settings.toString(), m_settings.baud});
    if (m_halten)
        m_ausstehend += bytes.size();
    else
        emit gesendet(bytes.size());
}

QByteArray FakePort::written() const
{
    QByteArray alles;
    for (const Write &w : m_writes)
        alles += w.bytes;
    return alles;
}

void FakePort::sent(qint64 bytes)
{
    bytes = qMin(bytes, m_ausstehend);
    if (bytes <= 0)
        return;
    m_ausstehend -= bytes;
    emit gesendet(bytes);
}

void FakePort::inject(const QByteArray &bytes)
{
    if (!m_open)
        return;
    m_eingang += bytes;
    emit ereignis(Ereigniscode::Empfangen);
}

void FakePort::loseDevice()
{
    if (!m_open)
        return;
    close();
    emit verloren();
}
