// Path normalization: every spelling under which a registry entry may name a
// component's server file leads back to that component, and nothing else does.
#include <gtest/gtest.h>

#include <vector>

#include "Errors.h"
#include "liveharvest/ServerFileTable.h"
#include "model/Component.h"
#include "servers/PathForms.h"
#include "support/TestSupport.h"

using twutil::Bstr;
using twutil::ComPtr;
using twutil::ExpandSystemPathPrefix;
using twutil::ServerFileTable;

namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  GetEnvironmentVariableW(name, value, MAX_PATH);
  return value;
}

std::wstring Upper(std::wstring text) {
  CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

ComPtr<IExtractComponent> Component(const std::wstring& keyFile,
                                    const wchar_t* destination = L"[INSTALLDIR]") {
  ComPtr<IExtractComponent> component;
  EXPECT_EQ(twutil::model::CreateExtractComponent(keyFile.c_str(), destination, component.Put()),
            S_OK);
  return component;
}

// A table prepared from components, which it keeps alive.
class Table {
 public:
  explicit Table(std::vector<ComPtr<IExtractComponent>> components, bool repackaging = false)
      : components_(std::move(components)) {
    std::vector<IDispatch*> handed;
    for (auto& c : components_) handed.push_back(c.Get());
    result = table.Prepare(handed.data(), static_cast<LONG>(handed.size()), repackaging);
  }
  IExtractComponent* Find(const std::wstring& path) const { return table.Find(Bstr(path.c_str())); }
  IExtractComponent* operator[](size_t i) const { return components_[i].Get(); }

  ServerFileTable table;
  HRESULT result = E_UNEXPECTED;

 private:
  std::vector<ComPtr<IExtractComponent>> components_;
};

TEST(SystemPathPrefix, TheVariableIsFoundInAnyCaseAndWhatFollowsIsLowered) {
  std::wstring windows = Environment(L"SystemRoot");
  std::wstring drive = Environment(L"SystemDrive");
  ASSERT_FALSE(windows.empty());
  EXPECT_EQ(ExpandSystemPathPrefix(L"%SystemRoot%\\System32\\Foo.DLL"),
            windows + L"\\system32\\foo.dll");
  EXPECT_EQ(ExpandSystemPathPrefix(L"%SYSTEMROOT%\\x"), windows + L"\\x");
  // Whatever stands before the variable is dropped.
  EXPECT_EQ(ExpandSystemPathPrefix(L"\"junk%systemroot%\\A"), windows + L"\\a");
  EXPECT_EQ(ExpandSystemPathPrefix(L"%SystemDrive%\\Apps\\X.dll"), drive + L"\\apps\\x.dll");
  // The system root wins wherever it stands.
  EXPECT_EQ(ExpandSystemPathPrefix(L"%systemdrive%\\a;%SystemRoot%\\B"), windows + L"\\b");
  EXPECT_EQ(ExpandSystemPathPrefix(L"C:\\Keep\\Case.dll"), L"C:\\Keep\\Case.dll");
  EXPECT_EQ(ExpandSystemPathPrefix(L"%windir%\\Keep.dll"), L"%windir%\\Keep.dll");
  EXPECT_EQ(ExpandSystemPathPrefix(L""), L"");
}

TEST(SystemPathPrefix, RepackagingComparesPathsAsTheyStand) {
  Table table({Component(L"C:\\src\\a.dll")}, true);
  EXPECT_EQ(table.table.ExpandSystemPrefix(L"%SystemRoot%\\A.dll"), L"%SystemRoot%\\A.dll");
  Table live({Component(L"C:\\src\\a.dll")});
  EXPECT_NE(live.table.ExpandSystemPrefix(L"%SystemRoot%\\A.dll"), L"%SystemRoot%\\A.dll");
}

class ServerFiles : public testing::Test {
 protected:
  void SetUp() override {
    keyFile_ = temp_.Path() + L"Long Server Name.dll";
    HANDLE file =
        CreateFileW(keyFile_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    auto shortPath = twutil::ShortPathOf(keyFile_);
    ASSERT_TRUE(shortPath);
    shortPath_ = *shortPath;
    ASSERT_NE(twutil::LowerPath(shortPath_), twutil::LowerPath(keyFile_));
    SetEnvironmentVariableW(L"TWTEST_SERVERS", temp_.Path().c_str());
  }
  void TearDown() override { SetEnvironmentVariableW(L"TWTEST_SERVERS", nullptr); }

  twtest::TempDir temp_;
  std::wstring keyFile_, shortPath_;
};

TEST_F(ServerFiles, EverySpellingOfTheKeyFileFindsItsComponent) {
  Table table({Component(keyFile_), Component(L"C:\\other\\b.dll")});
  ASSERT_EQ(table.result, S_OK);
  EXPECT_EQ(table.table.PreparedCount(), 2);
  std::wstring name = L"Long Server Name.dll";
  const std::wstring spellings[] = {
      keyFile_,
      Upper(keyFile_),
      L"\"" + keyFile_ + L"\"",
      L"\"" + Upper(shortPath_) + L"\"",
      shortPath_,
      L"%TWTEST_SERVERS%" + name,
      L"%twtest_servers%" + Upper(name),
  };
  for (const std::wstring& spelling : spellings)
    EXPECT_EQ(table.Find(spelling), table[0]) << std::string(spelling.begin(), spelling.end());
  EXPECT_EQ(table.Find(L"c:\\OTHER\\B.DLL"), table[1]);
  EXPECT_EQ(table.Find(temp_.Path() + L"Long Server Name.ocx"), nullptr);
  EXPECT_EQ(table.Find(L"Long Server Name.dll"), nullptr);
  EXPECT_EQ(table.table.Find(Bstr()), nullptr);
}

TEST_F(ServerFiles, AnExpandedPathIsAlsoTriedInItsShortForm) {
  // The key file written with a short folder: the long spelling that the
  // variable expands to is only known through its short form.
  std::wstring shortFolder = shortPath_.substr(0, shortPath_.rfind(L'\\') + 1);
  ASSERT_NE(twutil::LowerPath(shortFolder), twutil::LowerPath(temp_.Path()));
  Table table({Component(shortFolder + L"Long Server Name.dll")});
  EXPECT_EQ(table.Find(L"%TWTEST_SERVERS%Long Server Name.dll"), table[0]);
  EXPECT_EQ(table.Find(temp_.Path() + L"Long Server Name.dll"), table[0]);
}

TEST_F(ServerFiles, UncPathsCountOnlyAsWritten) {
  SetEnvironmentVariableW(L"TWTEST_SHARE", L"share");
  Table table({Component(L"\\\\srv\\share\\a.dll")});
  EXPECT_EQ(table.Find(L"\\\\SRV\\Share\\A.dll"), table[0]);
  EXPECT_EQ(table.Find(L"\"\\\\srv\\share\\a.dll\""), table[0]);
  // The variable form would name the same file, but is never tried.
  EXPECT_EQ(table.Find(L"\\\\srv\\%TWTEST_SHARE%\\a.dll"), nullptr);
  Table local({Component(L"C:\\share\\a.dll")});
  SetEnvironmentVariableW(L"TWTEST_SHARE", L"C:\\share");
  EXPECT_EQ(local.Find(L"%TWTEST_SHARE%\\a.dll"), local[0]);
  SetEnvironmentVariableW(L"TWTEST_SHARE", nullptr);
}

TEST_F(ServerFiles, ABareNameFindsOnlyAServerInTheSystemFolder) {
  ServerFileTable probe;
  const std::wstring system = probe.SystemFolder();
  ASSERT_EQ(system.back(), L'\\');
  Table table({Component(Upper(system) + L"TwSys.dll"), Component(L"C:\\elsewhere\\twother.dll")});
  EXPECT_EQ(table.Find(L"TWSYS.DLL"), table[0]);
  EXPECT_EQ(table.Find(L"\"twsys.dll\""), table[0]);
  EXPECT_EQ(table.Find(L"twother.dll"), nullptr);
  // A server one folder further down is not in the system folder.
  Table deeper({Component(system + L"sub\\twdeep.dll")});
  EXPECT_EQ(deeper.Find(L"twdeep.dll"), nullptr);
}

TEST_F(ServerFiles, RepackagingRegistersTheFileWhereItWillBeInstalled) {
  ComPtr<IExtractComponent> moved = Component(L"C:\\unused.dll", L"C:\\Program Files\\App");
  ASSERT_EQ(twutil::model::SetRepackagerKeyFile(moved.Get(), L"C:\\src\\build\\a.dll"), S_OK);
  ComPtr<IExtractComponent> bare = Component(L"C:\\unused2.dll", L"[INSTALLDIR]");
  ASSERT_EQ(twutil::model::SetRepackagerKeyFile(bare.Get(), L"noslash.dll"), S_OK);
  Table table({moved, bare}, true);
  EXPECT_EQ(table.Find(L"C:\\PROGRAM FILES\\APP\\A.DLL"), table[0]);
  EXPECT_EQ(table.Find(L"C:\\src\\build\\a.dll"), nullptr);
  EXPECT_EQ(table.Find(L"C:\\unused.dll"), nullptr);
  // Without a folder in the source path the destination alone stands.
  EXPECT_EQ(table.Find(L"[installdir]"), table[1]);
}

TEST_F(ServerFiles, TheLaterOfTwoComponentsWithOneKeyFileWins) {
  Table table({Component(keyFile_), Component(Upper(keyFile_))});
  EXPECT_EQ(table.Find(keyFile_), table[1]);
  EXPECT_EQ(table.Find(shortPath_), table[1]);
}

TEST_F(ServerFiles, ANullElementEndsThePreparation) {
  ComPtr<IExtractComponent> first = Component(L"C:\\a\\first.dll");
  ComPtr<IExtractComponent> third = Component(L"C:\\a\\third.dll");
  IDispatch* handed[] = {first.Get(), nullptr, third.Get()};
  ServerFileTable table;
  EXPECT_EQ(table.Prepare(handed, 3, false), E_POINTER);
  EXPECT_EQ(table.PreparedCount(), 1);
  EXPECT_EQ(table.Find(Bstr(L"C:\\a\\first.dll")), first.Get());
  EXPECT_EQ(table.Find(Bstr(L"C:\\a\\third.dll")), nullptr);
  EXPECT_EQ(table.Prepare(nullptr, 2, false), E_POINTER);
  table.Clear();
  EXPECT_EQ(table.Find(Bstr(L"C:\\a\\first.dll")), nullptr);
}

TEST_F(ServerFiles, AnElementThatIsNoComponentRaises) {
  ComPtr<IRegistry> registry;
  ASSERT_EQ(twtest::Create(CLSID_Registry, &registry), S_OK);
  IDispatch* handed[] = {registry.Get()};
  ServerFileTable table;
  EXPECT_THROW(table.Prepare(handed, 1, false), twutil::com_exception);
}

TEST_F(ServerFiles, OverlongPathsAreNeverMatchedByACutForm) {
  std::wstring longPath = L"C:\\" + std::wstring(290, L'x') + L"\\server.dll";
  Table table({Component(longPath)});
  ASSERT_EQ(table.result, S_OK);
  EXPECT_EQ(table.Find(longPath), table[0]);
  EXPECT_EQ(table.Find(L"\"" + longPath + L"\""), table[0]);
  EXPECT_EQ(table.Find(longPath.substr(0, 259)), nullptr);
  EXPECT_EQ(table.Find(longPath.substr(0, 260)), nullptr);
  EXPECT_EQ(table.Find(L"%TWTEST_SERVERS%" + std::wstring(300, L'y')), nullptr);
}

}  // namespace
