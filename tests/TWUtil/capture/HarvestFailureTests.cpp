// The harvest when things go wrong: deletions that fail, values beyond their
// buffers, and models that fail or answer with nothing.
#include <memory>

#include "Errors.h"
#include "HarvestTestSupport.h"

using namespace harvesttest;

namespace {

using HarvestFailures = HarvestTest;

// A type library in two locales, a class with a ProgID and three verbs (open
// is the default), an extension and a content type.
const wchar_t kOneOfEach[] =
    LR"(
  HKCR\TypeLib\{L}\1.0\0\win32|@=a
  HKCR\TypeLib\{L}\1.0\409\win32|@=a
  HKCR\CLSID\{C1}|@=Widget
  HKCR\CLSID\{C1}\InprocServer32|@=C:\srv\server.dll
  HKCR\Widget.1\CLSID|@={C1}
  HKCR\Widget.1\Shell|@=open
  HKCR\Widget.1\Shell\edit\command|@=app.exe %1
  HKCR\Widget.1\Shell\open\command|@=app.exe %1
  HKCR\Widget.1\Shell\print\command|@=app.exe %1
  HKCR\.wdg|@=Widget.1
  HKCR\MIME\Database\Content Type\text/x-widget|Extension=.wdg
  HKCR\MIME\Database\Content Type\text/x-widget|CLSID={C1})";

// What a checked model call raised, owned.
std::unique_ptr<twutil::CExcept> HarvestFailure(IExtractComponent* component) {
  try {
    Harvest(component);
  } catch (twutil::CExcept* failure) {
    return std::unique_ptr<twutil::CExcept>(failure);
  }
  return nullptr;
}

TEST_F(HarvestFailures, RefusedDeletionsEndEveryWalkWithEachEntryRecordedOnce) {
  Fill(kOneOfEach);
  ComPtr<ComponentDouble> recording = NewDouble();
  recording->everyTypeLibAdd = true;
  RefusingEditor refuseAll({L"*"});
  ASSERT_NO_THROW(Harvest(recording.Get(), refuseAll));
  EXPECT_GT(refuseAll.Refusals(), 0);
  EXPECT_EQ(ModelLines(recording.Get(), "TypeLib Verb MIME"), Listing(LR"(
    TypeLib {L}|0||1.0|
    TypeLib {L}|409||1.0|
    Verb edit||Widget.1|%1|2|app.exe|wdg
    Verb open||Widget.1|%1|1|app.exe|wdg
    Verb print||Widget.1|%1|3|app.exe|
    MIME wdg|text/x-widget|{C1})"));
  EXPECT_TRUE(HasKey(L"HKCR\\TypeLib\\{L}\\1.0\\409"));  // nothing could be taken out
  EXPECT_TRUE(HasKey(L"HKCR\\Widget.1\\Shell\\open\\command"));

  // A refused key is stepped over and the rest still goes; a version's own
  // deletion takes a refused locale with it.
  ResetCaptureArea();
  Fill(kOneOfEach);
  ComPtr<ComponentDouble> again = NewDouble();
  again->everyTypeLibAdd = true;
  ASSERT_NO_THROW(Harvest(again.Get(), RefusingEditor({L"0", L"open"})));
  EXPECT_EQ(ModelLines(again.Get(), "TypeLib Verb").size(), 5u);
  EXPECT_FALSE(HasKey(L"HKCR\\TypeLib"));
  EXPECT_EQ(Leftovers(L"HKCR\\Widget.1\\Shell"), EntriesOf(L"|@=open\nopen"));
}

TEST_F(HarvestFailures, TextsBeyondTheirBuffersCountAsAbsentAndStay) {
  // Texts of classes and type libraries have 1024 bytes with the terminator,
  // those of ProgIDs 256, a help folder 260.
  const std::wstring fits(511, L'f'), tooLong(512, L't'), progId(127, L'p');
  SetText(L"HKCR\\CLSID\\{C1}", nullptr, fits);
  SetText(L"HKCR\\CLSID\\{C2}", nullptr, tooLong);
  SetText(L"HKCR\\Fits.1", nullptr, progId);
  SetText(L"HKCR\\Long.1", nullptr, progId + L"p");
  SetText(L"HKCR\\TypeLib\\{L}\\1.0", nullptr, std::wstring(600, L'd'));
  SetText(L"HKCR\\TypeLib\\{L}\\1.0\\HELPDIR", nullptr, std::wstring(130, L'h'));
  Fill(
      LR"(
    HKCR\CLSID\{C1}\InprocServer32|@=a.dll
    HKCR\CLSID\{C2}\InprocServer32|@=a.dll
    HKCR\Fits.1\CLSID|@={C1}
    HKCR\Long.1\CLSID|@={C1}
    HKCR\TypeLib|Stray=kept
    HKCR\TypeLib\{L}\1.0\7\win32|@=a)");
  Harvest(component_.Get());
  EXPECT_EQ(ModelLines(component_.Get(), "TypeLib ComClass ProgID"),
            Listing(LR"(
              TypeLib {L}|7||1.0|
              ComClass {C1}|$F$||||0
              ComClass {C2}|||||0
              ProgID Fits.1|{C1}|$P$|||0
              ProgID Long.1|{C1}||||0)",
                    {{L"$F$", fits}, {L"$P$", progId}}));
  EXPECT_EQ(Leftovers(L"HKCR\\CLSID\\{C2}").count(L"|@=" + tooLong), 1u);
  EXPECT_EQ(Leftovers(L"HKCR\\Long.1").count(L"|@=" + progId + L"p"), 1u);
  EXPECT_EQ(Leftovers(L"HKCR\\TypeLib"), EntriesOf(L"|Stray=kept"));
}

TEST_F(HarvestFailures, ACheckedCallThatFailsEndsTheHarvestWithTheModelsMessage) {
  Fill(kOneOfEach);
  ComPtr<ComponentDouble> failing = NewDouble();
  failing->classes = E_ACCESSDENIED;
  std::unique_ptr<twutil::CExcept> failure = HarvestFailure(failing.Get());
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->hr, E_ACCESSDENIED);
  EXPECT_STREQ(failure->message, L"The model refused");
  // Type libraries come first and were recorded; nothing after the classes was.
  failing->classes = S_OK;
  EXPECT_EQ(ModelLines(failing.Get()), Listing(L"TypeLib {L}|409||1.0|"));

  // Without an error object the message is a general one.
  ResetCaptureArea();
  Fill(L"HKCR\\CLSID\\{C1}\\InprocServer32|@=a.dll\nHKCR\\CLSID\\{C1}|AppID={A}");
  failing = NewDouble();
  failing->appIds = E_FAIL;
  failing->failureText.clear();
  failure = HarvestFailure(failing.Get());
  ASSERT_TRUE(failure);
  EXPECT_STREQ(failure->message, L"Error calling contained control");
}

TEST_F(HarvestFailures, CollectionsThatFailUncheckedOrAnswerNothingOnlySkipTheirEntries) {
  // A collection is asked for only when there is something to record.
  Fill(L"HKCR\\CLSID\\{C1}\\InprocServer32|@=a.dll");
  ComPtr<ComponentDouble> failing = NewDouble();
  failing->typeLibs = failing->appIds = failing->mimeTypes = E_FAIL;
  EXPECT_FALSE(HarvestFailure(failing.Get()));
  EXPECT_EQ(ModelLines(failing.Get(), "ComClass").size(), 1u);
  // The MIME step looks the extension up without checking: a failing
  // extension collection skips the content type, CLSID value and all.
  ResetCaptureArea();
  Fill(
      LR"(
    HKCR\MIME\Database\Content Type\text/x-widget|CLSID={C1}
    HKCR\MIME\Database\Content Type\text/x-widget|Extension=.wdg)");
  failing = NewDouble();
  failing->extensions = failing->classes = E_FAIL;
  EXPECT_FALSE(HarvestFailure(failing.Get()));
  EXPECT_EQ(Leftovers(L"HKCR\\MIME\\Database\\Content Type"),
            EntriesOf(L"text/x-widget|CLSID={C1}\ntext/x-widget|Extension=.wdg"));
  // Steps whose collections come back empty end quietly.
  ResetCaptureArea();
  Fill(kOneOfEach);
  ComPtr<ComponentDouble> empty = NewDouble();
  empty->nullCollections = true;
  EXPECT_FALSE(HarvestFailure(empty.Get()));
  empty->nullCollections = false;
  EXPECT_EQ(ModelLines(empty.Get()), Listing(L"MiscRegistry HKEY_CLASSES_ROOT|null|null|true"));
}

}  // namespace
