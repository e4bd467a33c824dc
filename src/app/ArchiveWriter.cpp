#include "app/ArchiveWriter.h"

#include <memory>
#include <utility>

namespace tolvex {

ArchiveWriter::ArchiveWriter(Write write) : write_(std::move(write)) {}

void ArchiveWriter::submit(ScanResult result, ScanTarget target) {
  auto request = std::make_shared<const std::pair<ScanResult, ScanTarget>>(std::move(result), std::move(target));
  writer_.submit("archive", [this, request] {
    write_(request->first, request->second);
    return 0;  // a failed write leaves the previous archive; the next save tries again
  });
}

}  // namespace tolvex
