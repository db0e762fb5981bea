#include <cstdio>

int main() {
  std::fputs("tamsel: not built yet\n", stderr);
  return 1;
}
