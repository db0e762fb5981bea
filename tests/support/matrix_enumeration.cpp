#include "tests/support/matrix_enumeration.h"

#include <cstddef>

namespace kivo::sim {
namespace {

struct Walk {
  const SamplerProblem& p;
  const std::function<void(const BinaryMatrix&)>& visit;
  BinaryMatrix m{};
  int row_left[kMaxRows + 1] = {};
  int col_left[kMaxRows + 1] = {};
  std::int64_t count = 0;

  // Cells are taken row after row; for an undirected problem only those above
  // the diagonal, each setting its mirror too.
  void Cell(int i, int j) {
    if (j > p.g) {
      if (row_left[i] != 0) return;
      if (i == p.f) {
        Leaf();
      } else {
        Cell(i + 1, p.mode.undirected ? i + 2 : 1);
      }
      return;
    }
    const bool free = GetCell(p.structural_zeros, i, j) == 0;
    Cell(i, j + 1);
    if (!free || row_left[i] == 0 || col_left[j] == 0) return;
    if (p.mode.undirected && (row_left[j] == 0 || col_left[i] == 0)) return;
    Put(i, j, 1);
    Cell(i, j + 1);
    Put(i, j, 0);
  }

  void Put(int i, int j, int v) {
    const int step = v == 1 ? -1 : 1;
    SetCell(m, i, j, static_cast<std::uint8_t>(v));
    row_left[i] += step;
    col_left[j] += step;
    if (p.mode.undirected) {
      SetCell(m, j, i, static_cast<std::uint8_t>(v));
      row_left[j] += step;
      col_left[i] += step;
    }
  }

  void Leaf() {
    for (int j = 1; j <= p.g; ++j) {
      if (col_left[j] != 0) return;
    }
    if (p.mode.fixed_mutuals && CountMutualDyads(m, p.g) != p.mutuals) return;
    ++count;
    visit(m);
  }
};

}  // namespace

std::int64_t EnumerateMatrices(const SamplerProblem& problem,
                               const std::function<void(const BinaryMatrix&)>& visit) {
  Walk walk{problem, visit};
  for (int i = 1; i <= problem.f; ++i) {
    walk.row_left[i] = problem.row_totals[static_cast<std::size_t>(i)];
  }
  for (int j = 1; j <= problem.g; ++j) {
    walk.col_left[j] = problem.mode.undirected ? problem.row_totals[static_cast<std::size_t>(j)]
                                               : problem.column_totals[static_cast<std::size_t>(j)];
  }
  walk.Cell(1, problem.mode.undirected ? 2 : 1);
  return walk.count;
}

int CountMutualDyads(const BinaryMatrix& m, int n) {
  int count = 0;
  for (int i = 1; i <= n; ++i) {
    for (int j = i + 1; j <= n; ++j) {
      if (GetCell(m, i, j) == 1 && GetCell(m, j, i) == 1) ++count;
    }
  }
  return count;
}

}  // namespace kivo::sim
