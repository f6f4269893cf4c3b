#pragma once
// Routes received bytes into Empfang, the store of the identification
// windows, for as long as it lives: AdressSuche := 1 and Empfang emptied on
// construction, AdressSuche := 0 on destruction, whichever way the scope is
// left. Whoever runs an identification holds one instead of setting the
// flag by hand.

struct Zustand;

class Empfangsweiche {
public:
    explicit Empfangsweiche(Zustand &z);
    ~Empfangsweiche();

    Empfangsweiche(const Empfangsweiche &) = delete;
    Empfangsweiche &operator=(const Empfangsweiche &) = delete;

private:
    Zustand &m_z;
};
