#include "enum/kivoelib.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "runfiles/bar_chart.h"
#include "runfiles/format.h"
#include "tests/support/fake_env.h"

namespace kivo::enumeration {
namespace {

using Lines = std::vector<std::string>;
using Files = std::map<std::string, std::string>;

const Lines kReadingHeader = {"", "@2", "Reading input files.", "--------------------", ""};

std::string Pad(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

// Whether `block` occurs in `lines` as consecutive lines.
bool ContainsBlock(const Lines& lines, const Lines& block) {
  if (block.size() > lines.size()) return false;
  for (std::size_t start = 0; start + block.size() <= lines.size(); ++start) {
    bool all = true;
    for (std::size_t k = 0; all && k < block.size(); ++k) all = lines[start + k] == block[k];
    if (all) return true;
  }
  return false;
}

std::string Joined(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

struct ReadResult {
  Status status;
  Lines log;
  EnumerationInput input;
};

// Runs the reader on project "p" in a fresh directory holding `files`.
ReadResult Read(const Files& files) {
  ScopedTempDir dir;
  for (const auto& [name, text] : files) WriteFile(name, text);
  FakeEnv env;
  TextWriter log;
  EXPECT_TRUE(log.Create("p.out").ok());
  ReadResult result;
  result.status = ReadEnumerationInput(log, "p", env, result.input);
  EXPECT_TRUE(log.Close().ok());
  result.log = ReadLines("p.out");
  return result;
}

TEST(ReadEnumerationInputTest, AdjacencyMatrixEchoAndObservedValues) {
  const ReadResult r =
      Read({{"p.in", "3\n3\n1\n0\n1\nd.txt\n0\n1\n"}, {"d.txt", "0 1 0\n0 0 0\n0 0 0\n"}});
  ASSERT_TRUE(r.status.ok()) << r.status.message();
  Lines expected = kReadingHeader;
  const Lines body = {
      "input file p.in",
      "3 rows, 3 columns.",
      "Marginal totals calculated from adjacency matrix in file d.txt.",
      "Data matrix is not symmetric.",
      "Requested mode:",
      "no structural zeros.",
      "Selected version of evaluated statistics is 1.",
      "",
      "vertices",
      "  1   2   3 ",
      "row totals",
      "  1   0   0 ",
      "column totals",
      "  0   1   0 ",
      "",
      "@3",
      "Function values observed for this data matrix",
      "",
      Pad("Number of mutual dyads", 60) + "         0",
      Pad("# of transitive relations in triads ", 60) + "         0",
      Pad("# of intransitive relations in triads ", 60) + "         0",
      Pad("100 * #trans / (#trans + #intrans) (rounded to integer)", 60) + "         0",
      "",
  };
  expected.insert(expected.end(), body.begin(), body.end());
  EXPECT_EQ(Joined(r.log), Joined(expected));
  EXPECT_EQ(r.input.n, 3);
  EXPECT_EQ(r.input.m, 3);
  EXPECT_EQ(r.input.kind, MatrixKind::kNoStructuralZeros);
  EXPECT_TRUE(r.input.adjacency);
  EXPECT_EQ(r.input.observed[1][2], 1);
  EXPECT_EQ(r.input.statistics.numf, 4);
}

TEST(ReadEnumerationInputTest, DirectedGraphFromMarginsWithFixedMutuals) {
  // Field 2 carries a comment; the totals file has the row totals on one line
  // and the column totals on the next.
  const ReadResult r = Read({{"p.in", "4\n4 columns, as rows\n2\n1\n0\nm.txt\n1\n1\n2\n2\n"},
                             {"m.txt", "2 2 2 2 rows\n2 2 2 2\n"}});
  ASSERT_TRUE(r.status.ok()) << r.status.message();
  Lines expected = kReadingHeader;
  const Lines body = {
      "input file p.in",
      "4 rows, 4 columns.",
      "Marginal totals read from file m.txt.",
      "Requested mode:",
      "square matrix with structurally zero diagonal (directed graph).",
      "Number of mutual dyads 2.",
      "Enumeration is restricted to weakly connected digraphs.",
      "Selected version of evaluated statistics is 2.",
      "",
      "vertices",
      "  1   2   3   4 ",
      "row totals",
      "  2   2   2   2 ",
      "column totals",
      "  2   2   2   2 ",
  };
  expected.insert(expected.end(), body.begin(), body.end());
  EXPECT_EQ(Joined(r.log), Joined(expected));
  EXPECT_EQ(r.input.kind, MatrixKind::kDirected);
  EXPECT_TRUE(r.input.fix_mutuals);
  EXPECT_EQ(r.input.mutuals, 2);
  EXPECT_TRUE(r.input.connected_only);
  EXPECT_TRUE(r.input.write_all);
  EXPECT_EQ(r.input.version, 2);
  EXPECT_FALSE(r.input.adjacency);
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(r.input.structural_zeros[static_cast<std::size_t>(k)][static_cast<std::size_t>(k)],
              1);
    EXPECT_EQ(r.input.row_zero_counts[static_cast<std::size_t>(k)], 1);
  }
}

// Inputs that are read to the end; the block must appear in the log.
TEST(ReadEnumerationInputTest, AcceptedInputs) {
  struct Case {
    const char* name;
    Files files;
    Lines block;
    int n, m, version;
    MatrixKind kind;
    bool katz_powell;
  };
  const Case cases[] = {
      {"version 9 asks for the Katz & Powell count",
       {{"p.in", "3\n3\n2\n0\n0\nm.txt\n0\n0\n9\n"}, {"m.txt", "1 1 1\n1 1 1\n"}},
       {"square matrix with structurally zero diagonal (directed graph).",
        "Selected version of evaluated statistics is 1.", ""},
       3,
       3,
       1,
       MatrixKind::kDirected,
       true},
      {"version 3 is not allowed for a 4 x 5 matrix",
       {{"p.in", "4\n5\n1\n0\n0\nm.txt\n0\n3\n"}, {"m.txt", "1 1 1 1\n1 1 1 1 0\n"}},
       {"The number 3 is not allowed as the version of evaluated statistics.",
        "Selected version of evaluated statistics is 1."},
       4,
       5,
       1,
       MatrixKind::kNoStructuralZeros,
       false},
      {"an undirected graph whose degrees differ becomes directed",
       {{"p.in", "3\n3\n3\n0\n1\nd.txt\n0\n1\n"}, {"d.txt", "0 1 1\n0 0 1\n0 0 0\n"}},
       {"Data matrix is not symmetric.", "Requested mode:",
        "symmetric square matrix with structurally zero diagonal (undirected graph).",
        "Selected version of evaluated statistics is 1.", "Out- and in-degrees are different.",
        "Mode changed to digraph instead of graph.", ""},
       3,
       3,
       1,
       MatrixKind::kDirected,
       false},
      {"an asymmetric undirected graph with equal degrees stays undirected",
       {{"p.in", "4\n4\n3\n0\n1\nd.txt\n0\n1\n"},
        {"d.txt", "0 1 0 0\n0 0 1 0\n0 0 0 1\n1 0 0 0\n"}},
       {"Data matrix is not symmetric.", "Requested mode:",
        "symmetric square matrix with structurally zero diagonal (undirected graph).",
        "Selected version of evaluated statistics is 1.", ""},
       4,
       4,
       1,
       MatrixKind::kUndirected,
       false},
      {"field 10 holding a number gives the version and no structural zeros",
       {{"p.in", "3\n4\n4\n0\n0\nm.txt\n0\n2\n"}, {"m.txt", "1 1 1\n1 1 1 0\n"}},
       {"general pattern of structural zeros.", "No file name given for structural zeros.",
        "Consequently, no structural zeros are assumed.",
        "Structural zeros in following pattern : ", "", "0000", "0000", "0000", "",
        "Selected version of evaluated statistics is 2."},
       3,
       4,
       2,
       MatrixKind::kStructuralPattern,
       false},
      {"a structural-zeros file that ends early leaves the rest free",
       {{"p.in", "3\n3\n4\n0\n0\nm.txt\n0\nz.txt\n1\n"},
        {"m.txt", "1 1 1\n1 1 1\n"},
        {"z.txt", "1 0 0\n0 1 0\n"}},
       {"Structural zeros read from file z.txt.",
        "Unexpected end of file z.txt when trying to read", "position 1 of line 3.",
        "Structural zeros in following pattern : ", "", "100", "010", "000", ""},
       3,
       3,
       1,
       MatrixKind::kStructuralPattern,
       false},
      {"a directed graph whose input ends after field 9",
       {{"p.in", "3\n3\n2\n0\n0\nm.txt\n0\n1\n1"}, {"m.txt", "2 2 2\n"}},
       {"Number of mutual dyads 1.", "Warning: unexpected end of input file.",
        "The number 0 is not allowed as the version of evaluated statistics.",
        "Selected version of evaluated statistics is 1."},
       3,
       3,
       1,
       MatrixKind::kDirected,
       false},
      {"a margins file with only the row totals",
       {{"p.in", "3\n5\n1\n0\n0\nm.txt\n0\n1\n"}, {"m.txt", "1 2 0\n"}},
       {"row totals", "  1   2   0 ", "column totals", "  1   2   0 "},
       3,
       3,
       1,
       MatrixKind::kNoStructuralZeros,
       false},
      {"nothing after field 11 is read",
       {{"p.in", "3\n3\n1\n0\n0\nm.txt\n0\n3\n100\nweights\n"}, {"m.txt", "1 1 1\n1 1 1\n"}},
       {"Selected version of evaluated statistics is 3.", "", "vertices"},
       3,
       3,
       3,
       MatrixKind::kNoStructuralZeros,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ReadResult r = Read(c.files);
    ASSERT_TRUE(r.status.ok()) << r.status.message();
    EXPECT_TRUE(ContainsBlock(r.log, c.block)) << Joined(r.log);
    EXPECT_EQ(r.input.n, c.n);
    EXPECT_EQ(r.input.m, c.m);
    EXPECT_EQ(r.input.version, c.version);
    EXPECT_EQ(r.input.kind, c.kind);
    EXPECT_EQ(r.input.katz_powell, c.katz_powell);
  }
}

// Inputs that are refused (n = m = 0); `tail` is the end of the log.
TEST(ReadEnumerationInputTest, RefusedInputs) {
  const std::string margins3 = "1 1 1\n1 1 1\n";
  struct Case {
    const char* name;
    Files files;
    Lines tail;
  };
  const Case cases[] = {
      {"no input file", {}, {"Error: file p.in is not found."}},
      {"2 rows",
       {{"p.in", "2\n3\n1\n0\n0\nm.txt\n"}, {"m.txt", margins3}},
       {"2 rows, 3 columns.", "This is not meaningful."}},
      {"2 rows and no data file either",
       {{"p.in", "3\n2\n1\n0\n0\nnone.txt\n"}},
       {"This is not meaningful.", "Error: data file none.txt is not found."}},
      {"more than 15 columns",
       {{"p.in", "3\n16\n1\n0\n0\nm.txt\n"}, {"m.txt", margins3}},
       {"3 rows, 16 columns.",
        "More than 15 rows or columns cannot be enumerated by this program."}},
      {"a type code of the sampler's variants",
       {{"p.in", "3\n3\n12\n0\n0\nm.txt\n"}, {"m.txt", margins3}},
       {"Error: code 12 not allowed as type of matrix."}},
      {"no data file",
       {{"p.in", "3\n3\n1\n0\n0\nnone.txt\n"}},
       {"Error: data file none.txt is not found."}},
      {"an adjacency file with too few rows",
       {{"p.in", "3\n3\n1\n0\n1\nd.txt\n0\n1\n"}, {"d.txt", "0 1 0\n0 0 1\n"}},
       {"Marginal totals calculated from adjacency matrix in file d.txt.",
        "Error: end of file d.txt after reading line 2", "whereas 3 lines are expected."}},
      {"no structural-zeros file",
       {{"p.in", "3\n3\n4\n0\n0\nm.txt\n0\nz.txt\n1\n"}, {"m.txt", margins3}},
       {"Structural zeros read from file z.txt.",
        "Error: data file z.txt for structural zeros is not found."}},
      {"a row total that does not fit",
       {{"p.in", "3\n3\n2\n0\n0\nm.txt\n0\n0\n1\n"}, {"m.txt", "3 1 1\n2 2 1\n"}},
       {"column totals", "  2   2   1 ", "row total 1 = 3. This is impossible !"}},
      {"a column total that does not fit",
       {{"p.in", "3\n4\n4\n0\n0\nm.txt\n0\nz.txt\n1\n"},
        {"m.txt", "1 1 1\n3 0 0 0\n"},
        {"z.txt", "1 0 0 0\n"}},
       {"column total 1 = 3. This is impossible !"}},
      {"a negative total",
       {{"p.in", "3\n3\n1\n0\n0\nm.txt\n0\n1\n"}, {"m.txt", "-1 2 1\n1 1 0\n"}},
       {"row total 1 = -1. This is impossible !"}},
      {"totals with different sums",
       {{"p.in", "3\n3\n1\n0\n0\nm.txt\n0\n1\n"}, {"m.txt", "1 1 1\n1 1 0\n"}},
       {"The row and column totals do not have the same sum.", "This is impossible."}},
      {"an odd degree sum",
       {{"p.in", "3\n3\n3\n0\n0\nm.txt\n0\n1\n"}, {"m.txt", "1 1 1\n"}},
       {"The degree sum is odd, which is impossible for an undirected graph."}},
      {"too many mutual dyads",
       {{"p.in", "3\n3\n2\n0\n0\nm.txt\n0\n1\n2\n1\n"}, {"m.txt", "1 1 1\n1 1 1\n"}},
       {"The precribed number of mutual dyads is 2.", "This is impossible."}},
      {"a negative number of mutual dyads",
       {{"p.in", "3\n3\n2\n0\n0\nm.txt\n0\n1\n-1\n1\n"}, {"m.txt", "1 1 1\n1 1 1\n"}},
       {"The precribed number of mutual dyads is -1.", "This is impossible."}},
      {"all failing checks are reported",
       {{"p.in", "3\n3\n1\n0\n0\nm.txt\n0\n1\n"}, {"m.txt", "4 0 0\n0 0 5\n"}},
       {"row total 1 = 4. This is impossible !", "column total 3 = 5. This is impossible !",
        "The row and column totals do not have the same sum.", "This is impossible."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ReadResult r = Read(c.files);
    ASSERT_TRUE(r.status.ok()) << r.status.message();
    EXPECT_EQ(r.input.n, 0);
    EXPECT_EQ(r.input.m, 0);
    ASSERT_GE(r.log.size(), c.tail.size());
    const Lines tail(r.log.end() - static_cast<std::ptrdiff_t>(c.tail.size()), r.log.end());
    EXPECT_EQ(Joined(tail), Joined(c.tail));
  }
}

TEST(ReadEnumerationInputTest, MalformedNumberIsAnInputOutputError) {
  struct Case {
    Files files;
    const char* message;
  };
  const Case cases[] = {
      {{{"p.in", "3\nthree\n"}}, "p.in, line 2: \"three\" is not an integer"},
      {{{"p.in", "3\n3\n1\n0\n1\nd.txt\n"}, {"d.txt", "0 1 0\n0 x 1\n0 0 0\n"}},
       "d.txt, line 2: \"x\" is not an integer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const ReadResult r = Read(c.files);
    EXPECT_FALSE(r.status.ok());
    EXPECT_EQ(r.status.message(), c.message);
  }
}

// --- Listing ---------------------------------------------------------------

EnumMatrix FromRows(const Lines& rows) {
  EnumMatrix matrix{};
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) matrix[r + 1][c + 1] = rows[r][c] == '1';
  }
  return matrix;
}

EnumerationInput DirectedCycleInput() {
  EnumerationInput input;
  input.n = input.m = 3;
  input.kind = MatrixKind::kDirected;
  input.write_all = true;
  for (std::size_t k = 1; k <= 3; ++k) {
    input.row_totals[k] = input.column_totals[k] = 1;
    input.structural_zeros[k][k] = 1;
  }
  input.statistics = MakeStatisticsSetup(3, 3, false, false, 1);
  return input;
}

TEST(MatrixListingTest, HeaderAndRecordOfTheDirectedCycle) {
  ScopedTempDir dir;
  FakeEnv env;
  EnumerationInput input = DirectedCycleInput();
  TextWriter log;
  ASSERT_TRUE(log.Create("p.out").ok());
  MatrixListing listing;
  ASSERT_TRUE(OpenMatrixListing(listing, "p").ok());
  EXPECT_EQ(listing.file_name, "p.prn");
  WriteListingHeader(listing.file, input);
  // Two statistics with the real values 3 and 0.5.
  input.statistics.numf = 2;
  RealValues values{};
  values[1] = 3;
  values[2] = 0.5;
  WriteMatrixListing(log, listing, input, 1, FromRows({"010", "001", "100"}), values, env);
  // A mutual dyad shows as M in both of its cells.
  WriteMatrixListing(log, listing, input, 2, FromRows({"011", "100", "000"}), values, env);
  ASSERT_TRUE(listing.file.Close().ok());
  const Lines expected = {
      "This file contains all found 0-1 matrices ",
      "with the desired row and column totals.",
      "Mutual dyads are indicated by M.",
      "",
      "Row totals :      1  1  1",
      "Column totals :   1  1  1",
      "Directed graph.",
      "Following each matrix are the following function values:",
      " 1. Number of mutual dyads",
      " 2. # of transitive relations in triads ",
      " 3. # of intransitive relations in triads ",
      " 4. 100 * #trans / (#trans + #intrans)",
      "",
      "",
      "1.",
      "X10",
      "0X1",
      "10X",
      "*   3.00   0.50 ",
      "",
      "2.",
      "XM1",
      "MX0",
      "00X",
      "*   3.00   0.50 ",
  };
  EXPECT_EQ(Joined(ReadLines("p.prn")), Joined(expected));
  ASSERT_TRUE(log.Close().ok());
  EXPECT_TRUE(ReadLines("p.out").empty());
}

// The listing formats its values itself; they must read exactly as the
// report helper writes them, halves included.
TEST(MatrixListingTest, ValuesReadAsTheReportHelperWritesThem) {
  const double cases[] = {0,
                          3,
                          0.5,
                          0.285,
                          2.675,
                          12.125,
                          66.66666666666667,
                          100.0,
                          99.995,
                          1234.5678,
                          0.004999,
                          0.005,
                          -0.0,
                          -1.25,
                          1e5 + 0.005,
                          2e6,
                          57.73502691896258,
                          1e300};
  ScopedTempDir dir;
  FakeEnv env;
  EnumerationInput input = DirectedCycleInput();
  TextWriter log;
  ASSERT_TRUE(log.Create("p.out").ok());
  MatrixListing listing;
  ASSERT_TRUE(OpenMatrixListing(listing, "p").ok());
  input.statistics.numf = 1;
  int count = 0;
  for (const double value : cases) {
    RealValues values{};
    values[1] = value;
    WriteMatrixListing(log, listing, input, ++count, EnumMatrix{}, values, env);
  }
  ASSERT_TRUE(listing.file.Close().ok());
  const Lines lines = ReadLines("p.prn");
  ASSERT_EQ(lines.size(), 6 * std::size(cases));
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    SCOPED_TRACE(cases[k]);
    EXPECT_EQ(lines[6 * k + 5], "* " + Real(cases[k], 6, 2) + " ");
  }
}

TEST(MatrixListingTest, HeaderOfEachKind) {
  struct Case {
    MatrixKind kind;
    bool fix_mutuals;
    Lines block;
  };
  const Case cases[] = {
      {MatrixKind::kNoStructuralZeros,
       false,
       {"Column totals :   1  1  1", "No structural zeros."}},
      {MatrixKind::kUndirected, false, {"Column totals :   1  1  1", "Undirected graph."}},
      {MatrixKind::kDirected,
       true,
       {"Directed graph.", "Number of mutuals fixed at 0",
        "Following each matrix are the following function values:"}},
      {MatrixKind::kStructuralPattern,
       false,
       {"Column totals :   1  1  1", "Structural zeros in following pattern : ", "", "010", "000",
        "000", "", "Following each matrix are the following function values:"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    ScopedTempDir dir;
    EnumerationInput input = DirectedCycleInput();
    input.kind = c.kind;
    input.fix_mutuals = c.fix_mutuals;
    input.structural_zeros = EnumMatrix{};
    input.structural_zeros[1][2] = 1;
    TextWriter file;
    ASSERT_TRUE(file.Create("p.prn").ok());
    WriteListingHeader(file, input);
    ASSERT_TRUE(file.Close().ok());
    EXPECT_TRUE(ContainsBlock(ReadLines("p.prn"), c.block)) << Joined(ReadLines("p.prn"));
  }
}

TEST(MatrixListingTest, SecondRunAppendsNewHeaderAfterLastRecord) {
  ScopedTempDir dir;
  FakeEnv env;
  EnumerationInput input = DirectedCycleInput();
  TextWriter log;
  ASSERT_TRUE(log.Create("p.out").ok());
  RealValues values{};
  for (int run = 0; run < 2; ++run) {
    MatrixListing listing;
    ASSERT_TRUE(OpenMatrixListing(listing, "p").ok());
    WriteListingHeader(listing.file, input);
    WriteMatrixListing(log, listing, input, 1, FromRows({"010", "001", "100"}), values, env);
    ASSERT_TRUE(listing.file.Close().ok());
  }
  const Lines lines = ReadLines("p.prn");
  EXPECT_TRUE(ContainsBlock(lines, {"10X", "*   0.00   0.00   0.00   0.00 ",
                                    "This file contains all found 0-1 matrices "}))
      << Joined(lines);
  EXPECT_EQ(lines.size(), 2 * 19u);
}

TEST(MatrixListingTest, DiskGuardEndsTheListing) {
  struct Case {
    int low_from;  // the drive is nearly full from this matrix on
    int records;   // records left in the listing
    bool advice;
  };
  const Case cases[] = {{1, 999, false}, {1500, 1999, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.low_from);
    ScopedTempDir dir;
    FakeEnv env;
    EnumerationInput input = DirectedCycleInput();
    TextWriter log;
    ASSERT_TRUE(log.Create("p.out").ok());
    MatrixListing listing;
    ASSERT_TRUE(OpenMatrixListing(listing, "p").ok());
    WriteListingHeader(listing.file, input);
    RealValues values{};
    const EnumMatrix cycle = FromRows({"010", "001", "100"});
    for (int count = 1; count <= 2500; ++count) {
      if (count == c.low_from) env.drive_space = {4, 100};
      if (input.write_all) WriteMatrixListing(log, listing, input, count, cycle, values, env);
    }
    EXPECT_FALSE(input.write_all);
    EXPECT_FALSE(listing.file.is_open());
    EXPECT_TRUE(listing.file.status().ok());
    ASSERT_TRUE(log.Close().ok());
    const std::string last = std::to_string(c.records) + ".";
    const std::string next = std::to_string(c.records + 1) + ".";
    const Lines prn = ReadLines("p.prn");
    EXPECT_EQ(prn[prn.size() - 5], last);
    Lines expected = {
        "You are writing all matrices to disk on the file p.prn, ",
        "but of the entire disk space only 0.04 is free",
        "after writing " + std::to_string(c.records + 1) + " matrices.",
        "In order to avoid filling up your entire disk space, writing file p.prn is terminated.",
    };
    if (c.advice) expected.push_back("You are advised to delete this file, it may be huge.");
    EXPECT_EQ(Joined(ReadLines("p.out")), Joined(expected));
  }
}

// --- Tallies and report ------------------------------------------------------

struct ReportRun {
  EnumerationInput input = DirectedCycleInput();
  EnumerationTallies tallies;
  MatrixListing listing;

  // Tallies one complete matrix whose statistic 1 (the mutual dyads) is
  // `mutuals` and whose two-path counts are given.
  void Tally(std::int32_t mutuals, std::int32_t transitive = 0, std::int32_t intransitive = 0) {
    PrimaryValues primary{};
    primary[1] = transitive;
    primary[2] = intransitive;
    RealValues values{};
    TallyMatrix(tallies, input.statistics, EnumMatrix{}, mutuals, primary, values);
  }

  Lines Report() {
    ScopedTempDir dir;
    TextWriter log;
    EXPECT_TRUE(log.Create("p.out").ok());
    WriteEnumerationReport(log, input, tallies, listing);
    EXPECT_TRUE(log.Close().ok());
    return ReadLines("p.out");
  }
};

Lines ChartLines(int per_bar, int bars, int first, const std::vector<double>& heights) {
  ScopedTempDir dir;
  TextWriter file;
  EXPECT_TRUE(file.Create("chart.txt").ok());
  DrawBarChart(file, per_bar, bars, first, heights);
  EXPECT_TRUE(file.Close().ok());
  return ReadLines("chart.txt");
}

TEST(EnumerationReportTest, NoMatrixFound) {
  ReportRun run;
  run.input.connected_only = true;
  run.tallies.disconnected = 4;
  const Lines expected = {"",
                          "@2",
                          "Enumeration results.",
                          "--------------------",
                          "",
                          "Number of disconnected matrices constructed is 4.",
                          "Total number of matrices found         0"};
  EXPECT_EQ(Joined(run.Report()), Joined(expected));
}

TEST(EnumerationReportTest, SingleOutcomesHaveTablesWithoutCharts) {
  ReportRun run;
  run.listing.file_name = "p.prn";
  run.Tally(2, 3, 1);
  run.Tally(2, 3, 1);
  const Lines expected = {
      "",
      "@2",
      "Enumeration results.",
      "--------------------",
      "",
      "Total number of matrices found         2",
      "",
      "@3",
      "Number of mutual dyads",
      "",
      "Mean                 2.0000",
      "Variance             0.0000",
      "Standard deviation   0.0000",
      "",
      "Outcome        Number of matrices",
      "      2                 2",
      "",
      "",
      "@3",
      "# of transitive relations in triads ",
      "",
      "Mean                 3.0000",
      "Variance             0.0000",
      "Standard deviation   0.0000",
      "",
      "Outcome        Number of matrices",
      "      3                 2",
      "",
      "",
      "@3",
      "# of intransitive relations in triads ",
      "",
      "Mean                 1.0000",
      "Variance             0.0000",
      "Standard deviation   0.0000",
      "",
      "Outcome        Number of matrices",
      "      1                 2",
      "",
      "",
      "@3",
      "100 * #trans / (#trans + #intrans) (rounded to integer)",
      "",
      "Mean                75.0000",
      "Variance             0.0000",
      "Standard deviation   0.0000",
      "",
      "Outcome        Number of matrices",
      "     75                 2",
      "",
      "",
      "All matrices written to file p.prn.",
  };
  EXPECT_EQ(Joined(run.Report()), Joined(expected));
}

TEST(EnumerationReportTest, OutcomesAboveTheRangeAreCountedInTheMomentsOnly) {
  ReportRun run;
  run.input.write_all = false;
  run.Tally(0, 150, 0);
  run.Tally(0, 150, 0);
  const Lines lines = run.Report();
  EXPECT_TRUE(ContainsBlock(
      lines, {"@3", "# of transitive relations in triads ", "", "Mean               150.0000",
              "Variance             0.0000", "Standard deviation   0.0000",
              "Some outcomes were greater than 100", "", "@3"}))
      << Joined(lines);
  EXPECT_FALSE(ContainsBlock(lines, {"All matrices written to file ."}));
}

TEST(EnumerationReportTest, ChartGroupsOutcomes) {
  struct Case {
    int smallest, largest;
    int per_bar, bars;
  };
  const Case cases[] = {{0, 100, 2, 51}, {30, 99, 1, 70}, {4, 6, 1, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.largest - c.smallest);
    ReportRun run;
    const int outcomes = c.largest - c.smallest + 1;
    for (int v = c.smallest; v <= c.largest; ++v) run.Tally(v);
    std::vector<double> heights(static_cast<std::size_t>(c.bars), 0.0);
    for (int v = c.smallest; v <= c.largest; ++v) {
      heights[static_cast<std::size_t>((v - c.smallest) / c.per_bar)] += 1.0 / outcomes;
    }
    const Lines lines = run.Report();
    Lines table = {"", "Outcome        Number of matrices"};
    for (int v = c.smallest; v <= c.largest; ++v) {
      std::string line = std::to_string(v);
      table.push_back(std::string(7 - line.size(), ' ') + line + "      " + std::string(11, ' ') +
                      "1");
    }
    table.push_back("");
    const Lines chart = ChartLines(c.per_bar, c.bars, c.smallest, heights);
    table.insert(table.end(), chart.begin(), chart.end());
    table.push_back("");
    table.push_back("@3");
    EXPECT_TRUE(ContainsBlock(lines, table)) << Joined(lines);
  }
}

TEST(EnumerationReportTest, MomentsOfASpreadOutcome) {
  ReportRun run;
  run.Tally(1);
  run.Tally(2);
  run.Tally(2);
  run.Tally(3);
  const Lines lines = run.Report();
  EXPECT_TRUE(ContainsBlock(lines, {"Mean                 2.0000", "Variance             0.5000",
                                    "Standard deviation   0.7071"}))
      << Joined(lines);
  EXPECT_EQ(run.tallies.count, 4);
  EXPECT_EQ(run.tallies.statistics[1].smallest, 1);
  EXPECT_EQ(run.tallies.statistics[1].largest, 3);
  EXPECT_EQ(run.tallies.statistics[1].outcome_count[2], 2.0);
}

}  // namespace
}  // namespace kivo::enumeration
