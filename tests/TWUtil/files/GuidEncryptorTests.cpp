// Guid.CreateGuid and Encryptor.Encrypt. The expected numbers were worked out
// by hand from the CRC-32 values of "123456789" (CBF43926), "a" (E8B7BE43)
// and the empty text (0).

#include <gtest/gtest.h>

#include "TWUtil.h"
#include "files/EncryptTransform.h"
#include "support/TestSupport.h"

namespace twtest {
namespace {

using twutil::Bstr;

TEST(CreateGuid, GivesAFreshBracedUppercaseGuidEachTime) {
  twutil::ComPtr<IGuid> guid;
  ASSERT_EQ(Create(CLSID_Guid, &guid), S_OK);
  Bstr first, second;
  ASSERT_EQ(guid->CreateGuid(first.Put()), S_OK);
  ASSERT_EQ(guid->CreateGuid(second.Put()), S_OK);
  EXPECT_STRNE(first.Text(), second.Text());
  GUID parsed = {};
  wchar_t canonical[40] = {};
  ASSERT_EQ(CLSIDFromString(first.Get(), &parsed), S_OK) << first.Text();
  StringFromGUID2(parsed, canonical, 40);  // braced, uppercase
  EXPECT_STREQ(first.Text(), canonical);
  EXPECT_EQ(guid->CreateGuid(nullptr), S_OK);
}

class Encrypt : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Create(CLSID_Encryptor, &encryptor_), S_OK); }
  std::wstring Of(const std::wstring& input, long algorithm = 0) {
    Bstr in(input.data(), static_cast<UINT>(input.size())), out;
    EXPECT_EQ(encryptor_->Encrypt(EEncryptAlgorithm(algorithm), in.Get(), out.Put()), S_OK);
    return out.Text();
  }
  twutil::ComPtr<IEncryptor> encryptor_;
};

TEST_F(Encrypt, KnownTextsForEveryAlgorithmValue) {
  for (long algorithm : {0L, 1L, -7L}) {
    EXPECT_EQ(Of(L"123456789", algorithm), L"992086842");
    EXPECT_EQ(Of(L"a", algorithm), L"3139838782");  // above 2^31: printed unsigned
    EXPECT_EQ(Of(L"", algorithm), L"993737531");    // each byte of a zero CRC is the mask
  }
  Bstr out;
  EXPECT_EQ(encryptor_->Encrypt(algo1, nullptr, out.Put()), S_OK);
  EXPECT_STREQ(out.Text(), L"993737531");
  EXPECT_EQ(encryptor_->Encrypt(algo1, nullptr, nullptr), E_POINTER);
  // b0 keeps its low 5 bits, b1 its high 3, b2 its lowest, b3 its high 5.
  EXPECT_EQ(twutil::ScrambleCrc(0x07FE1FE0u), twutil::ScrambleCrc(0));
  EXPECT_EQ(twutil::ScrambleCrc(0xFFFFFFFFu), 0xBB24C33Cu);
}

TEST_F(Encrypt, OnlyTheFirst255AnsiBytesBeforeANulCount) {
  EXPECT_EQ(Of(L"\x4E00"), Of(L"\x4E8C"));  // both become the code page's "?"
  EXPECT_EQ(Of(std::wstring(L"ab\0cd", 5)), Of(L"ab"));
  std::wstring cut = Of(std::wstring(255, L'x'));
  EXPECT_EQ(Of(std::wstring(100000, L'x')), cut);
  EXPECT_NE(Of(std::wstring(254, L'x')), cut);
}

}  // namespace
}  // namespace twtest
