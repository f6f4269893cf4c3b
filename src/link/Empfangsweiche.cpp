#include "link/Empfangsweiche.h"

#include "base/Zustand.h"

Empfangsweiche::Empfangsweiche(Zustand &z) : m_z(z)
{
    m_z.AdressSuche = 1;
    m_z.Empfang.clear();
}

Empfangsweiche::~Empfangsweiche()
{
    m_z.AdressSuche = 0;
}
