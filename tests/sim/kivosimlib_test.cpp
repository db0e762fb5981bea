#include "sim/kivosimlib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/fake_env.h"

namespace kivo::sim {
namespace {

using Lines = std::vector<std::string>;
using Files = std::vector<std::pair<std::string, std::string>>;

// Margins of a digraph on 4 vertices: out-degrees 1 2 1 1, in-degrees 2 1 1 1.
constexpr char kDigraphMargins[] = "1 2 1 1\n2 1 1 1\n";

class ProjectInputTest : public ::testing::Test {
 protected:
  // Writes p.in and the other files, reads the project into a fresh log and
  // returns the log's lines after its section header.
  Lines Read(const std::string& in_text, const Files& files = {}) {
    if (!in_text.empty()) WriteFile("p.in", in_text);
    for (const auto& [name, text] : files) WriteFile(name, text);
    TextWriter log;
    EXPECT_TRUE(log.Create("p.out").ok());
    status_ = ReadProjectInput(log, "p", env_, run_, input_, listing_);
    EXPECT_TRUE(log.Close().ok());
    listing_.Close();
    Lines lines = ReadLines("p.out");
    const Lines header = {"", "@2", "Reading input files.", "--------------------", ""};
    EXPECT_TRUE(lines.size() >= header.size() &&
                std::equal(header.begin(), header.end(), lines.begin()));
    lines.erase(lines.begin(), lines.begin() + std::min(lines.size(), header.size()));
    return lines;
  }

  ScopedTempDir dir_;
  FakeEnv env_;
  RunStatus run_;
  ProjectInput input_;
  TextWriter listing_;
  Status status_;
};

bool EndsWith(const Lines& lines, const Lines& tail) {
  return lines.size() >= tail.size() && std::equal(tail.rbegin(), tail.rend(), lines.rbegin());
}

bool ContainsBlock(const Lines& lines, const Lines& block) {
  return std::search(lines.begin(), lines.end(), block.begin(), block.end()) != lines.end();
}

std::string Dump(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += "|" + line + "|\n";
  return text;
}

// Every failure that ends the reading: the last lines of the log, the stop
// message, and f = g = 0 with no listing opened.
TEST_F(ProjectInputTest, FailuresEndTheReadingWithTheirLinesAndStopMessage) {
  struct Case {
    const char* name;
    std::string in;
    Files files;
    Lines tail;
    std::string stop;
  };
  const Files margins = {{"m.txt", kDigraphMargins}};
  const Lines digraph_echo = {"",
                              "vertices",
                              "  1   2   3   4 ",
                              "row totals",
                              "  1   2   1   1 ",
                              "column totals",
                              "  2   1   1   1 "};
  const auto with_echo = [&](Lines before, const Lines& after) {
    Lines all = std::move(before);
    all.insert(all.end(), digraph_echo.begin(), digraph_echo.end());
    all.insert(all.end(), after.begin(), after.end());
    return all;
  };
  const Case cases[] = {
      {"input file missing", "", {}, {}, "File p.in is not found."},
      {"too few rows",
       "1\n5\n1\n1\n0\nm.txt\n",
       margins,
       {"input file p.in", "1 rows, 5 columns.", "This is not meaningful."},
       "Numbers of rows and columns not meaningful."},
      {"too few columns, data file missing too: the later message wins",
       "5\n1\n1\n1\n0\nnone.txt\n",
       {},
       {"input file p.in", "5 rows, 1 columns.", "This is not meaningful."},
       "Data file none.txt is not found."},
      {"type code",
       "4\n4\n7\n0\n0\nm.txt\n",
       margins,
       {"input file p.in", "4 rows, 4 columns.", "Error: code 7 not allowed as type of matrix."},
       "Error in .in file."},
      {"type code 15 is 5 after the Molloy-Reed offset",
       "4\n4\n15\n0\n0\nm.txt\n",
       margins,
       {"4 rows, 4 columns.", "Error: code 15 not allowed as type of matrix."},
       "Error in .in file."},
      {"digraph on two vertices",
       "2\n2\n2\n0\n0\nm.txt\n1\n",
       margins,
       {"input file p.in", "2 rows, 2 columns.",
        "Kivo analysis for a (di)graph with 2 vertices is not meaningful."},
       ""},
      {"data file missing",
       "4\n4\n1\n0\n0\nnone.txt\n",
       {},
       {"input file p.in", "4 rows, 4 columns."},
       "Data file none.txt is not found."},
      {"adjacency file too short",
       "4\n4\n1\n0\n1\na.txt\n",
       {{"a.txt", "0 1 0 0\n1 0 0 0\n\n"}},
       {"4 rows, 4 columns.", "Marginal totals calculated from adjacency matrix in file a.txt.",
        "Error: end of file a.txtafter reading line 2", "whereas 4 lines are expected."},
       "Data file has not enough rows."},
      {"structural-zeros file missing",
       "3\n4\n4\n0\n0\nm.txt\n0\nz.txt\n1\n10\n",
       {{"m.txt", "1 1 1\n1 1 1 0\n"}},
       {"Requested mode:", "general pattern of structural zeros.",
        "Structural zeros read from file z.txt.", "Error: data file z.txt is not found."},
       "File z.txt is not found."},
      {"field 10 reading -99 is a file name",
       "3\n4\n4\n0\n0\nm.txt\n0\n-99\n1\n10\n",
       {{"m.txt", "1 1 1\n1 1 1 0\n"}},
       {"Structural zeros read from file -99.", "Error: data file -99 is not found."},
       "File -99 is not found."},
      {"weights file missing", "4\n4\n2\n0\n0\nm.txt\n0\n0\n1\n10\n2\n2\nw.txt\n", margins,
       with_echo({"Selected version of evaluated statistics is 1."},
                 {"10 simulations requested.",
                  "Weights for linear combinations of triad counts read from file w.txt.",
                  "Error: data file w.txt is not found."}),
       "File w.txt not found."},
      {"row total too large",
       "2\n3\n1\n0\n0\nm.txt\n0\n1\n10\n",
       {{"m.txt", "4 0\n1 1 2\n"}},
       {"row totals", "  4   0 ", "column totals", "  1   1   2 ",
        "row total 1 = 4. This is impossible !"},
       "Row total has impossible value."},
      {"column total too large",
       "2\n3\n1\n0\n0\nm.txt\n0\n1\n10\n",
       {{"m.txt", "2 1\n3 0 0\n"}},
       {"column totals", "  3   0   0 ", "column total 1 = 3. This is impossible !"},
       "Column total has impossible value."},
      {"sums differ; every check is made and the last failure names the stop",
       "2\n3\n1\n0\n0\nm.txt\n0\n1\n10\n",
       {{"m.txt", "4 1\n1 0 0\n"}},
       {"row total 1 = 4. This is impossible !",
        "The row and column totals do not have the same sum.", "This is impossible."},
       "Row and column totals incompatible."},
      {"odd degree sum",
       "3\n3\n3\n0\n0\nm.txt\n0\n1\n10\n",
       {{"m.txt", "1 1 1\n"}},
       {"column totals", "  1   1   1 ",
        "The degree sum is odd, which is impossible for an undirected graph."},
       "No graph with these degrees."},
      {"more mutual dyads than half the ties", "4\n4\n2\n0\n0\nm.txt\n0\n1\n3\n1\n10\n", margins,
       with_echo({"Number of mutual dyads to be fixed at 3.",
                  "Selected version of evaluated statistics is 1."},
                 {"The precribed number of mutual dyads is 3.", "This is impossible."}),
       "Prescribed number of mutual dyads impossible."},
      {"negative number of mutual dyads",
       "4\n4\n2\n0\n0\nm.txt\n0\n1\n-1\n1\n10\n",
       margins,
       {"The precribed number of mutual dyads is -1.", "This is impossible."},
       "Prescribed number of mutual dyads impossible."},
      {"negative total",
       "3\n3\n1\n0\n0\nm.txt\n0\n1\n10\n",
       {{"m.txt", "-1 2 2\n1 1 1\n"}},
       {"column totals", "  1   1   1 ", "row total 1 = -1. This is impossible !"},
       "Row total has impossible value."},
      {"more rows than the stores hold",
       "201\n5\n1\n0\n0\nm.txt\n",
       margins,
       {"201 rows, 5 columns.", "Number of rows f greater than maximum fmax."},
       "Number of rows f greater than maximum fmax."},
      {"more columns than the stores hold",
       "5\n300\n1\n0\n1\na.txt\n",
       {{"a.txt", "1\n"}},
       {"5 rows, 300 columns.", "Number of columns g greater than maximum gmax."},
       "Number of columns g greater than maximum gmax."},
      {"a digraph too large in both",
       "250\n3\n2\n0\n1\na.txt\n",
       {{"a.txt", "1\n"}},
       {"250 rows, 3 columns.", "Number of rows f greater than maximum fmax.",
        "Number of columns g greater than maximum gmax."},
       "Number of columns g greater than maximum gmax."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir case_dir;
    run_ = RunStatus();
    const Lines log = Read(c.in, c.files);
    ASSERT_TRUE(status_.ok()) << status_.message();
    EXPECT_TRUE(EndsWith(log, c.tail)) << Dump(log);
    if (c.tail.empty()) {
      EXPECT_TRUE(log.empty()) << Dump(log);
    }
    EXPECT_EQ(run_.stop_message, c.stop);
    EXPECT_EQ(input_.f, 0);
    EXPECT_EQ(input_.g, 0);
    EXPECT_FALSE(input_.prn_open);
  }
}

// A complete digraph project from margins, with every echo line in order.
TEST_F(ProjectInputTest, DigraphFromMarginsLogsEveryLineInOrder) {
  const Lines log =
      Read("4\n4  columns\n12\n0\n0\nm.txt\n1\n1\n2\n1\n-5\n3\n1\n",  // MR digraph, 2 mutuals
           {{"m.txt", kDigraphMargins}});
  ASSERT_TRUE(status_.ok()) << status_.message();
  const Lines expected = {
      "input file p.in",
      "4 rows, 4 columns.",
      "Marginal totals read from file m.txt.",
      "Requested mode:",
      "square matrix with structurally zero diagonal (directed graph).",
      "Number of mutual dyads to be fixed at 2.",
      "Enumeration is restricted to weakly connected digraphs.",
      "Molloy-Reed algorithm is used.",
      "Selected version of evaluated statistics is 1.",
      "",
      "vertices",
      "  1   2   3   4 ",
      "row totals",
      "  1   2   1   1 ",
      "column totals",
      "  2   1   1   1 ",
      "-5 simulations requested.",
      " This is changed to 100.",
  };
  EXPECT_EQ(log, expected) << Dump(log);
  EXPECT_EQ(run_.stop_message, "");
  EXPECT_EQ(input_.f, 4);
  EXPECT_EQ(input_.g, 4);
  EXPECT_EQ(input_.matrix_mode, 115);
  EXPECT_TRUE(input_.fix_mutuals);
  EXPECT_EQ(input_.mutuals, 2);
  EXPECT_TRUE(input_.connectivity);
  EXPECT_EQ(input_.simulations, 100);
  EXPECT_EQ(input_.numl, 3);
  EXPECT_EQ(input_.row_totals[2], 2);
  EXPECT_EQ(input_.column_totals[1], 2);
  EXPECT_FALSE(input_.adjacency_data);
  for (int i = 1; i <= 200; ++i) EXPECT_EQ(GetCell(input_.structural_zeros, i, i), 1);
  EXPECT_EQ(GetCell(input_.structural_zeros, 1, 2), 0);
  // Default weights: combination k counts the triads of type k.
  for (int k = 1; k <= 3; ++k) {
    SCOPED_TRACE(k);
    const WeightRow& row = input_.weight_table[static_cast<std::size_t>(k)];
    EXPECT_DOUBLE_EQ(row[0], 0.1);
    for (int t = 1; t <= 16; ++t) EXPECT_EQ(row[static_cast<std::size_t>(t)], t == k ? 1.0 : 0.0);
  }
  EXPECT_EQ(input_.weight_table[4][4], 0.0);
}

// Accepted inputs: the block of log lines each must produce, and the values
// read.
TEST_F(ProjectInputTest, EdgeCasesOfAcceptedInputs) {
  struct Case {
    const char* name;
    std::string in;
    Files files;
    Lines block;
    int f, g, mode, version, simulations, numl;
  };
  const Case cases[] = {
      {"one line of margins: the column totals copy the row totals",
       "3\n5\n1\n0\n0\nm.txt\n0\n1\n10\n",
       {{"m.txt", "1 2 1 extra words\n"}},
       {"3 rows, 5 columns.", "Marginal totals read from file m.txt.",
        "Requested mode:", "no structural zeros.", "Selected version of evaluated statistics is 1.",
        "", "vertices", "  1   2   3 ", "row totals", "  1   2   1 ", "column totals",
        "  1   2   1 ", "10 simulations requested."},
       3,
       3,
       1,
       1,
       10,
       0},
      {"2 x 2 adjacency with a tie above the diagonal only",
       "2\n2\n1\n0\n1\na.txt\n0\n1\n2\n",
       {{"a.txt", "0 1\n0 0\n"}},
       {"Marginal totals calculated from adjacency matrix in file a.txt.",
        "Data matrix is not symmetric.", "Requested mode:"},
       2,
       2,
       1,
       1,
       2,
       0},
      {"symmetric undirected matrix",
       "3\n3\n3\n0\n1\na.txt\n0\n1\n10\n0\n1\n",
       {{"a.txt", "0 1 1\n1 0 0\n1 0 0\n"}},
       {"Marginal totals calculated from adjacency matrix in file a.txt.",
        "Data matrix is symmetric.", "Requested mode:"},
       3,
       3,
       13,
       1,
       10,
       0},
      {"undirected, not symmetric but equal totals: stays a graph",
       "4\n4\n3\n0\n1\na.txt\n0\n1\n10\n0\n1\n",
       {{"a.txt", "0 1 0 0\n0 0 1 0\n0 0 0 1\n1 0 0 0\n"}},
       {"Data matrix is not symmetric.", "Requested mode:",
        "symmetric square matrix with structurally zero diagonal (undirected graph).",
        "Selected version of evaluated statistics is 1.", ""},
       4,
       4,
       13,
       1,
       10,
       0},
      {"undirected with unequal totals becomes a digraph",
       "3\n3\n3\n0\n1\na.txt\n1\n1\n10\n0\n1\n",
       {{"a.txt", "0 1 1\n0 0 1\n0 0 0\n"}},
       {"Data matrix is not symmetric.", "Requested mode:",
        "symmetric square matrix with structurally zero diagonal (undirected graph).",
        "Enumeration is restricted to connected graphs.",
        "Selected version of evaluated statistics is 1.",
        "Mode changed to digraph instead of graph.", ""},
       3,
       3,
       12,
       1,
       10,
       0},
      {"field 10 is a number: no pattern, that number is the version",
       "3\n4\n4\n0\n0\nm.txt\n0\n2\n7\n",
       {{"m.txt", "1 1 1\n1 1 1 0\n"}},
       {"general pattern of structural zeros.", "No file name given for structural zeros.",
        "Consequently, no structural zeros are assumed.",
        "Structural zeros in following pattern : ", "", "0000", "0000", "0000", "",
        "Selected version of evaluated statistics is 2.", ""},
       3,
       4,
       4,
       2,
       7,
       0},
      {"pattern file shorter than the matrix",
       "3\n4\n4\n0\n0\nm.txt\n0\nzeros file.txt\n3\n5\n",
       {{"m.txt", "1 1 1\n1 1 1 0\n"}, {"zeros file.txt", "1 0 0 0\n0 2\n"}},
       {"Structural zeros read from file zeros file.txt.",
        "Unexpected end of file zeros file.txt when trying to read", "position 3 of line 2.",
        "Structural zeros in following pattern : ", "", "1000", "0100", "0000", "",
        "Selected version of evaluated statistics is 3."},
       3,
       4,
       4,
       3,
       5,
       0},
      {"version 4 is not allowed for a 5 x 7 matrix",
       "5\n7\n1\n0\n0\nm.txt\n0\n4\n0\n",
       {{"m.txt", "1 1 1 1 1\n1 1 1 1 1 0 0\n"}},
       {"The number 4 is not allowed as the version of evaluated statistics.",
        "Selected version of evaluated statistics is 1."},
       5,
       7,
       1,
       1,
       0,
       0},
      {"N = 1 becomes 2",
       "3\n3\n1\n0\n0\nm.txt\n0\n1\n1\n",
       {{"m.txt", "1 1 1\n1 1 1\n"}},
       {"1 simulations requested.", " This is changed to 2."},
       3,
       3,
       1,
       1,
       2,
       0},
      {"input ends early: warnings, missing numbers read as 0",
       "3\n3\n2\n0\n0\nm.txt\n",
       {{"m.txt", "1 1 1\n1 1 1\n"}},
       {"Warning: unexpected end of input file.",
        "Requested mode:", "square matrix with structurally zero diagonal (directed graph).",
        "Warning: unexpected end of input file.",
        "The number 0 is not allowed as the version of evaluated statistics.",
        "Selected version of evaluated statistics is 1."},
       3,
       3,
       12,
       1,
       0,
       0},
      {"19 combinations are none; field 14 is still read",
       "4\n4\n2\n0\n0\nm.txt\n0\n0\n1\n10\n19\n2\n",
       {{"m.txt", kDigraphMargins}},
       {"10 simulations requested."},
       4,
       4,
       12,
       1,
       10,
       0},
      {"file names with blanks and a carriage return",
       "3\r\n3\r\n1\r\n0\r\n0\r\nmy margins.txt\r\n0\r\n1\r\n4\r\n",
       {{"my margins.txt", "1 1 1\r\n1 1 1\r\n"}},
       {"Marginal totals read from file my margins.txt."},
       3,
       3,
       1,
       1,
       4,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir case_dir;
    run_ = RunStatus();
    const Lines log = Read(c.in, c.files);
    ASSERT_TRUE(status_.ok()) << status_.message();
    EXPECT_TRUE(ContainsBlock(log, c.block)) << Dump(log);
    EXPECT_EQ(run_.stop_message, "");
    EXPECT_EQ(input_.f, c.f);
    EXPECT_EQ(input_.g, c.g);
    EXPECT_EQ(input_.matrix_mode, c.mode);
    EXPECT_EQ(input_.version, c.version);
    EXPECT_EQ(input_.simulations, c.simulations);
    EXPECT_EQ(input_.numl, c.numl);
  }
}

TEST_F(ProjectInputTest, AdjacencyMatrixGivesTotalsAndIgnoresTheGraphDiagonal) {
  // The diagonal value 5 and the comment after the third value are not read.
  Read("3\n3\n2\n0\n1\na.txt\n0\n0\n1\n10\n0\n1\n",
       {{"a.txt", "5 1 1 comment 1 1\n1 0 0\n0 1 0\n"}});
  ASSERT_TRUE(status_.ok()) << status_.message();
  ASSERT_EQ(input_.f, 3);
  EXPECT_TRUE(input_.adjacency_data);
  EXPECT_EQ(GetCell(input_.observed, 1, 1), 0);
  EXPECT_EQ(GetCell(input_.observed, 1, 3), 1);
  const int rows[] = {2, 1, 1};
  const int columns[] = {1, 2, 1};
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(input_.row_totals[static_cast<std::size_t>(i)], rows[i - 1]);
    EXPECT_EQ(input_.column_totals[static_cast<std::size_t>(i)], columns[i - 1]);
  }
}

TEST_F(ProjectInputTest, WeightsFileWithCriticalValues) {
  std::string weights;
  for (int k = 1; k <= 3; ++k) {
    for (int t = 1; t <= 16; ++t) weights += t == k ? "1.5 " : "0 ";
    weights += k == 1 ? " c=2.5\n" : k == 2 ? "\n" : "x\n";
  }
  const Lines log = Read("4\n4\n2\n0\n0\nm.txt\n0\n0\n1\n10\n3\n2\nweights.txt\n",
                         {{"m.txt", kDigraphMargins}, {"weights.txt", weights}});
  ASSERT_TRUE(status_.ok()) << status_.message();
  const std::string zeros = "   0.0";
  const auto weight_line = [&](int k) {
    std::string line;
    for (int t = 1; t <= 16; ++t) line += t == k ? "   1.5" : zeros;
    return line;
  };
  EXPECT_TRUE(EndsWith(log, {"Weights for linear combinations of triad counts read from file "
                             "weights.txt.",
                             "Weights read are the following : ", weight_line(1), weight_line(2),
                             weight_line(3), "with critical values :", "     1  2.5000", ""}))
      << Dump(log);
  EXPECT_DOUBLE_EQ(input_.weight_table[1][0], 2.5);
  EXPECT_DOUBLE_EQ(input_.weight_table[2][0], 1.0);
  EXPECT_DOUBLE_EQ(input_.weight_table[3][0], 1.0);
  EXPECT_DOUBLE_EQ(input_.weight_table[2][2], 1.5);
  EXPECT_EQ(input_.numl, 3);
}

TEST_F(ProjectInputTest, ListingHeaderForAPatternAndLongRows) {
  // 21 rows so that the row totals wrap after the 20th.
  std::string margins;
  for (int i = 1; i <= 21; ++i) margins += i <= 2 ? "1 " : "0 ";
  margins += "\n1 1 0\n";
  std::string pattern = "0 0 1\n1\n";
  WriteFile("p.prn", "old\n");
  Read("21\n3\n4\n1\n0\nm.txt\n0\nz.txt\n1\n10\n", {{"m.txt", margins}, {"z.txt", pattern}});
  ASSERT_TRUE(status_.ok()) << status_.message();
  EXPECT_TRUE(input_.prn_open);
  EXPECT_EQ(input_.prn_file_name, "p.prn");
  std::string row_totals = "Row totals :    ";
  for (int i = 1; i <= 20; ++i) row_totals += i <= 2 ? "  1" : "  0";
  Lines expected = {"old",
                    "",
                    "This file contains all found 0-1 matrices ",
                    "with the desired row and column totals.",
                    "Mutual dyads are indicated by M.",
                    "",
                    row_totals,
                    "  0",
                    "Column totals :   1  1  0",
                    "Structural zeros in following pattern : ",
                    ""};
  expected.push_back("110");
  expected.push_back("011");
  for (int i = 3; i <= 21; ++i) expected.push_back("111");
  expected.push_back("");
  EXPECT_EQ(ReadLines("p.prn"), expected) << Dump(ReadLines("p.prn"));
}

TEST_F(ProjectInputTest, ListingHeaderForFixedMutuals) {
  Read("4\n4\n2\n1\n0\nm.txt\n0\n1\n1\n1\n10\n0\n1\n", {{"m.txt", kDigraphMargins}});
  ASSERT_TRUE(status_.ok()) << status_.message();
  const Lines expected = {"This file contains all found 0-1 matrices ",
                          "with the desired row and column totals.",
                          "Mutual dyads are indicated by M.",
                          "",
                          "Row totals :      1  2  1  1",
                          "Column totals :   2  1  1  1",
                          "Directed graph.",
                          "Number of mutuals fixed at 1"};
  EXPECT_EQ(ReadLines("p.prn"), expected) << Dump(ReadLines("p.prn"));
  EXPECT_EQ(input_.matrix_mode, 15);
}

TEST_F(ProjectInputTest, MalformedNumberIsAnInputOutputError) {
  struct Case {
    std::string in;
    Files files;
    std::string message;
    Lines tail;
  };
  const Case cases[] = {
      {"4\nfour\n", {}, "p.in, line 2: \"four\" is not an integer", {"input file p.in"}},
      {"3\n3\n1\n0\n1\na.txt\n",
       {{"a.txt", "0 1 0\n1 0 x\n"}},
       "a.txt, line 2: \"x\" is not an integer",
       {"Marginal totals calculated from adjacency matrix in file a.txt."}},
      {"4\n4\n2\n0\n0\nm.txt\n0\n0\n1\n10\n1\n2\nw.txt\n",
       {{"m.txt", kDigraphMargins}, {"w.txt", "1 2 three\n"}},
       "w.txt, line 1: \"three\" is not a number",
       {"Weights read are the following : "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    ScopedTempDir case_dir;
    const Lines log = Read(c.in, c.files);
    EXPECT_FALSE(status_.ok());
    EXPECT_EQ(status_.message(), c.message);
    EXPECT_TRUE(EndsWith(log, c.tail)) << Dump(log);
  }
}

// The observed-statistics section closes the log of an adjacency project:
// labels padded to 60, integer values in 10, then for graphs with linear
// combinations the census and the combinations.
TEST_F(ProjectInputTest, ObservedStatisticsSectionForEachVersion) {
  struct Case {
    const char* name;
    std::string in;
    std::string matrix;
    Lines section;
  };
  const auto row = [&](std::string label, const char* value) {
    if (label.size() < 60) label.resize(60, ' ');
    return label + value;
  };
  // Arcs 1 to 2, 2 to 1 and 2 to 3: one mutual dyad, one intransitive path.
  const std::string digraph = "0 1 0\n1 0 1\n0 0 0\n";
  const Case cases[] = {
      {"digraph, version 1",
       "3\n3\n2\n0\n1\na.txt\n0\n0\n1\n0\n0\n1\n",
       digraph,
       {row("Number of mutual dyads", "         1"),
        row("100 * #trans / (#trans + #intrans) (rounded to integer)", "         0"),
        row("Arc indicator from 1 to 2", "         1"), ""}},
      {"digraph, version 4",
       "3\n3\n2\n0\n1\na.txt\n0\n0\n4\n0\n0\n1\n",
       digraph,
       {row("Element (1,1)", "         0"), row("Element (1,2)", "         1"),
        row("Matches of rows 1 and 2 ( = Sum_(j) Y_{1j} Y_{2j} )", "         0"), ""}},
      {"no ties, version 2: every actor 100 / sqrt(4)",
       "4\n4\n1\n0\n1\na.txt\n0\n2\n0\n",
       "0 0 0 0\n0 0 0 0\n0 0 0 0\n0 0 0 0\n",
       {"100 * Eigenvector power index of actor   1 (rounded to integer)        50",
        "100 * Eigenvector power index of actor   2 (rounded to integer)        50",
        "100 * Eigenvector power index of actor   3 (rounded to integer)        50",
        "100 * Eigenvector power index of actor   4 (rounded to integer)        50", ""}},
      {"rectangular, version 1",
       "2\n3\n1\n0\n1\na.txt\n0\n1\n0\n",
       "1 1 0\n1 0 1\n",
       {row("Element (1,1)", "         1"), row("Element (1,2)", "         1"),
        row("Matches of rows 1 and 2 ( = Sum_(j) Y_{1j} Y_{2j} )", "         1"), ""}},
      {"rectangular, version 3: columns (2, 1, 1) / sqrt(6)",
       "2\n3\n1\n0\n1\na.txt\n0\n3\n0\n",
       "1 1 0\n1 0 1\n",
       {"1000 * Eigenvector power index of column   1 (rounded to integer)       816",
        "1000 * Eigenvector power index of column   2 (rounded to integer)       408",
        "1000 * Eigenvector power index of column   3 (rounded to integer)       408", ""}},
      {"undirected graph, two default combinations",
       "4\n4\n3\n0\n1\na.txt\n0\n1\n0\n2\n1\n",
       "0 1 1 0\n1 0 0 0\n1 0 0 0\n0 0 0 0\n",
       {row("Connectivity (yes = 1, no = 0)", "         0"),
        row("100 * #trans / (#trans + #intrans) (rounded to integer)", "         0"),
        row("Arc indicator from 1 to 2", "         1"),
        "",
        "Observed triad census ",
        " 1. 003        1",
        " 2. 012        0",
        " 3. 102        2",
        " 4. 021D       0",
        " 5. 021U       0",
        " 6. 021C       0",
        " 7. 111D       0",
        " 8. 111U       0",
        " 9. 030T       0",
        "10. 030C       0",
        "11. 201        1",
        "12. 120D       0",
        "13. 120U       0",
        "14. 120C       0",
        "15. 210        0",
        "16. 300        0",
        "",
        "Observed linear combinations of triad counts",
        "   1.     1.0000",
        "   2.     0.0000",
        ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir case_dir;
    const Lines log = Read(c.in, {{"a.txt", c.matrix}});
    ASSERT_TRUE(status_.ok()) << status_.message();
    ASSERT_EQ(run_.stop_message, "");
    Lines section = {"", "@3", "Function values observed for this data matrix", ""};
    section.insert(section.end(), c.section.begin(), c.section.end());
    EXPECT_TRUE(EndsWith(log, section)) << Dump(log);
  }
  // The observed combination values replace the reference values.
  EXPECT_DOUBLE_EQ(input_.weight_table[1][0], 1.0);
  EXPECT_DOUBLE_EQ(input_.weight_table[2][0], 0.0);
  EXPECT_EQ(input_.weight_table[3][0], 0.0);
}

TEST(ParseRealTest, KeepsSignsPointsAndDigitsOnly) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  };
  const Case cases[] = {
      {"c=2.5", true, 2.5},  {" -1.25 ", true, -1.25}, {"2e3", true, 23.0},
      {".5", true, 0.5},     {"", false, 0.0},         {"abc", false, 0.0},
      {"1.2.3", false, 0.0}, {"1-2", false, 0.0},      {"+", false, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    double value = -7.0;
    EXPECT_EQ(ParseReal(c.text, value), c.ok);
    EXPECT_DOUBLE_EQ(value, c.value);
  }
}

}  // namespace
}  // namespace kivo::sim
