list(APPEND CORE_SOURCES
  Uebergabe.h
  Einstellungsregeln.h Einstellungsregeln.cpp
  Dateiablauf.h Dateiablauf.cpp
)
