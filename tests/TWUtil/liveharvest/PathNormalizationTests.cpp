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

namespace twtest {
namespace {

using ComponentList = std::vector<ComPtr<IExtractComponent>>;

std::wstring Upper(std::wstring text) {
  CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

HRESULT Prepare(ServerFileTable* table, const ComponentList& components, bool repackaging = false) {
  std::vector<IDispatch*> handed;
  for (auto& c : components) handed.push_back(c.Get());
  return table->Prepare(handed.data(), static_cast<LONG>(handed.size()), repackaging);
}

TEST(SystemPathPrefix, TheVariableIsFoundInAnyCaseAndWhatFollowsIsLowered) {
  ASSERT_TRUE(_wgetenv(L"SystemRoot") && _wgetenv(L"SystemDrive"));
  const std::wstring windows = _wgetenv(L"SystemRoot"), drive = _wgetenv(L"SystemDrive");
  // Whatever stands before the variable is dropped.
  EXPECT_EQ(ExpandSystemPathPrefix(L"\"junk%systemroot%\\A"), windows + L"\\a");
  EXPECT_EQ(ExpandSystemPathPrefix(L"%SystemDrive%\\Apps\\X.dll"), drive + L"\\apps\\x.dll");
  // The system root wins wherever it stands.
  EXPECT_EQ(ExpandSystemPathPrefix(L"%systemdrive%\\a;%SystemRoot%\\B"), windows + L"\\b");
  EXPECT_EQ(ExpandSystemPathPrefix(L"C:\\Keep\\Case.dll"), L"C:\\Keep\\Case.dll");
  EXPECT_EQ(ExpandSystemPathPrefix(L""), L"");
}

// A table prepared from the key files, and what each spelling finds in it: a
// component by position, or none (-1).
struct Lookup {
  std::vector<std::wstring> keyFiles;
  std::vector<std::pair<std::wstring, int>> found;
};

TEST(ServerFiles, EachSpellingFindsItsComponentOrNone) {
  TempDir temp;
  const std::wstring name = L"Long Server Name.dll", system = ServerFileTable().SystemFolder();
  const std::wstring keyFile = temp.Write(name, {});
  ASSERT_EQ(system.back(), L'\\');
  ASSERT_TRUE(twutil::ShortPathOf(keyFile));
  const std::wstring shortPath = *twutil::ShortPathOf(keyFile);
  ASSERT_NE(twutil::LowerPath(shortPath), twutil::LowerPath(keyFile));
  // With a short folder, the long spelling that the variable expands to is
  // only known through its short form.
  const std::wstring shortFolder = shortPath.substr(0, shortPath.rfind(L'\\') + 1);
  ASSERT_NE(twutil::LowerPath(shortFolder), twutil::LowerPath(temp.Path()));
  const std::wstring longPath = L"C:\\" + std::wstring(290, L'x') + L"\\server.dll";
  SetEnvironmentVariableW(L"TWTEST_SERVERS", temp.Path().c_str());
  SetEnvironmentVariableW(L"TWTEST_SHARE", L"share");
  const Lookup lookups[] = {
      {{keyFile, L"C:\\other\\b.dll"},
       {{keyFile, 0},
        {L"\"" + keyFile + L"\"", 0},
        {shortPath, 0},
        {L"%TWTEST_SERVERS%" + name, 0},
        {L"c:\\OTHER\\B.DLL", 1},
        {temp.Path() + L"Long Server Name.ocx", -1},
        {name, -1}}},
      {{shortFolder + name}, {{L"%TWTEST_SERVERS%" + name, 0}, {temp.Path() + name, 0}}},
      // A UNC path counts only as written: the variable form is never tried.
      {{L"\\\\srv\\share\\a.dll"},
       {{L"\\\\SRV\\Share\\A.dll", 0},
        {L"\"\\\\srv\\share\\a.dll\"", 0},
        {L"\\\\srv\\%TWTEST_SHARE%\\a.dll", -1}}},
      // A bare name finds only a server in the system folder itself.
      {{Upper(system) + L"TwSys.dll", L"C:\\elsewhere\\twother.dll"},
       {{L"TWSYS.DLL", 0}, {L"twother.dll", -1}}},
      {{system + L"sub\\twdeep.dll"}, {{L"twdeep.dll", -1}}},
      // Of two components with one key file the later wins.
      {{keyFile, Upper(keyFile)}, {{keyFile, 1}}},
      // An overlong path is never matched by a cut form.
      {{longPath},
       {{longPath, 0},
        {L"\"" + longPath + L"\"", 0},
        {longPath.substr(0, 259), -1},
        {longPath.substr(0, 260), -1},
        {L"%TWTEST_SERVERS%" + std::wstring(300, L'y'), -1}}},
  };
  for (const Lookup& lookup : lookups) {
    ComponentList components;
    for (const std::wstring& file : lookup.keyFiles) components.push_back(NewComponent(file));
    ServerFileTable table;
    ASSERT_EQ(Prepare(&table, components), S_OK);
    EXPECT_EQ(table.PreparedCount(), LONG(lookup.keyFiles.size()));
    for (const auto& [spelling, index] : lookup.found)
      EXPECT_EQ(table.Find(Bstr(spelling.c_str())), index < 0 ? nullptr : components[index].Get())
          << std::string(spelling.begin(), spelling.end());
    EXPECT_EQ(table.Find(Bstr()), nullptr);
  }
  SetEnvironmentVariableW(L"TWTEST_SERVERS", nullptr);
  SetEnvironmentVariableW(L"TWTEST_SHARE", nullptr);
}

TEST(ServerFiles, RepackagingRegistersWhereTheFileWillBeInstalledAndKeepsTheSystemRoot) {
  auto moved = NewComponent(L"C:\\unused.dll", L"C:\\Program Files\\App");
  ASSERT_EQ(twutil::model::SetRepackagerKeyFile(moved.Get(), L"C:\\src\\build\\a.dll"), S_OK);
  auto bare = NewComponent(L"C:\\unused2.dll", L"[INSTALLDIR]");
  ASSERT_EQ(twutil::model::SetRepackagerKeyFile(bare.Get(), L"noslash.dll"), S_OK);
  ServerFileTable table, plain;
  ASSERT_EQ(Prepare(&table, {moved, bare}, true), S_OK);
  EXPECT_EQ(table.Find(Bstr(L"C:\\PROGRAM FILES\\APP\\A.DLL")), moved.Get());
  EXPECT_EQ(table.Find(Bstr(L"C:\\src\\build\\a.dll")), nullptr);
  EXPECT_EQ(table.Find(Bstr(L"C:\\unused.dll")), nullptr);
  // Without a folder in the source path the destination alone stands.
  EXPECT_EQ(table.Find(Bstr(L"[installdir]")), bare.Get());
  // Paths compare as they stand; only the live capture expands the system root.
  EXPECT_EQ(table.ExpandSystemPrefix(L"%SystemRoot%\\A.dll"), L"%SystemRoot%\\A.dll");
  ASSERT_EQ(Prepare(&plain, {bare}), S_OK);
  EXPECT_NE(plain.ExpandSystemPrefix(L"%SystemRoot%\\A.dll"), L"%SystemRoot%\\A.dll");
}

TEST(ServerFiles, ANullElementEndsThePreparationAndOneThatIsNoComponentRaises) {
  auto first = NewComponent(L"C:\\a\\first.dll");
  auto third = NewComponent(L"C:\\a\\third.dll");
  ComPtr<IRegistry> registry;
  ASSERT_EQ(Create(CLSID_Registry, &registry), S_OK);
  IDispatch* handed[] = {first.Get(), nullptr, third.Get()};
  IDispatch* foreign[] = {registry.Get()};
  ServerFileTable table;
  EXPECT_EQ(table.Prepare(handed, 3, false), E_POINTER);
  EXPECT_EQ(table.PreparedCount(), 1);
  EXPECT_EQ(table.Find(Bstr(L"C:\\a\\first.dll")), first.Get());
  EXPECT_EQ(table.Find(Bstr(L"C:\\a\\third.dll")), nullptr);
  EXPECT_EQ(table.Prepare(nullptr, 2, false), E_POINTER);
  table.Clear();
  EXPECT_EQ(table.Find(Bstr(L"C:\\a\\first.dll")), nullptr);
  EXPECT_THROW(table.Prepare(foreign, 1, false), twutil::com_exception);
}

}  // namespace
}  // namespace twtest
