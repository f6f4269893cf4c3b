#pragma once
// The text table: every user-interface text 101..389 (and the program's own
// texts above, with gaps, up to 999) in German (ids 101..389),
// English (1101..1389), French (2101..2389) and Spanish (3101..3389),
// embedded as a resource.

#include <QString>

struct Zustand;

namespace Texttabelle {
// Resource string by id (number + language offset); empty for an unknown id.
QString text(int id);
bool vorhanden(int id);
// Text k of the current slice Texte(k); when the calling window has not
// loaded that slice, the table's text k in the language of z.
QString text(const Zustand &z, int nummer);
// Texte(k) = resource string (k + Sprache) for k = erster..letzter.
void ladeTexte(Zustand &z, int erster, int letzter);
}  // namespace Texttabelle
