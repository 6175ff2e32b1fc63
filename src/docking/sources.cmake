# Pure logic goes to TESSIVAR_PURE_SOURCES, Win32 glue to TESSIVAR_WIN_SOURCES.
list(APPEND TESSIVAR_PURE_SOURCES src/docking/DockGeometry.cpp)
if(WIN32)
  list(APPEND TESSIVAR_WIN_SOURCES src/docking/Docking.cpp)
endif()
