list(APPEND UI_SOURCES
  Adressident2D.h Adressident2D.cpp
  Ziffernfeld.h
)
