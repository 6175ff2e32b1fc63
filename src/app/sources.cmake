# Pure logic goes to TESSIVAR_PURE_SOURCES, Win32 glue to TESSIVAR_WIN_SOURCES.
if(WIN32)
  list(APPEND TESSIVAR_WIN_SOURCES src/app/WinText.cpp)
endif()
