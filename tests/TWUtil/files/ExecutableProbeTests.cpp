// The content probes: executable signatures, PE program or library, icon.
#include <gtest/gtest.h>

#include "FileFixtures.h"
#include "capture/ExecutableProbes.h"
#include "support/TestSupport.h"

using filefixtures::Bytes;
using twutil::ByteSpan;

namespace {

long FormatOf(const Bytes& image) {
  return twutil::GetExecutableFormat(ByteSpan(image.data(), image.size()));
}

TEST(ExecutableFormat, TellsTheSignatureAtTheNewHeader) {
  EXPECT_EQ(FormatOf(filefixtures::PEImage(0x0102)), 0x4550);
  EXPECT_EQ(FormatOf(filefixtures::NEImage()), 0x454E);
  EXPECT_EQ(FormatOf(filefixtures::Vxd(filefixtures::StandardVersionData())), 0x454C);
}

TEST(ExecutableFormat, PlainDosWhenNothingNewerStandsThere) {
  Bytes pe = filefixtures::PEImage(0x0102);
  pe[0x82] = 1;  // "PE" not followed by two zero bytes
  EXPECT_EQ(FormatOf(pe), 0x5A4D);

  Bytes stubOnly(pe.begin(), pe.begin() + 0x40);
  EXPECT_EQ(FormatOf(stubOnly), 0x5A4D);  // offset points at the end

  Bytes shortStub = {'M', 'Z', 0, 0};
  EXPECT_EQ(FormatOf(shortStub), 0x5A4D);  // no room for the offset field

  for (uint32_t offset : {0xFFFFFFFFu, 0xFFFFFFFCu, 0x7FFFFFFFu, 0x40u + 0x200u}) {
    filefixtures::PutU32(&pe, 0x3C, offset);
    EXPECT_EQ(FormatOf(pe), 0x5A4D) << std::hex << offset;
  }
}

TEST(ExecutableFormat, NoDosSignatureGivesZero) {
  EXPECT_EQ(FormatOf(Bytes()), 0);
  EXPECT_EQ(FormatOf(Bytes{'M'}), 0);
  EXPECT_EQ(FormatOf(Bytes{'Z', 'M', 0, 0}), 0);
  EXPECT_EQ(FormatOf(filefixtures::IconFile()), 0);
}

class ProbeFiles : public ::testing::Test {
 protected:
  std::wstring Write(const wchar_t* name, const Bytes& bytes) {
    std::wstring path = dir_.Path() + name;
    EXPECT_TRUE(filefixtures::WriteFile(path, bytes));
    return path;
  }
  long KindOf(const std::wstring& path) {
    long kind = 12345;
    long result = twutil::GetPEFileKind(path.c_str(), &kind);
    EXPECT_EQ(result, kind);
    return kind;
  }
  twtest::TempDir dir_;
};

TEST_F(ProbeFiles, PEKindFollowsTheCharacteristics) {
  EXPECT_EQ(KindOf(Write(L"lib.dll", filefixtures::PEImage(0x2102))), 1);
  EXPECT_EQ(KindOf(Write(L"app.exe", filefixtures::PEImage(0x0102))), 0);
  EXPECT_EQ(KindOf(Write(L"both.dll", filefixtures::PEImage(0x2000))), 1);
  EXPECT_EQ(KindOf(Write(L"none.bin", filefixtures::PEImage(0x0100))), -2);
  EXPECT_EQ(KindOf(twtest::LibraryPath()), 1);
  EXPECT_EQ(KindOf(twtest::BinDir() + L"Demo32.exe"), 0);
}

TEST_F(ProbeFiles, PEKindIsNeitherForAnythingElse) {
  EXPECT_EQ(KindOf(Write(L"old.exe", filefixtures::NEImage())), -2);
  EXPECT_EQ(KindOf(Write(L"drv.vxd", filefixtures::Vxd(filefixtures::StandardVersionData()))), -2);
  EXPECT_EQ(KindOf(Write(L"empty.exe", Bytes())), -2);
  EXPECT_EQ(KindOf(dir_.Path() + L"missing.exe"), -2);
  EXPECT_EQ(KindOf(dir_.Path()), -2);
  // The signature fits, the file header that holds the flags does not.
  Bytes cut = filefixtures::PEImage(0x2102);
  cut.resize(0x80 + 4 + 18 + 1);
  EXPECT_EQ(KindOf(Write(L"cut.dll", cut)), -2);
  EXPECT_EQ(twutil::GetPEFileKind(nullptr, nullptr), -2);
}

TEST_F(ProbeFiles, IconFileIsWordsZeroAndOne) {
  EXPECT_TRUE(twutil::IsIconFile(Write(L"a.ico", filefixtures::IconFile()).c_str()));
  EXPECT_TRUE(twutil::IsIconFile(Write(L"short.ico", Bytes{0, 0, 1, 0}).c_str()));
  EXPECT_FALSE(twutil::IsIconFile(Write(L"a.cur", filefixtures::CursorFile()).c_str()));
  EXPECT_FALSE(twutil::IsIconFile(Write(L"b.ico", Bytes{1, 0, 1, 0}).c_str()));
  EXPECT_FALSE(twutil::IsIconFile(Write(L"c.ico", Bytes{0, 0, 1}).c_str()));
  EXPECT_FALSE(twutil::IsIconFile(Write(L"d.ico", Bytes()).c_str()));
  EXPECT_FALSE(twutil::IsIconFile((dir_.Path() + L"missing.ico").c_str()));
  EXPECT_FALSE(twutil::IsIconFile(dir_.Path().c_str()));
  EXPECT_FALSE(twutil::IsIconFile(nullptr));
}

}  // namespace
