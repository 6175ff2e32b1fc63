list(APPEND TESSIVAR_PURE_SOURCES src/capture/RowDecoder.cpp src/capture/CaptureState.cpp)
if(WIN32)
  list(APPEND TESSIVAR_WIN_SOURCES src/capture/Capture.cpp)
endif()
