#pragma once
// The hold of a receiver (or of the monitor) on the link's received bytes,
// given by Verbindung::nimmStrom or Verbindung::beobachten. It ends when the
// handle is released or destroyed, whichever way its owner's scope is left.

#include <QPointer>

class Verbindung;

class Empfangsrecht {
public:
    Empfangsrecht() = default;
    ~Empfangsrecht();
    Empfangsrecht(Empfangsrecht &&anderes) noexcept;
    Empfangsrecht &operator=(Empfangsrecht &&anderes) noexcept;
    Empfangsrecht(const Empfangsrecht &) = delete;
    Empfangsrecht &operator=(const Empfangsrecht &) = delete;

    bool haelt() const;
    void freigeben();

private:
    friend class Verbindung;
    Empfangsrecht(Verbindung *v, int nummer);
    QPointer<Verbindung> m_v;
    int m_nummer = 0;
};
