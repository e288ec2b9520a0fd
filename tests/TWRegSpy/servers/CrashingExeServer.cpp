// An executable server that writes a key on "/regserver" and then crashes.
#include <windows.h>

#include "ServerWrites.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  spytest::WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.ExeCrash", nullptr, L"crash");
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
