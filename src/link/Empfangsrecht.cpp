#include "link/Empfangsrecht.h"

#include "link/Verbindung.h"

#include <utility>

Empfangsrecht::Empfangsrecht(Verbindung *v, int nummer) : m_v(v), m_nummer(nummer) {}

bool Empfangsrecht::haelt() const
{
    return m_nummer != 0 && m_v;
}

Empfangsrecht::~Empfangsrecht()
{
    freigeben();
}

Empfangsrecht::Empfangsrecht(Empfangsrecht &&anderes) noexcept
    : m_v(std::move(anderes.m_v)), m_nummer(std::exchange(anderes.m_nummer, 0))
{
    anderes.m_v = nullptr;
}

Empfangsrecht &Empfangsrecht::operator=(Empfangsrecht &&anderes) noexcept
{
    if (this != &anderes) {
        freigeben();
        m_v = anderes.m_v;
        m_nummer = std::exchange(anderes.m_nummer, 0);
        anderes.m_v = nullptr;
    }
    return *this;
}

void Empfangsrecht::freigeben()
{
    if (m_nummer != 0 && m_v)
        m_v->freigeben(m_nummer);
    m_nummer = 0;
    m_v = nullptr;
}
