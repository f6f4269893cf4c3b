set(CORE_SOURCES
  Displayzeichen.h Displayzeichen.cpp
  Datenbild.h Datenbild.cpp
  Terminaldatei.h Terminaldatei.cpp
)
set(UI_SOURCES)
