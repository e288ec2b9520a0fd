// The harvest when things go wrong: deletions that fail, values beyond their
// buffers, and models that fail or answer with nothing.
#include <gtest/gtest.h>

#include <memory>

#include "Errors.h"
#include "HarvestModelLines.h"
#include "HarvestTestSupport.h"
#include "capture/CaptureAreaHarvest.h"

using namespace harvesttest;

namespace {

using Lines = std::vector<std::wstring>;

const std::wstring kClsid = L"HKEY_CLASSES_ROOT\\CLSID\\";
const std::wstring kWidget = L"{11111111-0000-0000-0000-000000000001}";
const std::wstring kShell = L"HKEY_CLASSES_ROOT\\Widget.1\\Shell";

class HarvestFailures : public testing::Test {
 protected:
  void SetUp() override { ResetCaptureArea(); }
  void TearDown() override { RemoveCaptureArea(); }

  // A type library in two locales, a class with a ProgID and three verbs
  // (open is the default), an extension and a content type.
  static void FillWithOneOfEach() {
    const std::wstring lib = L"HKEY_CLASSES_ROOT\\TypeLib\\{L}";
    SetText(lib + L"\\1.0\\0\\win32", nullptr, L"a");
    SetText(lib + L"\\1.0\\409\\win32", nullptr, L"a");
    SetText(kClsid + kWidget, nullptr, L"Widget");
    SetText(kClsid + kWidget + L"\\InprocServer32", nullptr, L"C:\\srv\\server.dll");
    SetText(L"HKEY_CLASSES_ROOT\\Widget.1\\CLSID", nullptr, kWidget);
    SetText(kShell, nullptr, L"open");
    for (const wchar_t* verb : {L"edit", L"open", L"print"})
      SetText(kShell + L"\\" + verb + L"\\command", nullptr, L"app.exe %1");
    SetText(L"HKEY_CLASSES_ROOT\\.wdg", nullptr, L"Widget.1");
    const std::wstring type = L"HKEY_CLASSES_ROOT\\MIME\\Database\\Content Type\\text/x-widget";
    SetText(type, L"Extension", L".wdg");
    SetText(type, L"CLSID", kWidget);
  }

  ComPtr<IExtractComponent> component_ = NewComponent();
};

// Throws what a checked model call raised, owned.
std::unique_ptr<twutil::CExcept> HarvestFailure(IExtractComponent* component) {
  try {
    Harvest(component);
  } catch (twutil::CExcept* failure) {
    return std::unique_ptr<twutil::CExcept>(failure);
  }
  return nullptr;
}

TEST_F(HarvestFailures, RefusedDeletionsEndEveryWalkWithEachEntryRecordedOnce) {
  FillWithOneOfEach();
  ComponentDouble recording(component_);
  recording.recordTypeLibAdds = true;
  RefusingEditor refuseAll({L"*"});
  ASSERT_NO_THROW(twutil::HarvestCaptureArea(&recording, refuseAll));
  EXPECT_GT(refuseAll.Refusals(), 0);
  EXPECT_EQ(recording.typeLibAdds.size(), 2u);
  EXPECT_EQ(VerbLines(component_.Get(), L"Widget.1"),
            (Lines{L"edit||Widget.1|%1|2|app.exe|wdg", L"open||Widget.1|%1|1|app.exe|wdg",
                   L"print||Widget.1|%1|3|app.exe|"}));
  EXPECT_EQ(MIMELines(component_.Get()), (Lines{L"wdg|text/x-widget|" + kWidget}));
  // Nothing could be taken out.
  EXPECT_TRUE(HasKey(L"HKEY_CLASSES_ROOT\\TypeLib\\{L}\\1.0\\409"));
  EXPECT_TRUE(HasKey(kShell + L"\\open\\command"));
}

TEST_F(HarvestFailures, ARefusedKeyIsSteppedOverAndTheRestStillGoes) {
  FillWithOneOfEach();
  RefusingEditor refuse({L"0", L"open"});
  ComponentDouble recording(component_);
  recording.recordTypeLibAdds = true;
  ASSERT_NO_THROW(twutil::HarvestCaptureArea(&recording, refuse));
  EXPECT_EQ(recording.typeLibAdds.size(), 2u);
  // The version's own deletion takes the refused locale with it.
  EXPECT_FALSE(HasKey(L"HKEY_CLASSES_ROOT\\TypeLib"));
  EXPECT_EQ(Leftovers(kShell), (Lines{L"open", L"|@=open"}));
  EXPECT_EQ(VerbLines(component_.Get(), L"Widget.1").size(), 3u);
}

TEST_F(HarvestFailures, ValuesBeyondTheirBuffersCountAsAbsentAndStay) {
  const std::wstring fits(511, L'f');     // 1024 bytes with its terminator
  const std::wstring tooLong(512, L't');  // 1026
  SetText(kClsid + L"{C1}", nullptr, fits);
  SetText(kClsid + L"{C1}\\InprocServer32", nullptr, L"a.dll");
  SetText(kClsid + L"{C2}", nullptr, tooLong);
  SetText(kClsid + L"{C2}\\InprocServer32", nullptr, L"a.dll");
  // ProgID texts have 256 bytes.
  SetText(L"HKEY_CLASSES_ROOT\\Fits.1", nullptr, std::wstring(127, L'p'));
  SetText(L"HKEY_CLASSES_ROOT\\Fits.1\\CLSID", nullptr, L"{C1}");
  SetText(L"HKEY_CLASSES_ROOT\\Long.1", nullptr, std::wstring(128, L'p'));
  SetText(L"HKEY_CLASSES_ROOT\\Long.1\\CLSID", nullptr, L"{C1}");
  Harvest(component_.Get());

  EXPECT_EQ(ClassLines(component_.Get()),
            (Lines{L"{C1}|" + fits + L"||||0|InprocServer32:0:", L"{C2}|||||0|InprocServer32:0:"}));
  EXPECT_TRUE(HasValue(kClsid + L"{C2}", nullptr));
  EXPECT_EQ(ProgIDLines(component_.Get()),
            (Lines{L"Fits.1|{C1}|" + std::wstring(127, L'p') + L"|||0", L"Long.1|{C1}||||0"}));
  EXPECT_TRUE(HasValue(L"HKEY_CLASSES_ROOT\\Long.1", nullptr));
}

TEST_F(HarvestFailures, ACheckedCallThatFailsEndsTheHarvestWithTheModelsMessage) {
  FillWithOneOfEach();
  ComponentDouble failing(component_);
  failing.classes = E_ACCESSDENIED;
  std::unique_ptr<twutil::CExcept> failure = HarvestFailure(&failing);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->hr, E_ACCESSDENIED);
  EXPECT_STREQ(failure->message, L"The model refused");
  // Type libraries come first and were recorded; nothing after the classes was.
  EXPECT_EQ(TypeLibraryLines(component_.Get()).size(), 1u);
  EXPECT_TRUE(ProgIDLines(component_.Get()).empty());
  EXPECT_TRUE(MiscCalls(component_.Get()).empty());
}

TEST_F(HarvestFailures, ACollectionIsAskedForOnlyWhenThereIsSomethingToRecord) {
  SetText(kClsid + kWidget + L"\\InprocServer32", nullptr, L"a.dll");
  ComponentDouble failing(component_);
  failing.typeLibs = E_FAIL;
  failing.appIds = E_FAIL;
  failing.mimeTypes = E_FAIL;
  EXPECT_FALSE(HarvestFailure(&failing));
  EXPECT_EQ(ClassLines(component_.Get()).size(), 1u);

  // The first harvest consumed the server entry; the class needs it again.
  SetText(kClsid + kWidget + L"\\InprocServer32", nullptr, L"a.dll");
  SetText(kClsid + kWidget, L"AppID", L"{A}");
  failing.failureText.clear();
  std::unique_ptr<twutil::CExcept> failure = HarvestFailure(&failing);
  ASSERT_TRUE(failure);
  EXPECT_STREQ(failure->message, L"Error calling contained control");
}

TEST_F(HarvestFailures, UncheckedLookupsThatFailOnlySkipTheirEntry) {
  // The MIME step looks the extension up without checking: a failing
  // extension collection skips the content type, CLSID value and all.
  const std::wstring type = L"HKEY_CLASSES_ROOT\\MIME\\Database\\Content Type\\text/x-widget";
  SetText(type, L"Extension", L".wdg");
  SetText(type, L"CLSID", kWidget);
  ComponentDouble failing(component_);
  failing.extensions = E_FAIL;
  failing.classes = E_FAIL;
  EXPECT_FALSE(HarvestFailure(&failing));
  EXPECT_TRUE(HasValue(type, L"CLSID"));
}

TEST_F(HarvestFailures, AModelAnsweringWithNothingEndsEachStepQuietly) {
  FillWithOneOfEach();
  ComponentDouble empty(component_);
  empty.nullCollections = true;
  EXPECT_FALSE(HarvestFailure(&empty));
  EXPECT_TRUE(ClassLines(component_.Get()).empty());
  EXPECT_EQ(MiscCalls(component_.Get()), (Lines{L"HKEY_CLASSES_ROOT|<null>|<null>|all"}));
}

}  // namespace
