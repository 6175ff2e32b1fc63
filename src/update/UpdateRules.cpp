#include "update/UpdateRules.h"

#include <cstdlib>

double ReadPublishedVersion(const Text& gbk) {
  const Text text = TextOf(gbk);
  std::string ascii;
  ascii.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x81 || lead == 0xFF || i + 1 == text.size()) {
      ascii.push_back(static_cast<char>(lead));
      continue;
    }
    const unsigned char trail = static_cast<unsigned char>(text[i + 1]);
    ++i;
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      ascii.push_back(static_cast<char>(trail - 0x80));
    } else if (lead == 0xA1 && trail == 0xA1) {
      ascii.push_back(' ');
    } else {
      // Any other double-byte character ends the number; keep it out of strtod.
      ascii.push_back('\x01');
    }
  }
  return std::strtod(ascii.c_str(), nullptr);
}

bool IsNewerVersion(double published) { return published - kProgramVersion > 0.0000001; }

std::wstring BuildUpdaterCommandLine(const std::wstring& programDirectory,
                                     const std::wstring& downloadAddress,
                                     const std::wstring& fileTitle,
                                     const std::wstring& fileName,
                                     const std::wstring& notes) {
  return programDirectory + L"\\升级文件\\update.exe fzgr" + L" " + downloadAddress + L" " + fileTitle +
         L" " + L"运行 Tessivar.exe" + L" " + fileName + L" " + notes;
}
