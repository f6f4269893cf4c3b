list(APPEND UI_SOURCES
  Hauptfenster.h Hauptfenster.cpp
  Startfenster.h Startfenster.cpp
  Passwortfenster.h Passwortfenster.cpp
  Schnittstellenfenster.h Schnittstellenfenster.cpp
  MeldungBox.h MeldungBox.cpp
)
