#pragma once
#include <windows.h>

#include <string_view>

#include "common/Text.h"

struct IXMLDOMDocument;

// The last update manifest loaded; kept between checks for the hand-off.
struct ManifestHolder {
  bool loaded = false;
  IXMLDOMDocument* document = nullptr;

  // Discards the document held before; after a failed parse none is held.
  void Load(const Text& gbk);
  // The attribute of "最新版本/版本信息": the root must carry the first name,
  // the element is the root's first child element with the second. Empty when
  // anything is missing.
  Text Attribute(std::string_view utf8Name) const;
  void Release();
};

extern ManifestHolder ManifestParser;

void ReleaseManifestParser();
