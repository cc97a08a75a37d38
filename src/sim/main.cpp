// velmor-sim: plays a Velmor controller on the other end of the service link.
#include <cstdio>

int main() {
  std::fputs("velmor-sim: not built yet\n", stderr);
  return 1;
}
