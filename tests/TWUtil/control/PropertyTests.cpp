// The two texts as stored, the choice of typeface, and the saved
// stream: version word 0x300 and the extent, nothing else.

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "HeaderTestSupport.h"
#include "control/HeaderFace.h"

namespace twtest {
namespace {

using twutil::Bstr;
using twutil::ComPtr;

TEST(HeaderTexts, GettersCopyWhatWasStored) {
  ComPtr<IPropertyHeader> header = NewHeader();
  ASSERT_TRUE(header);
  EXPECT_EQ(header->get_PropertyName(nullptr), E_POINTER);
  Bstr name;
  ASSERT_EQ(header->get_PropertyName(name.Put()), S_OK);
  EXPECT_TRUE(name.Get() && name.Length() == 0);  // an empty string, not a null one
  std::wstring odd = std::wstring(L"a\0b", 3) + std::wstring(300, L'\x4E00');
  ASSERT_EQ(header->put_PropertyName(Bstr(odd.data(), UINT(odd.size())).Get()), S_OK);
  ASSERT_EQ(header->get_PropertyName(name.Put()), S_OK);
  EXPECT_EQ(std::wstring(name.Get(), name.Length()), odd);
}

TEST(HeaderFace, TheGuiFontsFaceUnlessItIsAnOldBitmapFaceOrTheSystemIsVersion5) {
  const DWORD kVersion6 = 0x1DB10106, kVersion5 = 0x0A280105;
  auto choose = [](const wchar_t* face, BYTE charset, DWORD version) {
    LOGFONTW font = {};
    wcsncpy(font.lfFaceName, face, LF_FACESIZE);
    if (!*face) wmemset(font.lfFaceName, L'x', LF_FACESIZE);  // no terminator: cut, not overrun
    font.lfCharSet = charset;
    twutil::HeaderFace chosen = twutil::ChooseHeaderFace(font, version);
    return std::wstring(chosen.name) + L"/" + std::to_wstring(chosen.charset);
  };
  EXPECT_EQ(choose(L"Tahoma", 128, kVersion6), L"Tahoma/128");
  EXPECT_EQ(choose(L"MS Sans Serif", 0, kVersion6), L"/0");
  EXPECT_EQ(choose(L"System", 0, kVersion6), L"/0");
  EXPECT_EQ(choose(L"ms sans serif", 0, kVersion6), L"ms sans serif/0");  // exact comparisons
  EXPECT_EQ(choose(L"Tahoma", 161, kVersion5), L"/161");
  EXPECT_EQ(choose(L"", 0, kVersion6), std::wstring(LF_FACESIZE - 1, L'x') + L"/0");
}

ComPtr<IStream> StreamOf(const std::vector<DWORD>& words) {
  ComPtr<IStream> stream;
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
  stream->Write(words.data(), ULONG(words.size() * sizeof(DWORD)), nullptr);
  stream->Seek(LARGE_INTEGER(), STREAM_SEEK_SET, nullptr);
  return stream;
}

struct Persisted {
  ComPtr<IPropertyHeader> header = NewHeader();
  ComPtr<IPersistStreamInit> persist;
  ComPtr<IOleObject> object;
  Persisted() { EXPECT_TRUE(header.As(&persist) == S_OK && header.As(&object) == S_OK); }
  SIZEL Extent() {
    SIZEL size = {};
    EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    return size;
  }
};

TEST(HeaderStream, RoundTripRestoresTheExtentAndLaterVersionsAreRefused) {
  Persisted saved;
  ASSERT_EQ(saved.persist->InitNew(), S_OK);
  SetTexts(saved.header.Get(), L"Form1", L"Form");
  EXPECT_EQ(saved.persist->IsDirty(), S_FALSE);         // the texts are not saved state
  SIZEL size = {1234, static_cast<LONG>(0x80000001u)};  // read back unsigned
  ASSERT_EQ(saved.object->SetExtent(DVASPECT_CONTENT, &size), S_OK);
  EXPECT_EQ(saved.persist->IsDirty(), S_OK);
  ComPtr<IStream> stream = StreamOf({});
  ASSERT_EQ(saved.persist->Save(stream.Get(), TRUE), S_OK);
  EXPECT_EQ(saved.persist->IsDirty(), S_FALSE);
  std::vector<DWORD> words(4);
  ULONG read = 0;
  stream->Seek(LARGE_INTEGER(), STREAM_SEEK_SET, nullptr);
  stream->Read(words.data(), 16, &read);
  EXPECT_EQ(read, 12u);
  EXPECT_EQ(words, (std::vector<DWORD>{0x300, 1234, 0x80000001, 0}));

  Persisted loaded;
  stream->Seek(LARGE_INTEGER(), STREAM_SEEK_SET, nullptr);
  ASSERT_EQ(loaded.persist->Load(stream.Get()), S_OK);
  EXPECT_EQ(DWORD(loaded.Extent().cy), 0x80000001u);
  Bstr name;
  ASSERT_EQ(loaded.header->get_PropertyName(name.Put()), S_OK);
  EXPECT_EQ(name.Length(), 0u);

  Persisted other;
  EXPECT_EQ(other.persist->Load(StreamOf({0x301, 100, 200}).Get()), E_FAIL);
  EXPECT_TRUE(FAILED(other.persist->Load(StreamOf({0x300}).Get())));
  EXPECT_EQ(other.Extent().cx, 5080);
  EXPECT_EQ(other.persist->Load(StreamOf({0x200, 100, 200}).Get()), S_OK);  // same layout
  EXPECT_EQ(other.Extent().cy, 200);
}

}  // namespace
}  // namespace twtest
