#pragma once
// The modem port's failures in the words of the chosen language, never in
// the serial layer's own (English) wording.

#include <QString>

class Port;

namespace Portmeldung {
// open() failed on port number portnummer: missing device, held by another
// program, no permission, or otherwise not to be opened.
QString oeffnen(int sprache, int portnummer, const Port &port);
// The port refuses a settings string or a handshake ("Xon/Xoff", ...).
QString einstellung(int sprache, const QString &einstellung);
QString handshake(int sprache, const QString &handshake);
// The device went away.
QString verloren(int sprache, const Port &port);
}  // namespace Portmeldung
