// Times one SearchReplace.SearchAndReplace call on the files named on the
// command line and prints the seconds it took. Run by
// tools/bench/search_replace.sh, which compares it with sed.
//   bench_search_replace SOURCE DEST SEARCH REPLACEMENT

#include <windows.h>

#include <cstdio>

#include "com/ComObject.h"
#include "com/Owners.h"
#include "files/SearchReplace.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: bench_search_replace SOURCE DEST SEARCH REPLACEMENT\n");
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int status = 1;
  {
    twutil::ComPtr<ISearchReplace> replacer;
    HRESULT hr = twutil::CreateComObject<twutil::SearchReplace>(nullptr, IID_ISearchReplace,
                                                                replacer.PutVoid());
    if (SUCCEEDED(hr)) {
      twutil::Bstr source(argv[1]), dest(argv[2]), search(argv[3]), replacement(argv[4]);
      LARGE_INTEGER frequency, start, end;
      QueryPerformanceFrequency(&frequency);
      QueryPerformanceCounter(&start);
      hr = replacer->SearchAndReplace(source.Get(), dest.Get(), search.Get(), replacement.Get());
      QueryPerformanceCounter(&end);
      double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
      std::printf("%.3f\n", seconds);
    }
    if (FAILED(hr)) std::fprintf(stderr, "SearchAndReplace failed: 0x%08lx\n", hr);
    status = FAILED(hr) ? 1 : 0;
  }
  CoUninitialize();
  return status;
}
