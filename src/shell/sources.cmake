set(CORE_SOURCES
  Zustand.h Zustand.cpp
  Ansi.h Ansi.cpp
  Dateiersatz.h Dateiersatz.cpp
  Pfade.h Pfade.cpp
  Einstellungsdatei.h Einstellungsdatei.cpp
  Meldung.h Meldung.cpp
  Texttabelle.h Texttabelle.cpp
)
