#pragma once
#include <string>

// The conversion commands and the conversion window's own commands (main thread).

// One command of "数据待转": kCmdConversionFirst..kCmdOneKey.
void RunConversionCommand(int commandId);
// "复制" of "保存数据": the data box's selection onto the clipboard.
void CopyDataSelection();
// "保存" of "保存数据": the data box's whole text into the data file.
void SaveDataBox();
// The data file next to the program.
std::wstring DataFilePath();
// SelectedText and SelectedBytes, given back at exit.
void ReleaseConversionState();
