// Classes, AppIDs, icons, interfaces and type libraries found by the live
// capture in a registry of the tests' own.
#include <gtest/gtest.h>

#include <algorithm>

#include "LiveTestSupport.h"
#include "MemoryRegistry.h"
#include "com/TypeLibPlatform.h"
#include "support/TestSupport.h"

using twtest::Contains;
using twtest::ModelValue;

namespace {

const wchar_t kDll[] = L"C:\\Program Files\\Tarnwick\\Sample.dll";
const wchar_t kExe[] = L"C:\\Program Files\\Tarnwick\\Tool.exe";

class LiveClasses : public testing::Test {
 protected:
  void SetUp() override {
    dll = twtest::NewComponent(kDll);
    exe = twtest::NewComponent(kExe, L"C:\\Out");
  }
  twtest::LiveRun Capture(twtest::LiveOptions options = {}) {
    return twtest::CaptureLive(&registry, {dll, exe}, options);
  }
  std::wstring Class(IExtractComponent* c, const wchar_t* clsid, const wchar_t* property) {
    return ModelValue(c, {L"ComClassCollection", clsid, property});
  }
  std::wstring Context(IExtractComponent* c, const wchar_t* clsid, const wchar_t* context,
                       const wchar_t* property) {
    return ModelValue(c, {L"ComClassCollection", clsid, L"ContextCol", context, property});
  }

  twtest::MemoryRegistry registry;
  twutil::ComPtr<IExtractComponent> dll, exe;
};

TEST_F(LiveClasses, ServersNamingAComponentFileInAnySpellingBringTheirClassIn) {
  registry.Set(L"CLSID\\{A1}", nullptr, L"Greeter");
  registry.Set(L"CLSID\\{A1}\\InprocServer32", nullptr, L"c:\\PROGRAM FILES\\tarnwick\\SAMPLE.DLL");
  registry.Set(L"CLSID\\{A1}\\InprocServer32", L"ThreadingModel", L"Apartment");
  registry.Set(L"CLSID\\{A1}\\ProgID", nullptr, L"Sample.Greeter.1");
  registry.Set(L"CLSID\\{A1}\\VersionIndependentProgID", nullptr, L"Sample.Greeter");
  registry.Set(L"CLSID\\{A1}\\DefaultIcon", nullptr, L"\"c:\\icons.dll\", 5");
  registry.AddKey(L"CLSID\\{A1}\\Implemented Categories\\{CAT}");
  // Handler keys count only for local servers listed after them.
  registry.Set(L"CLSID\\{B1}\\InProcHandler32", nullptr, L"ole32.dll");
  registry.Set(L"CLSID\\{B1}\\LocalServer32", nullptr, std::wstring(kExe) + L" /Automation");
  registry.Set(L"CLSID\\{B1}\\DefaultIcon", nullptr, L"%SystemRoot%\\tool.ico,-3");
  registry.Set(L"CLSID\\{B2}\\InProcHandler", nullptr, L"ole2.dll");
  registry.Set(L"CLSID\\{B2}\\InProcHandler32", nullptr, L"ole32.dll");
  registry.Set(L"CLSID\\{B2}\\LocalServer32", nullptr, kExe);
  registry.Set(L"CLSID\\{B2}\\DefaultIcon", nullptr, L"c:\\no-index.ico");
  registry.Set(L"CLSID\\{B3}\\LocalServer32", nullptr, kExe);
  registry.Set(L"CLSID\\{B3}\\InProcHandler32", nullptr, L"ole32.dll");
  // A quoted executable with arguments, and another file: nobody's.
  registry.Set(L"CLSID\\{X1}\\LocalServer32", nullptr, L"\"" + std::wstring(kExe) + L"\" /x");
  registry.Set(L"CLSID\\{X2}\\InprocServer32", nullptr, L"c:\\windows\\other.dll");
  registry.logReads = true;

  twtest::LiveRun run = Capture();
  ASSERT_EQ(S_OK, run.hr);
  EXPECT_EQ(0, run.result);

  EXPECT_EQ(L"Greeter", Class(dll.Get(), L"{A1}", L"Description"));
  EXPECT_EQ(L"Sample.Greeter.1", Class(dll.Get(), L"{A1}", L"ProgID"));
  EXPECT_EQ(L"c:\\icons.dll", Class(dll.Get(), L"{A1}", L"DefaultIcon"));
  EXPECT_EQ(L"5", Class(dll.Get(), L"{A1}", L"IconIndex"));
  EXPECT_EQ(L"InprocServer32", Context(dll.Get(), L"{A1}", L"InprocServer32", L"Name"));
  EXPECT_EQ(L"/automation", Context(exe.Get(), L"{B1}", L"LocalServer32", L"Argument"));
  EXPECT_EQ(L"2", Context(exe.Get(), L"{B1}", L"LocalServer32", L"DefInprocHandler"));
  EXPECT_EQ(L"3", Context(exe.Get(), L"{B2}", L"LocalServer32", L"DefInprocHandler"));
  EXPECT_EQ(L"0", Context(exe.Get(), L"{B3}", L"LocalServer32", L"DefInprocHandler"));
  wchar_t windows[MAX_PATH] = {};
  GetEnvironmentVariableW(L"SystemRoot", windows, MAX_PATH);
  EXPECT_EQ(std::wstring(windows) + L"\\tool.ico", Class(exe.Get(), L"{B1}", L"DefaultIcon"));
  EXPECT_EQ(L"-3", Class(exe.Get(), L"{B1}", L"IconIndex"));
  EXPECT_EQ(L"", Class(exe.Get(), L"{B2}", L"DefaultIcon"));
  EXPECT_EQ(L"<none>", Class(exe.Get(), L"{X1}", L"Guid"));
  EXPECT_EQ(1, twtest::ItemCount(dll.Get(), {L"ComClassCollection"}));

  // Read first, then reported consumed; the server entry last of all.
  std::vector<std::wstring> log = registry.log;
  auto at = [&](const std::wstring& line) {
    return std::find(log.begin(), log.end(), line) - log.begin();
  };
  EXPECT_LT(at(L"read CLSID\\{A1}|"), at(L"soft CLSID\\{A1}||0"));
  EXPECT_LT(at(L"soft CLSID\\{A1}\\ProgID||0"), at(L"soft CLSID\\{A1}\\InprocServer32||0"));
  EXPECT_TRUE(Contains(log, L"soft CLSID\\{A1}\\DefaultIcon||0"));
  EXPECT_TRUE(Contains(log, L"soft CLSID\\{B1}\\LocalServer32||0"));
  EXPECT_FALSE(Contains(log, L"soft CLSID\\{X2}\\InprocServer32||0"));
  EXPECT_EQ(std::vector<std::wstring>({L"CLSID\\{A1}\\InprocServer32|ThreadingModel|0",
                                       L"CLSID\\{A1}\\Implemented Categories||1"}),
            twtest::MiscLines(dll.Get()));
  EXPECT_TRUE(Contains(twtest::MiscLines(exe.Get()), L"CLSID\\{B2}\\InProcHandler||1"));
}

TEST_F(LiveClasses, AppIDsTakeTheirSettingsAndExecutableEntriesGoToTheirOwner) {
  for (const wchar_t* clsid : {L"CLSID\\{A1}", L"CLSID\\{A2}"}) {
    registry.Set(std::wstring(clsid) + L"\\InprocServer32", nullptr, kDll);
    registry.Set(clsid, L"AppID", L"{AP1}");
  }
  registry.Set(L"AppID\\{AP1}", nullptr, L"Greeter App");
  registry.Set(L"AppID\\{AP1}", L"RunAs", L"interactive user");
  registry.Set(L"AppID\\{AP1}", L"ActivateAtStorage", L"yes");
  registry.Set(L"AppID\\{AP1}", L"DllSurrogate", L"c:\\program files\\tarnwick\\SAMPLE.dll");
  registry.Set(L"AppID\\{AP1}", L"LocalService", L"GreeterService");
  registry.Set(L"AppID\\{AP1}", L"Custom", L"kept");
  registry.Set(L"AppID\\Tool.exe", L"AppID", L"{ap1}");
  registry.Set(L"AppID\\Other.exe", L"AppID", L"{NOBODY}");
  registry.Set(L"CLSID\\{B1}\\LocalServer32", nullptr, kExe);
  registry.Set(L"CLSID\\{B1}", L"AppID", L"{AP2}");
  registry.Set(L"AppID\\{AP2}", L"RunAs", L"DOMAIN\\builder");
  registry.Set(L"AppID\\{AP2}", L"DllSurrogate", kExe);
  registry.logReads = true;

  ASSERT_EQ(S_OK, Capture().hr);
  auto app = [](IExtractComponent* c, const wchar_t* appId, const wchar_t* property) {
    return ModelValue(c, {L"AppInfoCollection", appId, property});
  };
  EXPECT_EQ(L"Greeter App", app(dll.Get(), L"{AP1}", L"Description"));
  EXPECT_EQ(L"1", app(dll.Get(), L"{AP1}", L"RunAsInteractiveUser"));
  EXPECT_EQ(L"1", app(dll.Get(), L"{AP1}", L"ActivateAtStorage"));
  EXPECT_EQ(L"GreeterService", app(dll.Get(), L"{AP1}", L"LocalService"));
  // The surrogate that is the key file is recorded where it will be installed.
  EXPECT_EQ(L"[INSTALLDIR]SAMPLE.dll", app(dll.Get(), L"{AP1}", L"DllSurrogate"));
  EXPECT_EQ(L"C:\\Out\\Tool.exe", app(exe.Get(), L"{AP2}", L"DllSurrogate"));
  EXPECT_EQ(L"0", app(exe.Get(), L"{AP2}", L"RunAsInteractiveUser"));
  EXPECT_EQ(2u, registry.Lines(L"read AppID\\{AP1}|RunAs").size());  // once per class

  std::vector<std::wstring> misc = twtest::MiscLines(dll.Get());
  EXPECT_TRUE(Contains(misc, L"AppID\\{AP1}|Custom|0"));
  EXPECT_TRUE(Contains(misc, L"AppID\\{AP1}||0"));
  EXPECT_TRUE(Contains(misc, L"AppID\\Tool.exe|AppID|1"));
  EXPECT_FALSE(Contains(twtest::MiscLines(exe.Get()), L"AppID\\Other.exe|AppID|1"));
  EXPECT_TRUE(Contains(registry.log, L"soft AppID\\{AP1}|RunAs|0"));
  EXPECT_FALSE(Contains(registry.log, L"soft AppID\\Tool.exe|AppID|0"));
}

TEST_F(LiveClasses, InterfacesFollowTheirProxyClassAndTypeLibrariesTheFileTheyAreIn) {
  // The sample holds one LIBID in versions 1.0 and 2.1 (the second as
  // resource 2); other registrations of it, and a stale one, point there too.
  std::wstring sample = twtest::BinDir() + L"samples\\SampleServer.dll";
  auto server = twtest::NewComponent(sample);
  const std::wstring lib = L"TypeLib\\{EF3EBC60-B2C1-4365-905C-9B00D55E3863}";
  const std::wstring platform = twutil::kTypeLibPlatform;
  registry.Set(lib + L"\\1.0", nullptr, L"Old Library");
  registry.Set(lib + L"\\1.0\\0\\" + platform, nullptr, sample);
  registry.Set(lib + L"\\1.a\\0\\" + platform, nullptr, sample);
  registry.Set(lib + L"\\1.a\\9\\" + platform, nullptr, sample);
  registry.Set(lib + L"\\1.a\\FLAGS", nullptr, L"0");
  registry.Set(lib + L"\\1.a\\HELPDIR", nullptr, L"c:\\help");
  registry.Set(lib + L"\\2.1\\409\\" + platform, nullptr, sample + L"\\2");
  registry.Set(lib + L"\\2.0\\409\\" + platform, nullptr, sample + L"\\2");
  registry.Set(L"TypeLib\\{DEAD}\\1.0\\0\\" + platform, nullptr, sample);
  registry.Set(L"CLSID\\{P1}\\InprocServer32", nullptr, sample);
  registry.Set(L"Interface\\{I1}\\ProxyStubClsid32", nullptr, L"{p1}");
  registry.Set(L"Interface\\{I2}\\ProxyStubClsid32", nullptr, L"{OTHER}");
  registry.Set(L"Interface\\{I3}\\TypeLib", nullptr, L"{ef3ebc60-b2c1-4365-905c-9b00d55e3863}");

  ASSERT_EQ(S_OK, twtest::CaptureLive(&registry, {server}).hr);
  auto soft = registry.Lines(L"soft TypeLib");
  EXPECT_EQ(std::vector<std::wstring>(
                {lib + L"\\1.a\\HELPDIR||0", lib + L"\\1.a\\0\\" + platform + L"||0",
                 lib + L"\\1.a\\FLAGS||0", lib + L"\\1.a\\HELPDIR||0",
                 lib + L"\\1.a\\9\\" + platform + L"||0", lib + L"\\1.a\\FLAGS||0",
                 lib + L"\\2.1\\409\\" + platform + L"||0", lib + L"\\2.1\\FLAGS||0"}),
            [&] {
              std::vector<std::wstring> keys;
              for (const auto& line : soft) keys.push_back(line.substr(5));
              return keys;
            }())
      << "only the highest version per locale, nothing of the stale LIBID";
  const wchar_t* libId = L"{EF3EBC60-B2C1-4365-905C-9B00D55E3863}";
  EXPECT_EQ(L"c:\\help", ModelValue(server.Get(), {L"TypeLibCollection", libId, L"HelpDir"}));
  EXPECT_EQ(1, twtest::ItemCount(server.Get(), {L"TypeLibCollection"}));

  EXPECT_TRUE(Contains(twtest::MiscLines(server.Get()), L"Interface\\{I1}||1"));
  EXPECT_TRUE(Contains(registry.log, L"soft Interface\\{I1}||1"));
  EXPECT_TRUE(Contains(registry.log, L"soft Interface\\{I2}\\ProxyStubClsid32||1"));
  // Interfaces of a recorded library are only reported when repackaging.
  EXPECT_FALSE(Contains(registry.log, L"soft Interface\\{I3}||1"));
}

}  // namespace
