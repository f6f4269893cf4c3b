list(APPEND CORE_SOURCES
  Programmstart.h Programmstart.cpp
  Schnittstellenwahl.h Schnittstellenwahl.cpp
  Passworteingabe.h Passworteingabe.cpp
  MeldungAufnahme.h MeldungAufnahme.cpp
  MeldungDruck.h MeldungDruck.cpp
)
