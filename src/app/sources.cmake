list(APPEND TESSIVAR_PURE_SOURCES src/app/ShellRules.cpp src/app/PacketRows.cpp)
if(WIN32)
  list(APPEND TESSIVAR_WIN_SOURCES
    src/app/WinText.cpp src/app/Notice.cpp src/app/Clipboard.cpp src/app/StartUp.cpp
    src/app/MainWindow.cpp src/app/ConversionWindow.cpp src/app/Tray.cpp src/app/About.cpp)
endif()
