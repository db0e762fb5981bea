#include <cstdio>

int main() {
  std::fputs("kivo_sim: not built yet\n", stderr);
  return 1;
}
