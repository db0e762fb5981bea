#include "tamsel/exports.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runfiles/format.h"

namespace kivo::tamsel {
namespace {

std::vector<int> SelectedNetworks(const DataDescription& data) {
  std::vector<int> selected;
  for (int k = 1; k <= data.num_networks; ++k) {
    if (data.selected[static_cast<std::size_t>(k)] != 0) selected.push_back(k);
  }
  return selected;
}

const std::string& FileOf(const DataDescription& data, int k) {
  return data.network_files[static_cast<std::size_t>(k)];
}

double AttributeValue(const DataDescription& data, int a, int i) {
  return data.attribute_values[static_cast<std::size_t>(a)][static_cast<std::size_t>(i)];
}

bool Categorical(const DataDescription& data, int a) {
  return data.is_categorical[static_cast<std::size_t>(a)] != 0;
}

Status WriteNodeList(const DataDescription& data, const std::string& name) {
  TextWriter out;
  if (Status s = out.Create(name); !s.ok()) return s;
  out.WriteLine("ID (1-4)");
  // Categorical attributes take 4 columns, the others 7, from column 5 on.
  int column = 5;
  for (int a = 1; a <= data.num_attributes; ++a) {
    const int width = Categorical(data, a) ? 4 : 7;
    out.WriteLine(data.attribute_names[static_cast<std::size_t>(a)] + " (" +
                  std::to_string(column) + "-" + std::to_string(column + width - 1) + ")");
    column += width;
  }
  out.WriteLine("END");
  for (int i = 1; i <= data.num_actors; ++i) {
    std::string line = Int(i, 4);
    for (int a = 1; a <= data.num_attributes; ++a) {
      line += Categorical(data, a) ? Real(AttributeValue(data, a, i), 4, 0)
                                   : Real(AttributeValue(data, a, i), 7, 2);
    }
    out.WriteLine(line);
  }
  return out.Close();
}

Status WriteLinkList(const DataDescription& data, const std::vector<int>& selected,
                     const std::string& name) {
  TextWriter out;
  if (Status s = out.Create(name); !s.ok()) return s;
  out.WriteLine("ID1 (1-4)");
  out.WriteLine("ID2 (5-8)");
  for (std::size_t s = 0; s < selected.size(); ++s) {
    const auto j = static_cast<int>(s) + 1;
    out.WriteLine("OBS" + std::to_string(selected[s]) + " (" + std::to_string(4 * j + 5) + "-" +
                  std::to_string(4 * j + 8) + ")");
  }
  out.WriteLine("END");
  const int n = data.num_actors;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      const bool observed = std::any_of(selected.begin(), selected.end(),
                                        [&](int k) { return !data.IsMissing(k, i, j); });
      if (!observed) continue;
      std::string line = Int(i, 4) + Int(j, 4);
      for (const int k : selected) {
        line += data.IsMissing(k, i, j) ? std::string(4, ' ') : Int(data.Relation(k, i, j), 4);
      }
      out.WriteLine(line);
    }
  }
  return out.Close();
}

Status WritePajekNetwork(const DataDescription& data, int k, const std::string& name) {
  TextWriter out;
  if (Status s = out.Create(name); !s.ok()) return s;
  const int n = data.num_actors;
  out.WriteLine("*Vertices  " + Int(n, 3));
  for (int i = 1; i <= n; ++i) {
    bool whole_row_missing = n > 0;
    for (int j = 1; j <= n && whole_row_missing; ++j) whole_row_missing = data.IsMissing(k, i, j);
    std::string line = Int(i, 3);
    if (i <= 99) line += ' ';
    if (i <= 9) line += ' ';
    line += " \"" + std::to_string(i) + "\"" + (whole_row_missing ? " ic Red" : " ic Black");
    out.WriteLine(line);
  }
  out.WriteLine("*Arcs");
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (i == j || data.IsMissing(k, i, j) || data.Relation(k, i, j) <= 0) continue;
      out.WriteLine(Int(i, 3) + " " + Int(j, 3) + " " + Int(data.Relation(k, i, j), 3) +
                    " c Black");
    }
  }
  return out.Close();
}

// Columns per value in a network's block of the STRUCTURE data file: 2, or
// more when some off-diagonal value is wider, so that the fixed-column
// reader takes every value whole.
int StructureWidth(const DataDescription& data, int k) {
  int width = 2;
  const int n = data.num_actors;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (i == j) continue;
      width = std::max(width, static_cast<int>(std::to_string(data.Relation(k, i, j)).size()));
    }
  }
  return width;
}

}  // namespace

std::string PajekFileName(const std::string& output_name, int k) {
  return output_name + (k <= 9 ? "0" : "") + std::to_string(k) + ".net";
}

Status ExportMultiNet(const DataDescription& data, TextWriter& report) {
  const std::string node_file = data.output_name + ".nod";
  if (Status s = WriteNodeList(data, node_file); !s.ok()) return s;
  report.WriteLine(std::string("Node list (vertices) ") +
                   (data.num_attributes > 0 ? "and attribute data " : "") + "saved in file " +
                   node_file + ".");
  const std::string link_file = data.output_name + ".lin";
  if (Status s = WriteLinkList(data, SelectedNetworks(data), link_file); !s.ok()) return s;
  report.WriteLine("Link list (arcs or edges) saved in file " + link_file + ".");
  return report.status();
}

Status ExportPajek(const DataDescription& data, TextWriter& report) {
  report.WriteLine();
  report.WriteLine("Colors and shapes used for actors (nodes):");
  report.WriteLine("- observed at all time points: black dots");
  report.WriteLine("- missing at some time point:  red dot");
  report.WriteLine("Colors and shapes used for links (arcs/edges):");
  report.WriteLine("- between observed actors: black arrows/lines");
  for (const int k : SelectedNetworks(data)) {
    const std::string name = PajekFileName(data.output_name, k);
    if (Status s = WritePajekNetwork(data, k, name); !s.ok()) return s;
    report.WriteLine("Data for observation " + std::to_string(k) + " is saved in file " + name +
                     ".");
  }
  report.WriteLine();
  return report.status();
}

Status ExportNetMiner(const DataDescription& data, TextWriter& report) {
  const std::string name = data.output_name + ".ntf";
  TextWriter out;
  if (Status s = out.Create(name); !s.ok()) return s;
  const int n = data.num_actors;
  out.WriteLine("NTF=2.0");
  out.WriteLine("TITLE=" + data.output_name);
  out.WriteLine("N=" + std::to_string(n));
  std::string nodes = "NODELIST=";
  for (int i = 1; i <= n; ++i) nodes += std::to_string(i) + ",";
  out.WriteLine(nodes);
  out.WriteLine();

  const std::vector<int> selected = SelectedNetworks(data);
  out.WriteLine("ADJ#=" + std::to_string(selected.size()));
  for (const int k : selected) {
    bool weighted = false;
    for (int i = 1; i <= n && !weighted; ++i) {
      for (int j = 1; j <= n && !weighted; ++j) {
        weighted = !data.IsMissing(k, i, j) && data.Relation(k, i, j) > 1;
      }
    }
    out.WriteLine();
    out.WriteLine("ADJNAME=" + FileOf(data, k));
    out.WriteLine("TYPE=FULLMATRIX,DIAGONAL=YES");
    out.WriteLine(std::string("DIRECTION=YES,WEIGHT=") + (weighted ? "YES" : "NO"));
    out.WriteLine();
    out.WriteLine("DATA");
    for (int i = 1; i <= n; ++i) {
      std::string line;
      for (int j = 1; j <= n; ++j) line += std::to_string(data.Relation(k, i, j)) + ",";
      out.WriteLine(line);
    }
    out.WriteLine();
    out.WriteLine("/DATA");
    if (!out.status().ok()) return out.Close();
    report.WriteLine("Data for observation " + std::to_string(k) + " is saved in file " + name +
                     ".");
  }

  out.WriteLine();
  out.WriteLine("ATT#=" + std::to_string(data.num_attributes));
  std::string names = "ATTNAME=";
  for (int a = 1; a <= data.num_attributes; ++a) {
    names += data.attribute_names[static_cast<std::size_t>(a)] + ",";
  }
  out.WriteLine(names);
  for (int i = 1; i <= n; ++i) {
    std::string line;
    for (int a = 1; a <= data.num_attributes; ++a)
      line += Real(AttributeValue(data, a, i), 5, 2) + ",";
    out.WriteLine(line);
  }
  if (Status s = out.Close(); !s.ok()) return s;
  report.WriteLine("Attribute data is saved in file " + name + ".");
  report.WriteLine();
  return report.status();
}

Status ExportStructure(const DataDescription& data, TextWriter& report) {
  const std::vector<int> selected = SelectedNetworks(data);
  const int n = data.num_actors;
  const std::string data_file = data.output_name + ".str";
  {
    TextWriter out;
    if (Status s = out.Create(data_file); !s.ok()) return s;
    for (const int k : selected) {
      const int width = StructureWidth(data, k);
      std::string format = "(";
      format += std::to_string(n);
      format += 'F';
      format += std::to_string(width);
      format += ".0)";
      out.WriteLine(format);
      for (int i = 1; i <= n; ++i) {
        std::string line;
        for (int j = 1; j <= n; ++j) {
          line += i == j ? std::string(static_cast<std::size_t>(width), ' ')
                         : Int(data.Relation(k, i, j), width);
        }
        out.WriteLine(line);
      }
    }
    if (Status s = out.Close(); !s.ok()) return s;
  }
  const std::size_t count = selected.size();
  report.WriteLine("Data for " + std::to_string(count) + " observation" +
                   (count == 1 ? " is saved in file " : "s is saved in file ") + data_file + ".");

  const std::string control_file = data.output_name + ".sin";
  {
    TextWriter out;
    if (Status s = out.Create(control_file); !s.ok()) return s;
    out.WriteLine("DATA       c:" + data_file);
    out.WriteLine("TITLE      Analysis of " + data.output_name + " data.");
    out.WriteLine("NETWORK    " + Int(n, 3) + " D" + Int(static_cast<long long>(count), 2) +
                  "   0 0       0");
    out.WriteLine("ANALYZE");
    if (Status s = out.Close(); !s.ok()) return s;
  }
  report.WriteLine("STRUCTURE input file generated: " + control_file + ".");
  report.WriteLine();
  return report.status();
}

}  // namespace kivo::tamsel
