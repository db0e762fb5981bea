#ifndef KIVO_TAMSEL_EXPORTS_H_
#define KIVO_TAMSEL_EXPORTS_H_

// The exports of the results step: the selected networks (and, for MultiNet
// and NetMiner, the actor attributes) written in the input formats of four
// network-analysis programs, each file named from OutputName and created
// anew, with one report line about every file written. A file that cannot be
// created or written is returned as a failed Status naming it; the report
// line about a file is written only once the file is complete.

#include <string>

#include "platform/status.h"
#include "platform/text_file.h"
#include "tamsel/st_desc.h"

namespace kivo::tamsel {

// MultiNet: the node list OutputName.nod (actor numbers and attribute
// values in fixed columns) and the link list OutputName.lin (every ordered
// pair observed in some selected network, one value column per network).
// In the link list a cell missing in one network but observed in another
// has a blank field in that network's columns, so every value stays in the
// columns declared for its network.
Status ExportMultiNet(const DataDescription& data, TextWriter& report);

// Pajek: one file per selected network k, PajekFileName(OutputName, k), with
// the vertices (red when the actor's whole row is missing) and the ties as
// arcs.
Status ExportPajek(const DataDescription& data, TextWriter& report);

// OutputName, the network number with a leading 0 below 10, ".net".
std::string PajekFileName(const std::string& output_name, int k);

// NetMiner: OutputName.ntf with the full matrices and the attributes.
Status ExportNetMiner(const DataDescription& data, TextWriter& report);

// STRUCTURE: the data file OutputName.str with every selected matrix and
// the control file OutputName.sin. Matrix values take two columns each; a
// network with a value that needs more gets wider columns, and its format
// line says so.
Status ExportStructure(const DataDescription& data, TextWriter& report);

}  // namespace kivo::tamsel

#endif  // KIVO_TAMSEL_EXPORTS_H_
