# Code-page conversion routines and their Traditional-to-Simplified table.
list(APPEND TESSIVAR_PURE_SOURCES src/convert/CodePageRoutines.cpp)
