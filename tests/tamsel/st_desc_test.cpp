#include "tamsel/st_desc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_env.h"
#include "tests/tamsel/tamsel_fixture.h"

namespace kivo::tamsel {
namespace {

using testing::Contains;

// Reads the data description of the current directory; the report lines
// written go to `lines`.
Status Read(DataDescription& data, std::vector<std::string>& lines,
            const std::string& name = "out") {
  FakeEnv env;
  TextWriter report;
  Status status = ReadDataDescription(data, report, true, env);
  report.Close();
  lines = ReadLines(name + ".tam");
  return status;
}

std::string Rows(const std::vector<std::string>& rows) {
  std::string text;
  for (const std::string& row : rows) text += row + "\n";
  return text;
}

TEST(ReadDataDescriptionTest, BannerFirstThenAppendWithoutIt) {
  ScopedTempDir dir;
  WriteFile("tamsel.in", "out\n7\n0 3 0\n");
  DataDescription first;
  std::vector<std::string> lines;
  ASSERT_TRUE(Read(first, lines).ok());
  const std::vector<std::string> run = {
      "",
      "",
      "-----------------------------------------------------------------",
      "Vantor step 7",
      "-----------------------------------------------------------------",
      "",
      "",
  };
  std::vector<std::string> expected = {
      "                        ***********************",
      "                              out.tam",
      "                        ***********************",
      "",
      "TAMSEL function of Vantor (Test version 1.30).",
      "Filename is out.tam",
      "Date and time: 11.12.2026 09:30:00",
  };
  expected.insert(expected.end(), run.begin(), run.end());
  EXPECT_EQ(lines, expected);

  DataDescription second;
  ASSERT_TRUE(Read(second, lines).ok());
  expected.insert(expected.end(), run.begin(), run.end());
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(second.step, 7);
  EXPECT_EQ(second.num_actors, 3);
}

TEST(ReadDataDescriptionTest, StepLineTitlesAndLowEightBits) {
  struct Case {
    const char* step;
    std::uint8_t value;
    const char* line;
  };
  const Case cases[] = {{"1", 1, "Vantor step 1: Data definition."},
                        {"2", 2, "Vantor step 2: Transformation."},
                        {"3 extra words", 3, "Vantor step 3: Selection."},
                        {"4", 4, "Vantor step 4: Model specification."},
                        {"261", 5, "Vantor step 5: Results and Output."}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    ScopedTempDir dir;
    WriteFile("tamsel.in", std::string("out\n") + c.step + "\n0 2 0\n");
    DataDescription data;
    std::vector<std::string> lines;
    ASSERT_TRUE(Read(data, lines).ok());
    EXPECT_EQ(data.step, c.value);
    ASSERT_GE(lines.size(), 12U);
    EXPECT_EQ(lines[10], c.line);
    EXPECT_EQ(lines[11], "");
  }
}

TEST(ReadDataDescriptionTest, NetworksCodesAndTheTenValueLimit) {
  ScopedTempDir dir;
  // Network 1 has no code line before any code was read: nothing is missing.
  // Network 2 gives code 9; network 3 keeps it through its empty line.
  WriteFile("tamsel.in", "out\n2\n3 4 0\na.dat\n\nb.dat\n9\nc.dat\n\n");
  // Exactly 10 distinct values; columns beyond the fourth are ignored.
  WriteFile("a.dat", "0 1 2 3 4\r\n5 6 7 8 9\r\n9 0 1 2\r\n3 3 3 4\r\n");
  WriteFile("b.dat", "0 1 2 3\n4 5 6 7\n8 9 10 0\n1 1 1 1\n");      // 11 distinct
  WriteFile("c.dat", "0 9\n1 0 5 5\n0 0 0 0\n0 0 0 0\n0 0 0 0\n");  // a short row goes on
  DataDescription data;
  std::vector<std::string> lines;
  ASSERT_TRUE(Read(data, lines).ok()) << lines.back();
  EXPECT_EQ(data.relations[1],
            (std::vector<std::int32_t>{0, 1, 2, 3, 5, 6, 7, 8, 9, 0, 1, 2, 3, 3, 3, 4}));
  EXPECT_EQ(data.missing_tie[1], (std::vector<std::uint8_t>(16, 0)));
  EXPECT_EQ(data.relation_values[1], (ValueList{10, 0, 1, 2, 3, 5, 6, 7, 8, 9, 4}));
  EXPECT_EQ(data.relation_values[2], (ValueList{10, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(data.missing_tie[2][9], 1);
  EXPECT_EQ(data.relations[3],
            (std::vector<std::int32_t>{0, 9, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(data.missing_tie[3][1], 1);
  EXPECT_TRUE(Contains(lines, "Network 3: c.dat"));
  EXPECT_FALSE(Contains(lines, "Number of relation values in network 1 larger than 10:"));
  EXPECT_TRUE(Contains(lines, "Number of relation values in network 2 larger than 10:"));
  EXPECT_TRUE(Contains(lines, "Only first 10 used in the descriptive analyses."));
}

std::string AttributeFile(int rows, int columns) {
  std::string text;
  for (int i = 0; i < rows; ++i) {
    for (int c = 1; c <= columns; ++c) text += std::to_string(c) + " ";
    text += "\n";
  }
  return text;
}

std::string AttributeBlock(const std::string& file, int first, int count) {
  std::string text = file + "\n" + std::to_string(count) + "\n";
  for (int a = first; a < first + count; ++a) {
    text += 'v';
    text += std::to_string(a);
    text += "\n-1\n";
  }
  return text;
}

TEST(ReadDataDescriptionTest, AttributeLimitOfThirty) {
  ScopedTempDir dir;
  WriteFile("f20.dat", AttributeFile(2, 20));
  WriteFile("f15.dat", AttributeFile(2, 15));
  WriteFile("f10.dat", AttributeFile(2, 10));
  WriteFile("f5.dat", AttributeFile(2, 5));
  {
    WriteFile("tamsel.in", "out\n2\n0 2 2\n" + AttributeBlock("f20.dat", 1, 20) +
                               AttributeBlock("f10.dat", 21, 10));
    DataDescription data;
    std::vector<std::string> lines;
    ASSERT_TRUE(Read(data, lines, "out").ok());
    EXPECT_EQ(data.num_attributes, 30);
    EXPECT_FALSE(Contains(lines, "Total number of attributes in all files is larger than 30."));
  }
  WriteFile("tamsel.in", "res\n2\n0 2 3\n" + AttributeBlock("f20.dat", 1, 20) +
                             AttributeBlock("f15.dat", 21, 15) + AttributeBlock("f5.dat", 36, 5) +
                             "Pajek\n1\nnone\n");
  DataDescription data;
  std::vector<std::string> lines;
  ASSERT_TRUE(Read(data, lines, "res").ok());
  EXPECT_EQ(data.num_attributes, 30);
  EXPECT_EQ(data.attribute_names[30], "v30");
  EXPECT_EQ(data.attribute_values[30][2], 10.0);
  EXPECT_EQ(data.attribute_missing_codes[30], -1.0);
  // The blocks of v31..v40 are skipped, so the selection block is read right.
  EXPECT_EQ(data.selection_keyword, "pajek");
  int messages = 0;
  for (const std::string& line : lines) {
    messages += line == "Total number of attributes in all files is larger than 30." ? 1 : 0;
  }
  EXPECT_EQ(messages, 2);
  EXPECT_TRUE(
      Contains(lines, "Only the first 30 attributes are used in the descriptive analyses."));
  EXPECT_TRUE(Contains(lines, "Attribute file f15.dat contains the following 10 attributes:"));
  EXPECT_FALSE(Contains(lines, "Attribute file f5.dat contains the following 0 attributes:"));
  EXPECT_FALSE(Contains(lines, "  v31"));
}

TEST(ReadDataDescriptionTest, AttributeCodesAndClassification) {
  ScopedTempDir dir;
  WriteFile("attr.dat",
            Rows({"0 1 -1.5 1 7", "2 2 2 2 7", "3 2.5 0 3 7", "4 1 2 4 7", "5 1 2 5 7", "6 1 2 6 7",
                  "7 1 2 7 7", "8 1 2 8 7", "9 1 2 9 7", "10 1 2 10 7", "11 1 2 11 7"}));
  WriteFile("tamsel.in",
            "out\n2\n0 11 1\nattr.dat\n5\nzero\n\nhalf\n\nneg\n-9\neleven\n\nsingle\n7\n");
  DataDescription data;
  std::vector<std::string> lines;
  ASSERT_TRUE(Read(data, lines).ok());
  ASSERT_EQ(data.num_attributes, 5);
  // An empty code line leaves the code at 0, so the values 0 are missing.
  EXPECT_EQ(data.attribute_missing[1][1], 1);
  EXPECT_EQ(data.attribute_missing[1][2], 0);
  EXPECT_EQ(data.attribute_missing[5][1], 1);
  EXPECT_EQ(data.is_categorical[1], 0);  // 11 distinct whole values
  EXPECT_EQ(data.is_categorical[2], 0);  // 2.5
  EXPECT_EQ(data.is_categorical[3], 0);  // -1.5
  EXPECT_EQ(data.is_categorical[4], 0);  // 11 distinct whole values
  EXPECT_EQ(data.is_categorical[5], 1);
  EXPECT_EQ(data.categories[5], (ValueList{1, 7}));
  EXPECT_TRUE(Contains(lines, "Number of categories of attribute zero larger than 10:"));
  EXPECT_TRUE(Contains(lines, "Number of categories of attribute eleven larger than 10:"));
  EXPECT_FALSE(Contains(lines, "Number of categories of attribute half larger than 10:"));
  EXPECT_TRUE(Contains(lines, "variable treated as continuous."));

  // In step 1 no value is missing.
  WriteFile("tamsel.in", "out\n1\n0 11 1\nattr.dat\n1\nzero\n\n");
  DataDescription step1;
  ASSERT_TRUE(Read(step1, lines).ok());
  EXPECT_EQ(step1.attribute_missing[1][1], 0);
}

TEST(ReadDataDescriptionTest, SelectionBlock) {
  ScopedTempDir dir;
  WriteFile("a.dat", "0 1\n1 0\n");
  WriteFile("tamsel.in",
            "out\n5\n3 2 0\na.dat\n0\nA.dat\n\nb c.dat\n\nMorVa\n3\nb c.dat\nA.DAT\na.dat\n");
  WriteFile("A.dat", "0 0\n0 0\n");
  WriteFile("b c.dat", "0 0\n0 0\n");
  DataDescription data;
  std::vector<std::string> lines;
  ASSERT_TRUE(Read(data, lines).ok());
  EXPECT_EQ(data.selection_keyword, "morva");
  EXPECT_EQ(data.selected, (std::vector<std::uint8_t>{0, 1, 0, 1}));

  WriteFile("tamsel.in", "out\n4\n1 2 0\na.dat\n0\n");
  DataDescription none;
  ASSERT_TRUE(Read(none, lines).ok());
  EXPECT_EQ(none.selection_keyword, "");
  EXPECT_EQ(none.selected, (std::vector<std::uint8_t>{0, 0}));
}

TEST(ReadDataDescriptionTest, BadInputStopsWithFileAndLine) {
  struct Case {
    const char* name;
    std::string input;
    std::string data;
    std::string message;    // expected at the start of the status message
    std::string last_line;  // last line of the report, "" when none is made
  };
  const std::string head = "out\n2\n1 2 0\nnet.dat\n0\n";
  const Case cases[] = {
      {"no input file", "", "", "tamsel.in: cannot open file", ""},
      {"short input", "out\n7\n", "", "tamsel.in: file ends after line 2, expected three integers",
       "Vantor step 7"},
      {"bad count", "out\n7\n1 two 0\n", "", "tamsel.in, line 3: expected three integers",
       "Vantor step 7"},
      {"negative count", "out\n7\n1 -2 0\n", "", "tamsel.in, line 3: the numbers of networks",
       "Vantor step 7"},
      {"bad code", "out\n2\n1 2 0\nnet.dat\nnine\n", "0 1\n1 0\n",
       "tamsel.in, line 5: expected the missing-value code of network 1, found \"nine\"",
       "Network 1: net.dat"},
      {"no data file", "out\n2\n1 2 0\nmissing.dat\n0\n", "", "missing.dat: cannot open file",
       "Network 1: missing.dat"},
      {"bad number", head, "0 1\n1 x\n",
       "net.dat, line 2: expected an integer for row 2, column 2 of 2 x 2, found \"x\"",
       "Network 1: net.dat"},
      {"real in network", head, "0 1.5\n1 0\n",
       "net.dat, line 1: expected an integer for row 1, column 2", "Network 1: net.dat"},
      {"out of range", head, "0 4294967296\n1 0\n", "net.dat, line 1: expected an integer",
       "Network 1: net.dat"},
      {"short data file", head, "0 1\n1\n",
       "net.dat: file ends after line 2, expected an integer for row 2, column 2",
       "Network 1: net.dat"},
      {"short attribute file", "out\n2\n0 2 1\nnet.dat\n1\nage\n\n", "3\n",
       "net.dat: file ends after line 1, expected a number for actor 2, attribute 1 (age)",
       "  age"},
      {"bad attribute", "out\n2\n0 2 1\nnet.dat\n1\nage\n\n", "3\nnan\n",
       "net.dat, line 2: expected a number for actor 2", "  age"},
      {"missing selection names", "out\n2\n0 2 0\npajek\n2\nnet.dat\n", "",
       "tamsel.in: file ends after line 6, expected selected data set 2 of 2",
       "-----------------------------------------------------------------"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    if (!c.input.empty()) WriteFile("tamsel.in", c.input);
    if (!c.data.empty()) WriteFile("net.dat", c.data);
    DataDescription data;
    std::vector<std::string> lines;
    const Status status = Read(data, lines);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.message().substr(0, c.message.size()), c.message) << status.message();
    EXPECT_EQ(lines.empty() ? "" : lines.back(), c.last_line);
  }
}

}  // namespace
}  // namespace kivo::tamsel
