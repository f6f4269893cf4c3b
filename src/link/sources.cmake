set(CORE_SOURCES
  Port.h
  LineSettings.h LineSettings.cpp
  Telegramm.h Telegramm.cpp
  SerialPort.h SerialPort.cpp
  FakePort.h FakePort.cpp
  Verbindung.h Verbindung.cpp
)
set(UI_SOURCES)
