#ifndef KIVO_TAMSEL_CHANGE_DESC_H_
#define KIVO_TAMSEL_CHANGE_DESC_H_

// The morva section of the step-4 report: the selected
// networks are repeated observations of one network, and for every pair of
// subsequent observations (a period) the arcs, dyads and triplets are
// counted by how they changed. A cell is a tie when it is not missing and
// its value is not 0.

#include <cstdint>
#include <vector>

#include "platform/status.h"
#include "platform/text_file.h"
#include "tamsel/st_desc.h"

namespace kivo::tamsel {

// The counts of the period from observation `from` to `from` + 1.
struct PeriodChanges {
  int from = 0;
  // Arcs. empty, gained, lost and kept are 0 -> 0, 0 -> 1, 1 -> 0 and
  // 1 -> 1; distance the cells observed at both ends whose ties differ;
  // missing the off-diagonal cells missing at either end.
  std::int64_t empty = 0;
  std::int64_t gained = 0;
  std::int64_t lost = 0;
  std::int64_t kept = 0;
  std::int64_t distance = 0;
  std::int64_t missing = 0;
  // Dyads i < j observed at both ends, by their state (mutual, asymmetric,
  // null) at the start and the end; an asymmetric dyad stays in the same
  // direction or is reversed.
  std::int64_t mutual_to_mutual = 0;
  std::int64_t mutual_to_asymmetric = 0;
  std::int64_t mutual_to_null = 0;
  std::int64_t mutual = 0;
  std::int64_t asymmetric_to_mutual = 0;
  std::int64_t asymmetric_same = 0;
  std::int64_t asymmetric_reversed = 0;
  std::int64_t asymmetric_to_null = 0;
  std::int64_t asymmetric = 0;
  std::int64_t null_to_mutual = 0;
  std::int64_t null_to_asymmetric = 0;
  std::int64_t null_to_null = 0;
  std::int64_t null_dyads = 0;
  // Triplets (i, j, h) with ties i -> j and j -> h at the start, by the
  // state at the end: transitive (all three ties), intransitive (the two
  // ties without i -> h) or other.
  std::int64_t intransitive_to_transitive = 0;
  std::int64_t intransitive_to_intransitive = 0;
  std::int64_t intransitive_to_other = 0;
  std::int64_t intransitive = 0;
  std::int64_t transitive_to_transitive = 0;
  std::int64_t transitive_to_intransitive = 0;
  std::int64_t transitive_to_other = 0;
  std::int64_t transitive = 0;
};

struct ChangeDescriptives {
  int num_actors = 0;
  // Some cell (diagonal included) of some observation is missing.
  bool any_missing = false;
  std::vector<PeriodChanges> periods;
};

// The observations are the networks listed in `observations`, in order.
// REQUIRES: every entry is a network number of `data`.
ChangeDescriptives ComputeChangeDescriptives(const DataDescription& data,
                                             const std::vector<int>& observations);

// The change tables: arcs, dyads, triplets.
void WriteChangeDescriptives(const ChangeDescriptives& changes, TextWriter& report);

// The change tables of the selected networks.
void ReportChangeDescriptives(const DataDescription& data, TextWriter& report);

// The morva section of step 4: the observations and their change tables.
// Returns the report's status.
Status ReportRepeatedObservations(const DataDescription& data, TextWriter& report);

}  // namespace kivo::tamsel

#endif  // KIVO_TAMSEL_CHANGE_DESC_H_
