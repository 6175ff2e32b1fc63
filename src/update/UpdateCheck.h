#pragma once
#include <string>

#include "common/Text.h"

// The menu command "检测升级".
void CheckForUpdate();

// GET over HTTP/1.0; the body whatever the status, empty when nothing came.
Bytes HttpGet(const std::wstring& url);
