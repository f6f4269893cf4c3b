#pragma once
// The link's byte store: every chunk that no other receiver takes lands
// here, byte by byte, up to index Grenze; whatever comes after that in a
// chunk is dropped. The read-out, the write and the recovery scan look for
// their answers here.

#include "link/Empfaenger.h"

#include <QtGlobal>
#include <array>

class Empfangsablage : public Empfaenger {
public:
    static constexpr int Grenze = 4500;  // the last index filled

    Annahme nimm(const QByteArray &bytes) override;

    int zahl() const { return m_zahl; }
    const quint8 *daten() const { return m_bytes.data(); }
    quint8 byte(int i) const { return m_bytes[size_t(i)]; }
    // Bytes from..bis-1 as text.
    QByteArray abschnitt(int von, int bis) const;
    // Starts over: the next byte lands at index 0.
    void leeren() { m_zahl = 0; }
    // Drops the first n bytes; the rest moves to the front.
    void vorneEntfernen(int n);

private:
    std::array<quint8, 5001> m_bytes{};
    int m_zahl = 0;
};
