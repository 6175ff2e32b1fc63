# Conversion commands: what each stores and shows (pure), and their window glue.
list(APPEND TESSIVAR_PURE_SOURCES src/convert/Commands.cpp)
if(WIN32)
  list(APPEND TESSIVAR_WIN_SOURCES src/convert/ConversionCommands.cpp)
endif()
