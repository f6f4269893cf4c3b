set(CORE_SOURCES
  Adressidentifikation.h Adressidentifikation.cpp
)
set(UI_SOURCES)
