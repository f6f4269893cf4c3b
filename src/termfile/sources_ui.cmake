list(APPEND UI_SOURCES
  Listenmodell.h Listenmodell.cpp
  Datensp2D.h Datensp2D.cpp
  displayeingabe2D.h displayeingabe2D.cpp
  portadatei2D.h portadatei2D.cpp
)
