set(CORE_SOURCES
  Adressidentifikation.h Adressidentifikation.cpp
  Identhilfen.h
)
set(UI_SOURCES)
