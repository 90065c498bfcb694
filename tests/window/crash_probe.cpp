// Crashes on purpose. Wine may exit with status 0 after an unhandled exception;
// the test runner must still report the crash as a failure.
#include <cstdio>

int main() {
  std::puts("crashing now");
  std::fflush(stdout);
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
