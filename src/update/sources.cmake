# Pure logic goes to TESSIVAR_PURE_SOURCES, Win32 glue to TESSIVAR_WIN_SOURCES.
list(APPEND TESSIVAR_PURE_SOURCES src/update/UpdateRules.cpp)
if(WIN32)
  list(APPEND TESSIVAR_WIN_SOURCES src/update/UpdateCheck.cpp src/update/Manifest.cpp src/update/Updater.cpp)
endif()
# The updater's own word reading is pure too, so the unit tests cover it.
list(APPEND TESSIVAR_PURE_SOURCES src/updater/UpdaterWords.cpp)
