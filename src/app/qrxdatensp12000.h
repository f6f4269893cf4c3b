#pragma once
// Dialog qrxdatensp12000: one card, or a group, of the page view ("12 000
// Karten") with the card's name and customer data. "Berechtigen"
// authorizes the range in time zone 1, "Sperren" blocks it. Every input
// box stores its text into the page's arrays as soon as it loses the focus,
// whether the dialog is then confirmed or cancelled.

#include <QDialog>
#include <array>

struct Zustand;
struct Uebergabe;
class Meldung;
class QLineEdit;

class qrxdatensp12000 : public QDialog {
    Q_OBJECT
public:
    qrxdatensp12000(Zustand &z, Uebergabe &u, int seite, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *objekt, QEvent *event) override;

private:
    void speichereFeld(int feld);
    void berechtigen();
    void sperren();

    Zustand &m_z;
    Uebergabe &m_u;
    int m_seite;
    bool m_gruppe;
    // Field 0 the name (text1), 1..6 first name (text8), post code (text3),
    // town (text4), street (text5), telephone (text6), remarks (text7).
    std::array<QLineEdit *, 7> m_felder{};
};
