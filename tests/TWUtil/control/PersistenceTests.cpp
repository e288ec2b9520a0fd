// The saved stream: version word 0x300 and the extent, nothing else.

#include <gtest/gtest.h>

#include <vector>

#include "HeaderTestSupport.h"

namespace twtest {
namespace {

using twutil::ComPtr;

ComPtr<IStream> StreamOf(const std::vector<DWORD>& words, ULONG cutBytes = 0) {
  ComPtr<IStream> stream;
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
  stream->Write(words.data(), ULONG(words.size() * sizeof(DWORD)) - cutBytes, nullptr);
  stream->Seek(LARGE_INTEGER(), STREAM_SEEK_SET, nullptr);
  return stream;
}

std::vector<DWORD> WordsOf(IStream* stream) {
  std::vector<DWORD> words(16);
  ULONG read = 0;
  stream->Seek(LARGE_INTEGER(), STREAM_SEEK_SET, nullptr);
  stream->Read(words.data(), ULONG(words.size() * sizeof(DWORD)), &read);
  words.resize(read / sizeof(DWORD));
  return words;
}

struct Header {
  ComPtr<IPropertyHeader> header = NewHeader();
  ComPtr<IPersistStreamInit> persist;
  ComPtr<IOleObject> object;
  Header() {
    EXPECT_EQ(header.As(&persist), S_OK);
    EXPECT_EQ(header.As(&object), S_OK);
  }
  SIZEL Extent() {
    SIZEL size = {};
    EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    return size;
  }
};

TEST(HeaderStream, RoundTripRestoresTheExtentButNotTheTexts) {
  Header saved;
  ASSERT_EQ(saved.persist->InitNew(), S_OK);
  EXPECT_EQ(saved.persist->IsDirty(), S_FALSE);
  SetTexts(saved.header.Get(), L"Form1", L"Form");
  EXPECT_EQ(saved.persist->IsDirty(), S_FALSE);         // the texts are not saved state
  SIZEL size = {1234, static_cast<LONG>(0x80000001u)};  // read back unsigned
  ASSERT_EQ(saved.object->SetExtent(DVASPECT_CONTENT, &size), S_OK);
  EXPECT_EQ(saved.persist->IsDirty(), S_OK);
  ULARGE_INTEGER max = {};
  ASSERT_EQ(saved.persist->GetSizeMax(&max), S_OK);
  EXPECT_EQ(max.QuadPart, 12u);
  ComPtr<IStream> stream = StreamOf({});
  ASSERT_EQ(saved.persist->Save(stream.Get(), FALSE), S_OK);
  EXPECT_EQ(saved.persist->IsDirty(), S_OK);
  EXPECT_EQ(WordsOf(stream.Get()), (std::vector<DWORD>{0x300, 1234, 0x80000001}));
  ASSERT_EQ(saved.persist->Save(StreamOf({}).Get(), TRUE), S_OK);
  EXPECT_EQ(saved.persist->IsDirty(), S_FALSE);

  Header loaded;
  stream->Seek(LARGE_INTEGER(), STREAM_SEEK_SET, nullptr);
  ASSERT_EQ(loaded.persist->Load(stream.Get()), S_OK);
  EXPECT_EQ(loaded.Extent().cx, 1234);
  EXPECT_EQ(DWORD(loaded.Extent().cy), 0x80000001u);
  twutil::Bstr name;
  ASSERT_EQ(loaded.header->get_PropertyName(name.Put()), S_OK);
  EXPECT_EQ(name.Length(), 0u);
}

TEST(HeaderStream, LaterVersionsAndShortStreamsAreRefusedAndChangeNothing) {
  Header header;
  EXPECT_EQ(header.persist->Load(StreamOf({0x301, 100, 200}).Get()), E_FAIL);
  EXPECT_EQ(header.persist->Load(StreamOf({0xFFFFFFFF, 100, 200}).Get()), E_FAIL);
  EXPECT_TRUE(FAILED(header.persist->Load(StreamOf({0x300, 100, 200}, 1).Get())));
  EXPECT_TRUE(FAILED(header.persist->Load(StreamOf({0x300}).Get())));
  EXPECT_TRUE(FAILED(header.persist->Load(StreamOf({}).Get())));
  EXPECT_EQ(header.persist->Load(nullptr), E_POINTER);
  EXPECT_EQ(header.persist->Save(nullptr, TRUE), E_POINTER);
  EXPECT_EQ(header.Extent().cx, 5080);
  EXPECT_EQ(header.Extent().cy, 5080);
  // Earlier versions carry the same layout.
  EXPECT_EQ(header.persist->Load(StreamOf({0x200, 100, 200}).Get()), S_OK);
  EXPECT_EQ(header.Extent().cy, 200);
}

}  // namespace
}  // namespace twtest
