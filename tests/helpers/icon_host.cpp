// A program whose only job is to carry icon resources (icon_host.rc) for
// the icon replacement tests; run, it says that its image still works.
#include <cstdio>

int main() {
  std::puts("icon host");
  return 0;
}
