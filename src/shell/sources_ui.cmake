list(APPEND UI_SOURCES
  Hauptfenster.h Hauptfenster.cpp
)
