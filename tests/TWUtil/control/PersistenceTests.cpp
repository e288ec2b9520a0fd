// The saved stream: version word 0x300 and the extent, nothing else.

#include <gtest/gtest.h>

#include <vector>

#include "HeaderTestSupport.h"

namespace twtest {
namespace {

using twutil::ComPtr;

ComPtr<IStream> StreamOf(const std::vector<DWORD>& words, size_t cutBytes = 0) {
  ComPtr<IStream> stream;
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
  ULONG size = static_cast<ULONG>(words.size() * sizeof(DWORD) - cutBytes);
  if (size) {
    EXPECT_EQ(stream->Write(words.data(), size, nullptr), S_OK);
  }
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  return stream;
}

std::vector<DWORD> WordsOf(IStream* stream) {
  STATSTG stat = {};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::vector<DWORD> words(stat.cbSize.QuadPart / sizeof(DWORD));
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  ULONG read = 0;
  stream->Read(words.data(), static_cast<ULONG>(words.size() * sizeof(DWORD)), &read);
  return words;
}

SIZEL ExtentOf(IPersistStreamInit* persist) {
  ComPtr<IOleObject> object;
  SIZEL size = {};
  EXPECT_EQ(persist->QueryInterface(IID_IOleObject, object.PutVoid()), S_OK);
  EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
  return size;
}

ComPtr<IPersistStreamInit> NewPersist() {
  ComPtr<IPersistStreamInit> persist;
  EXPECT_EQ(NewHeader().As(&persist), S_OK);
  return persist;
}

TEST(HeaderStream, RoundTripRestoresTheExtentButNotTheTexts) {
  ComPtr<IPropertyHeader> saved = NewHeader();
  ASSERT_TRUE(saved);
  ComPtr<IPersistStreamInit> persist;
  ComPtr<IOleObject> object;
  ASSERT_EQ(saved.As(&persist), S_OK);
  ASSERT_EQ(saved.As(&object), S_OK);
  ASSERT_EQ(persist->InitNew(), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  SetTexts(saved.Get(), L"Form1", L"Form");
  EXPECT_EQ(persist->IsDirty(), S_FALSE);               // the texts are not saved state
  SIZEL size = {1234, static_cast<LONG>(0x80000001u)};  // read back unsigned
  ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &size), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_OK);

  ULARGE_INTEGER max = {};
  ASSERT_EQ(persist->GetSizeMax(&max), S_OK);
  EXPECT_EQ(max.QuadPart, 12u);
  ComPtr<IStream> stream = StreamOf({});
  ASSERT_EQ(persist->Save(stream.Get(), FALSE), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_OK);
  EXPECT_EQ(WordsOf(stream.Get()), (std::vector<DWORD>{0x300, 1234, 0x80000001}));
  ASSERT_EQ(persist->Save(StreamOf({}).Get(), TRUE), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);

  ComPtr<IPersistStreamInit> loaded = NewPersist();
  ASSERT_TRUE(loaded);
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  ASSERT_EQ(loaded->Load(stream.Get()), S_OK);
  SIZEL restored = ExtentOf(loaded.Get());
  EXPECT_EQ(restored.cx, 1234);
  EXPECT_EQ(static_cast<DWORD>(restored.cy), 0x80000001u);
  ComPtr<IPropertyHeader> header;
  ASSERT_EQ(loaded->QueryInterface(IID_IPropertyHeader, header.PutVoid()), S_OK);
  twutil::Bstr name;
  ASSERT_EQ(header->get_PropertyName(name.Put()), S_OK);
  EXPECT_EQ(name.Length(), 0u);
}

TEST(HeaderStream, LaterVersionsAndShortStreamsAreRefusedAndChangeNothing) {
  ComPtr<IPersistStreamInit> persist = NewPersist();
  ASSERT_TRUE(persist);
  EXPECT_EQ(persist->Load(StreamOf({0x301, 100, 200}).Get()), E_FAIL);
  EXPECT_EQ(persist->Load(StreamOf({0xFFFFFFFF, 100, 200}).Get()), E_FAIL);
  EXPECT_TRUE(FAILED(persist->Load(StreamOf({0x300, 100, 200}, 1).Get())));
  EXPECT_TRUE(FAILED(persist->Load(StreamOf({0x300}).Get())));
  EXPECT_TRUE(FAILED(persist->Load(StreamOf({}).Get())));
  EXPECT_EQ(persist->Load(nullptr), E_POINTER);
  EXPECT_EQ(persist->Save(nullptr, TRUE), E_POINTER);
  SIZEL size = ExtentOf(persist.Get());
  EXPECT_EQ(size.cx, 5080);
  EXPECT_EQ(size.cy, 5080);

  // Earlier versions carry the same layout.
  EXPECT_EQ(persist->Load(StreamOf({0x200, 100, 200}).Get()), S_OK);
  EXPECT_EQ(ExtentOf(persist.Get()).cy, 200);
}

}  // namespace
}  // namespace twtest
