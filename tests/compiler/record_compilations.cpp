// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the recorded compilations after an intended change of the compiler's outputs:
// compilations.tsv.gz holds every case as a digest row, readable.tsv the readable subset in
// full after its formula. Usage: record_compilations [folder] (the source folder by default).
#include <cstdio>

#include "compilation_record.h"

namespace numerella::recorded {

int Record(const std::string& folder) {
  const auto digests = RecordedRows(false), readable = RecordedRows(true);
  std::string header = "id";
  for (const auto field : kFields) header.append("\t").append(field);
  if (!WriteTable(folder + "/compilations.tsv.gz", header, digests) ||
      !WriteTable(folder + "/readable.tsv", "id\tformula" + header.substr(2), readable)) {
    std::fprintf(stderr, "cannot write the recordings into %s\n", folder.c_str());
    return 1;
  }
  std::printf("%zu cases recorded, %zu of them in full\n", digests.size(), readable.size());
  return 0;
}

}  // namespace numerella::recorded

int main(int argc, char** argv) {
  return numerella::recorded::Record(argc > 1 ? argv[1] : NUMERELLA_RECORDINGS);
}
