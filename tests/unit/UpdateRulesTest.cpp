#include <gtest/gtest.h>

#include <string>

#include "update/UpdateRules.h"
#include "updater/UpdaterWords.h"

namespace {

TEST(PublishedVersion, ReadsLikeAtofWithFullWidthForms) {
  struct Case {
    const char* gbk;
    double expected;
  } cases[] = {
      {"3.2", 3.2},
      {"3.3", 3.3},
      {"3.20000001", 3.20000001},
      {"\xA3\xB3\xA3\xAE\xA3\xB3", 3.3},          // full-width 3.3
      {"\xA1\xA1\xA3\xAB\xA3\xB4", 4.0},          // full-width space and plus
      {"\xA3\xAD\xA3\xB1", -1.0},                 // full-width minus
      {"  3.5beta", 3.5},
      {"v3.3", 0.0},
      {"\xB0\xE6" "3.3", 0.0},                      // a Chinese character first
      {"3\xB0\xE6" ".9", 3.0},                      // a Chinese character ends the number
      {"", 0.0},
      {"1e1", 10.0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(ReadPublishedVersion(c.gbk), c.expected) << c.gbk;
}

TEST(PublishedVersion, NewerOnlyBeyondTheThreshold) {
  EXPECT_FALSE(IsNewerVersion(3.2));
  EXPECT_FALSE(IsNewerVersion(3.20000001));
  EXPECT_FALSE(IsNewerVersion(0.0));
  EXPECT_FALSE(IsNewerVersion(3.1));
  EXPECT_TRUE(IsNewerVersion(3.2000002));
  EXPECT_TRUE(IsNewerVersion(ReadPublishedVersion("\xA3\xB3\xA3\xAE\xA3\xB3")));
}

TEST(UpdaterCommandLine, TwelvePiecesUnquoted) {
  EXPECT_EQ(BuildUpdaterCommandLine(L"C:\\My Tools", L"A", L"B", L"C", L"D"),
            L"C:\\My Tools\\升级文件\\update.exe fzgr A B 运行 Tessivar.exe C D");
  // Empty values keep their places; notes of several words stay several words.
  EXPECT_EQ(BuildUpdaterCommandLine(L"Z:\\p", L"", L"", L"", L"two words"),
            L"Z:\\p\\升级文件\\update.exe fzgr   运行 Tessivar.exe  two words");
}

TEST(UpdaterCommandLine, TheUpdaterReadsBackWhatTheProgramBuilds) {
  const std::wstring line = BuildUpdaterCommandLine(L"C:\\My Tools", L"http://h/x.exe", L"New build",
                                                    L"Tessivar.exe", L"fixes  and more");
  const UpdateOrder order = ReadUpdateOrder(line);
  ASSERT_TRUE(order.valid);
  EXPECT_EQ(order.downloadAddress, L"http://h/x.exe");
  EXPECT_EQ(order.fileTitle, L"New build");
  EXPECT_EQ(order.programToStart, L"Tessivar.exe");
  EXPECT_EQ(order.fileName, L"Tessivar.exe");
  EXPECT_EQ(order.notes, L"fixes  and more");
}

TEST(UpdaterCommandLine, TheUpdaterRefusesLinesWithoutItsValues) {
  for (const wchar_t* line : {L"C:\\x\\update.exe", L"C:\\x\\update.exe fzgr http://h/a", L"update.exe fzgr  B 运行 T.exe  D",
                              L"update.exe fzgr A B 运行 T.exe"})
    EXPECT_FALSE(ReadUpdateOrder(line).valid) << line;
}

TEST(UpdaterCommandLine, ExecutableCheckWantsMzAndPeHeader) {
  std::string exe(0x80, '\0');
  exe[0] = 'M';
  exe[1] = 'Z';
  exe[0x3C] = 0x40;
  exe.replace(0x40, 4, std::string("PE\0\0", 4));
  EXPECT_TRUE(LooksLikeExecutable(exe));
  std::string noPe = exe;
  noPe[0x40] = 'X';
  EXPECT_FALSE(LooksLikeExecutable(noPe));
  std::string pastEnd = exe;
  pastEnd[0x3D] = 0x7F;  // header offset beyond the file
  EXPECT_FALSE(LooksLikeExecutable(pastEnd));
  EXPECT_FALSE(LooksLikeExecutable("<html>not found</html>"));
  EXPECT_FALSE(LooksLikeExecutable(exe.substr(0, 0x42)));  // cut inside the header
}

}  // namespace
