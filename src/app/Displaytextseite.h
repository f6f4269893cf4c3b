#pragma once
// The editor's fourth tab, "Displaytexte": the sixteen display lines in
// eight frames of two. A click or Enter on a line opens the display-line
// dialog for it; the line being edited is drawn in red.

#include <QWidget>
#include <array>

struct Zustand;
struct Uebergabe;
class QLineEdit;

class Displaytextseite : public QWidget {
    Q_OBJECT
public:
    Displaytextseite(Zustand &z, Uebergabe &u, QWidget *parent = nullptr);

    // Shows the sixteen lines from the image.
    void zeigeDisplaytexte();

protected:
    bool eventFilter(QObject *objekt, QEvent *event) override;

private:
    void zeileBearbeiten(int zeile);

    Zustand &m_z;
    Uebergabe &m_u;
    std::array<QLineEdit *, 16> m_zeilen{};
};
