// ProgIDs, verbs, extensions and MIME types found by the live capture in a
// registry of the tests' own.
#include <gtest/gtest.h>

#include "LiveTestSupport.h"
#include "MemoryRegistry.h"

using twtest::Contains;
using twtest::ModelValue;

namespace {

const wchar_t kDll[] = L"C:\\Program Files\\Tarnwick\\Sample.dll";
const wchar_t kExe[] = L"C:\\Program Files\\Tarnwick\\Tool.exe";

class LiveProgIDs : public testing::Test {
 protected:
  void SetUp() override {
    dll = twtest::NewComponent(kDll);
    exe = twtest::NewComponent(kExe);
    registry.Set(L"CLSID\\{A1}\\InprocServer32", nullptr, kDll);
  }
  std::wstring ProgID(IExtractComponent* c, const wchar_t* progId, const wchar_t* property) {
    return ModelValue(c, {L"ProgIDCollection", progId, property});
  }
  std::wstring Verb(IExtractComponent* c, const wchar_t* progId, const wchar_t* verb,
                    const wchar_t* property) {
    return ModelValue(c, {L"ProgIDCollection", progId, L"VerbCollection", verb, property});
  }

  twtest::MemoryRegistry registry;
  twutil::ComPtr<IExtractComponent> dll, exe;
};

TEST_F(LiveProgIDs, AClassProgIDTakesItsValuesVerbsAndVersionIndependentName) {
  const std::wstring progId = L"Sample.Greeter.1";
  registry.Set(progId, nullptr, L"Greeter Object");
  registry.Set(progId, L"EditFlags", L"0");
  registry.Set(progId + L"\\CLSID", nullptr, L"{a1}");
  registry.Set(progId + L"\\DefaultIcon", nullptr, L"c:\\greeter.ico,2");
  registry.AddKey(progId + L"\\Insertable");
  registry.Set(progId + L"\\Shell", nullptr, L"Print");
  registry.Set(progId + L"\\Shell\\open", nullptr, L"&Open");
  registry.Set(progId + L"\\Shell\\open\\command", nullptr,
               L"\"" + std::wstring(kExe) + L"\" \"%1\"");
  registry.Set(progId + L"\\Shell\\open\\command", L"extra", L"x");
  registry.AddKey(progId + L"\\Shell\\open\\ddeexec");
  registry.Set(progId + L"\\Shell\\print\\command", nullptr,
               L"RunDll32.exe C:\\Program Files\\Tarnwick\\Sample.dll,PrintIt %1");
  registry.Set(progId + L"\\Shell\\edit\\command", nullptr, L"notepad.exe %1");
  registry.Set(L"Sample.Greeter", nullptr, L"Greeter");
  registry.Set(L"Sample.Greeter\\CurVer", nullptr, progId);
  registry.Set(L"Sample.Greeter\\CLSID", nullptr, L"{A1}");
  // A CurVer without a value does not hide the class.
  registry.AddKey(L"Sample.Plain\\CurVer");
  registry.Set(L"Sample.Plain\\CLSID", nullptr, L"{A1}");
  // Names that are never ProgIDs, even with a class.
  for (const wchar_t* never : {L".greet\\CLSID", L"AppId\\CLSID", L"Interface\\CLSID"})
    registry.Set(never, nullptr, L"{A1}");

  ASSERT_EQ(S_OK, twtest::CaptureLive(&registry, {dll, exe}).hr);
  IExtractComponent* c = dll.Get();
  EXPECT_EQ(L"Greeter Object", ProgID(c, L"Sample.Greeter.1", L"Description"));
  EXPECT_EQ(L"{a1}", ProgID(c, L"Sample.Greeter.1", L"ClassID"));
  EXPECT_EQ(L"c:\\greeter.ico", ProgID(c, L"Sample.Greeter.1", L"DefaultIcon"));
  EXPECT_EQ(L"2", ProgID(c, L"Sample.Greeter.1", L"IconIndex"));
  EXPECT_EQ(L"Sample.Greeter.1", ProgID(c, L"Sample.Greeter", L"Parent"));
  EXPECT_EQ(L"Greeter", ProgID(c, L"Sample.Greeter", L"Description"));
  EXPECT_EQ(L"Sample.Plain", ProgID(c, L"Sample.Plain", L"ProgID"));
  EXPECT_EQ(3, twtest::ItemCount(c, {L"ProgIDCollection"}));

  // The default verb is 1, the others count from 2; the edit verb runs no
  // component file. The command line is kept lowered whole.
  EXPECT_EQ(L"&Open", Verb(c, L"Sample.Greeter.1", L"open", L"Command"));
  EXPECT_EQ(L"\"%1\"", Verb(c, L"Sample.Greeter.1", L"open", L"Argument"));
  EXPECT_EQ(L"2", Verb(c, L"Sample.Greeter.1", L"open", L"Sequence"));
  EXPECT_EQ(L"\"c:\\program files\\tarnwick\\tool.exe\" \"%1\"",
            Verb(c, L"Sample.Greeter.1", L"open", L"PEFile"));
  EXPECT_EQ(L"print", Verb(c, L"Sample.Greeter.1", L"print", L"Command"));
  EXPECT_EQ(L"printit %1", Verb(c, L"Sample.Greeter.1", L"print", L"Argument"));
  EXPECT_EQ(L"1", Verb(c, L"Sample.Greeter.1", L"print", L"Sequence"));
  EXPECT_EQ(L"<none>", Verb(c, L"Sample.Greeter.1", L"edit", L"Verb"));

  std::vector<std::wstring> misc = twtest::MiscLines(c);
  for (const wchar_t* line : {L"Sample.Greeter.1|EditFlags|0", L"Sample.Greeter.1\\Insertable||1",
                              L"Sample.Greeter.1\\Shell\\open\\command|extra|0",
                              L"Sample.Greeter.1\\Shell\\open\\ddeexec||1"})
    EXPECT_TRUE(Contains(misc, line)) << testing::PrintToString(line);
  EXPECT_TRUE(Contains(registry.log, L"soft Sample.Greeter\\CURVER||0"));
}

TEST_F(LiveProgIDs, VerbsExtensionsAndContentTypesReachTheComponentTheyRun) {
  // A document type without a class whose verbs run the tool.
  registry.Set(L"Tool.Document", nullptr, L"Tool Document");
  registry.Set(L"Tool.Document\\DefaultIcon", nullptr, L"c:\\doc.ico,1");
  registry.Set(L"Tool.Document\\Shell\\open\\command", nullptr,
               std::wstring(kExe) + L" /open \"%1\"");
  registry.Set(L"Tool.Document\\Shell\\Edit\\command", nullptr, std::wstring(kExe) + L" /edit");
  registry.Set(L"Other.Document\\Shell\\open\\command", nullptr, L"c:\\other.exe");
  registry.Set(L"Lonely.Document\\DefaultIcon", nullptr, L"c:\\lonely.ico,0");
  registry.Set(L".tdoc", nullptr, L"Tool.Document");
  registry.Set(L".odoc", nullptr, L"Other.Document");
  const std::wstring types = L"MIME\\Database\\Content Type\\";
  registry.Set(types + L"application/x-tdoc", L"Extension", L".TDOC");
  registry.Set(types + L"application/x-tdoc", L"CLSID", L"{C1}");
  registry.Set(types + L"application/x-tdoc", L"Encoding", L"binary");
  registry.Set(types + L"text/x-tdoc", L"Charset", L"utf-8");
  registry.Set(types + L"text/x-tdoc", L"Extension", L".tdoc");
  registry.Set(types + L"text/x-odoc", L"Extension", L".odoc");

  ASSERT_EQ(S_OK, twtest::CaptureLive(&registry, {dll, exe}).hr);
  IExtractComponent* c = exe.Get();
  EXPECT_EQ(L"Tool Document", ProgID(c, L"Tool.Document", L"Description"));
  EXPECT_EQ(L"/open \"%1\"", Verb(c, L"Tool.Document", L"open", L"Argument"));
  EXPECT_EQ(L"2", Verb(c, L"Tool.Document", L"open", L"Sequence"));
  EXPECT_EQ(L"3", Verb(c, L"tool.document", L"Edit", L"Sequence"));
  EXPECT_EQ(L"tdoc", Verb(c, L"Tool.Document", L"open", L"Extension"));
  // The icon of a classless ProgID is recorded where a component holds it.
  EXPECT_EQ(L"c:\\doc.ico", ProgID(c, L"Tool.Document", L"DefaultIcon"));
  EXPECT_FALSE(Contains(registry.log, L"soft Lonely.Document\\DefaultIcon||0"));
  EXPECT_TRUE(Contains(registry.log, L"soft Other.Document\\Shell\\open\\command||0"));
  EXPECT_TRUE(Contains(registry.log, L"soft .odoc||0"));

  EXPECT_EQ(L"Tool.Document", ModelValue(c, {L"ExtensionCol", L"tdoc", L"ProgID"}));
  EXPECT_EQ(L"text/x-tdoc", ModelValue(c, {L"ExtensionCol", L"tdoc", L"MIME"}));
  EXPECT_EQ(L"{C1}", ModelValue(c, {L"MIMECol", L"application/x-tdoc", L"CLSID"}));
  EXPECT_EQ(L"TDOC", ModelValue(c, {L"MIMECol", L"application/x-tdoc", L"Extension"}));
  EXPECT_EQ(L"", ModelValue(c, {L"MIMECol", L"text/x-tdoc", L"CLSID"}));
  EXPECT_EQ(2, twtest::ItemCount(c, {L"MIMECol"}));
  EXPECT_EQ(0, twtest::ItemCount(dll.Get(), {L"MIMECol"}));
  std::vector<std::wstring> misc = twtest::MiscLines(c);
  EXPECT_TRUE(Contains(misc, types + L"application/x-tdoc|Encoding|0"));
  EXPECT_FALSE(Contains(misc, types + L"text/x-tdoc|Charset|0"));
}

}  // namespace
