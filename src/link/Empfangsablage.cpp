#include "link/Empfangsablage.h"

#include <cstring>

Empfaenger::Annahme Empfangsablage::nimm(const QByteArray &bytes)
{
    for (const char ch : bytes) {
        if (m_zahl < 0 || m_zahl > Grenze)
            break;
        m_bytes[size_t(m_zahl)] = quint8(ch);
        ++m_zahl;
    }
    return Annahme::Genommen;
}

QByteArray Empfangsablage::abschnitt(int von, int bis) const
{
    von = qBound(0, von, m_zahl);
    bis = qBound(von, bis, m_zahl);
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()) + von, bis - von);
}

void Empfangsablage::vorneEntfernen(int n)
{
    if (n <= 0)
        return;
    n = qMin(n, m_zahl);
    std::memmove(m_bytes.data(), m_bytes.data() + n, size_t(m_zahl - n));
    m_zahl -= n;
}
