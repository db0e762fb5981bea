#include "tamsel/exports.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/tamsel/tamsel_fixture.h"

namespace kivo::tamsel {
namespace {

using testing::Matrix;

// Three actors, missing code 9, output name "x".
DataDescription ThreeActors(const std::vector<Matrix>& networks) {
  DataDescription data = testing::MakeNetworks(networks, 9, 5);
  data.output_name = "x";
  return data;
}

struct Export {
  std::vector<std::string> report;
  Status status;
};

// Runs an export in the current directory; its report lines.
Export RunExport(const std::function<Status(const DataDescription&, TextWriter&)>& export_fn,
                 const DataDescription& data) {
  Export result;
  TextWriter report;
  if (!report.Create("report.tam").ok()) return result;
  result.status = export_fn(data, report);
  EXPECT_TRUE(report.Close().ok());
  result.report = ReadLines("report.tam");
  return result;
}

TEST(MultiNetExportTest, NodeListColumns) {
  ScopedTempDir dir;
  DataDescription data = ThreeActors({{{0, 1, 0}, {0, 0, 0}, {0, 0, 0}}});
  testing::AddAttribute(data, "sex", {1, 1, 2}, -1);
  testing::AddAttribute(data, "age", {20, 25.25, 31.5}, -1);
  testing::AddAttribute(data, "year", {1, 2, 1}, -1);
  ASSERT_EQ(data.is_categorical[1], 1);
  ASSERT_EQ(data.is_categorical[2], 0);
  const Export e = RunExport(ExportMultiNet, data);
  ASSERT_TRUE(e.status.ok()) << e.status.message();
  EXPECT_EQ(ReadLines("x.nod"),
            (std::vector<std::string>{"ID (1-4)", "sex (5-8)", "age (9-15)", "year (16-19)", "END",
                                      "   1   1  20.00   1", "   2   1  25.25   2",
                                      "   3   2  31.50   1"}));
  EXPECT_EQ(e.report, (std::vector<std::string>{
                          "Node list (vertices) and attribute data saved in file x.nod.",
                          "Link list (arcs or edges) saved in file x.lin."}));
}

// Networks 1 and 3 of three are selected. A cell missing in one of them
// keeps a blank field in that network's columns; a cell missing in both is
// not listed.
TEST(MultiNetExportTest, LinkListKeepsColumnsOfItsObservations) {
  ScopedTempDir dir;
  const Matrix first = {{0, 9, 9}, {2, 0, 0}, {0, 1, 0}};
  const Matrix second = {{0, 1, 1}, {1, 0, 1}, {1, 1, 0}};
  const Matrix third = {{9, 1, 9}, {0, 0, 9}, {1, 0, 0}};
  DataDescription data = ThreeActors({first, second, third});
  data.selected = {0, 1, 0, 1};
  const Export e = RunExport(ExportMultiNet, data);
  ASSERT_TRUE(e.status.ok()) << e.status.message();
  EXPECT_EQ(ReadLines("x.lin"),
            (std::vector<std::string>{"ID1 (1-4)", "ID2 (5-8)", "OBS1 (9-12)", "OBS3 (13-16)",
                                      "END", "   1   1   0    ", "   1   2       1",
                                      "   2   1   2   0", "   2   2   0   0", "   2   3   0    ",
                                      "   3   1   0   1", "   3   2   1   0", "   3   3   0   0"}));
  EXPECT_EQ(e.report[0], "Node list (vertices) saved in file x.nod.");
  EXPECT_EQ(ReadLines("x.nod"),
            (std::vector<std::string>{"ID (1-4)", "END", "   1", "   2", "   3"}));
}

// A reader of the Pajek network format: "*Vertices n", then vertex lines
// "id "label" [x y z] [attribute value ...]", then "*Arcs" with lines
// "from to [value] [attribute value ...]". Tokens are separated by blanks;
// labels are in double quotes; section keywords are case-insensitive.
struct PajekNetwork {
  int vertices = -1;
  std::map<int, std::string> labels;
  std::map<int, std::string> colours;  // the value of "ic"
  std::map<std::pair<int, int>, int> arcs;
  std::vector<std::string> errors;
};

std::vector<std::string> PajekTokens(const std::string& line) {
  std::vector<std::string> tokens;
  std::size_t at = 0;
  while (at < line.size()) {
    if (line[at] == ' ' || line[at] == '\t') {
      ++at;
    } else if (line[at] == '"') {
      const std::size_t end = line.find('"', at + 1);
      tokens.push_back(line.substr(at + 1, end == std::string::npos ? end : end - at - 1));
      at = end == std::string::npos ? line.size() : end + 1;
    } else {
      std::size_t end = at;
      while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
      tokens.push_back(line.substr(at, end - at));
      at = end;
    }
  }
  return tokens;
}

PajekNetwork ReadPajek(const std::string& name) {
  PajekNetwork net;
  std::string section;
  for (const std::string& line : ReadLines(name)) {
    const std::vector<std::string> t = PajekTokens(line);
    if (t.empty()) continue;
    if (t[0][0] == '*') {
      std::string keyword = t[0];
      for (char& c : keyword) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      section = keyword;
      if (section == "*vertices") net.vertices = t.size() > 1 ? std::stoi(t[1]) : -1;
      continue;
    }
    if (section == "*vertices") {
      const int id = std::stoi(t[0]);
      if (id < 1 || id > net.vertices) net.errors.push_back("vertex out of range: " + line);
      net.labels[id] = t.size() > 1 ? t[1] : "";
      for (std::size_t q = 2; q + 1 < t.size(); ++q) {
        if (t[q] == "ic") net.colours[id] = t[q + 1];
      }
    } else if (section == "*arcs") {
      if (t.size() < 2) {
        net.errors.push_back("short arc: " + line);
        continue;
      }
      const int from = std::stoi(t[0]);
      const int to = std::stoi(t[1]);
      if (from < 1 || from > net.vertices || to < 1 || to > net.vertices)
        net.errors.push_back("arc out of range: " + line);
      net.arcs[{from, to}] = t.size() > 2 ? std::stoi(t[2]) : 1;
    } else {
      net.errors.push_back("line outside a section: " + line);
    }
  }
  return net;
}

TEST(PajekExportTest, FileNames) {
  struct Case {
    int k;
    const char* name;
  };
  const Case cases[] = {{1, "x01.net"},  {3, "x03.net"},  {9, "x09.net"},
                        {10, "x10.net"}, {12, "x12.net"}, {300, "x300.net"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.k);
    EXPECT_EQ(PajekFileName("x", c.k), c.name);
  }
}

// Networks 3 and 12 of twelve are selected; each gets its own file that a
// Pajek reader takes with the right vertices, colours, arcs and values.
TEST(PajekExportTest, FilesParseWithTheirArcsAndColours) {
  ScopedTempDir dir;
  const Matrix plain = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
  // Row 2 is missing entirely (red); row 3 only in part (black). Values above
  // 0 off the diagonal are arcs, with their values; the diagonal and missing
  // cells are not.
  const Matrix third = {{0, 1, 3}, {9, 9, 9}, {9, 2, 1}};
  const Matrix twelfth = {{1, 0, 0}, {1, 0, 0}, {0, 0, 0}};
  std::vector<Matrix> networks(12, plain);
  networks[2] = third;
  networks[11] = twelfth;
  DataDescription data = ThreeActors(networks);
  data.selected.assign(13, 0);
  data.selected[3] = data.selected[12] = 1;
  const Export e = RunExport(ExportPajek, data);
  ASSERT_TRUE(e.status.ok()) << e.status.message();

  EXPECT_EQ(
      ReadLines("x03.net"),
      (std::vector<std::string>{"*Vertices    3", "  1   \"1\" ic Black", "  2   \"2\" ic Red",
                                "  3   \"3\" ic Black", "*Arcs", "  1   2   1 c Black",
                                "  1   3   3 c Black", "  3   2   2 c Black"}));
  struct Expected {
    const char* file;
    std::map<std::pair<int, int>, int> arcs;
    std::set<int> red;
  };
  const Expected expected[] = {{"x03.net", {{{1, 2}, 1}, {{1, 3}, 3}, {{3, 2}, 2}}, {2}},
                               {"x12.net", {{{2, 1}, 1}}, {}}};
  for (const Expected& x : expected) {
    SCOPED_TRACE(x.file);
    const PajekNetwork net = ReadPajek(x.file);
    EXPECT_TRUE(net.errors.empty()) << net.errors.front();
    EXPECT_EQ(net.vertices, 3);
    EXPECT_EQ(net.arcs, x.arcs);
    for (int i = 1; i <= 3; ++i) {
      EXPECT_EQ(net.labels.at(i), std::to_string(i));
      EXPECT_EQ(net.colours.at(i), x.red.count(i) ? "Red" : "Black") << "actor " << i;
    }
  }
  EXPECT_FALSE(std::filesystem::exists("x01.net"));
  EXPECT_EQ(e.report,
            (std::vector<std::string>{"", "Colors and shapes used for actors (nodes):",
                                      "- observed at all time points: black dots",
                                      "- missing at some time point:  red dot",
                                      "Colors and shapes used for links (arcs/edges):",
                                      "- between observed actors: black arrows/lines",
                                      "Data for observation 3 is saved in file x03.net.",
                                      "Data for observation 12 is saved in file x12.net.", ""}));
}

TEST(PajekExportTest, VertexLabelsOfLargerNetworks) {
  ScopedTempDir dir;
  const Matrix empty(100, std::vector<std::int32_t>(100, 0));
  DataDescription data = ThreeActors({empty});
  data.selected = {0, 1};
  ASSERT_TRUE(RunExport(ExportPajek, data).status.ok());
  const std::vector<std::string> lines = ReadLines("x01.net");
  ASSERT_EQ(lines.size(), 102u);
  EXPECT_EQ(lines[0], "*Vertices  100");
  EXPECT_EQ(lines[9], "  9   \"9\" ic Black");
  EXPECT_EQ(lines[10], " 10  \"10\" ic Black");
  EXPECT_EQ(lines[100], "100 \"100\" ic Black");
  EXPECT_EQ(ReadPajek("x01.net").labels.size(), 100u);
}

TEST(StructureExportTest, DataAndControlFiles) {
  ScopedTempDir dir;
  const Matrix a = {
      {0, 1, 0, 0, 0}, {1, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1}, {9, 0, 0, 0, 0}};
  const Matrix b = {
      {1, 0, 0, 0, 2}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
  DataDescription data = ThreeActors({a, b});
  data.selected = {0, 1, 1};
  const Export e = RunExport(ExportStructure, data);
  ASSERT_TRUE(e.status.ok()) << e.status.message();
  EXPECT_EQ(ReadLines("x.str"),
            (std::vector<std::string>{"(5F2.0)", "   1 0 0 0", " 1   1 0 0", " 0 0   1 0",
                                      " 0 0 0   1", " 9 0 0 0  ", "(5F2.0)", "   0 0 0 2",
                                      " 0   0 0 0", " 0 0   0 0", " 0 0 0   0", " 0 0 0 0  "}));
  EXPECT_EQ(ReadLines("x.sin"),
            (std::vector<std::string>{"DATA       c:x.str", "TITLE      Analysis of x data.",
                                      "NETWORK      5 D 2   0 0       0", "ANALYZE"}));
  EXPECT_EQ(e.report, (std::vector<std::string>{"Data for 2 observations is saved in file x.str.",
                                                "STRUCTURE input file generated: x.sin.", ""}));

  data.selected = {0, 0, 1};
  EXPECT_EQ(RunExport(ExportStructure, data).report[0],
            "Data for 1 observation is saved in file x.str.");
}

// A value wider than two columns would run into its neighbour in the fixed
// columns: that network's columns widen and its format line says so.
TEST(StructureExportTest, WideValuesWidenTheColumns) {
  ScopedTempDir dir;
  DataDescription data = ThreeActors({{{0, 100, 1}, {0, 0, -10}, {1, 0, 0}}});
  data.selected = {0, 1};
  ASSERT_TRUE(RunExport(ExportStructure, data).status.ok());
  EXPECT_EQ(ReadLines("x.str"),
            (std::vector<std::string>{"(3F3.0)", "   100  1", "  0   -10", "  1  0   "}));
}

TEST(NetMinerExportTest, WholeFile) {
  ScopedTempDir dir;
  DataDescription data =
      ThreeActors({{{0, 1, 0}, {9, 0, 1}, {0, 0, 0}}, {{0, 2, 0}, {0, 0, 0}, {0, 0, 0}}});
  data.selected = {0, 1, 1};
  testing::AddAttribute(data, "sex", {1, 2, 1});
  testing::AddAttribute(data, "age", {20, 7.125, 31.5});
  const Export e = RunExport(ExportNetMiner, data);
  ASSERT_TRUE(e.status.ok()) << e.status.message();
  EXPECT_EQ(ReadLines("x.ntf"), (std::vector<std::string>{"NTF=2.0",
                                                          "TITLE=x",
                                                          "N=3",
                                                          "NODELIST=1,2,3,",
                                                          "",
                                                          "ADJ#=2",
                                                          "",
                                                          "ADJNAME=net1.dat",
                                                          "TYPE=FULLMATRIX,DIAGONAL=YES",
                                                          "DIRECTION=YES,WEIGHT=NO",
                                                          "",
                                                          "DATA",
                                                          "0,1,0,",
                                                          "9,0,1,",
                                                          "0,0,0,",
                                                          "",
                                                          "/DATA",
                                                          "",
                                                          "ADJNAME=net2.dat",
                                                          "TYPE=FULLMATRIX,DIAGONAL=YES",
                                                          "DIRECTION=YES,WEIGHT=YES",
                                                          "",
                                                          "DATA",
                                                          "0,2,0,",
                                                          "0,0,0,",
                                                          "0,0,0,",
                                                          "",
                                                          "/DATA",
                                                          "",
                                                          "ATT#=2",
                                                          "ATTNAME=sex,age,",
                                                          " 1.00,20.00,",
                                                          " 2.00, 7.13,",
                                                          " 1.00,31.50,"}));
  EXPECT_EQ(e.report, (std::vector<std::string>{"Data for observation 1 is saved in file x.ntf.",
                                                "Data for observation 2 is saved in file x.ntf.",
                                                "Attribute data is saved in file x.ntf.", ""}));
}

TEST(NetMinerExportTest, WeightFlagAndEmptyParts) {
  ScopedTempDir dir;
  struct Case {
    const char* name;
    Matrix network;
    const char* weight;
  };
  const Case cases[] = {
      {"zeros and ones", {{0, 1}, {1, 0}}, "DIRECTION=YES,WEIGHT=NO"},
      {"a 2 off the diagonal", {{0, 2}, {0, 0}}, "DIRECTION=YES,WEIGHT=YES"},
      {"a 2 on the diagonal", {{2, 0}, {0, 0}}, "DIRECTION=YES,WEIGHT=YES"},
      {"a missing code above 1", {{0, 9}, {1, 0}}, "DIRECTION=YES,WEIGHT=NO"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DataDescription data = ThreeActors({c.network});
    data.selected = {0, 1};
    ASSERT_TRUE(RunExport(ExportNetMiner, data).status.ok());
    const std::vector<std::string> lines = ReadLines("x.ntf");
    ASSERT_GT(lines.size(), 9u);
    EXPECT_EQ(lines[9], c.weight);
    // No attributes: the count 0, the bare name line and one empty line per
    // actor.
    const std::vector<std::string> tail(lines.end() - 4, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"ATT#=0", "ATTNAME=", "", ""}));
  }
}

// Nothing selected: the fixed parts only, and no Pajek file.
TEST(ExportsTest, NoSelectedNetwork) {
  ScopedTempDir dir;
  DataDescription data = ThreeActors({{{0, 1, 0}, {0, 0, 0}, {0, 0, 0}}});
  ASSERT_TRUE(RunExport(ExportMultiNet, data).status.ok());
  EXPECT_EQ(ReadLines("x.lin"), (std::vector<std::string>{"ID1 (1-4)", "ID2 (5-8)", "END"}));
  ASSERT_TRUE(RunExport(ExportStructure, data).status.ok());
  EXPECT_TRUE(ReadLines("x.str").empty());
  EXPECT_EQ(ReadLines("x.sin")[2], "NETWORK      3 D 0   0 0       0");
  const Export pajek = RunExport(ExportPajek, data);
  ASSERT_TRUE(pajek.status.ok());
  EXPECT_FALSE(std::filesystem::exists("x01.net"));
  ASSERT_TRUE(RunExport(ExportNetMiner, data).status.ok());
  EXPECT_EQ(ReadLines("x.ntf")[5], "ADJ#=0");
}

// A file that cannot be created fails the export with its name in the
// message; the report does not claim it was saved.
TEST(ExportsTest, FailedFileIsAStatus) {
  struct Case {
    const char* blocked;
    std::function<Status(const DataDescription&, TextWriter&)> export_fn;
  };
  const Case cases[] = {{"x.nod", ExportMultiNet},  {"x.lin", ExportMultiNet},
                        {"x01.net", ExportPajek},   {"x.ntf", ExportNetMiner},
                        {"x.str", ExportStructure}, {"x.sin", ExportStructure}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.blocked);
    ScopedTempDir dir;
    std::filesystem::create_directory(c.blocked);
    DataDescription data = ThreeActors({{{0, 1, 0}, {0, 0, 0}, {0, 0, 0}}});
    data.selected = {0, 1};
    const Export e = RunExport(c.export_fn, data);
    EXPECT_FALSE(e.status.ok());
    EXPECT_NE(e.status.message().find(c.blocked), std::string::npos) << e.status.message();
    for (const std::string& line : e.report) {
      EXPECT_EQ(line.find(std::string(c.blocked) + "."), std::string::npos) << line;
    }
  }
}

}  // namespace
}  // namespace kivo::tamsel
