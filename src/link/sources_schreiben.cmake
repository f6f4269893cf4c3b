# The write sequence, the recovery scan and the write panel.
list(APPEND CORE_SOURCES
  Schreiben.h Schreiben.cpp
  Trouble.h Trouble.cpp
)
list(APPEND UI_SOURCES
  Schreibpanel.h Schreibpanel.cpp
)
