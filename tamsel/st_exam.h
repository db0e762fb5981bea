#ifndef KIVO_TAMSEL_ST_EXAM_H_
#define KIVO_TAMSEL_ST_EXAM_H_

// The run driver of the descriptives program: read the data description,
// write the report of the suite's current step, close the report.

#include <functional>

#include "platform/env.h"
#include "platform/status.h"
#include "platform/text_file.h"
#include "tamsel/st_desc.h"

namespace kivo::tamsel {

// A module section of step 4 or an export of step 5. It writes its lines to
// the report (and its files, for an export); a failed file operation is
// returned.
using ModuleSection = std::function<Status(DataDescription&, TextWriter&)>;

// The sections the step-4 and step-5 frames hand over to. An empty entry
// writes nothing after the frame's own lines.
struct ModuleSections {
  ModuleSection morva;     // repeated observations and their changes
  ModuleSection dovel;     // p1 model of every selected network
  ModuleSection multinet;  // the exports, one per selection keyword
  ModuleSection pajek;
  ModuleSection netminer;
  ModuleSection structure;
};

// The sections built into the program.
ModuleSections DefaultModuleSections();

// All state of one run; a test can run many in one process.
struct TamselRun {
  DataDescription data;
  TextWriter report;
  ModuleSections modules = DefaultModuleSections();
};

// Steps 2 and 3: the network half, then the attribute half.
void ReportDescriptives(DataDescription& data, TextWriter& report);

// Step 4: the frame and the module section named by the selection keyword.
Status ReportModelSpecification(DataDescription& data, TextWriter& report,
                                const ModuleSections& modules);

// Step 5: the frame and the export named by the selection keyword.
Status ReportExports(DataDescription& data, TextWriter& report, const ModuleSections& modules);

// The report of data.step; other steps write nothing.
Status RunStep(DataDescription& data, TextWriter& report, const ModuleSections& modules);

// The whole job in the current directory: read, report, close. On failure
// the report keeps what was written before, and the status says why.
Status RunTamsel(TamselRun& run, Env& env);

}  // namespace kivo::tamsel

#endif  // KIVO_TAMSEL_ST_EXAM_H_
