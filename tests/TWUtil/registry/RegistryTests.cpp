// The Registry object through COM, checked against the registry read directly.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TWUtil.h"
#include "support/TestSupport.h"

namespace twtest {
namespace {

using twutil::Bstr;
using twutil::Variant;
constexpr long kNumeric = 0, kString = 1, kVariant = 2, kKeys = 0, kNames = 1;
const HKEY kHives[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};

Bstr B(const std::wstring& text) { return Bstr(text.data(), static_cast<UINT>(text.size())); }
std::string Bytes(const void* data, size_t size) {
  return std::string(static_cast<const char*>(data), size);
}
VARIANT Of(VARTYPE type, void* value) {  // value points at the payload
  VARIANT v = {};
  V_VT(&v) = type;
  if (type & VT_BYREF)
    V_BYREF(&v) = value;
  else
    memcpy(&V_I4(&v), value, type == VT_I2 ? 2 : type == VT_R8 ? 8 : 4);
  return v;
}
std::wstring TextIn(const VARIANT& v) {
  if (V_VT(&v) == VT_I4) return L"#" + std::to_wstring(V_I4(&v));
  return V_VT(&v) == VT_BSTR && V_BSTR(&v) ? V_BSTR(&v) : L"(not a string)";
}

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Create(CLSID_Registry, &reg_), S_OK);
    const char* name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    path_ = L"Software\\TWTest\\Registry\\" + std::wstring(name, name + strlen(name));
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    twutil::RegKey key;
    RegCreateKeyW(HKEY_CURRENT_USER, path_.c_str(), key.Put());
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }

  void Put(const std::wstring& name, DWORD type, const void* data, size_t size) {
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, path_.c_str(), name.c_str(), type, data, DWORD(size)),
        ERROR_SUCCESS);
  }
  // The stored type and bytes, read directly; "(absent)" when there are none.
  std::string Stored(const std::wstring& name, DWORD* type = nullptr) {
    std::vector<char> data(100000);
    DWORD size = DWORD(data.size());
    if (RegGetValueW(HKEY_CURRENT_USER, path_.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                     type, data.data(), &size) != ERROR_SUCCESS)
      return "(absent)";
    return Bytes(data.data(), size);
  }
  // Into key, by default the test's own.
  long Add(const std::wstring& name, long type, VARIANT* value, long hive = 1,
           const std::wstring& key = L"") {
    LONG result = 99;
    EXPECT_EQ(reg_->RegAddValue(ERegistryHives(hive), B(key.empty() ? path_ : key).Get(),
                                B(name).Get(), ERegistryDataTypes(type), value, &result),
              S_OK);
    return result;
  }
  // The result and what the variable holds afterwards.
  std::wstring Read(const std::wstring& name, long type, VARIANT* value, long hive = 1) {
    LONG result = 99;
    EXPECT_EQ(reg_->RegReadValue(ERegistryHives(hive), B(path_).Get(), B(name).Get(),
                                 ERegistryDataTypes(type), value, &result),
              S_OK);
    return std::to_wstring(result) + L" " + TextIn(*value);
  }
  // The result, then the listed names (in the registry's order) or else what
  // the variable holds.
  std::wstring Query(long type, VARIANT* v) {
    LONG result = 99, upper = -1;
    reg_->RegQueryKey(ERegistryHives(1), B(path_).Get(), ERegistryQueryTypes(type), v, &result);
    std::wstring text = std::to_wstring(result);
    if (V_VT(v) != (VT_ARRAY | VT_VARIANT))
      text += L" " + TextIn(*v);
    else
      SafeArrayGetUBound(V_ARRAY(v), 1, &upper);
    for (LONG i = 0; i <= upper; ++i) {
      Variant element;
      SafeArrayGetElement(V_ARRAY(v), &i, element.Put());
      text += L" " + TextIn(element.Ref());
    }
    return text;
  }

  twutil::ComPtr<IRegistry> reg_;
  std::wstring path_;
};

TEST_F(Registry, AddWritesNumbersAndTextsOfEveryAcceptedShape) {
  Bstr minus(L"  -12abc"), letters(L"abc"), huge(L"99999999999"), nul = B({L"ab\0cd", 5});
  BSTR held = minus.Get(), none = nullptr;
  SHORT i2 = -2;
  LONG i4 = 7;
  VARIANT inner = Of(VT_I4, &i4);
  struct {
    const wchar_t* name;
    long type;
    VARIANT value;
    std::string expectBytes;  // REG_DWORD for four bytes, else REG_SZ
  } cases[] = {
      {L"text", kNumeric, Of(VT_BSTR, &held), Bytes("\xF4\xFF\xFF\xFF", 4)},
      {L"letters", kNumeric, Of(VT_BSTR, &letters), Bytes("\0\0\0\0", 4)},
      {L"null", kNumeric, Of(VT_BSTR, &none), Bytes("\0\0\0\0", 4)},
      {L"huge", kNumeric, Of(VT_BSTR, &huge), Bytes("\xFF\xFF\xFF\x7F", 4)},
      {L"i2 ref", kNumeric, Of(VT_BYREF | VT_I2, &i2), Bytes("\xFE\xFF\xFF\xFF", 4)},
      {L"variant ref", kNumeric, Of(VT_BYREF | VT_VARIANT, &inner), Bytes("\7\0\0\0", 4)},
      {L"string", kString, Of(VT_BYREF | VT_BSTR, &held), Bytes(L"  -12abc", 18)},
      {L"up to nul", kString, Of(VT_BSTR, &nul), Bytes(L"ab", 6)},
      {L"from number", kString, Of(VT_I4, &i4), Bytes("\0\0", 2)},
  };
  for (auto& c : cases) {
    EXPECT_EQ(Add(c.name, c.type, &c.value), 0) << c.name;
    DWORD type = 0;
    EXPECT_EQ(Stored(c.name, &type), c.expectBytes) << c.name;
    EXPECT_EQ(type, DWORD(c.type == kNumeric ? REG_DWORD : REG_SZ)) << c.name;
  }
  // Unsupported values or shapes create the key only.
  double r8 = 1.5;
  VARIANT once = Of(VT_BYREF | VT_VARIANT, &inner);
  VARIANT values[] = {Of(VT_R8, &r8), Of(VT_BOOL, &i4), Of(VT_BYREF | VT_VARIANT, &once),
                      Of(VT_I4, &i4), Of(VT_I4, &i4)};
  long types[] = {kNumeric, kString, kNumeric, kVariant, 7};
  for (int i = 0; i < 5; ++i) {
    std::wstring sub = L"\\case" + std::to_wstring(i);
    EXPECT_EQ(Add(L"v", types[i], &values[i], 1, path_ + sub), -1);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, path_ + sub)) << i;
  }
  EXPECT_EQ(Add(L"v", kNumeric, &values[3], 1, path_ + L"\\a\\b\\c"), 0);  // creates the whole path
}

TEST_F(Registry, HivesZeroToThreeOnlyAndNoEffectMembersTouchNothing) {
  LONG i4 = 5, result = 1234;
  VARIANT v = Of(VT_I4, &i4);
  EXPECT_EQ(Add(L"n", kNumeric, &v, 0, L"TWTest.Hive"), 0);
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"TWTest.Hive"));
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"TWTest.Hive");
  Put(L"kept", REG_DWORD, "\5\0\0\0", 4);
  EXPECT_EQ(reg_->RegSoftDeleteRegValue(ERegistryHives(1), B(path_).Get(), B(L"kept").Get(),
                                        VARIANT_TRUE, &result),
            S_OK);
  EXPECT_EQ(reg_->RegSetExtractComponent(nullptr, ERegistryHives(9), nullptr, nullptr,
                                         VARIANT_FALSE, &result),
            S_OK);
  EXPECT_EQ(result, 1234);
  for (long hive : {-1L, 4L}) {
    EXPECT_EQ(Add(L"v", kNumeric, &v, hive, path_ + L"\\created"), -1);
    for (HKEY root : kHives) EXPECT_FALSE(KeyExists(root, path_ + L"\\created"));
    reg_->RegDeleteValue(ERegistryHives(hive), B(path_).Get(), B(L"kept").Get(), &result);
    EXPECT_EQ(result, -1);
  }
  EXPECT_EQ(Stored(L"kept"), Bytes("\5\0\0\0", 4));
  reg_->RegDeleteValue(ERegistryHives(1), B(path_).Get(), B(L"kept").Get(), &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Stored(L"kept"), "(absent)");
}

TEST_F(Registry, TheThreeReadShapesTakeWhatIsThereAndFillOrKeepOnFailure) {
  Put(L"two", REG_BINARY, "\x34\x12", 2);
  Put(L"qword", REG_QWORD, "12345678", 8);
  Put(L"dword", REG_DWORD, "A\0B\0", 4);
  Put(L"multi", REG_MULTI_SZ, L"one\0two\0", 18);
  Put(L"too long", REG_SZ, std::wstring(2048, L'x').c_str(), 4098);
  Put(L"expand", REG_EXPAND_SZ, L"%SystemRoot%", 26);
  Put(L"binary", REG_BINARY, "\x01\xAB\x00\x10", 4);
  std::string longData;
  for (int i = 0; i < 4096; ++i) longData.push_back(static_cast<char>(i));
  Put(L"4096 bytes", REG_BINARY, longData.data(), 4096);
  Put(L"4097 bytes", REG_BINARY, std::string(4097, 'b').data(), 4097);
  Variant v;
  EXPECT_EQ(Read(L"two", kNumeric, v.Put()), L"0 #4660");  // any four bytes or fewer
  V_VT(v.Put()) = VT_BSTR;
  V_BSTR(&v.Ref()) = SysAllocString(L"old");
  EXPECT_EQ(Read(L"qword", kNumeric, &v.Ref()), L"-1 #0");  // filled even on failure
  EXPECT_EQ(Read(L"dword", kString, v.Put()), L"0 AB");     // up to the first NUL
  EXPECT_EQ(Read(L"multi", kString, v.Put()), L"0 one");
  EXPECT_EQ(Read(L"too long", kString, v.Put()), L"-1 ");  // within four kilobytes
  EXPECT_EQ(Read(L"expand", kVariant, v.Put()), L"0 %SystemRoot%");
  EXPECT_EQ(Read(L"dword", kVariant, v.Put()), L"0 #4325441");
  EXPECT_EQ(Read(L"binary", kVariant, v.Put()), L"0 01ab0010");
  std::wstring hex = Read(L"4096 bytes", kVariant, v.Put());
  EXPECT_EQ(hex.size(), 2 + 8192u);
  EXPECT_EQ(hex.substr(2 + 8184), L"fcfdfeff");

  LONG target = 3;
  BSTR held = SysAllocString(L"stale");
  VARIANT longRef = Of(VT_BYREF | VT_I4, &target), textRef = Of(VT_BYREF | VT_BSTR, &held);
  EXPECT_EQ(Read(L"two", kNumeric, &longRef), L"0 (not a string)");
  EXPECT_EQ(target, 0x1234);
  EXPECT_EQ(Read(L"missing", kString, &textRef), L"-1 (not a string)");
  EXPECT_STREQ(held, L"");
  SysFreeString(held);

  V_VT(v.Put()) = VT_BSTR;
  V_BSTR(&v.Ref()) = SysAllocString(L"untouched");
  for (const wchar_t* name : {L"qword", L"4097 bytes", L"missing"})
    EXPECT_EQ(Read(name, kVariant, &v.Ref()), L"-1 untouched") << name;
  EXPECT_EQ(Read(L"two", 3, &v.Ref()), L"-1 untouched");  // no such shape
  EXPECT_EQ(Read(L"two", kNumeric, &v.Ref(), 4), L"-1 untouched");
}

TEST_F(Registry, QueryListsSubkeysOrValueNamesAndReadTypeMapsTypes) {
  Variant v;
  V_VT(v.Put()) = VT_BSTR;
  V_BSTR(&v.Ref()) = SysAllocString(L"untouched");
  EXPECT_EQ(Query(kKeys, &v.Ref()), L"-1 untouched");  // an empty key has neither
  EXPECT_EQ(Query(kNames, &v.Ref()), L"-1 untouched");
  for (const wchar_t* sub : {L"\\b", L"\\a"}) {
    twutil::RegKey key;
    RegCreateKeyW(HKEY_CURRENT_USER, (path_ + sub).c_str(), key.Put());
  }
  EXPECT_EQ(Query(2, &v.Ref()), L"-1 untouched");
  EXPECT_EQ(Query(kKeys, &v.Ref()), L"0 a b");
  std::wstring longest(260, L'm');
  Put(longest, REG_DWORD, "\1\0\0\0", 4);
  EXPECT_EQ(Query(kNames, v.Put()), L"0 " + longest);
  Put(std::wstring(300, L'z'), REG_DWORD, "\1\0\0\0", 4);
  EXPECT_EQ(Query(kNames, v.Put()), L"-1 (not a string)");

  const std::pair<DWORD, LONG> types[] = {{REG_DWORD, 0},     {REG_DWORD_BIG_ENDIAN, 0},
                                          {REG_BINARY, 2},    {REG_MULTI_SZ, 3},
                                          {REG_EXPAND_SZ, 4}, {REG_SZ, 1},
                                          {REG_QWORD, 1}};
  std::string large(100000, 'x');  // no data are read: any size will do
  LONG code = 99, result = 99;
  for (const auto& c : types) {
    Put(L"v", c.first, large.data(), c.first == REG_DWORD ? 4 : large.size());
    reg_->RegReadType(ERegistryHives(1), B(path_).Get(), B(L"v").Get(), &code, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(code, c.second) << "registry type " << c.first;
  }
  reg_->RegReadType(ERegistryHives(1), B(path_).Get(), B(L"missing").Get(), &code, &result);
  EXPECT_EQ(result, -1);
}

}  // namespace
}  // namespace twtest
