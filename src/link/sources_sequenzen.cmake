list(APPEND CORE_SOURCES
  Anmeldung.h Anmeldung.cpp
  Auslesen.h Auslesen.cpp
)
