#ifndef KIVO_TESTS_SUPPORT_SIMUL_REFERENCE_H_
#define KIVO_TESTS_SUPPORT_SIMUL_REFERENCE_H_

// The sequential matrix sampler written the plain way, kept only to check the
// production sampler against: before every cell the forcing by the remaining
// totals rescans all remaining rows and all columns, and the sums over the
// row's open cells are added up again for every cell. It must give the same
// matrices, weights and number of uniforms as sim::AttemptMatrix.

#include <cstdint>
#include <functional>
#include <string>

#include "core/kivo_mat.h"
#include "sim/simul.h"

namespace kivo::sim {

class ReferenceSampler {
 public:
  // As SetupSampler: the stop message, empty when ready.
  std::string Setup(const SamplerProblem& problem);
  // As AttemptMatrix, drawing its uniforms from `uniform`.
  bool Attempt(const std::function<double()>& uniform, bool normalisation, double k,
               double& weight);

  const BinaryMatrix& values() const { return values_; }
  std::int32_t mutual_dyads() const { return c_.mutual; }

 private:
  bool Open(int i, int j) const { return GetCell(decided_, i, j) == 0; }
  bool Infeasible() const;
  void SetZero(int i, int j) { Set(i, j, false); }
  void SetOne(int i, int j) { Set(i, j, true); }
  void Set(int i, int j, bool one);
  void Assign(int i, int j, bool one);
  void Force(int i, int j, bool one);
  void PropagateTotals(int r1, int r2, int c1, int c2);
  void MutualPropagate(int r);
  bool Settle(int r);
  bool Sequential(const std::function<double()>& uniform, bool normalisation, double k,
                  double& weight);
  bool MolloyReed(const std::function<double()>& uniform);

  int f_ = 0;
  int g_ = 0;
  ModeFlags mode_{};
  int m_ = 0;
  int row_totals_[kMaxRows + 1] = {};
  int col_totals_[kMaxRows + 1] = {};
  BinaryMatrix values_{};
  BinaryMatrix decided_{};
  BinaryMatrix structural_zeros_{};

  // The working counts, and their copies after the setup.
  struct Counts {
    int row_ones[kMaxRows + 1] = {};
    int row_zeros[kMaxRows + 1] = {};
    int row_free[kMaxRows + 1] = {};
    int col_ones[kMaxRows + 1] = {};
    int col_zeros[kMaxRows + 1] = {};
    int col_free[kMaxRows + 1] = {};
    int mutual = 0, asym = 0, null = 0, closed = 0;
    int dyads = 0, open = 0, half_ones = 0, null_needed = 0, asym_needed = 0;
    bool zero_to_zero = false, zero_to_one = false, one_to_zero = false, one_to_one = false;
  };
  Counts c_{};
  Counts start_counts_{};
  Counts unforced_counts_{};
  BinaryMatrix start_{};

  bool failed_ = false;
  bool changed_ = false;
};

}  // namespace kivo::sim

#endif  // KIVO_TESTS_SUPPORT_SIMUL_REFERENCE_H_
