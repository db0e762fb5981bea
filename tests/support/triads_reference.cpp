#include "tests/support/triads_reference.h"

#include <cstdint>

namespace kivo {

TriadCounts TriadCensusReference(const BinaryMatrix& m, int n) {
  std::int32_t counters[4][4][4] = {};
  auto arc = [&m](int a, int b) { return GetCell(m, a, b) != 0; };
  for (int i = 1; i <= n; ++i) {
    for (int j = i + 1; j <= n; ++j) {
      for (int k = j + 1; k <= n; ++k) {
        int mutual = 0;
        int arcs = 0;
        const int pairs[3][2] = {{i, j}, {i, k}, {j, k}};
        for (const auto& pair : pairs) {
          const bool forward = arc(pair[0], pair[1]);
          const bool backward = arc(pair[1], pair[0]);
          if (forward && backward) {
            ++mutual;
            arcs += 2;
          } else if (forward || backward) {
            ++arcs;
          }
        }
        const int asymmetric = arcs - 2 * mutual;
        const bool cycle =
            (arc(i, j) && arc(j, k) && arc(k, i)) || (arc(j, i) && arc(i, k) && arc(k, j));
        const bool receives_both =
            (arc(i, j) && arc(k, j)) || (arc(i, k) && arc(j, k)) || (arc(j, i) && arc(k, i));
        const bool sends_both =
            (arc(j, i) && arc(j, k)) || (arc(k, i) && arc(k, j)) || (arc(i, j) && arc(i, k));
        const bool receives_none =
            !((arc(i, j) || arc(k, j)) && (arc(i, k) || arc(j, k)) && (arc(j, i) || arc(k, i)));
        int subtype = 0;
        if (mutual == 0 && arcs == 3) {
          subtype = cycle ? 0 : 1;
        } else if (mutual == 0 && arcs == 2) {
          subtype = receives_both ? 1 : (sends_both ? 2 : 0);
        } else if (mutual == 1 && arcs >= 4) {
          subtype = cycle ? 0 : (receives_none ? 2 : 1);
        } else if (mutual == 1 && arcs == 3) {
          subtype = sends_both ? 1 : 2;
        }
        ++counters[mutual][asymmetric][subtype];
      }
    }
  }
  TriadCounts counts{};
  for (int p = 1; p <= kTriadTypeCount; ++p) {
    const TriadType t = TriadTypeOrder[static_cast<std::size_t>(p)];
    counts[static_cast<std::size_t>(p)] = counters[t.m][t.a][t.subtype];
  }
  return counts;
}

}  // namespace kivo
