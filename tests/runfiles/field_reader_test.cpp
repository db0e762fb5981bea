#include "runfiles/field_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/fake_env.h"

namespace kivo {
namespace {

class FieldReaderTest : public ::testing::Test {
 protected:
  void Open(const std::string& text) {
    WriteFile("in.txt", text);
    ASSERT_TRUE(reader_.Open("in.txt").ok());
  }
  std::int32_t Field() {
    std::int32_t value = -1;
    const Status s = reader_.ReadIntegerField(value);
    EXPECT_TRUE(s.ok()) << s.message();
    return value;
  }
  std::string Text() {
    std::string text;
    EXPECT_TRUE(reader_.ReadTextField(text).ok());
    return text;
  }

  ScopedTempDir dir_;
  FieldReader reader_;
};

TEST_F(FieldReaderTest, NumericFieldsSkipEmptyLinesAndComments) {
  Open("5\n7 columns, a comment\n\n\t  -3\tand more\r\n+12\n");
  EXPECT_EQ(Field(), 5);
  EXPECT_EQ(Field(), 7);
  EXPECT_EQ(Field(), -3);
  EXPECT_EQ(Field(), 12);
  EXPECT_TRUE(reader_.AtEnd());
  EXPECT_EQ(Field(), 0);  // missing at the end of the file
  EXPECT_EQ(Field(), 0);
}

TEST_F(FieldReaderTest, TextFieldIsTheWholeNextLine) {
  Open("1\n my data file.txt \r\n2\n");
  EXPECT_EQ(Field(), 1);
  EXPECT_EQ(Text(), " my data file.txt ");
  EXPECT_EQ(Field(), 2);
  EXPECT_EQ(Text(), "");  // at the end of the file
}

TEST_F(FieldReaderTest, TextFieldIsCutTo255Characters) {
  Open(std::string(300, 'a') + "\n4\n");
  EXPECT_EQ(Text(), std::string(255, 'a'));
  EXPECT_EQ(Field(), 4);
}

TEST_F(FieldReaderTest, TokensRunAcrossLinesUntilTheLineIsSkipped) {
  // A data row is read value by value; its rest is dropped by SkipLine.
  Open("1 0\n1 comment\n0 1 1 extra\n");
  std::vector<std::int32_t> values;
  for (int i = 0; i < 3; ++i) {
    std::int32_t v = 0;
    ASSERT_TRUE(reader_.ReadInteger(v).ok());
    values.push_back(v);
  }
  reader_.SkipLine();
  EXPECT_EQ(values, (std::vector<std::int32_t>{1, 0, 1}));
  EXPECT_EQ(reader_.line_number(), 3);
  EXPECT_FALSE(reader_.AtEnd());
  std::int32_t v = 0;
  ASSERT_TRUE(reader_.ReadInteger(v).ok());
  EXPECT_EQ(v, 0);
  EXPECT_EQ(reader_.RestOfLine(), " 1 1 extra");
  EXPECT_TRUE(reader_.AtEnd());
}

TEST_F(FieldReaderTest, AtEndIgnoresTrailingLineEnds) {
  struct Case {
    const char* text;
    bool at_end_after_first_line;
  };
  const Case cases[] = {
      {"3", true},         {"3\n", true},       {"3\n\n\n", true},
      {"3\r\n\r\n", true}, {"3\n\n4\n", false}, {"3\n  \n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Open(c.text);
    EXPECT_FALSE(reader_.AtEnd());
    EXPECT_EQ(Field(), 3);
    EXPECT_EQ(reader_.AtEnd(), c.at_end_after_first_line);
    reader_.Close();
  }
}

TEST_F(FieldReaderTest, EmptyFileIsAtItsEnd) {
  Open("");
  EXPECT_TRUE(reader_.AtEnd());
  EXPECT_EQ(Field(), 0);
  EXPECT_EQ(Text(), "");
}

TEST_F(FieldReaderTest, RealsAcceptDecimalForms) {
  Open("1.5 -2 .25 3. 1e2 -4.5E-1\n");
  const double expected[] = {1.5, -2.0, 0.25, 3.0, 100.0, -0.45};
  for (double e : expected) {
    double v = 0;
    ASSERT_TRUE(reader_.ReadReal(v).ok());
    EXPECT_DOUBLE_EQ(v, e);
  }
}

TEST_F(FieldReaderTest, MalformedNumbersAreErrorsNamingFileLineAndText) {
  struct Case {
    const char* text;
    bool real;
    const char* message;
  };
  const Case cases[] = {
      {"4\n\n x7 rows\n", false, "in.txt, line 3: \"x7\" is not an integer"},
      {"2.5\n", false, "in.txt, line 1: \"2.5\" is not an integer"},
      {"1,2\n", false, "in.txt, line 1: \"1,2\" is not an integer"},
      {"-\n", false, "in.txt, line 1: \"-\" is not an integer"},
      {"2147483648\n", false, "in.txt, line 1: \"2147483648\" is not an integer"},
      {"1.5.2\n", true, "in.txt, line 1: \"1.5.2\" is not a number"},
      {"nan\n", true, "in.txt, line 1: \"nan\" is not a number"},
      {"1e\n", true, "in.txt, line 1: \"1e\" is not a number"},
      {"1e999\n", true, "in.txt, line 1: \"1e999\" is not a number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Open(c.text);
    if (c.text[0] == '4') {
      EXPECT_EQ(Field(), 4);
    }
    Status s;
    if (c.real) {
      double v = 1;
      s = reader_.ReadReal(v);
      EXPECT_EQ(v, 0.0);
    } else {
      std::int32_t v = 1;
      s = reader_.ReadInteger(v);
      EXPECT_EQ(v, 0);
    }
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(s.message(), c.message);
    reader_.Close();
  }
}

TEST_F(FieldReaderTest, IntegerLimitsAreAccepted) {
  Open("2147483647 -2147483648\n");
  std::int32_t a = 0, b = 0;
  ASSERT_TRUE(reader_.ReadInteger(a).ok());
  ASSERT_TRUE(reader_.ReadInteger(b).ok());
  EXPECT_EQ(a, 2147483647);
  EXPECT_EQ(b, -2147483647 - 1);
}

TEST_F(FieldReaderTest, MissingFileIsAnError) {
  EXPECT_FALSE(reader_.Open("absent.txt").ok());
  EXPECT_TRUE(reader_.AtEnd());
}

}  // namespace
}  // namespace kivo
