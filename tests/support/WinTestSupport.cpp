#include "support/WinTestSupport.h"
