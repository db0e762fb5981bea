#include "tests/support/simul_reference.h"

#include <cmath>

namespace kivo::sim {
namespace {

double LiteralCellProbability(int a, int b, int c, int d, int e, int m, bool& failed) {
  const double x = static_cast<double>(a) / b;
  const double y = static_cast<double>(c) / m;
  const double z = static_cast<double>(e - a + 1) / (d - b + 2);
  const double den = (1 - x - y) * z + x * y;
  if (den <= 1e-12) {
    failed = true;
    return 0;
  }
  return (1 - z) * x * y / den;
}

}  // namespace

bool ReferenceSampler::Infeasible() const {
  return c_.mutual > m_ || c_.null > c_.null_needed || c_.asym > c_.asym_needed ||
         c_.mutual + c_.open + c_.half_ones < m_ ||
         c_.null + c_.dyads - c_.half_ones - c_.closed < c_.null_needed;
}

void ReferenceSampler::Set(int i, int j, bool one) {
  int& row_left = one ? c_.row_ones[i] : c_.row_zeros[i];
  if (row_left == 0) {
    failed_ = true;
    return;
  }
  --row_left;
  int& col_left = one ? c_.col_ones[j] : c_.col_zeros[j];
  if (col_left == 0) {
    failed_ = true;
    return;
  }
  --col_left;
  const bool mirror_decided = i != j && !Open(j, i);
  const bool mirror_one = mirror_decided && GetCell(values_, j, i) == 1;
  if (mode_.digraph && mirror_decided) {
    ++c_.closed;
    if (one && mirror_one) ++c_.mutual;
    if (one != mirror_one) ++c_.asym;
    if (!one && !mirror_one) ++c_.null;
  }
  if (mode_.fixed_mutuals && i != j) {
    if (mirror_decided && mirror_one) --c_.half_ones;
    if (!mirror_decided) {
      --c_.open;
      if (one) ++c_.half_ones;
    }
    if (Infeasible()) {
      failed_ = true;
      return;
    }
  }
  SetCell(decided_, i, j, 1);
  SetCell(values_, i, j, one ? 1 : 0);
  --c_.row_free[i];
  --c_.col_free[j];
}

void ReferenceSampler::Assign(int i, int j, bool one) {
  Set(i, j, one);
  if (failed_) return;
  if (mode_.undirected && Open(j, i)) Set(j, i, one);
  if (mode_.fixed_mutuals && Open(j, i)) {
    if (one && c_.one_to_zero) {
      SetZero(j, i);
    } else if (one && c_.one_to_one) {
      SetOne(j, i);
    } else if (!one && c_.zero_to_zero) {
      SetZero(j, i);
    } else if (!one && c_.zero_to_one) {
      SetOne(j, i);
    }
  }
}

void ReferenceSampler::Force(int i, int j, bool one) {
  Assign(i, j, one);
  changed_ = true;
}

void ReferenceSampler::PropagateTotals(int r1, int r2, int c1, int c2) {
  changed_ = false;
  failed_ = false;
  for (int i = r1; i <= r2; ++i) {
    bool value;
    if (c_.row_ones[i] == 0) {
      value = false;
    } else if (c_.row_zeros[i] == 0) {
      value = true;
    } else {
      continue;
    }
    for (int j = g_; j >= 1; --j) {
      if (Open(i, j)) Force(i, j, value);
      if (failed_) return;
    }
  }
  for (int j = c1; j <= c2; ++j) {
    bool value;
    if (c_.col_ones[j] == 0) {
      value = false;
    } else if (c_.col_zeros[j] == 0) {
      value = true;
    } else {
      continue;
    }
    for (int i = f_; i >= 1; --i) {
      if (Open(i, j)) Force(i, j, value);
      if (failed_) return;
    }
  }
}

void ReferenceSampler::MutualPropagate(int r) {
  changed_ = false;
  failed_ = Infeasible();
  if (failed_) return;
  // Rule 1 to 5 of the dyad forcing, each visiting rows r to g, columns g to 1.
  auto visit = [&](auto&& act) {
    for (int i = r; i <= g_; ++i) {
      for (int j = g_; j >= 1; --j) {
        if (!Open(i, j)) continue;
        act(i, j);
        if (failed_) return;
      }
    }
  };
  auto mirror_is = [&](int i, int j, int v) { return !Open(j, i) && GetCell(values_, j, i) == v; };
  if (!c_.one_to_zero && c_.mutual >= m_) {
    visit([&](int i, int j) {
      if (mirror_is(i, j, 1)) Force(i, j, false);
    });
    if (failed_) return;
    c_.one_to_zero = true;
  }
  if (!c_.zero_to_one && c_.null >= c_.null_needed) {
    visit([&](int i, int j) {
      if (mirror_is(i, j, 0)) Force(i, j, true);
    });
    if (failed_) return;
    c_.zero_to_one = true;
  }
  if (!c_.zero_to_zero && c_.null + c_.dyads - c_.closed - c_.half_ones <= c_.null_needed) {
    visit([&](int i, int j) {
      if (mirror_is(i, j, 0)) {
        Force(i, j, false);
      } else if (Open(j, i)) {
        Force(i, j, false);
        if (!failed_ && Open(j, i)) Force(j, i, false);
      }
    });
    if (failed_) return;
    c_.zero_to_zero = true;
  }
  if (!(c_.zero_to_zero && c_.one_to_one) && c_.asym >= c_.asym_needed) {
    visit([&](int i, int j) {
      if (mirror_is(i, j, 1)) {
        Force(i, j, true);
      } else if (mirror_is(i, j, 0)) {
        Force(i, j, false);
      }
    });
    if (failed_) return;
    c_.zero_to_zero = true;
    c_.one_to_one = true;
  }
  if (!c_.one_to_one && c_.mutual + c_.half_ones + c_.open <= m_) {
    visit([&](int i, int j) {
      if (mirror_is(i, j, 1)) {
        Force(i, j, true);
      } else if (Open(j, i)) {
        Force(i, j, true);
        if (!failed_ && Open(j, i)) Force(j, i, true);
      }
    });
    if (failed_) return;
    c_.one_to_one = true;
  }
}

bool ReferenceSampler::Settle(int r) {
  bool changed;
  do {
    PropagateTotals(r, f_, 1, g_);
    if (failed_) return false;
    changed = changed_;
    if (mode_.fixed_mutuals) {
      MutualPropagate(r);
      if (failed_) return false;
      changed = changed || changed_;
    }
  } while (changed);
  return true;
}

std::string ReferenceSampler::Setup(const SamplerProblem& problem) {
  f_ = problem.f;
  g_ = problem.g;
  mode_ = problem.mode;
  m_ = problem.mutuals;
  structural_zeros_ = problem.structural_zeros;
  for (int i = 1; i <= f_; ++i) row_totals_[i] = problem.row_totals[static_cast<std::size_t>(i)];
  for (int j = 1; j <= g_; ++j) {
    col_totals_[j] =
        mode_.undirected ? row_totals_[j] : problem.column_totals[static_cast<std::size_t>(j)];
  }
  c_ = Counts{};
  int row_sz[kMaxRows + 1] = {};
  int col_sz[kMaxRows + 1] = {};
  for (int i = 1; i <= f_; ++i) {
    for (int j = 1; j <= g_; ++j) {
      if (GetCell(structural_zeros_, i, j) == 1) {
        ++row_sz[i];
        ++col_sz[j];
      }
    }
  }
  values_ = BinaryMatrix{};
  decided_ = structural_zeros_;
  for (int i = 1; i <= f_; ++i) {
    if (row_totals_[i] + row_sz[i] > g_) return "A row total is impossible.";
  }
  for (int j = 1; j <= g_; ++j) {
    if (col_totals_[j] + col_sz[j] > f_) return "A column total is impossible.";
  }
  int sr = 0;
  for (int i = 1; i <= f_; ++i) {
    c_.row_ones[i] = row_totals_[i];
    c_.row_free[i] = g_ - row_sz[i];
    c_.row_zeros[i] = c_.row_free[i] - row_totals_[i];
    sr += row_totals_[i];
  }
  for (int j = 1; j <= g_; ++j) {
    c_.col_ones[j] = col_totals_[j];
    c_.col_free[j] = f_ - col_sz[j];
    c_.col_zeros[j] = c_.col_free[j] - col_totals_[j];
  }
  c_.dyads = g_ * (g_ - 1) / 2;
  c_.open = c_.dyads;
  c_.null_needed = c_.dyads + m_ - sr;
  c_.asym_needed = c_.dyads - m_ - c_.null_needed;
  unforced_counts_ = c_;
  failed_ = false;
  if (!Settle(1)) return "There is no adjacency matrix subject to these restrictions.";
  start_ = decided_;
  start_counts_ = c_;
  return "";
}

bool ReferenceSampler::Attempt(const std::function<double()>& uniform, bool normalisation, double k,
                               double& weight) {
  weight = normalisation ? 0.0 : 1.0;
  failed_ = false;
  if (mode_.molloy_reed) {
    // Stub matching starts from the structural zeros alone: ties that the
    // totals force are drawn like any other.
    decided_ = structural_zeros_;
    c_ = unforced_counts_;
    return MolloyReed(uniform);
  }
  decided_ = start_;
  c_ = start_counts_;
  return Sequential(uniform, normalisation, k, weight);
}

bool ReferenceSampler::Sequential(const std::function<double()>& uniform, bool normalisation,
                                  double k, double& weight) {
  for (int i = 1; i <= f_ - 1; ++i) {
    double q = 1.0;
    for (int j = g_; j >= 2; --j) {
      if (!Settle(i)) return false;
      if (!Open(i, j)) continue;
      int d = 0;
      int e = 0;
      for (int l = 1; l < j; ++l) {
        if (!Open(i, l)) continue;
        d += c_.col_free[l];
        e += c_.col_ones[l];
      }
      bool failed = false;
      const double p = LiteralCellProbability(c_.row_ones[i], c_.row_free[i], c_.col_ones[j], d, e,
                                              c_.col_free[j], failed);
      if (failed) return false;
      if (uniform() > p) {
        Assign(i, j, false);
        q = q / (1 - p);
      } else {
        Assign(i, j, true);
        q = q / p;
      }
      if (failed_) return false;
    }
    if (Open(i, 1)) {
      PropagateTotals(i, i, 1, 1);
      if (failed_) return false;
    }
    if (!Settle(i + 1)) return false;
    if (normalisation) {
      weight += std::log(q);
    } else {
      weight = weight * q / k;
    }
  }
  return true;
}

bool ReferenceSampler::MolloyReed(const std::function<double()>& uniform) {
  int rem[kMaxRows + 1] = {};
  int cum[kMaxRows + 1] = {};
  for (int i = 1; i <= f_; ++i) rem[i] = row_totals_[i];
  for (int k = 1; k <= g_; ++k) cum[k] = cum[k - 1] + col_totals_[k];
  for (int i = 1; i <= f_; ++i) {
    while (rem[i] > 0) {
      rem[i] -= 1;
      if (mode_.undirected) {
        for (int k = i; k <= g_; ++k) cum[k] -= 1;
      }
      const double t = uniform() * cum[g_];
      int j = 1;
      while (j < g_ && cum[j] <= t) ++j;
      if (!Open(i, j)) return false;
      Assign(i, j, true);
      if (failed_) return false;
      for (int k = j; k <= g_; ++k) cum[k] -= 1;
      if (mode_.undirected) rem[j] -= 1;
    }
  }
  for (int i = 1; i <= f_; ++i) {
    for (int j = 1; j <= g_; ++j) {
      if (Open(i, j)) Assign(i, j, false);
      if (failed_) return false;
    }
  }
  return true;
}

}  // namespace kivo::sim
