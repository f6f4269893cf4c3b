list(APPEND UI_SOURCES
  Protokollident2D.h Protokollident2D.cpp
)
