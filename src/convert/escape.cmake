list(APPEND TESSIVAR_PURE_SOURCES src/convert/EscapeDecoding.cpp)
