#pragma once
#include <string>
#include <vector>

// What the program hands over on the updater's command line.
struct UpdateOrder {
  bool valid = false;
  std::wstring downloadAddress;
  std::wstring fileTitle;
  std::wstring programToStart;
  std::wstring fileName;
  std::wstring notes;
};

// Reads "<path>\update.exe fzgr <address> <title> 运行 <program> <file> <notes...>".
// The words are split on single spaces, so an empty value keeps its place; the
// title runs up to the word "运行", the notes to the end.
UpdateOrder ReadUpdateOrder(const std::wstring& commandLine);

// A whole Windows executable: "MZ" and a "PE\0\0" header where it points.
bool LooksLikeExecutable(const std::string& bytes);
