#include "tamsel/st_exam.h"

#include <string>

#include "runfiles/kivolib.h"
#include "tamsel/attr_desc.h"
#include "tamsel/change_desc.h"
#include "tamsel/exports.h"
#include "tamsel/net_desc.h"
#include "tamsel/p1_model.h"

namespace kivo::tamsel {
namespace {

Status RunSection(const ModuleSection& section, DataDescription& data, TextWriter& report) {
  if (!section) return report.status();
  if (Status s = section(data, report); !s.ok()) return s;
  return report.status();
}

}  // namespace

ModuleSections DefaultModuleSections() {
  return ModuleSections{ReportRepeatedObservations,
                        ReportDovelSection,
                        ExportMultiNet,
                        ExportPajek,
                        ExportNetMiner,
                        ExportStructure};
}

void ReportDescriptives(DataDescription& data, TextWriter& report) {
  const NetworkDescriptives networks = ComputeNetworkDescriptives(data);
  WriteNetworkDescriptives(data, networks, report);
  const AttributeDescriptives attributes = ComputeAttributeDescriptives(data);
  WriteAttributeDescriptives(data, attributes, report);
}

Status ReportModelSpecification(DataDescription& data, TextWriter& report,
                                const ModuleSections& modules) {
  WriteSectionHeader(1, report, "TAMSEL data in MODEL SPECIFICATION step");
  report.WriteLine("Module selected in step4: " + data.selection_keyword);
  report.WriteLine();
  if (data.selection_keyword == "morva") {
    if (Status s = RunSection(modules.morva, data, report); !s.ok()) return s;
  }
  if (data.selection_keyword == "dovel") {
    if (Status s = RunSection(modules.dovel, data, report); !s.ok()) return s;
  }
  return report.status();
}

Status ReportExports(DataDescription& data, TextWriter& report, const ModuleSections& modules) {
  WriteSectionHeader(1, report, "TAMSEL data in RESULT/OUTPUT step");
  report.WriteLine();
  int selected = 0;
  for (int k = 1; k <= data.num_networks; ++k)
    selected += data.selected[static_cast<std::size_t>(k)];
  report.Write("Export " + std::to_string(selected) +
               (selected >= 2   ? " data sets to "
                : selected == 1 ? " data set to "
                                : " no data to "));
  struct Target {
    const char* keyword;
    const char* name;
    const ModuleSection* section;
  };
  const Target targets[] = {{"multinet", "MultiNet.", &modules.multinet},
                            {"pajek", "Pajek.", &modules.pajek},
                            {"netminer", "NetMiner.", &modules.netminer},
                            {"structure", "STRUCTURE.", &modules.structure}};
  for (const Target& target : targets) {
    if (data.selection_keyword == target.keyword) {
      report.WriteLine(target.name);
      return RunSection(*target.section, data, report);
    }
  }
  // No export of that name: the line stays unfinished.
  return report.status();
}

Status RunStep(DataDescription& data, TextWriter& report, const ModuleSections& modules) {
  switch (data.step) {
    case 1:
      ReportDataDefinition(data, report);
      break;
    case 2:
    case 3:
      ReportDescriptives(data, report);
      break;
    case 4:
      return ReportModelSpecification(data, report, modules);
    case 5:
      return ReportExports(data, report, modules);
    default:
      break;
  }
  return report.status();
}

Status RunTamsel(TamselRun& run, Env& env) {
  Status status = ReadDataDescription(run.data, run.report, /*append=*/true, env);
  if (status.ok()) status = RunStep(run.data, run.report, run.modules);
  // Closed in every case, so the report keeps what was written before a
  // failure.
  const Status closed = run.report.Close();
  return status.ok() ? closed : status;
}

}  // namespace kivo::tamsel
