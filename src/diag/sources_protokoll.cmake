# Protocol identification before a write.
list(APPEND CORE_SOURCES
  Protokollident.h Protokollident.cpp
)
